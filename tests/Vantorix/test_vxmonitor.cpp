// The monitor page end to end in this process (offscreen): the main window of
// the shipped configuration shown as the shell does it, its timer driving the
// page, the analyzer emulator on the virtual port COM97 (../dev/ttyV0). The
// page is entered, a capture runs from the capture button until its dialog
// closes, the page is left; the data file then holds the header and every
// line the analyzer sent, as the emulator's log shows them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "qkcommasyn.h"
#include "qksyswincapture.h"
#include "qksyswinlist.h"
#include "qksyswinpage.h"
#include "qksyswinsrv.h"
#include "qksyswindlg.h"
#include "qkwinfuncsrv.h"
#include "vxAnaVersionSrv.h"
#include "vxAnalyzerSrv.h"
#include "vxAsynSrv.h"
#include "vxCallBacks.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxWinSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::vector<std::string> fileLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream in(vxtest::readFile(path));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class VxMonitor : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
        if (HasFatalFailure()) return;
        qkstdpagedsetstate(win, 1);
        qkwintimesetfunc(win, vxWindowTimerCB);
        qkwintimestart(win);
    }
    void click(int id) { qkwinfuncdispatch(win, QKWIN_PROC_MAIN, id, 0); }
    // The emulator as the given analyzer, identified over the serial link with
    // its profiles loaded; recordMs between its records.
    void connect(const char* personality, const char* recordMs = "20")
    {
        startEmulator({"--personality", personality, "-v", "--record-ms", recordMs, "--seed", "11"});
        if (HasFatalFailure()) return;
        connectEmulator();
    }
};

TEST_F(VxMonitor, CaptureKeepsEveryLineTheAnalyzerSent)
{
    const struct {
        const char* personality;
        int appType;
        const char* header;    // start of the header line
        int blockEnds;         // counted when the capture ended (a 2F analyzer: at least)
    } cases[] = {
        {"ns", VX_APP_NS, "  Date\t  Time\t  H2O ppmv\t", 2},
        {"fs", VX_APP_FS, "  Date\t  Time\t  H2S ppmv\t", 2},
        {"2f", VX_APP_PP2F, "  Date,   Time,   H2O ppmv, ", 1},
    };
    const std::string dataFile = tree.path("logs/vxCapture.txt");
    int exits = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.personality);
        const bool arm9 = c.appType != VX_APP_PP2F;
        connect(c.personality);
        if (HasFatalFailure()) return;
        ASSERT_EQ(app->anaDetails.version.appType, c.appType);
        app->runDiag.mode1Duration = 2;
        const std::size_t emuFrom = vxtest::readFile(emuLog).size();

        click(1002);
        ASSERT_EQ(win->page.currentpageid, 2);
        ASSERT_EQ(app->rundiagthrds.state.load(), 1) << "reader running";
        char text[256] = "";
        qkwinlistgetitem(win, 1312, 0, sizeof text, text);
        EXPECT_EQ(std::string(text).rfind(c.header, 0), 0u) << text;

        // While the capture dialog is open: what it says, and a look at the page.
        std::set<std::string> said;
        std::string firstShown;   // the dialog is kept: not the last capture's words
        bool shot = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            said.insert(app->runDiag.msg);
            for (QWidget* w : QApplication::allWidgets())
                if (auto* label = qobject_cast<QLabel*>(w); label && label->isVisible() && w->objectName() == "id1360") {
                    said.insert(label->text().toStdString());
                    if (firstShown.empty()) firstShown = label->text().toStdString();
                }
            if (!shot && app->runDiag.recCnt >= 12) {
                const std::string dir = VX_MONITOR_SHOT_DIR;
                fs::create_directories(dir);
                shot = qksyswinsavescreenshot(win, (dir + "/monitor-" + c.personality + ".png").c_str()) == 0;
                if (qkwinInfo* dlg = qkwinDLGgetwinPtr(win, 1350))
                    qksyswinsavescreenshot(dlg, (dir + "/capture-" + c.personality + ".png").c_str());
            }
        });
        watch.start(50);
        QTimer::singleShot(60s, [&] { qkwindlgExitByID(win, 1350); });   // never hangs the suite
        const vxtest::Stopwatch capture;
        click(1316);   // returns once the capture dialog has closed
        watch.stop();

        EXPECT_LT(capture.elapsed(), 50s);
        EXPECT_STREQ(app->runDiag.msg, "Request complete");
        EXPECT_EQ(firstShown.rfind("Mode 1 count down", 0), std::string::npos) << firstShown;

        EXPECT_EQ(app->runDiag.modeData.capDataFlag.load(), 0);
        // A 2F analyzer streams on while the count-down runs.
        if (arm9) {
            EXPECT_EQ(app->runDiag.modeEndCnt, c.blockEnds);
        } else {
            EXPECT_GE(app->runDiag.modeEndCnt, c.blockEnds);
        }
        EXPECT_GE(app->runDiag.recCnt, 11 * c.blockEnds);
        EXPECT_TRUE(said.count("Mode 1 count down second: 1")) << "count-down shown";
        EXPECT_TRUE(shot);
        EXPECT_EQ(app->runDiag.modeData.lostCnt.load(), 0);

        click(1184);   // home: the page exits, the capture file stays (save declined)
        EXPECT_EQ(app->rundiagthrds.state.load(), 0);
        EXPECT_EQ(vxtest::countLines(log(), "Run Diagnostics complete, recordes saved: "), ++exits);

        const std::vector<std::string> file = fileLines(dataFile);
        ASSERT_GE(file.size(), 2u);
        EXPECT_EQ(file[0].rfind(c.header, 0), 0u);
        const std::vector<std::string> sent = vxtest::emulatorSentLines(vxtest::readFile(emuLog), emuFrom);
        const std::vector<std::string> kept(file.begin() + 1, file.end());
        // An ARM9 analyzer stops after the blocks asked for: the file has them
        // all; a 2F analyzer streams on, so the file holds what came first.
        ASSERT_GE(sent.size(), kept.size());
        if (arm9) {
            EXPECT_EQ(kept.size(), sent.size());
        }
        EXPECT_GE(kept.size(), static_cast<std::size_t>(app->runDiag.recCnt));
        for (std::size_t i = 0; i < kept.size(); ++i) ASSERT_EQ(kept[i], sent[i]) << "line " << i + 1;
        EXPECT_EQ(app->runDiag.modeData.dataCnt, static_cast<int>(file.size()));

        vxAsynClose(app.get());
        emu.reset();
    }
}

// A 2F analyzer streams on: after 1100 records list 1312 holds the newest
// lines only, the header the first to have gone.
TEST_F(VxMonitor, ListKeepsTheNewestLines)
{
    connect("2f", "1");
    if (HasFatalFailure()) return;
    click(1002);
    ASSERT_EQ(win->page.currentpageid, 2);
    vxBuildDiagReqMsg(app.get(), VX_DP_MODE6);
    vxSendDiagReqMsg(app.get());
    ASSERT_TRUE(vxtest::pumpUntil([&] { return app->mpData.recCnt >= 1100; }, 60s)) << app->mpData.recCnt;

    // No tick runs until the page is left: the file ends with the lines the list shows.
    const std::vector<std::string> file = fileLines(tree.path("logs/vxCapture.txt"));
    ASSERT_EQ(file.size(), static_cast<std::size_t>(app->mpData.recCnt) + 1);
    // From the 1025th record on, each new line takes the first one out: 1025 stay.
    const int count = qkwinlistgetcount(win, 1312);
    EXPECT_EQ(count, 1025);
    for (int i = 0; i < count; ++i) {
        char text[1024] = "";
        qkwinlistgetitem(win, 1312, i, sizeof text, text);
        ASSERT_EQ(text, file[file.size() - static_cast<std::size_t>(count) + static_cast<std::size_t>(i)]) << "item " << i;
    }
    click(1184);
}

}  // namespace
