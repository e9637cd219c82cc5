// The shipped main configuration read the way vxMain reads it: the window
// resources first, then the program's keys and, on the same reader, the main
// window's definition. Then the window files that definition names (sub-tab
// pages, dialogs, child windows, plots): that they exist, declare the controls
// the pages address, and name only callbacks and colours that exist.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "qkcfgsrv.h"
#include "qklogsrv.h"
#include "qkplotsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswinregstdfunc.h"
#include "qkwincfgsrv.h"
#include "qkwinfuncsrv.h"
#include "qkwinpalettesrv.h"
#include "vxCfgSrv.h"
#include "vxInit.h"
#include "vxMain.h"
#include "vxWinSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

// The program's callbacks, as its callback definition step binds them.
const std::vector<vxCallbackRow> kProgramCallbacks = [] {
    size_t count = 0;
    const vxCallbackRow* rows = vxCallbackTable(&count);
    return std::vector<vxCallbackRow>(rows, rows + count);
}();

// The standard connection callbacks of the framework (bound by the program's
// callback definition step, not by the standard-name binding).
const std::set<std::string> kConnectionCallbacks = {
    "qkwinstdloadasynports",  "qkdspcurrentscale",   "qkwindlgstart",   "qkwinstdgetasynparameters",
    "qkwinstdconnectasyn",    "qkwinstddisconnectasyn", "qkwinstdgettcpparameters", "qkwinstdconnecttcp",
    "qkstdpagedspcb",         "qksyswindlgexit",     "qksyswindlgexitconf",
};

int fakeCallback(qkwinInfo*)
{
    return 0;
}

bool isProgramCallback(const std::string& name)
{
    for (const auto& [id, n] : kProgramCallbacks)
        if (name == n) return true;
    return false;
}

bool isStandardName(const std::string& name)
{
    // Only a standard name is accepted; setting its own function changes nothing.
    return qksyswinstdfuncset(name.c_str(), qksyswinstdfuncget(name.c_str())) == 0;
}

// A callback name is known when the program, the standard-name binding or the
// standard connection callbacks provide it.
bool isKnownCallback(const std::string& name)
{
    return isProgramCallback(name) || kConnectionCallbacks.count(name) != 0 || isStandardName(name);
}

// The first callback entry of window with id, or null.
const qkwinfuncIDInfo* callbackOf(const qkwinInfo* w, int id)
{
    for (int i = 0; i < w->func.cnt; ++i)
        if (w->func.idPtr[i].id == id) return &w->func.idPtr[i];
    return nullptr;
}

enum class Kind { Button, Static, Edit, List, Combo, Tree, Dialog, Path };

template <class T> const T* byId(const T* table, int cnt, int id)
{
    for (int i = 0; i < cnt; ++i)
        if (table[i].id == id) return &table[i];
    return nullptr;
}

bool has(const qkwinInfo* w, Kind k, int id)
{
    switch (k) {
    case Kind::Button: return byId(w->btn.idPtr, w->btn.cnt, id) != nullptr;
    case Kind::Static: return byId(w->stat.idPtr, w->stat.cnt, id) != nullptr;
    case Kind::Edit: return byId(w->edit.idPtr, w->edit.cnt, id) != nullptr;
    case Kind::List: return byId(w->list.idPtr, w->list.cnt, id) != nullptr;
    case Kind::Combo: return byId(w->comb.idPtr, w->comb.cnt, id) != nullptr;
    case Kind::Tree: return byId(w->tv.idPtr, w->tv.cnt, id) != nullptr;
    case Kind::Dialog: return byId(w->dlg.idPtr, w->dlg.cnt, id) != nullptr;
    case Kind::Path:
        for (int i = 0; i < w->cfgpath.cnt; ++i)
            if (w->cfgpath.idPtr[i].itemid == id) return true;
        return false;
    }
    return false;
}

// The page of a control, -1 when the window has no such control.
int pageOf(const qkwinInfo* w, Kind k, int id)
{
    auto page = [](const auto* r) { return r ? r->pageid : -1; };
    switch (k) {
    case Kind::Button: return page(byId(w->btn.idPtr, w->btn.cnt, id));
    case Kind::Static: return page(byId(w->stat.idPtr, w->stat.cnt, id));
    case Kind::List: return page(byId(w->list.idPtr, w->list.cnt, id));
    case Kind::Tree: return page(byId(w->tv.idPtr, w->tv.cnt, id));
    default: return -1;
    }
}

// The installation-like tree with the shipped cfg/ and usercfg/, read by the
// start-up steps of vxMain from its work/ folder.
class MainWindowCfg : public vxtest::ShippedApp {};

// A window file read the way a sub-tab page, dialog or child reads its own,
// sharing the main window's palette.
class WindowFile {
public:
    WindowFile(const qkwinInfo* main, const std::string& path) : w_(new qkwinInfo{})
    {
        w_->type = 2;
        w_->palette = main->palette;
        status_ = qkwincfgsetpath(w_.get(), path.c_str()) == 0 ? qkwincfgread(w_.get()) : -2;
    }
    ~WindowFile()
    {
        qkwincfgfreetables(w_.get());   // the palette stays the main window's
    }
    WindowFile(const WindowFile&) = delete;
    WindowFile& operator=(const WindowFile&) = delete;
    int status() const { return status_; }
    const qkwinInfo* operator->() const { return w_.get(); }
    const qkwinInfo* get() const { return w_.get(); }

private:
    std::unique_ptr<qkwinInfo> w_;
    int status_;
};

}  // namespace

TEST_F(MainWindowCfg, ResourcesAndBothPassesShareTheMainWindowsReader)
{
    EXPECT_EQ(win->type, 1);
    EXPECT_EQ(win->appPtr, app.get());
    EXPECT_EQ(win->stdasynPtr, &app->anaCom.asyn);
    EXPECT_EQ(win->stdtcpPtr, &app->anaCom.tcp);
    ASSERT_NE(win->mbox.capPtr, nullptr);
    EXPECT_STREQ(win->mbox.capPtr, "Vantorix Message");
    EXPECT_GE(win->palette.cnt, QKWIN_PALETTEBUILTIN);   // from the shipped colour list

    // One reader for both passes.
    EXPECT_EQ(app->cfg.cfgPtr, win->cfgPtr);
    EXPECT_EQ(app->cfgPtr, &app->cfg);
    // The program's keys are not disturbed by the window's block, nor the
    // window by the program's blocks.
    EXPECT_EQ(app->srvrate, 50);
    EXPECT_EQ(app->anaSupVer.cnt, 4);
    EXPECT_EQ(app->mpData.mode1.cnt, 3);
    EXPECT_EQ(win->cpkg.pkgNdx, 0);
    EXPECT_EQ(win->audit, 0);
    // The window's pass is quiet at audit 0: the count is the program's alone.
    std::string text = log();
    EXPECT_EQ(vxtest::countLines(text, "processed: "), 1) << text;
    EXPECT_EQ(vxtest::countLines(text, "could not find color"), 0) << text;

    EXPECT_EQ(win->id, 1);
    EXPECT_STREQ(win->title, "Vantorix NQE");
    EXPECT_EQ(win->xorig, 40);
    EXPECT_EQ(win->yorig, 30);
    EXPECT_EQ(win->xsize, 1200);
    EXPECT_EQ(win->ysize, 700);
    EXPECT_EQ(win->scale.xval, 100);   // USER$SCALE of the user settings
    EXPECT_EQ(win->scale.yval, 100);
    EXPECT_EQ(win->opts.stopChilds, 1);
    EXPECT_EQ(win->opts.mode, 0);
    EXPECT_NE(win->help.version[0], '\0');
    EXPECT_EQ(win->fontid, 310);
    ASSERT_EQ(win->font.cnt, 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(win->font.idPtr[i].itemid, 310 + 2 * i);
    ASSERT_EQ(win->menu.cnt, 4);
    const int subCounts[] = {3, 3, 1, 3};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(win->menu.idPtr[i].subCnt, subCounts[i]) << win->menu.idPtr[i].name;
    // COLOR is a text key of the program and a package of the framework on
    // the same reader: the window's colour block must still open.
    EXPECT_STREQ(win->color.bg.name, "Gainsboro");
    EXPECT_STREQ(win->color.text.name, "Black");
    EXPECT_EQ(win->sbar.hight, 28);
    ASSERT_EQ(win->sbar.numParts, 4);
    EXPECT_STREQ(win->sbar.parts[0].text, "SCREEN ID: HOME");
}

TEST_F(MainWindowCfg, PagesNavigationAndPageControls)
{
    EXPECT_EQ(win->page.startpageid, 1);
    const struct {
        int itemid, pageid;
        const char* name;
    } pages[] = {{1184, 1, "HOME"}, {1002, 2, "MONITOR"}, {1003, 3, "DIAGNOSTICS"}, {1005, 5, "SPECTRA"},
                 {1006, 6, "PARAMETERS"}};
    ASSERT_EQ(win->page.cnt, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(win->page.idPtr[i].itemid, pages[i].itemid);
        EXPECT_EQ(win->page.idPtr[i].pageid, pages[i].pageid);
        EXPECT_STREQ(win->page.idPtr[i].name, pages[i].name);
        // Every page-select control fires the page callback.
        const qkwinfuncIDInfo* cb = callbackOf(win, pages[i].itemid);
        ASSERT_NE(cb, nullptr) << pages[i].itemid;
        EXPECT_STREQ(cb->name, "vxDisplayPageCB");
    }
    // Navigation: the select buttons and their markers show on every page.
    for (int id : {1002, 1003, 1005, 1006}) {
        const qkwinbtnIDInfo* b = byId(win->btn.idPtr, win->btn.cnt, id);
        ASSERT_NE(b, nullptr) << id;
        EXPECT_EQ(b->pageid, 0) << id;
    }
    for (int id : {1180, 1182, 1184, 1186, 1188, 1190, 1192}) {
        const qkwinstaticIDInfo* s = byId(win->stat.idPtr, win->stat.cnt, id);
        ASSERT_NE(s, nullptr) << id;
        EXPECT_EQ(s->pageid, 0) << id;
    }
    // The controls the page functions address, each on its own page.
    const struct {
        Kind kind;
        int id, pageid;
    } controls[] = {
        {Kind::List, 1312, 2},   {Kind::Static, 1324, 2}, {Kind::Static, 1316, 2}, {Kind::Button, 1318, 2},
        {Kind::Button, 1518, 3}, {Kind::Button, 1678, 3}, {Kind::Tree, 1430, 5},   {Kind::List, 1444, 5},
        {Kind::Static, 1410, 5}, {Kind::Button, 1414, 5}, {Kind::Button, 1420, 5}, {Kind::Static, 1422, 5},
        {Kind::Static, 1424, 5}, {Kind::Button, 1467, 5}, {Kind::Button, 1468, 5}, {Kind::Button, 1469, 5},
        {Kind::Button, 1620, 6}, {Kind::Button, 1622, 6}, {Kind::Static, 1194, 1},
    };
    for (const auto& c : controls) EXPECT_EQ(pageOf(win, c.kind, c.id), c.pageid) << c.id;
    // The scan mode buttons are check buttons; the tabs sit on their pages.
    EXPECT_EQ(byId(win->btn.idPtr, win->btn.cnt, 1414)->style, 2);
    EXPECT_EQ(byId(win->btn.idPtr, win->btn.cnt, 1420)->style, 2);
    const struct {
        int tab, pageid;
        std::vector<int> subtabs;
    } tabs[] = {{1500, 3, {1502}}, {1610, 6, {1612, 1614, 1616}}};
    ASSERT_EQ(win->tab.cnt, 2);
    for (const auto& t : tabs) {
        const qkwinTabIDInfo* tab = byId(win->tab.idPtr, win->tab.cnt, t.tab);
        ASSERT_NE(tab, nullptr) << t.tab;
        EXPECT_EQ(tab->pageid, t.pageid);
        ASSERT_EQ(tab->subCnt, static_cast<int>(t.subtabs.size()));
        for (int i = 0; i < tab->subCnt; ++i) EXPECT_EQ(tab->subidPtr[i].id, t.subtabs[i]);
    }
}

TEST_F(MainWindowCfg, EveryCallbackIsBoundByName)
{
    // Only names that something provides.
    ASSERT_GT(win->func.cnt, 0);
    std::set<std::string> stdNames;
    for (int i = 0; i < win->func.cnt; ++i) {
        std::string name = win->func.idPtr[i].name;
        EXPECT_TRUE(isKnownCallback(name)) << name;
        if (isStandardName(name)) stdNames.insert(name);
    }
    const std::map<int, std::string> named = {
        {1, "qksyswinproc"},          {9801, "qkwinCaptureScreen"}, {9802, "qkwinSaveScreen"},
        {9803, "qksyswinexitconf"},   {1100, "vxConnectWinCB"},     {1160, "qkwinstartchild"},
        {1200, "vxRemoteWinCB"},      {9867, "qkwindlgstart"},      {9831, "qkwinstartproc"},
        {9832, "qkwinhelpcontact"},   {9833, "qkwinhelpabout"},     {1316, "vxMonCaptureDataCB"},
        {1410, "vxSpectraDemandScanCB"}, {1467, "vxSpectraSnapShotWinCB"}, {1469, "vxSpectraSnapShotWinCB"},
    };
    for (const auto& [id, name] : named) {
        const qkwinfuncIDInfo* cb = callbackOf(win, id);
        ASSERT_NE(cb, nullptr) << id;
        EXPECT_EQ(cb->name, name) << id;
        EXPECT_EQ(cb->type, QKWIN_FUNC_BYNAME);
    }

    // The standard names get their functions from the standard-name binding
    // (test functions stand in for those the window layer enters later) and
    // the program binds its own names; afterwards nothing is left unbound.
    std::map<std::string, qkwincallback> saved;
    for (const std::string& n : stdNames) {
        saved[n] = qksyswinstdfuncget(n.c_str());
        ASSERT_EQ(qksyswinstdfuncset(n.c_str(), saved[n] ? saved[n] : fakeCallback), 0) << n;
    }
    qksyswinregstdfunc(win);
    for (const auto& [n, f] : saved) qksyswinstdfuncset(n.c_str(), f);
    for (int i = 0; i < win->func.cnt; ++i) {
        const qkwinfuncIDInfo& e = win->func.idPtr[i];
        if (stdNames.count(e.name)) {
            EXPECT_NE(e.add, nullptr) << e.name;
        }
    }
    for (const auto& [id, name] : kProgramCallbacks) qkwinfuncsetcallback(win, id, name, fakeCallback, 1);
    for (int i = 0; i < win->func.cnt; ++i) EXPECT_NE(win->func.idPtr[i].add, nullptr) << win->func.idPtr[i].name;
    // The page callback reaches every control that names it, whatever its id.
    EXPECT_EQ(callbackOf(win, 1005)->add, fakeCallback);
}

TEST_F(MainWindowCfg, NamedFilesExistAndDeclareWhatThePagesAddress)
{
    // Path records: plots, child windows and the help launcher.
    const std::map<int, int> pathTypes = {{1460, 1}, {1462, 1}, {1464, 1}, {1466, 1}, {1090, 2}, {1100, 2},
                                          {1160, 2}, {1200, 2}, {1467, 2}, {1468, 2}, {1469, 2}, {9831, 3}};
    ASSERT_EQ(win->cfgpath.cnt, static_cast<int>(pathTypes.size()));
    std::vector<std::string> files;   // window files to read, in the order found
    std::set<std::string> seen;
    auto add = [&](const std::string& p) {
        if (seen.insert(p).second) files.push_back(p);
    };
    for (int i = 0; i < win->cfgpath.cnt; ++i) {
        const qkwincfgpathIDInfo& p = win->cfgpath.idPtr[i];
        EXPECT_EQ(p.type, pathTypes.at(p.itemid)) << p.itemid;
        if (p.type == 3) continue;   // a program, started from the working folder
        ASSERT_TRUE(fs::is_regular_file(p.path)) << p.itemid << " " << p.path;
        if (p.type == 2) add(p.path);
        if (p.type == 1) {
            // The plot definition holds the plot of this item.
            std::string text = vxtest::readFile(p.path);
            EXPECT_NE(text.find("<ID>" + std::to_string(p.itemid) + "</ID>"), std::string::npos) << p.path;
        }
    }
    for (int i = 0; i < win->tab.cnt; ++i)
        for (int j = 0; j < win->tab.idPtr[i].subCnt; ++j) add(win->tab.idPtr[i].subidPtr[j].path);
    for (int i = 0; i < win->dlg.cnt; ++i) add(win->dlg.idPtr[i].path);
    EXPECT_NE(byId(win->dlg.idPtr, win->dlg.cnt, 9870), nullptr);
    EXPECT_EQ(byId(win->dlg.idPtr, win->dlg.cnt, 9870)->startid, 9867);   // opened by the scale menu item

    // What each window declares of the ids the program addresses.
    std::vector<std::pair<Kind, int>> frontPanel = {{Kind::Button, 1332}, {Kind::Button, 1334}};
    for (int row = 1; row <= 4; ++row)
        for (int col = 1; col <= 20; ++col) frontPanel.push_back({Kind::Static, 16000 + 100 * row + col});
    for (int key = 16501; key <= 16516; ++key) frontPanel.push_back({Kind::Button, key});
    const std::map<std::string, std::pair<int, std::vector<std::pair<Kind, int>>>> expected = {
        {"vxDiagValues.xml", {1502, {{Kind::List, 1516}, {Kind::List, 1574}}}},
        {"vxParamTree.xml", {1612, {{Kind::Tree, 1634}}}},
        {"vxParamFrontPanel.xml", {1614, frontPanel}},
        {"vxParamModbusTest.xml",
         {1616, {{Kind::Combo, 1656}, {Kind::Edit, 1660}, {Kind::Edit, 1666}, {Kind::Button, 1657}, {Kind::Static, 1652},
                 {Kind::List, 1668}, {Kind::List, 1670}, {Kind::Static, 1674}}}},
        {"vxRunDiagDlg.xml",
         {1350, {{Kind::Static, 1356}, {Kind::Static, 1359}, {Kind::Static, 1360}, {Kind::Button, 1354}}}},
        {"vxUserPwDlg.xml", {1640, {{Kind::Edit, 1645}, {Kind::Button, 1647}}}},
        {"vxParamUpdateDlg.xml",
         {1680, {{Kind::Static, 1685}, {Kind::Static, 1687}, {Kind::Edit, 1689}, {Kind::Static, 1691},
                 {Kind::Button, 1692}, {Kind::Button, 1693}}}},
        {"qkwinscaledlg.xml", {9870, {{Kind::Static, 9872}, {Kind::List, 9874}}}},
        {"qkwinasyndlg.xml",
         {9370, {{Kind::Combo, 9373}, {Kind::Combo, 9375}, {Kind::Combo, 9377}, {Kind::Combo, 9379},
                 {Kind::Combo, 9381}, {Kind::Button, 9382}, {Kind::Button, 9383}}}},
        {"qkwintcpdlg.xml",
         {9560, {{Kind::Combo, 9564}, {Kind::Combo, 9566}, {Kind::Combo, 9568}, {Kind::Button, 9569}, {Kind::Button, 9997}}}},
        {"vxFindAnalyzer.xml",
         {1090, {{Kind::Static, 1093}, {Kind::Static, 1095}, {Kind::Static, 1097}, {Kind::Static, 1126}, {Kind::Static, 1089}}}},
        {"vxConnection.xml",
         {1100, {{Kind::Button, 1120}, {Kind::Button, 1122}, {Kind::Button, 1174}, {Kind::Static, 1124},
                 {Kind::Static, 1126}, {Kind::Dialog, 9370}, {Kind::Dialog, 9560}}}},
        {"vxUserSetup.xml", {1160, {{Kind::Edit, 1162}, {Kind::Edit, 1170}, {Kind::List, 1166}, {Kind::Button, 1176}}}},
        {"vxRemote.xml",
         {1200, {{Kind::Button, 1214}, {Kind::Static, 1226}, {Kind::Static, 1230}, {Kind::Static, 1234}, {Kind::Dialog, 9560}}}},
        {"vxSnapPlotA.xml", {1467, {{Kind::Path, 1472}, {Kind::Static, 1712}, {Kind::Static, 1716}, {Kind::Static, 1718}, {Kind::Static, 1720}}}},
        {"vxSnapPlotB.xml", {1468, {{Kind::Path, 1474}, {Kind::Static, 1712}, {Kind::Static, 1716}, {Kind::Static, 1718}, {Kind::Static, 1720}}}},
        {"vxSnapPlotC.xml", {1469, {{Kind::Path, 1476}, {Kind::Static, 1712}, {Kind::Static, 1716}, {Kind::Static, 1718}, {Kind::Static, 1720}}}},
    };

    std::set<std::string> checked;
    for (size_t n = 0; n < files.size(); ++n) {   // files grows with the dialogs of child windows
        const std::string path = files[n];
        SCOPED_TRACE(path);
        ASSERT_TRUE(fs::is_regular_file(path));
        WindowFile w(win, path);
        ASSERT_EQ(w.status(), 0);
        std::string base = fs::path(path).filename().string();
        auto e = expected.find(base);
        ASSERT_NE(e, expected.end()) << "no expectations for " << base;
        checked.insert(base);
        EXPECT_EQ(w->id, e->second.first);
        for (const auto& [kind, id] : e->second.second) EXPECT_TRUE(has(w.get(), kind, id)) << id;
        for (int i = 0; i < w->func.cnt; ++i) EXPECT_TRUE(isKnownCallback(w->func.idPtr[i].name)) << w->func.idPtr[i].name;
        for (int i = 0; i < w->dlg.cnt; ++i) add(w->dlg.idPtr[i].path);
        for (int i = 0; i < w->cfgpath.cnt; ++i) EXPECT_TRUE(fs::is_regular_file(w->cfgpath.idPtr[i].path));
    }
    EXPECT_EQ(checked.size(), expected.size());
    // The running light of the capture dialog takes every static but the last.
    WindowFile dlg(win, "../cfg/vxwin/vxRunDiagDlg.xml");
    EXPECT_EQ(dlg->stat.cnt, 5);
    std::string text = log();
    EXPECT_EQ(vxtest::countLines(text, "could not find color"), 0) << text;
}

// Every shipped window and plot file keeps the record format (one record a
// line, at most 1023 characters, values of at most 127), uses only names its
// reader registers, and names only palette colours.
TEST_F(MainWindowCfg, RecordFormatTagsAndColourNames)
{
    // The reader holds the program's keys, then the window framework's names.
    std::set<std::string> programKeys, windowNames;
    const qkcfgsrvInfo* r = app->cfg.cfgPtr;
    for (int i = 0; i < r->numArgs; ++i) (i < VX_CFGKEYCNT ? programKeys : windowNames).insert(r->argsPtr[i].name);
    // Plot files: the names the plot engine registers on its own reader.
    std::set<std::string> plotNames;
    {
        qkplotInfo* plot = qkplotcreate();
        qkcfgsrvInfo plotReader{};
        plotReader.ndx = -1;
        plot->cfgPtr = &plotReader;
        ASSERT_EQ(qkplotcfgregister(plot), 0);
        for (int i = 0; i < plotReader.numArgs; ++i) plotNames.insert(plotReader.argsPtr[i].name);
        plot->cfgPtr = nullptr;
        qkcfgfreemem(&plotReader);
        qkplotdestroy(plot);
    }
    ASSERT_FALSE(plotNames.empty());
    struct File {
        fs::path path;
        std::vector<const std::set<std::string>*> vocabulary;
    };
    std::vector<File> files = {{tree.path("cfg/vxMain.xml"), {&programKeys, &windowNames}}};
    for (const char* dir : {"cfg/vxwin", "cfg/vxplot", "cfg/qkwinstdxml"})
        for (const auto& f : fs::directory_iterator(tree.path(dir)))
            if (f.path().filename() != "qkcolorlist.xml")
                files.push_back({f.path(), {std::string(dir) == "cfg/vxplot" ? &plotNames : &windowNames}});
    ASSERT_GE(files.size(), 20u);

    const std::regex tag(R"(<(/?)([A-Z][A-Z0-9 ]*)>)");
    const std::regex value(R"(<([A-Z0-9 ]+)>(.*)</\1>)");
    const std::regex colourHolder(R"(^\s*<(BACKGROUND|FORGROUND|EDGE|TEXT)>\s*$)");
    for (const File& f : files) {
        SCOPED_TRACE(f.path.string());
        std::ifstream in(f.path);
        std::string line;
        bool colour = false;
        int n = 0;
        while (std::getline(in, line)) {
            ++n;
            EXPECT_LT(line.size(), 1024u) << "line " << n;
            EXPECT_EQ(line.find('\r'), std::string::npos) << "line " << n;
            for (std::sregex_iterator t(line.begin(), line.end(), tag), end; t != end; ++t) {
                std::string name = (*t)[2];
                bool known = false;
                for (const auto* v : f.vocabulary) known = known || v->count(name) != 0;
                EXPECT_TRUE(known) << name << ", line " << n;
            }
            std::smatch m;
            if (std::regex_search(line, m, value)) {
                EXPECT_LE(m[2].length(), 127) << "line " << n;
                if (colour && m[1] == "NAME" && m[2] != "TRANSPARENT") {
                    EXPECT_NE(qkwinpalettegetvalue(win, m[2].str().c_str()), -2) << m[2] << ", line " << n;
                }
            }
            colour = std::regex_match(line, colourHolder);
        }
    }
}
