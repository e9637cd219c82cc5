// The front-panel tab under line faults (offscreen): the shipped main window
// on the parameters page's front-panel tab, the emulator as an NS analyzer
// on the virtual port COM97 asking for the console's access code. For each
// fault the emulation is switched on under it and the grid shows what the
// fault leaves of the display; then the fault goes, a key changes the
// display again, and switching off ends the reader. The unplugged port
// comes last, while the display streams.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "qksyswincapture.h"
#include "qksyswinsrv.h"
#include "qksyswintab.h"
#include "qkwinfuncsrv.h"
#include "vxCallBacks.h"
#include "vxParamFrontPanelSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

constexpr int kEnable = 1332;
constexpr int kClear = 1334;
const std::string kBlankRow(20, ' ');
const std::string kMeasureTop = "NS H2O ANALYZER     ";
const std::string kMeasureBottom = "OK          E=MENU  ";
const std::string kMenuTop = "MAIN MENU        1/5";

std::vector<std::string> grid() { return vxtest::frontPanelRows(); }

class FpFault : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
        if (HasFatalFailure()) return;
        startEmulator({"-p", "ns", "--access-code", "47110815", "--reconnect-ms", "60000"});
        if (HasFatalFailure()) return;
        connectEmulator();
        if (HasFatalFailure()) return;
        // The sub-tab chosen before the page opens: no tree is loaded.
        qksyswinSetActiveTabID(win, 1614);
        qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1006, 0);
        ASSERT_EQ(win->page.currentpageid, 6);
        qksyswinSetActiveTabID(win, 1614);
        qksyswinsubtabdsp(win);
        tab = qkwintabgetactivecldPtr(win);
        ASSERT_NE(tab, nullptr);
        qkwintimesetfunc(win, vxWindowTimerCB);   // the page's ticks decode the stream
        qkwintimestart(win);
    }
    void TearDown() override
    {
        vxParamPageFPstop(app.get());
        ShippedApp::TearDown();
    }
    int emuLines(const std::string& text) { return vxtest::countLines(vxtest::readFile(emuLog), text); }
    bool readerEnded()
    {
        return app->paramfpthrds.state.load() == 0 && app->paramfpthrds.thrdPtr.load() == nullptr;
    }
    void shoot(const char* name)
    {
        fs::create_directories(VX_FAULT_SHOT_DIR);
        const std::string shot = std::string(VX_FAULT_SHOT_DIR) + "/" + name;
        EXPECT_EQ(qksyswinsavescreenshot(win, shot.c_str()), 0);
    }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
    qkwinInfo* tab = nullptr;
};

TEST_F(FpFault, EveryFaultLeavesTheDisplayAndTheReaderSound)
{
    const vxtest::Stopwatch clock;
    const int threadsBefore = vxtest::threadCount();
    const struct {
        const char* faults;
        bool mirrored;   // the display reaches the grid under the fault
        const char* shot;
    } cases[] = {
        {"silence", false, nullptr},
        // Noise before each line (a NUL in it once cut the display line off),
        // lines in pieces, over-long console blocks: none of them is a
        // display command, the grid shows the display.
        {"garbage 20", true, "vxFrontPanel-garbage.png"},
        {"split 4:30", true, "vxFrontPanel-split.png"},
        {"oversize 5000", true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        vxtest::press(kClear);
        ASSERT_EQ(grid(), std::vector<std::string>(4, kBlankRow));
        emulatorFaults(c.faults);
        const int unsent = emuLines("silent: display");
        const vxtest::Stopwatch enabling;
        vxtest::press(kEnable);
        EXPECT_LT(enabling.ms(), 5000) << "switching on is bounded";
        if (c.mirrored) {
            EXPECT_TRUE(vxtest::pumpUntil([] { return grid()[0] == kMeasureTop && grid()[3] == kMeasureBottom; },
                                          std::chrono::seconds(10)))
                << grid()[0] << "|" << grid()[3];
        } else {
            // The analyzer drew its screen and kept it to itself: the grid stays blank.
            EXPECT_TRUE(vxtest::pumpUntil([&] { return emuLines("silent: display") > unsent; }));
            EXPECT_EQ(app->ppData.fpData.dataLineWtNdx.load(), 0) << "no line came";
            EXPECT_EQ(grid(), std::vector<std::string>(4, kBlankRow));
        }
        if (c.shot != nullptr) shoot(c.shot);

        emulatorFaults("none");
        vxtest::press(16503);   // E opens the menu
        EXPECT_TRUE(vxtest::pumpUntil([] { return grid()[0] == kMenuTop; }, std::chrono::seconds(10))) << grid()[0];
        const int ended = emuLines("front panel: display stream ended");
        vxtest::press(kEnable);
        EXPECT_TRUE(vxtest::waitFor([&] { return readerEnded(); }));
        EXPECT_TRUE(vxtest::waitFor([&] { return emuLines("front panel: display stream ended") > ended; }));
        EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::threadCount() <= threadsBefore; })) << "the reader's thread ended";
    }

    // The port unplugged while the display streams: the reader meets the
    // gone port and stays quiet, switching off is bounded, the window answers.
    vxtest::press(kEnable);
    ASSERT_TRUE(vxtest::pumpUntil([] { return grid()[0] == kMeasureTop; }, std::chrono::seconds(10))) << grid()[0];
    emulatorFaults("drop-after 1");
    ASSERT_TRUE(vxtest::pumpUntil([&] { return log().find("Input/output error") != std::string::npos; },
                                  std::chrono::seconds(10)))
        << "the reader met the gone port";
    // A reader that read the gone port over and over would fill the log.
    const size_t errorsAt = log().size();
    EXPECT_FALSE(vxtest::pumpUntil([&] { return vxtest::countLines(log().substr(errorsAt), "error") > 4; },
                                   std::chrono::milliseconds(1500)))
        << log().substr(errorsAt, 2000);
    EXPECT_EQ(grid()[0], kMeasureTop) << "the last display stays";
    const vxtest::Stopwatch disabling;
    vxtest::press(kEnable);
    EXPECT_LT(disabling.ms(), 5000) << "switching off is bounded";
    EXPECT_TRUE(vxtest::waitFor([&] { return readerEnded(); }));
    vxtest::press(kClear);
    EXPECT_TRUE(vxtest::pumpUntil([] { return grid() == std::vector<std::string>(4, kBlankRow); }));
    EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::threadCount() <= threadsBefore; }));
    RecordProperty("seconds", static_cast<int>(clock.ms() / 1000));
}

}  // namespace
