// The connection window end to end (offscreen): opened from the main window
// of the shipped configuration, its serial set-up (a chosen rate, and the
// rate detected) against the analyzer emulator on the virtual port COM97
// (../dev/ttyV0) and its TCP set-up as client of the emulator's TCP port; the
// analyzer is identified, its profiles loaded, page switching turned on, and
// OK leaves the window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "qksyswinpage.h"
#include "qksyswinstatbar.h"
#include "qksyswinsrv.h"
#include "qkwinfuncsrv.h"
#include "vxAsynSrv.h"
#include "vxTcpSrv.h"
#include "vxWinSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using vxtest::choose;
using vxtest::labelText;
using vxtest::press;
using vxtest::pumpUntil;
using vxtest::shown;

class Connection : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
        if (HasFatalFailure()) return;
    }
    void TearDown() override
    {
        vxAsynClose(app.get());
        vxTcpClose(app.get());
        ShippedApp::TearDown();
    }
    // The emulator as an NS analyzer; its ready line.
    std::string emulator(const std::vector<std::string>& transport)
    {
        const std::string ready = tree.path("work/ready.txt");
        fs::remove(ready);
        std::vector<std::string> argv = {vxtest::program("anaemu"), "--log", tree.path("work/emu.log"),
                                         "--ready-file", ready};
        argv.insert(argv.end(), transport.begin(), transport.end());
        emu = std::make_unique<vxtest::Process>(argv, tree.work());
        EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::readFile(ready).find('\n') != std::string::npos; }))
            << "emulator not ready";
        return vxtest::readFile(ready);
    }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "no"};
    std::unique_ptr<vxtest::Process> emu;
};

TEST_F(Connection, SetUpConnectsIdentifiesAndOkLeaves)
{
    const struct {
        const char* what;
        bool tcp;
        const char* baud;   // serial: the rate chosen, empty for detection
        const char* link;   // what the window says of the link
    } cases[] = {
        {"serial at a chosen rate", false, "9600", "Serial Line connected to port: 97"},
        {"serial, rate detected", false, "", "Serial Line connected to port: 97"},
        {"TCP client", true, nullptr, "TCP client connected to port: "},
    };
    const std::string identity = " Analyzer ID: ARM9_NS-1.12 0417";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Without a rate the analyzer is recognised by the lines it sends while idle.
        const std::string ready = c.tcp ? emulator({"--tcp", "0"})
                                        : emulator({"--pty", "0", "--dev-dir", tree.path("dev"), "--idle-ms", "200"});
        app->state = 1;
        app->anaCom.connectType = 0;
        qkstdpagedsetstate(win, 0);
        qkwinUpdateStatBarItem(win, 2, "");
        const size_t logStart = log().size();

        ASSERT_EQ(qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1100, 0), 0);
        ASSERT_NE(app->connWinPtr, nullptr);
        ASSERT_TRUE(pumpUntil([] { return shown<QAbstractButton>(1120) != nullptr; }));
        EXPECT_EQ(std::string(win->sbar.parts[0].text), "SCREEN ID: CONNECTION/SETUP");

        std::string port;
        press(c.tcp ? 1122 : 1120);
        ASSERT_TRUE(pumpUntil([&] { return shown<QComboBox>(c.tcp ? 9564 : 9373) != nullptr; }));
        if (c.tcp) {
            std::istringstream words(ready);   // "tcp ADDR PORT"
            std::string kind, address;
            words >> kind >> address >> port;
            choose(9564, "client");
            choose(9566, address);
            choose(9568, port);
            press(9569);
        } else {
            choose(9373, "COM97");
            choose(9375, c.baud);
            press(9382);
        }
        ASSERT_TRUE(pumpUntil([&] { return std::string(win->sbar.parts[2].text) == identity; }, 30s)) << log();

        EXPECT_EQ(app->state.load(), 20) << log().substr(logStart);
        EXPECT_EQ(app->anaCom.connectType, c.tcp ? 2 : 1);
        EXPECT_EQ(win->page.state, 1) << "page switching on";
        EXPECT_EQ(labelText(1124), std::string(c.link) + port);
        EXPECT_EQ(labelText(1126), identity);
        const std::string newLog = log().substr(logStart);
        EXPECT_EQ(vxtest::countLines(newLog, "parameter groups"), 1) << newLog;
        if (!c.tcp) {
            EXPECT_EQ(app->anaCom.asyn.port, 97);
        }

        qkstdpagedsetstate(win, 0);
        press(1174);
        ASSERT_TRUE(pumpUntil([&] { return app->connWinPtr == nullptr && shown<QAbstractButton>(1120) == nullptr; }));
        EXPECT_EQ(win->page.state, 1);
        EXPECT_EQ(std::string(win->sbar.parts[0].text), "SCREEN ID: HOME");

        vxAsynClose(app.get());
        vxTcpClose(app.get());
        emu.reset();
    }
}

}  // namespace
