// The front-panel tab end to end (offscreen): the shipped main window on the
// parameters page with its front-panel sub-tab, the analyzer emulator on the
// virtual port COM97 (../dev/ttyV0) asking for the program's console access
// code. The grid mirrors the emulator's display once the emulation is on, a
// key changes it, the clear button blanks it, switching off leaves the mode;
// an HC12 analyzer only gets the box. The decoder's cases run through the
// page tick on the same grid.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "qkstrsrv.h"
#include "qksyswinbutton.h"
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

std::vector<std::string> grid() { return vxtest::frontPanelRows(); }

class FrontPanel : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
    }
    void TearDown() override
    {
        vxParamPageFPstop(app.get());   // the reader ends before the link closes
        ShippedApp::TearDown();
    }
    // The parameters page with the front-panel sub-tab shown. The sub-tab is
    // chosen before the page opens: the page then loads no tree over the link.
    void openTab()
    {
        qksyswinSetActiveTabID(win, 1614);
        qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1006, 0);
        ASSERT_EQ(win->page.currentpageid, 6);
        qksyswinSetActiveTabID(win, 1614);
        qksyswinsubtabdsp(win);
        tab = qkwintabgetactivecldPtr(win);
        ASSERT_NE(tab, nullptr);
    }
    // The emulator as the given analyzer, asking for the program's access
    // code, and the analyzer identified on the link.
    void connect(const char* personality)
    {
        ASSERT_NO_FATAL_FAILURE(startEmulator({"-p", personality, "--access-code", "47110815"}));
        ASSERT_NO_FATAL_FAILURE(connectEmulator());
    }
    bool emuLogged(const std::string& text) { return vxtest::readFile(emuLog).find(text) != std::string::npos; }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
    qkwinInfo* tab = nullptr;
};

TEST_F(FrontPanel, MirrorsTheAnalyzerDisplayAndSendsKeys)
{
    ASSERT_NO_FATAL_FAILURE(connect("ns"));
    ASSERT_NO_FATAL_FAILURE(openTab());
    qkwintimesetfunc(win, vxWindowTimerCB);   // the page's ticks decode the stream
    qkwintimestart(win);

    vxtest::press(kEnable);
    int checked = 0;
    qkwinbtngetstate(tab, kEnable, &checked);
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(emuLogged("front panel: access code accepted"));
    // The measurement screen: the analyzer's name, the concentration, the state.
    ASSERT_TRUE(vxtest::pumpUntil([] { return grid()[0] == "NS H2O ANALYZER     "; }, std::chrono::seconds(10)))
        << grid()[0];
    EXPECT_NE(grid()[1].find("ppmv"), std::string::npos) << grid()[1];
    EXPECT_EQ(grid()[3], "OK          E=MENU  ");

    vxtest::press(16503);   // E opens the menu
    ASSERT_TRUE(vxtest::pumpUntil([] { return grid()[0] == "MAIN MENU        1/5"; })) << grid()[0];
    EXPECT_TRUE(emuLogged("front panel: key E"));
    EXPECT_EQ(grid()[1], "1 VALUES            ");
    fs::create_directories(VX_FP_SHOT_DIR);
    const std::string shot = std::string(VX_FP_SHOT_DIR) + "/vxFrontPanel.png";
    EXPECT_EQ(qksyswinsavescreenshot(win, shot.c_str()), 0);
    EXPECT_TRUE(vxtest::imageShowsSomething(shot));

    // Without ticks nothing refills the grid between the clear and the look.
    qkwintimestop(win);
    vxtest::press(kClear);
    EXPECT_EQ(grid(), std::vector<std::string>(4, kBlankRow));
    qkwintimestart(win);

    const size_t logStart = log().size();
    vxtest::press(kEnable);
    qkwinbtngetstate(tab, kEnable, &checked);
    EXPECT_EQ(checked, 0);
    EXPECT_TRUE(vxtest::waitFor([&] { return emuLogged("code 34"); }));
    EXPECT_TRUE(emuLogged("front panel: display stream ended"));
    EXPECT_EQ(app->paramfpthrds.thrdPtr.load(), nullptr) << "the reader has ended";
    EXPECT_NE(log().substr(logStart).find("Exit parameter page front panel update thread id"), std::string::npos);
    EXPECT_EQ(app->page.update.func[app->ppData.fpData.updateNdx].address.load(), nullptr);
}

TEST_F(FrontPanel, Hc12AnalyzerGetsOnlyTheBox)
{
    ASSERT_NO_FATAL_FAILURE(connect("2f"));
    ASSERT_NO_FATAL_FAILURE(openTab());
    vxtest::press(kEnable);
    const std::string text = log();
    const size_t box = text.find("Front panel emulation for Analyzer version:");
    ASSERT_NE(box, std::string::npos) << text;
    EXPECT_NE(text.find("HC12", box), std::string::npos) << text.substr(box);
    EXPECT_NE(text.find("NOT supported", box), std::string::npos) << text.substr(box);
    EXPECT_FALSE(emuLogged("code 33"));
    EXPECT_EQ(app->paramfpthrds.thrdPtr.load(), nullptr);
}

// Lines of the stream through the page tick onto the grid, from a blank grid.
TEST_F(FrontPanel, TickDecodesLinesOntoTheGrid)
{
    ASSERT_NO_FATAL_FAILURE(connect("ns"));   // the page opens for a known analyzer only
    ASSERT_NO_FATAL_FAILURE(openTab());
    vxFrontPanelInfo& fp = app->ppData.fpData;
    fp.winPtr = tab;
    const std::string esc = "\x1b";
    const std::string full = esc + "[2J" + esc + "[1;1HABCDEFGHIJKLMNOPQRST" + esc + "[2;1HABCDEFGHIJKLMNOPQRST";
    const struct {
        const char* what;
        std::string line;
        std::string row1, row2;
    } cases[] = {
        {"text at row 2, column 5", esc + "[2;5HREADY", kBlankRow, "    READY           "},
        {"text stops after column 20", esc + "[1;18HABCDE", "                 ABC", kBlankRow},
        {"two-digit column, attributes and modes ignored", esc + "[?25l" + esc + "[7m" + esc + "[1;10HX" + esc + "[0m",
         "         X          ", kBlankRow},
        {"erase display blanks the grid", full + esc + "[2J", kBlankRow, kBlankRow},
        {"erase line leaves the mirror alone", full + esc + "[1;1H" + esc + "[2K", "ABCDEFGHIJKLMNOPQRST",
         "ABCDEFGHIJKLMNOPQRST"},
        {"26 characters of text change nothing", esc + "[2;5H" + std::string(26, 'X'), kBlankRow, kBlankRow},
        {"two-digit row is malformed", esc + "[12;5HX", kBlankRow, kBlankRow},
        {"three-digit column is malformed", esc + "[2;123HX", kBlankRow, kBlankRow},
        {"column 0 is malformed", esc + "[2;0HX", kBlankRow, kBlankRow},
        {"row outside the display", esc + "[9;1HX", kBlankRow, kBlankRow},
        {"over-long command", esc + "[2J" + std::string(120, 'Y') + esc + "[1;1HOK", "OK                  ", kBlankRow},
        {"text ends at a character the display lacks", esc + "[1;1HAB~CD", "AB                  ", kBlankRow},
        {"no escape at all", "1;1HREADY", kBlankRow, kBlankRow},
        {"lone escape and bracket", esc + esc + "[" + esc + "[1;", kBlankRow, kBlankRow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (int n = 1; n <= 4; ++n) vxParamPageFPclearLine(app.get(), n);
        const int wt = fp.dataLineWtNdx.load();
        qkstrlcpy(fp.dataLine[wt], sizeof fp.dataLine[wt], c.line.c_str());
        fp.dataLineWtNdx.store((wt + 1) % VX_FPRINGLINES);
        EXPECT_EQ(vxParamPageFPupdate(app.get()), 1);
        const std::vector<std::string> rows = grid();
        EXPECT_EQ(rows[0], c.row1);
        EXPECT_EQ(rows[1], c.row2);
        EXPECT_EQ(rows[2], kBlankRow);
        EXPECT_EQ(fp.dataLine[wt][0], '\0') << "the slot is free again";
    }
    fp.winPtr = nullptr;
}

}  // namespace
