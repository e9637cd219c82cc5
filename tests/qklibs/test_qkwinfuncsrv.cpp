// Callback table and event dispatch: registration, binding by name prefix,
// look-ups of both kinds, inheritance by child windows, the standard names, the
// dispatch rules of the window procedures with their error boxes, and the
// notification-code table.
#include "qkwinfuncsrv.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "qklogsrv.h"
#include "qksyswinregstdfunc.h"
#include "qkwinmsgbox.h"
#include "vxtestsupport.h"

namespace {

// What the callbacks saw: "<callback>:<actitemid>/<actitemevent>".
std::vector<std::string> g_calls;
// What the message box was asked to show: "<type>|<text>".
std::vector<std::string> g_boxes;

int record(const char* tag, qkwinInfo* w)
{
    g_calls.push_back(std::string(tag) + ":" + std::to_string(w->actitemid) + "/" + std::to_string(w->actitemevent));
    return 0;
}
int cbA(qkwinInfo* w) { return record("A", w); }
int cbB(qkwinInfo* w) { return record("B", w); }
int cbC(qkwinInfo* w) { return record("C", w); }

int boxHook(qkwinInfo*, int type, const char* text)
{
    g_boxes.push_back(std::to_string(type) + "|" + text);
    return QKWIN_MSG_OK;
}

class FuncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logPath = tree.path("func.log");
        ASSERT_EQ(qklogopn(logPath.c_str()), 0);
        g_calls.clear();
        g_boxes.clear();
        qkwinsetmsgboxhook(boxHook);
        win->type = 1;
    }
    void TearDown() override
    {
        qkwinsetmsgboxhook(nullptr);
        qkwinfuncfreemem(win.get());
        qklogcls();
    }
    std::string log() const { return vxtest::readFile(logPath); }
    bool logged(const std::string& text) const { return log().find(text) != std::string::npos; }
    const qkwinfuncIDInfo& entry(int i) const { return win->func.idPtr[i]; }

    vxtest::TempTree tree;
    std::string logPath;
    std::unique_ptr<qkwinInfo> win = std::make_unique<qkwinInfo>();
};

TEST_F(FuncTest, RegistrationAppendsEntries)
{
    win->audit = QKWIN_AUD_FUNCREG;
    EXPECT_EQ(qkwinfuncregister(win.get(), 2, 1100, "vxConnectWinCB"), 0);
    EXPECT_EQ(qkwinfuncregister(win.get(), 2, 1100, "vxConnectWinCB"), 0);
    std::string longName(70, 'n');
    EXPECT_EQ(qkwinfuncregister(win.get(), 2, 7, longName.c_str()), 0);
    ASSERT_EQ(win->func.cnt, 3);
    EXPECT_EQ(win->func.ndx, 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(entry(i).type, 2);
        EXPECT_EQ(entry(i).gflag, 0);
        EXPECT_EQ(entry(i).add, nullptr);
    }
    EXPECT_EQ(entry(1).id, 1100);
    EXPECT_EQ(std::string(entry(2).name), longName.substr(0, 63));
    EXPECT_TRUE(logged("index: 1, type: 2, id: 1100, name: vxConnectWinCB"));
}

// Binding by name reaches every entry whose name begins with the name.
TEST_F(FuncTest, BindingByNamePrefix)
{
    const struct {
        int id;
        const char* name;
    } entries[] = {{10, "vxSave"}, {11, "vxSaveData"}, {12, "vxSav"}, {13, "vxLoad"}, {14, "vxSave"}};
    for (const auto& e : entries) qkwinfuncregister(win.get(), 2, e.id, e.name);

    const struct {
        const char* name;
        qkwincallback add;
        std::vector<qkwincallback> want;   // address of each entry afterwards
    } steps[] = {
        {"vxSave", cbA, {cbA, cbA, nullptr, nullptr, cbA}},
        {"vxSaveData", cbB, {cbA, cbB, nullptr, nullptr, cbA}},   // the longer name binds only itself
        {"vxLoad", nullptr, {cbA, cbB, nullptr, nullptr, cbA}},   // a null address binds nothing
        {"", cbC, {cbA, cbB, nullptr, nullptr, cbA}},             // nor does an empty name
        {"vxSav", cbC, {cbC, cbC, cbC, nullptr, cbC}},            // rebinding overwrites
    };
    for (const auto& s : steps) {
        EXPECT_EQ(qkwinfuncloadaddr(win.get(), s.name, s.add), -2);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(entry(i).add, s.want[i]) << "after " << s.name << ", entry " << i;
    }
}

TEST_F(FuncTest, LookUpsOfBothKinds)
{
    qkwinfuncregister(win.get(), 2, 20, "vxFirst");
    qkwinfuncregister(win.get(), 2, 20, "vxSecond");
    qkwinfuncregister(win.get(), 2, 30, "vxUnbound");
    qkwinfuncloadaddr(win.get(), "vxSecond", cbB);

    // Kind 1: the first entry with the id that has an address.
    EXPECT_EQ(qkwinfuncgetaddr(win.get(), 1, 20, nullptr), cbB);
    EXPECT_EQ(qkwinfuncgetaddr(win.get(), 1, 30, nullptr), nullptr);
    EXPECT_FALSE(logged("address not found"));
    EXPECT_EQ(qkwinfuncgetaddr(win.get(), 1, 1, nullptr), nullptr);   // no window procedure of its own
    EXPECT_FALSE(logged("address not found"));
    EXPECT_EQ(qkwinfuncgetaddr(win.get(), 1, 40, "x"), nullptr);
    EXPECT_TRUE(logged("address not found for - gtype: 1, gid: 40, gname: x"));

    // Kind 2: the first entry whose name begins with the name, bound or not.
    EXPECT_EQ(qkwinfuncgetaddr(win.get(), 2, 0, "vxSec"), cbB);
    EXPECT_EQ(qkwinfuncgetaddr(win.get(), 2, 0, "vxFirst"), nullptr);
    EXPECT_EQ(qkwinfuncgetaddr(win.get(), 2, 0, "vxNone"), nullptr);
    EXPECT_EQ(qkwinfuncgetaddr(win.get(), 2, 0, ""), nullptr);
}

TEST_F(FuncTest, SetCallbackAndListLog)
{
    qkwinfuncregister(win.get(), 2, 1414, "vxSpectraAutoScanCB");
    EXPECT_EQ(qkwinfuncsetcallback(win.get(), 1414, "vxSpectraAutoScanCB", cbA, 1), 0);
    EXPECT_EQ(qkwinfuncsetcallback(win.get(), 1420, "vxSpectraOverlayScanCB", cbB, 0), 0);
    ASSERT_EQ(win->func.cnt, 3);
    EXPECT_EQ(entry(0).add, cbA);   // the definition's entry is bound as well
    EXPECT_EQ(entry(0).gflag, 1);
    EXPECT_EQ(entry(1).gflag, 1);
    EXPECT_EQ(entry(2).gflag, 0);
    EXPECT_EQ(entry(2).add, cbB);

    qkwinfuncloglist(win.get());
    std::string text = log();
    EXPECT_NE(text.find("Log list of defined functions/callbacks"), std::string::npos);
    EXPECT_NE(text.find("ndx: 2, type: 2, id: 1420, name: vxSpectraOverlayScanCB, add: "), std::string::npos);
    EXPECT_EQ(vxtest::countLines(text, "ndx: "), 3);
}

TEST_F(FuncTest, EventNumbers)
{
    const struct {
        int code;
        int event;
    } table[] = {{0, 6},    {1, 7},    {2, 3},     {3, 16},    {4, 17},   {5, 1},    {7, 22},
                 {9, 8},    {10, 20},  {199, 13},  {256, 21},  {768, 14}, {1024, 12}, {1281, 11},
                 {6, -99},  {8, -99},  {11, -99},  {-1, -99},  {1280, -99}, {65535, -99}};
    for (const auto& t : table) EXPECT_EQ(qkwinfuncgetevent(t.code), t.event) << "code " << t.code;
}

// Two entries share id 20 and only the second is bound; id 30 has no bound
// entry at all; id 50 has none.
TEST_F(FuncTest, DispatchRulesOfTheProcedures)
{
    qkwinfuncregister(win.get(), 2, 20, "vxFirst");
    qkwinfuncregister(win.get(), 2, 20, "vxSecond");
    qkwinfuncregister(win.get(), 2, 30, "vxNoAddr");
    qkwinfuncsetcallback(win.get(), 40, "vxBound", cbA, 1);
    qkwinfuncloadaddr(win.get(), "vxSecond", cbB);

    const struct {
        int proc;
        int id;
        int code;
        int result;
        const char* call;   // expected callback record, or ""
        const char* box;    // expected message box, or ""
    } cases[] = {
        {QKWIN_PROC_MAIN, 40, 0, 0, "A:40/6", ""},
        {QKWIN_PROC_CHILD, 40, 1281, 0, "A:40/11", ""},
        {QKWIN_PROC_MAIN, 40, 6, 0, "A:40/-99", ""},
        {QKWIN_PROC_MAIN, 20, 0, -2, "", "105|no callback defined for\nid: 20\n name: vxFirst"},
        {QKWIN_PROC_CHILD, 20, 0, -2, "", "105|no callback defined for\nid: 20\n name: vxFirst"},
        {QKWIN_PROC_DLG, 20, 5, 0, "B:20/1", ""},
        {QKWIN_PROC_SUBTAB, 20, 2, 0, "B:20/3", ""},
        {QKWIN_PROC_DLG, 30, 0, -2, "", "105|qksyswindlgproc no callback defined for\nid: 30\n name: vxNoAddr"},
        {QKWIN_PROC_SUBTAB, 30, 0, -2, "", "105|TAB no callback defined for\nid: 30\n name: vxNoAddr"},
        {QKWIN_PROC_MAIN, 50, 0, -2, "", ""},
        {QKWIN_PROC_DLG, 50, 0, -2, "", ""},
    };
    for (const auto& c : cases) {
        g_calls.clear();
        g_boxes.clear();
        win->actitemid = -1;
        win->actitemevent = -1;
        EXPECT_EQ(qkwinfuncdispatch(win.get(), c.proc, c.id, c.code), c.result) << c.proc << "/" << c.id;
        std::string call = g_calls.empty() ? "" : g_calls.front();
        std::string box = g_boxes.empty() ? "" : g_boxes.front();
        EXPECT_EQ(call, c.call) << c.proc << "/" << c.id;
        EXPECT_EQ(box, c.box) << c.proc << "/" << c.id;
        EXPECT_LE(g_calls.size() + g_boxes.size(), 1u);
        if (*c.call == '\0') {
            EXPECT_EQ(win->actitemid, -1) << "only a call sets the fired control";
        }
    }
    std::string text = log();
    EXPECT_EQ(vxtest::countLines(text, "function not found for id: 50"), 2);
    // Error boxes have their text logged first.
    EXPECT_NE(text.find("TAB no callback defined for"), std::string::npos);
}

TEST_F(FuncTest, DialogDispatchTrace)
{
    qkwinfuncregister(win.get(), 2, 7, "vxOther");
    qkwinfuncsetcallback(win.get(), 8, "vxDlgOk", cbC, 0);
    win->audit = QKWIN_AUD_FUNCDLG;
    EXPECT_EQ(qkwinfuncdispatch(win.get(), QKWIN_PROC_DLG, 8, 0), 0);
    EXPECT_TRUE(logged("cnt: 2, ndx: 0, id: 8, func.id: 7, add: 0"));
    EXPECT_TRUE(logged("cnt: 2, ndx: 1, id: 8, func.id: 8, add: "));
    EXPECT_EQ(qkwinfuncdispatch(win.get(), QKWIN_PROC_MAIN, 8, 0), 0);
    EXPECT_EQ(vxtest::countLines(log(), "func.id:"), 2) << "the main procedure does not trace";
}

TEST_F(FuncTest, WithoutInstalledMessageBoxTheTextIsLogged)
{
    qkwinsetmsgboxhook(nullptr);
    qkwinfuncregister(win.get(), 2, 9, "vxLost");
    EXPECT_EQ(qkwinfuncdispatch(win.get(), QKWIN_PROC_MAIN, 9, 0), -2);
    EXPECT_TRUE(logged("no callback defined for"));
    EXPECT_TRUE(logged(" name: vxLost"));
}

// A child started from the main window can call every callback the main window
// bound as inheritable, and the standard inheritable names, although its own
// definition file binds none of them.
TEST_F(FuncTest, ChildInheritsMarkedCallbacks)
{
    ASSERT_EQ(qksyswinstdfuncset("qkwinCaptureScreen", cbC), 0);
    qkwinfuncregister(win.get(), 2, 9001, "qkwinCaptureScreen");
    qksyswinregstdfunc(win.get());
    qkwinfuncsetcallback(win.get(), 1500, "vxShared", cbA, 1);
    qkwinfuncsetcallback(win.get(), 1501, "vxPrivate", cbB, 0);
    qkwinfuncsetcallback(win.get(), QKWIN_FUNCID_START, "vxChildStart", cbB, 1);
    qkwinfuncsetcallback(win.get(), QKWIN_FUNCID_CLOSE, "vxOldClose", cbA, 0);
    qkwinfuncsetcallback(win.get(), QKWIN_FUNCID_CLOSE, "vxChildClose", cbC, 0);

    auto child = std::make_unique<qkwinInfo>();
    child->type = 2;
    child->startcbid = QKWIN_FUNCID_START;
    child->closecbid = QKWIN_FUNCID_CLOSE;
    qkwinfuncregister(child.get(), 2, 1500, "vxShared");   // its own definition names it too
    qksyswinregstdfunc(child.get());
    EXPECT_EQ(qkwinfuncinherit(child.get(), win.get()), 0);

    EXPECT_EQ(qkwinfuncdispatch(child.get(), QKWIN_PROC_CHILD, 9001, 0), 0);
    EXPECT_EQ(qkwinfuncdispatch(child.get(), QKWIN_PROC_CHILD, 1500, 0), 0);
    EXPECT_EQ(qkwinfuncdispatch(child.get(), QKWIN_PROC_CHILD, 1501, 0), -2);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"C:9001/6", "A:1500/6"}));
    EXPECT_EQ(child->userStartFunc, cbB);
    EXPECT_EQ(child->userCloseFunc, cbC);   // the last entry of the id
    EXPECT_EQ(child->userRunFunc, nullptr);
    for (int i = 0; i < child->func.cnt; ++i) EXPECT_EQ(child->func.idPtr[i].gflag, 1) << child->func.idPtr[i].name;

    qksyswinstdfuncset("qkwinCaptureScreen", nullptr);
    qkwinfuncfreemem(child.get());
}

// The standard names are bound by window type; the inheritable ones are marked.
TEST_F(FuncTest, StandardNamesByWindowType)
{
    const char* names[] = {"qksyswinproc",     "qksyswinchildproc", "qksyswinexit", "qksyswinexitconf",
                           "qkwinmgrcallback", "qksyswinstdnullproc"};
    const qkwincallback fns[] = {cbA, cbB, cbC, cbA, cbB, nullptr};
    for (int i = 0; i < 5; ++i) ASSERT_EQ(qksyswinstdfuncset(names[i], fns[i]), 0);
    EXPECT_EQ(qksyswinstdfuncset("vxNotStandard", cbA), -2);
    EXPECT_EQ(qksyswinstdfuncget("qksyswinstdnullproc"), qksyswinstdnullproc);

    const struct {
        int type;
        qkwincallback want[6];
        int gflag[6];
    } cases[] = {
        {1, {cbA, nullptr, cbC, cbA, cbB, qksyswinstdnullproc}, {0, 0, 0, 0, 1, 0}},
        {2, {nullptr, cbB, nullptr, nullptr, nullptr, qksyswinstdnullproc}, {0, 0, 0, 0, 0, 0}},
        {3, {nullptr, cbB, nullptr, nullptr, nullptr, qksyswinstdnullproc}, {0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        auto w = std::make_unique<qkwinInfo>();
        w->type = c.type;
        for (int i = 0; i < 6; ++i) qkwinfuncregister(w.get(), 2, 100 + i, names[i]);
        EXPECT_EQ(qksyswinregstdfunc(w.get()), 0);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(w->func.idPtr[i].add, c.want[i]) << "type " << c.type << ": " << names[i];
            EXPECT_EQ(w->func.idPtr[i].gflag, c.gflag[i]) << "type " << c.type << ": " << names[i];
        }
        qkwinfuncfreemem(w.get());
    }
    for (int i = 0; i < 5; ++i) qksyswinstdfuncset(names[i], nullptr);
}

}  // namespace
