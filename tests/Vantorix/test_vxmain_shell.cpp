// The built main program end to end (offscreen), in an installation-like
// tree with the shipped configuration: it shows its main window, finds the
// analyzer emulator on the virtual port COM97 (../dev/ttyV0), and then ends
// through its close path - on SIGTERM (as the stop tool sends it), or because
// the analyzer's port went away - offering to keep the capture file. Also the
// previous copy of the capture file that the program keeps.
#include <gtest/gtest.h>

#include <signal.h>

#include <QApplication>
#include <QAbstractButton>
#include <QImage>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswinpage.h"
#include "qksyswinsrv.h"
#include "qksyswindlg.h"
#include "qkwinfuncsrv.h"
#include "vxAnaPasswordSrv.h"
#include "vxCfgSrv.h"
#include "vxInit.h"
#include "vxMain.h"
#include "vxWinSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class VxMainShell : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* dir : {"cfg", "usercfg"})
            fs::copy(fs::path(VX_SOURCE_DIR) / dir, tree.path(dir), fs::copy_options::recursive);
        fs::create_directories(tree.path("logs"));
        fs::create_directories(tree.work());
    }
    std::string log() const { return vxtest::readFile(tree.path("logs/vxMain.log")); }
    bool logHas(const std::string& text) const { return log().find(text) != std::string::npos; }

    // The emulator as an NS analyzer on ../dev/ttyV0, ready once its ready line is there.
    std::unique_ptr<vxtest::Process> emulator()
    {
        const std::string ready = tree.path("work/ready.txt");
        auto emu = std::make_unique<vxtest::Process>(
            std::vector<std::string>{vxtest::program("anaemu"), "--personality", "ns", "--pty", "0", "--dev-dir",
                                     tree.path("dev"), "--log", tree.path("work/emu.log"), "--ready-file", ready},
            tree.work());
        EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::readFile(ready).find('\n') != std::string::npos; }))
            << "emulator not ready";
        return emu;
    }

    vxtest::TempTree tree;
    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard noSave{"VX_MSGBOX_AUTOANSWER", "no"};
};

TEST_F(VxMainShell, FindsTheAnalyzerAndEndsThroughItsClosePath)
{
    const std::string captured = "Date,Time,H2O ppmv\n2026/12/07,11:45:00,12.5\n";
    const std::string capture = tree.path("logs/vxCapture.txt");
    const std::string copy = tree.path("work/kept.txt");
    vxtest::EnvGuard keepAs{"VX_FILEDLG_AUTOANSWER", copy.c_str()};
    vxtest::EnvGuard screenshots{"VX_SCREENSHOT_DIR", tree.work().c_str()};
    const struct {
        const char* what;
        bool unplug;              // end the emulator (its port goes) instead of sending SIGTERM
        const char* answer;       // to the question whether to save the capture
        const char* closeLine;    // what the program says on its way out
    } cases[] = {
        {"SIGTERM", false, "no", "Do you want to save the current data file"},
        {"SIGTERM, capture kept", false, "yes", "Saved data file as: "},
        {"port removed", true, "no", "Detected USB COM port: COM97 removal"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", c.answer};
        fs::remove(tree.path("logs/vxMain.log"));
        tree.write("logs/vxCapture.txt", captured);
        fs::remove(tree.path("work/vxMain.png"));
        auto emu = emulator();
        vxtest::Process vx({vxtest::program("vxMain")}, tree.work());

        ASSERT_TRUE(vxtest::waitFor([&] { return logHas(" Analyzer ID: ARM9_NS-"); }, 30s)) << log();
        ASSERT_TRUE(vxtest::waitFor([&] { return logHas("Screen saved as: "); })) << log();
        EXPECT_TRUE(vx.running());
        EXPECT_TRUE(vxtest::imageShowsSomething(tree.path("work/vxMain.png")));

        if (c.unplug) {
            ::kill(emu->pid(), SIGTERM);
            EXPECT_GE(emu->wait(5s), 0);
        } else {
            ::kill(vx.pid(), SIGTERM);
        }
        EXPECT_EQ(vx.wait(10s), 0) << log();
        const std::string text = log();
        EXPECT_TRUE(vxtest::linesInOrder(text, {"Working DIR is: ", " Analyzer ID: ARM9_NS-", c.closeLine,
                                                "vxExit: Vantorix NQE Exit$"}))
            << text;
        EXPECT_EQ(vxtest::countLines(text, "Vantorix NQE Exit"), 1) << text;
        const bool kept = std::string(c.answer) == "yes";
        EXPECT_EQ(vxtest::countLines(text, "Saved data file as: " + copy), kept ? 1 : 0) << text;
        // The monitor page, shown once the analyzer is found, started the
        // capture afresh under its header line (the earlier one became its
        // previous copy). A kept capture starts afresh again; otherwise it goes on.
        const std::string header = "  Date\t  Time\t  H2O ppmv\t";
        EXPECT_EQ(vxtest::readFile(tree.path("logs/vxCapturePrevious.txt")), captured);
        EXPECT_EQ(vxtest::readFile(copy).rfind(header, 0), kept ? 0u : std::string::npos);
        EXPECT_EQ(vxtest::readFile(capture).rfind(header, 0), kept ? std::string::npos : 0u);
        fs::remove(copy);
    }
}

// Page navigation in this process: the main window of the shipped
// configuration set up and shown as the shell does it, clicks dispatched to
// its page-select controls.
class VxMainPages : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
        if (HasFatalFailure()) return;
        qkstdpagedsetstate(win, 1);
        // Every page's start and exit functions count their calls.
        for (int i = 0; i < app->page.start.funcCnt; ++i) app->page.start.func[i].address.store(countStart);
        for (int i = 0; i < app->page.exit.funcCnt; ++i) app->page.exit.func[i].address.store(countExit);
        g_calls.clear();
    }
    void click(int id, int code = 0) { qkwinfuncdispatch(win, QKWIN_PROC_MAIN, id, code); }
    bool markerEnabled(int id)
    {
        QWidget* marker = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (!marker) marker = top->findChild<QWidget*>(QStringLiteral("id%1").arg(id));
        return marker != nullptr && marker->isEnabled();
    }
    // Which page functions ran, by the select control of their page: "+id"
    // entered, "-id" left.
    static int countStart(vxInfo* a)
    {
        g_calls += "+" + std::to_string(a->page.actitemid) + " ";
        return 0;
    }
    static int countExit(vxInfo* a)
    {
        g_calls += "-" + std::to_string(a->page.lastActitemid) + " ";
        return 0;
    }
    static inline std::string g_calls;
};

TEST_F(VxMainPages, ClicksSelectPagesUnlessRefused)
{
    const struct {
        const char* what;
        int appType;
        int blocked;            // navigation entry (select id) with state 0, or 0
        int id, code;
        int page;               // current page afterwards
        const char* calls;      // page functions that ran
        const char* screen;     // status-bar part 0 afterwards
    } cases[] = {
        {"monitor", VX_APP_NS, 0, 1002, 0, 2, "+1002 ", "SCREEN ID: MONITOR"},
        {"spectra", VX_APP_NS, 0, 1005, 0, 5, "-1002 +1005 ", "SCREEN ID: SPECTRA"},
        {"spectra again: no exit", VX_APP_NS, 0, 1005, 0, 5, "+1005 ", "SCREEN ID: SPECTRA"},
        {"not a click", VX_APP_NS, 0, 1003, 1, 5, "", "SCREEN ID: SPECTRA"},
        {"blocked entry", VX_APP_NS, 1003, 1003, 0, 5, "", "SCREEN ID: SPECTRA"},
        {"unknown application, monitor", VX_TYPE_UNKNOWN, 0, 1002, 0, 2, "-1005 +1002 ", "SCREEN ID: MONITOR"},
        {"unknown application, spectra", VX_TYPE_UNKNOWN, 0, 1005, 0, 2, "", "SCREEN ID: MONITOR"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        app->anaDetails.version.appType = c.appType;
        for (int i = 0; i < app->page.navPageCnt; ++i)
            app->page.navPage[i].state = app->page.navPage[i].hid == c.blocked ? 0 : 1;
        g_calls.clear();
        click(c.id, c.code);
        EXPECT_EQ(win->page.currentpageid, c.page);
        EXPECT_EQ(g_calls, c.calls);
        EXPECT_STREQ(win->sbar.parts[VX_SBAR_SCREEN].text, c.screen);
        // The marker of the page shown is greyed, the others not.
        for (const vxNavPageInfo& nav : {vxNavPageInfo{1002, 1186, 1}, {1005, 1190, 1}, {1003, 1188, 1}})
            EXPECT_EQ(markerEnabled(nav.nid), nav.hid != app->page.lastActitemid) << nav.nid;
    }
    EXPECT_EQ(vxtest::countLines(log(), "Page disabled for Analyzer version: "), 1);

    // A capture asked for without an analyzer is refused and changes nothing.
    click(1316);
    EXPECT_EQ(vxtest::countLines(log(), "Request not permitted"), 1);
    EXPECT_EQ(app->runDiag.state.load(), 0);
    EXPECT_EQ(win->page.currentpageid, 2);
}

// The modal dialogs of the main window, answered by the user while open: the
// parameters page's user level (a valid and an invalid password) and the
// capture dialog's cancel.
TEST_F(VxMainPages, UserLevelDialogAndCaptureCancel)
{
    const auto widget = [](int id) {
        QWidget* found = nullptr;
        for (QWidget* w : QApplication::allWidgets())
            if (w->isVisible() && w->objectName() == QStringLiteral("id%1").arg(id)) found = w;
        return found;
    };
    const int slot = app->ppData.plData.updateNdx;
    ASSERT_GE(slot, 0);
    // Once dialog 1640 shows: the list's update stopped, the password typed, OK pressed.
    const auto answerPassword = [&](const char* password) {
        QTimer::singleShot(50, [&widget, password, this, slot] {
            EXPECT_EQ(app->page.update.func[slot].address.load(), nullptr) << "list update stopped";
            auto* edit = qobject_cast<QLineEdit*>(widget(1645));
            auto* ok = qobject_cast<QAbstractButton*>(widget(1647));
            ASSERT_TRUE(edit != nullptr && ok != nullptr);
            edit->setText(QString::fromLatin1(password));
            ok->click();
        });
    };
    app->anaDetails.version.appType = VX_APP_NS;
    app->anaVerPtr = nullptr;
    vxLoadValidPassword(app.get());
    const struct {
        const char* password;
        int tvLoad, userPW;
    } cases[] = {{"8374", 1, 8374}, {"1234", 0, VX_PW_LEVEL1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        app->page.update.func[slot].address.store(countStart);
        app->ppData.plData.tvLoadFlag = -1;
        answerPassword(c.password);
        click(1622);
        EXPECT_EQ(app->ppData.plData.tvLoadFlag.load(), c.tvLoad);
        EXPECT_EQ(app->userPW, c.userPW);
        EXPECT_EQ(app->page.update.func[slot].address.load(), &countStart) << "list update goes on";
        EXPECT_EQ(widget(1645), nullptr) << "dialog closed";
    }

    // Cancel while a capture runs: it stops, says so and greys the button.
    app->runDiag.state = 1;
    QTimer::singleShot(50, [&] {
        auto* cancel = qobject_cast<QAbstractButton*>(widget(1354));
        ASSERT_NE(cancel, nullptr);
        cancel->click();
        EXPECT_FALSE(cancel->isEnabled());
        qkwindlgExitByID(win, 1350);
    });
    qkwindlgdspbyID(win, 1350);
    EXPECT_EQ(app->runDiag.state.load(), 0);
    EXPECT_STREQ(app->runDiag.msg, "Request canceled");
    EXPECT_EQ(vxtest::countLines(log(), "Run Diagnostics Requesed canceled"), 1);
}

TEST(VxMainShellArchive, PreviousCopyOfTheCaptureFile)
{
    const struct {
        const char* path;
        const char* previous;
    } names[] = {
        {"data.txt", "dataPrevious.txt"},
        {"data", "dataPrevious"},
        {"../logs/vxCapture", "../logs/vxCapturePrevious"},   // the folder's points are no extension
        {"/a.b/c.d.txt", "/a.b/c.dPrevious.txt"},
    };
    for (const auto& n : names) {
        char out[128];
        ASSERT_EQ(vxArchiveName(n.path, out, sizeof out), 0) << n.path;
        EXPECT_STREQ(out, n.previous);
    }

    // An older previous copy gives way to the current capture.
    vxtest::TempTree tree;
    auto app = std::make_unique<vxInfo>();
    qkstrset(app->dataFile.path, tree.write("logs/data.txt", "new\n").c_str());
    tree.write("logs/dataPrevious.txt", "old\n");
    EXPECT_EQ(vxArchiveLog(app.get()), 0);
    EXPECT_EQ(vxtest::readFile(tree.path("logs/dataPrevious.txt")), "new\n");
}

}  // namespace
