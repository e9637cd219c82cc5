// The analyzer search end to end (offscreen): the main window of the shipped
// configuration shown, the shipped search window started by the search, and
// the analyzer emulator on the virtual port COM97 (../dev/ttyV0) answering as
// a 2F or NS analyzer, at one rate only, with an unknown application, or not
// at all; the cancel button clicked while a rate is being tried.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "qkcfgsrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswinpage.h"
#include "qksyswinsrv.h"
#include "qkwinfuncsrv.h"
#include "vxCfgSrv.h"
#include "vxFindAnalyzer.h"
#include "vxInit.h"
#include "vxMain.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

// The page display callback as the shell will bind it: what it was called with.
int g_pageCalls = 0;
int g_pageItem = 0;
int g_pageEvent = 0;
int recordPage(qkwinInfo* w)
{
    ++g_pageCalls;
    g_pageItem = w->actitemid;
    g_pageEvent = w->actitemevent;
    return 0;
}

// Keeps the test machine's own serial ports (COMn - /dev/tty...) out of the
// search; the virtual ports lie in ../dev.
const std::string kMachinePorts = " - /dev/";

QLabel* searchLabel(int id)
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->windowTitle() == "Analyzer Search")
            return top->findChild<QLabel*>(QStringLiteral("id%1").arg(id));
    return nullptr;
}

void click(QWidget* w)
{
    const QPointF at = QRectF(w->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QCoreApplication::sendEvent(w, &release);
}

// The installation-like tree with the shipped cfg/ and usercfg/; the main
// window read from the shipped configuration and shown, with the settings the
// shell gives the search before it runs it.
class FindAnalyzer : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        qkcommAsynInfo& asyn = app->anaCom.asyn;
        asyn.parity = 0;
        asyn.dataBits = 8;
        asyn.stopBits = 1;
        app->anaCom.connectType = 1;
        app->anaDetails.winPtr = win;
        qkwintimesetup(win, 1, 50);
        qkwinfuncsetcallback(win, 1089, "vxFindAnalyzerCancelCB", vxFindAnalyzerCancelCB, 1);
        g_pageCalls = 0;
        ASSERT_EQ(qksyswinsetclass(win), 0);
        ASSERT_EQ(qksyswindsp(win), 0);
    }
    void TearDown() override
    {
        vxAsynClose(app.get());
        ShippedApp::TearDown();
    }
    void searchWith(const std::vector<int>& bauds, const std::vector<std::string>& exclude)
    {
        vxFindAnalyzerInfo& f = app->anaFind;
        f.baudCnt = static_cast<int>(bauds.size());
        for (size_t i = 0; i < bauds.size(); ++i) f.buadRate[i] = bauds[i];
        f.excludeCnt = static_cast<int>(exclude.size());
        for (size_t i = 0; i < exclude.size(); ++i) qkstrset(f.exclude[i], exclude[i].c_str());
    }
    // The emulator on ../dev/ttyV0, ready once its ready line is there.
    std::unique_ptr<vxtest::Process> emulator(const std::vector<std::string>& args)
    {
        const std::string ready = tree.path("work/ready.txt");
        fs::remove(ready);
        std::vector<std::string> argv = {vxtest::program("anaemu"), "--log", tree.path("work/emu.log"), "--ready-file",
                                         ready, "--pty", "0", "--dev-dir", tree.path("dev")};
        argv.insert(argv.end(), args.begin(), args.end());
        auto emu = std::make_unique<vxtest::Process>(argv, tree.work());
        EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::readFile(ready).find('\n') != std::string::npos; }))
            << "emulator not ready";
        return emu;
    }
    // The search's result as the status bar and the log show it.
    void expectResult(const std::string& text, const std::string& newLog)
    {
        EXPECT_EQ(std::string(app->anaFind.msgBuf), text);
        EXPECT_EQ(std::string(win->sbar.parts[2].text), text);
        EXPECT_EQ(vxtest::countLines(newLog, text), 1) << newLog;
        // The window's end always leaves the search asked to stop.
        EXPECT_EQ(app->anaFind.state.load(), -2);
        EXPECT_EQ(app->anaFind.cancelFlag.load(), 1);
        EXPECT_EQ(win->opts.stopChilds, 0);
        EXPECT_EQ(searchLabel(1093), nullptr) << "the search window has closed";
    }

};

TEST_F(FindAnalyzer, FindsTheAnalyzerAtTheFirstRateThatAnswers)
{
    qkwinfuncloadaddr(win, "vxDisplayPageCB", recordPage);
    const struct {
        const char* what;
        std::vector<std::string> emu;
        std::vector<int> bauds;
        int baud, appType, state;
        const char* version;
    } cases[] = {
        {"2F at the first rate", {"--personality", "2f", "--baud", "9600"}, {9600, 115200}, 9600, 6, 20, "HC12-2.30 0123"},
        {"NS at the second rate", {"--baud", "115200"}, {9600, 115200}, 115200, 7, 20, "ARM9_NS-1.12 0417"},
        {"unknown application", {"--version-text", "ARM9_GX-1.12 0417"}, {19200}, 19200, 1, 10, "ARM9_GX-1.12 0417"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto emu = emulator(c.emu);
        searchWith(c.bauds, {kMachinePorts});
        const size_t logStart = log().size();
        const int calls = g_pageCalls;

        vxFindAnalyzer(win);

        const std::string newLog = log().substr(logStart);
        expectResult(std::string(" Analyzer ID: ") + c.version, newLog);
        EXPECT_EQ(app->state.load(), c.state);
        EXPECT_STREQ(app->anaDetails.ID.version, c.version);
        EXPECT_EQ(app->anaDetails.version.appType, c.appType);
        // The port stays open at the rate that answered.
        const qkcommAsynInfo& asyn = app->anaCom.asyn;
        EXPECT_GT(asyn.fd, 0);
        EXPECT_EQ(asyn.port, 97);
        EXPECT_EQ(asyn.baud, c.baud);
        EXPECT_EQ(asyn.state.load(), 50);
        EXPECT_EQ(app->anaDetails.winPtr, win) << "the identification no longer reports to the search window";
        EXPECT_TRUE(vxtest::linesInOrder(newLog, {"ASYN port: 97, baud: " + std::to_string(c.bauds[0])})) << newLog;
        if (c.state == 20) {
            EXPECT_EQ(vxtest::countLines(newLog, "parameter groups"), 1) << newLog;
            EXPECT_EQ(vxtest::countLines(newLog, "not supported"), 0) << newLog;
        } else {
            // No profiles for an unknown application, and no question about them.
            EXPECT_EQ(vxtest::countLines(newLog, "Loaded:"), 0) << newLog;
            EXPECT_EQ(vxtest::countLines(newLog, "Limited functionality supported"), 1) << newLog;
            EXPECT_EQ(vxtest::countLines(newLog, "not supported"), 0) << newLog;
        }
        // The main window turned to the monitor page.
        EXPECT_EQ(win->page.state, 1);
        EXPECT_EQ(g_pageCalls, calls + 1);
        EXPECT_EQ(g_pageItem, 1002);
        EXPECT_EQ(g_pageEvent, 6);
        vxAsynClose(app.get());
    }
}

TEST_F(FindAnalyzer, ExcludedPortsAndMissingRatesFindNothingWithoutOpening)
{
    auto emu = emulator({});
    const struct {
        const char* what;
        std::vector<int> bauds;
        std::vector<std::string> exclude;
        const char* excluding;   // the log line of the skipped port
    } cases[] = {
        {"device excluded", {9600}, {kMachinePorts, "ttyV0"}, "Excluding: COM97 - ../dev/ttyV0"},
        // Every port is visited, the machine's own too, but none is opened.
        {"no baud rates", {}, {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        searchWith(c.bauds, c.exclude);
        const size_t logStart = log().size();

        vxFindAnalyzer(win);

        const std::string newLog = log().substr(logStart);
        expectResult("Serial Line NOT connected", newLog);
        EXPECT_EQ(app->state.load(), 1);
        EXPECT_EQ(app->anaCom.asyn.fd, 0);
        EXPECT_EQ(vxtest::countLines(newLog, "ASYN port:"), 0) << newLog;
        if (c.excluding) {
            EXPECT_EQ(vxtest::countLines(newLog, c.excluding), 1) << newLog;
        }
        EXPECT_TRUE(emu->running());
    }
}

TEST_F(FindAnalyzer, CancelEndsTheSearchWithinAboutOneQuery)
{
    // An analyzer that never answers keeps the search in its queries.
    auto emu = emulator({"--silence"});
    searchWith({9600, 115200}, {kMachinePorts});

    // The user clicks cancel once the first rate is being tried.
    vxtest::Stopwatch sinceClick;
    bool clicked = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        QLabel* state = searchLabel(1097);
        if (clicked || state == nullptr || state->text() != "Trying") return;
        clicked = true;
        sinceClick.restart();
        click(searchLabel(1089));
    });
    user.start(20);
    vxFindAnalyzer(win);
    user.stop();

    ASSERT_TRUE(clicked);
    // A query is a request, half a second's wait and a read of at most a second.
    EXPECT_LT(sinceClick.ms(), 2500);
    expectResult("Serial Line NOT connected", log());
    EXPECT_EQ(app->state.load(), 1);
    EXPECT_EQ(app->anaCom.asyn.fd, 0);
    // Cancelled in the first rate's query: the second rate is never tried.
    EXPECT_EQ(vxtest::countLines(log(), "ASYN port: 97, baud: 9600"), 1);
    EXPECT_EQ(vxtest::countLines(log(), "ASYN port: 97, baud: 115200"), 0);
}

}  // namespace
