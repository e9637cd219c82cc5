// The parameters page against a misbehaving line (offscreen): the shipped main
// window, the emulator as an NS analyzer on the virtual port COM97, the page
// entered once and its tree loaded for the level-1 user while the emulator's
// faults change: noise before every answer, answers in pieces, an analyzer
// that never answers, a capture whose lines come in pieces, and last the port
// hung up in the middle of a capture. After each fault the tree loads again,
// the window answers and no worker is left running; a capture keeps every
// record the analyzer sent.
#include <gtest/gtest.h>

#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "qksyswincapture.h"
#include "qksyswindlg.h"
#include "qksyswinsrv.h"
#include "qksyswinstatic.h"
#include "qkwinfuncsrv.h"
#include "vxAnaPasswordSrv.h"
#include "vxCallBacks.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTree = 1634;
constexpr int kCancel = 1354;
constexpr int kProbeStatic = 1630;   // a static of the page's tab

// The records the emulator logged (verbose) between two offsets of its log,
// as the analyzer sent them, without the line end.
std::vector<std::string> sentRecords(const std::string& log, size_t from, size_t to)
{
    std::vector<std::string> out;
    const std::regex tx(R"(tx record \d+: (.*)\\r\\n)");
    for (size_t at = from, end; at < to && (end = log.find('\n', at)) != std::string::npos && end <= to; at = end + 1) {
        std::smatch m;
        const std::string line = log.substr(at, end - at);
        if (std::regex_search(line, m, tx)) out.push_back(std::regex_replace(m[1].str(), std::regex(R"(\\t)"), "\t"));
    }
    return out;
}

class FaultParam : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
        if (HasFatalFailure()) return;
        // A hung-up port stays away for the rest of the test.
        startEmulator({"--record-ms", "20", "--reconnect-ms", "60000", "--verbose"});
        if (HasFatalFailure()) return;
        connectEmulator();
        vxLoadValidPassword(app.get());
    }
    // One tree load, as the user level's OK asks it; returns once its worker has ended.
    void load()
    {
        const size_t logStart = log().size();
        app->ppData.plData.tvLoadFlag = 1;
        EXPECT_TRUE(vxtest::pumpUntil(
            [&] {
                const std::string l = log();
                return (l.find("parameter registers in", logStart) != std::string::npos ||
                        l.find("Enable MODBUS mode failed", logStart) != std::string::npos ||
                        l.find("err: -1", logStart) != std::string::npos) &&
                       app->ppData.plData.tvLoadFlag.load() == 0 &&
                       app->ppData.plData.loadTvParamThrd.state.load() == 0;
            },
            std::chrono::seconds(30)));
    }
    // The values under the tree's parameters, in order.
    std::vector<std::string> treeValues()
    {
        std::vector<std::string> out;
        QTreeWidget* tree = vxtest::shown<QTreeWidget>(kTree);
        QTreeWidgetItem* root = tree != nullptr ? tree->topLevelItem(0) : nullptr;
        for (int g = 0; root != nullptr && g < root->childCount(); ++g)
            for (int p = 0; p < root->child(g)->childCount(); ++p)
                for (int v = 0; v < root->child(g)->child(p)->childCount(); ++v)
                    out.push_back(root->child(g)->child(p)->child(v)->text(0).toStdString());
        return out;
    }
    void capture(const std::function<void()>& whileOpen)
    {
        QTimer watchdog;   // should the capture never end
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [this] { qkwindlgExitByID(win, 1350); });
        watchdog.start(30000);
        if (whileOpen) QTimer::singleShot(0, whileOpen);
        qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1620, 0);   // returns when the capture has closed its dialog
        EXPECT_TRUE(watchdog.isActive()) << "the capture did not end";
    }
    std::vector<std::string> missing(size_t from, size_t to)
    {
        const std::string data = vxtest::readFile(app->dataFile.path);
        std::vector<std::string> out;
        const std::vector<std::string> sent = sentRecords(vxtest::readFile(emuLog), from, to);
        for (const std::string& rec : sent)
            if (data.find(rec + "  \n") == std::string::npos) out.push_back(rec);
        if (sent.size() < 5) out.push_back("(only " + std::to_string(sent.size()) + " records sent)");
        return out;
    }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
};

TEST_F(FaultParam, TreeAndCaptureSurviveEveryLineFault)
{
    qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1006, 0);
    ASSERT_EQ(win->page.currentpageid, 6);
    qkwintimesetfunc(win, vxWindowTimerCB);   // the page's ticks build and load the tree
    qkwintimestart(win);
    ASSERT_TRUE(vxtest::pumpUntil([] { return vxtest::shown<QTreeWidget>(kTree) != nullptr; }));
    app->runDiag.mode1Duration = 1;
    // A time-out takes seconds a register: the first two groups of the profile.
    vxParamTvInfo& menu = app->ppData.plData.tvMenu;
    menu.groupCnt = 2;
    app->userPW = 5206;
    ASSERT_EQ(vxValidatePassword(app.get()), 0);

    const std::regex number(R"(     -?\d+(\.\d{4})?)");
    // "" every value a number; "kept": every value as before or a number; "root": the root alone.
    auto checkTree = [&](const std::string& expect, const std::vector<std::string>& before) {
        const std::vector<std::string> v = treeValues();
        QTreeWidget* tree = vxtest::shown<QTreeWidget>(kTree);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->topLevelItem(0)->text(0).toStdString(), "Parameters");
        if (expect == "root") {
            EXPECT_EQ(tree->topLevelItem(0)->childCount(), 0);
            return;
        }
        ASSERT_EQ(v.size(), before.size());
        for (size_t i = 0; i < v.size(); ++i) {
            const bool isNumber = std::regex_match(v[i], number);
            EXPECT_TRUE(isNumber || (expect == "kept" && v[i] == before[i])) << v[i];
        }
    };

    load();
    std::vector<std::string> good = treeValues();
    ASSERT_GE(good.size(), 2u);
    checkTree("", good);
    const int threads = vxtest::threadCount();

    const struct {
        const char* what;
        const char* faults;
        bool capture;
        const char* tree;   // the tree's outcome after a load under the fault
    } cases[] = {
        {"noise before answers", "garbage 20", false, "kept"},
        {"answers in pieces", "split 4:30", false, ""},
        {"no answer", "silence", false, "root"},
        {"capture, lines in pieces", "split 100:30", true, nullptr},
        {"capture, port hung up", "drop-after 1", true, "root"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool unplug = std::string(c.faults) == "drop-after 1";
        const size_t logStart = log().size();
        if (!c.capture) {
            emulatorFaults(c.faults);
            load();
            checkTree(c.tree, good);
            if (std::string(c.faults) == "silence") {
                const std::string newLog = log().substr(logStart);
                EXPECT_EQ(vxtest::countLines(newLog, "Time out error, Diagnostic protocol OK not received"), 1);
                EXPECT_EQ(vxtest::countLines(newLog, "Enable MODBUS mode failed"), 1) << "the question, answered no";
            }
        } else {
            if (!unplug) emulatorFaults(c.faults);
            const size_t emuFrom = vxtest::readFile(emuLog).size();
            size_t emuTo = std::string::npos;
            capture([&] {
                if (!unplug) return;
                EXPECT_TRUE(vxtest::pumpUntil([&] { return app->runDiag.recCnt >= 5; }));
                emuTo = vxtest::readFile(emuLog).size();
                emulatorFaults(c.faults);
                EXPECT_TRUE(
                    vxtest::pumpUntil([&] { return log().find("read error", logStart) != std::string::npos; }));
                // What came before the hang-up reaches the file; then the user gives up.
                EXPECT_TRUE(vxtest::pumpUntil([&] { return missing(emuFrom, emuTo).empty(); }));
                vxtest::press(kCancel);
            });
            if (unplug) {
                EXPECT_GE(app->runDiag.recCnt, 5);
                EXPECT_EQ(missing(emuFrom, emuTo), std::vector<std::string>{});
                // On a port that is gone the tree keeps its root only.
                load();
                checkTree(c.tree, good);
                fs::create_directories(VX_FAULT_SHOT_DIR);
                EXPECT_EQ(qksyswinsavescreenshot(win, (std::string(VX_FAULT_SHOT_DIR) + "/vxParamUnplugged.png").c_str()),
                          0);
            } else {
                EXPECT_STREQ(app->runDiag.msg, "Request complete");
                EXPECT_EQ(app->runDiag.modeEndCnt, 2);
                EXPECT_EQ(missing(emuFrom, std::string::npos), std::vector<std::string>{});
            }
        }
        if (!unplug) {
            // The tree loads again once the line is sound.
            emulatorFaults("none");
            load();
            checkTree("", good);
        }
        // The window answers a change asked from another thread, and no worker is left.
        const std::string probe = std::string("probe: ") + c.what;
        std::thread asker([&] { qkwinstaticsettext(app->ppData.plData.winPtr, kProbeStatic, probe.c_str()); });
        EXPECT_TRUE(vxtest::pumpUntil([&] { return vxtest::labelText(kProbeStatic) == probe; }));
        asker.join();
        EXPECT_EQ(app->ppData.plData.loadTvParamThrd.state.load(), 0);
        EXPECT_TRUE(vxtest::pumpUntil([&] { return vxtest::threadCount() <= threads; }))
            << vxtest::threadCount() << " threads, " << threads << " before";
    }
    qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1184, 0);
    EXPECT_EQ(app->rundiagthrds.state.load(), 0);
}

}  // namespace
