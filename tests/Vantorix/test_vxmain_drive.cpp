// The built main program end to end through its controls (offscreen): vxMain
// runs in an installation-like tree with the shipped configuration against the
// analyzer emulator, and a drive file (VX_DRIVE) works through its windows by
// control id as a user would. Every page of each application, an analyzer of
// a version that is not supported, the connection window with its serial and
// TCP set-up, and a capture ended by SIGKILL; the screenshots stay in the
// build tree for people to look at.
#include <gtest/gtest.h>

#include <QImage>

#include <signal.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "vxtestapp.h"
#include "vxtestdrive.h"
#include "vxtestsupport.h"

using namespace std::chrono_literals;

namespace {

using vxtest::quoted;
using vxtest::sentLines;

class VxMainDrive : public vxtest::DrivenMain {
protected:
    VxMainDrive() : DrivenMain(VX_DRIVE_SHOT_DIR) {}
};

TEST_F(VxMainDrive, EveryPageOfEachApplication)
{
    const struct {
        const char* app;
        const char* baud;
        const char* identity;
    } apps[] = {
        {"2f", "9600", "HC12-2.30 0123"},
        {"ns", "115200", "ARM9_NS-1.12 0417"},
        {"fs", "9600", "ARM9_FS-1.05 0233"},
    };
    // Monitor last: the search shows it, so only a click from another page proves the click.
    const struct {
        int select;
        const char* page;
    } pages[] = {{1005, "spectra"}, {1003, "diagnostics"}, {1006, "parameters"}, {1002, "monitor"}};

    for (const auto& a : apps) {
        SCOPED_TRACE(a.app);
        emus.clear();
        emulator(onVirtualPort({"--personality", a.app, "--baud", a.baud}));
        std::string steps, app = a.app;
        std::vector<std::string> shots, expected;
        if (app == "ns") {   // the search tries 9600 first: time to see its window
            steps += "wait 1093 COM97\nshot ns-search 1089\n";
            shots.push_back("ns-search");
        }
        steps += std::string("wait 1903 Analyzer ID: ") + a.identity + "\n";
        expected.push_back(quoted(std::string(" Analyzer ID: ") + a.identity));
        for (const auto& p : pages) {
            std::string screen = std::string("SCREEN ID: ") + p.page;
            for (char& c : screen) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            const std::string name = std::string(a.app) + "-" + p.page;
            steps += "click " + std::to_string(p.select) + "\nwait 1901 " + screen + "\nshot " + name + "\n";
            shots.push_back(name);
            expected.push_back("drive: wait 1901 " + screen + "$");
            expected.push_back("drive: saved .*/" + quoted(name) + "\\.png$");
            if (app == "ns" && p.select == 1006) {   // the parameters page's other sub-tabs
                steps += "choose 1610 Front Panel\nwait 1614\nshot ns-frontpanel\n"
                         "choose 1610 Modbus Test\nwait 1616\nshot ns-modbustest\n";
                shots.insert(shots.end(), {"ns-frontpanel", "ns-modbustest"});
            }
        }
        steps += "close\n";

        ASSERT_EQ(drive(steps, shots), 0) << log();
        EXPECT_TRUE(vxtest::linesInOrder(log(), expected)) << log();
        for (const std::string& s : shots) EXPECT_TRUE(vxtest::imageShowsSomething(shot(s))) << s;
    }
}

// The question is answered No: the program goes on with the analyzer marked
// not supported. The same run feeds the driver malformed lines (skipped) and a
// control that never comes (the run fails with status 3 through the close path).
TEST_F(VxMainDrive, UnsupportedVersionGoesOnAndAFailedStepEndsTheRun)
{
    emulator(onVirtualPort({"--personality", "ns", "--version-text", "ARM9_NS-9.99 0417"}));
    const std::string steps =
        "# an analyzer of a version not supported\n"
        "wait 1903 ARM9_NS-9.99 0417  **NOT SUPPORTED**\n"
        "shot unsupported\n"
        "click\n"
        "shot ../outside\n"
        "launch 1002\n"
        "timeout 1\n"
        "wait 4242\n"
        "shot never\n";
    EXPECT_EQ(drive(steps, {"unsupported", "never"}), 3) << log();
    const std::string text = log();
    EXPECT_TRUE(vxtest::linesInOrder(text, {"Version: ARM9_NS-9\\.99 0417, not supported", "drive: saved .*/unsupported\\.png$",
                                            "drive: line 4 skipped", "drive: line 5 skipped", "drive: line 6 skipped",
                                            "drive: timed out waiting for control 4242$",
                                            "Do you want to save the current data file", "Vantorix NQE Exit$"}))
        << text;
    EXPECT_TRUE(vxtest::imageShowsSomething(shot("unsupported")));
    EXPECT_FALSE(vxtest::fileExists(shot("never")));
    EXPECT_FALSE(vxtest::fileExists(shotDir() + "/../outside.png"));
}

// Nothing answers the search, so the connection window opens by itself: its
// serial set-up connects to the analyzer that arrives meanwhile. Opened again
// through the main window's menu, its TCP set-up connects to a second analyzer.
TEST_F(VxMainDrive, ConnectionWindowSerialAndTcpSetUp)
{
    vxtest::EnvGuard yes{"VX_MSGBOX_AUTOANSWER", "yes"};   // disconnect the serial line for TCP
    std::istringstream ready(emulator({"--personality", "fs", "--tcp", "0"}));   // "tcp ADDR PORT"
    std::string kind, address, port;
    ready >> kind >> address >> port;
    ASSERT_FALSE(port.empty());

    const std::string steps =
        "click 1120\n"
        "choose 9373 COM97\n"
        "choose 9375 9600\n"
        "shot conn-serial-dialog 9373\n"
        "click 9382\n"
        "wait 1124 Serial Line connected to port: 97\n"
        "wait 1126 Analyzer ID: ARM9_NS-1.12 0417\n"
        "shot conn-serial 1126\n"
        "click 1174\n"
        "gone 1120\n"
        "click 1100\n"
        "click 1122\n"
        "choose 9564 client\n"
        "type 9566 127.0.0.1\n"
        "type 9568 " + port + "\n"
        "shot conn-tcp-dialog 9564\n"
        "click 9569\n"
        "wait 1124 TCP client connected to port: " + port + "\n"
        "wait 1903 Analyzer ID: ARM9_FS-1.05 0233\n"
        "shot conn-tcp 1124\n"
        "click 1174\n"
        "gone 1120\n"
        "shot conn-main\n"
        "close\n";
    const std::vector<std::string> shots = {"conn-serial-dialog", "conn-serial", "conn-tcp-dialog", "conn-tcp",
                                            "conn-main"};
    const int status = drive(steps, shots, [&](vxtest::Process&) {
        ASSERT_TRUE(vxtest::waitFor([&] { return log().find("Serial Line NOT connected") != std::string::npos; }, 30s));
        emulator(onVirtualPort({"--personality", "ns"}));
    });
    ASSERT_EQ(status, 0) << log();
    const std::string text = log();
    EXPECT_TRUE(vxtest::linesInOrder(text, {"Serial Line NOT connected",
                                            "ASYN port: 97 connected", " Analyzer ID: ARM9_NS-1\\.12 0417",
                                            "drive: click 1100$", " Analyzer ID: ARM9_FS-1\\.05 0233",
                                            "drive: close$", "Vantorix NQE Exit$"}))
        << text;
    for (const std::string& s : shots) EXPECT_TRUE(vxtest::imageShowsSomething(shot(s))) << s;
}

// SIGKILL during a capture: the data file holds the header and every line the
// page had taken (the acknowledgement, the records), as the analyzer sent it,
// the last one whole.
TEST_F(VxMainDrive, KilledDuringACaptureLosesNoWrittenRecord)
{
    // A record every 600 ms: the capture dialog, refreshed every 500 ms, shows each count.
    emulator(onVirtualPort({"--personality", "ns", "-v", "--record-ms", "600"}));
    const std::string steps =
        "wait 1901 SCREEN ID: MONITOR\n"
        "click 1316\n"
        "wait 1360 received record: 20\n"
        "timeout 600\n"
        "wait 4242\n";
    const int status = drive(steps, {}, [&](vxtest::Process& vx) {
        ASSERT_TRUE(vxtest::waitFor([&] { return log().find("drive: timeout 600") != std::string::npos; }, 60s)) << log();
        ASSERT_EQ(::kill(vx.pid(), SIGKILL), 0);
    });
    EXPECT_EQ(status, 128 + SIGKILL) << log();

    const std::string data = vxtest::readFile(tree.path("logs/vxCapture.txt"));
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(data.back(), '\n') << "a partial last line";
    std::vector<std::string> lines;
    std::istringstream in(data);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    EXPECT_EQ(lines[0].rfind("  Date\t  Time\t  H2O ppmv\t", 0), 0u) << lines[0];
    const std::vector<std::string> sent = sentLines(vxtest::readFile(emuLog()));
    // The 20 lines counted (the OK too when the capture started before it was drained).
    ASSERT_GE(lines.size(), 21u) << data;
    ASSERT_GE(sent.size(), lines.size() - 1);
    for (std::size_t i = 1; i < lines.size(); ++i) ASSERT_EQ(lines[i], sent[i - 1]) << "line " << i + 1;
}

}  // namespace

namespace {

// The analyzer's port goes away while a spectra scan waits for its answer,
// right after the search (the search window may still be going): the program
// hears of it, stops the scan before the port closes, and ends through its
// question with its normal status.
TEST_F(VxMainDrive, PortRemovedDuringAScanEndsTheProgram)
{
    emulator(onVirtualPort({"--personality", "ns", "-v"}));
    const std::string steps =
        "wait 1901 SCREEN ID: MONITOR\n"
        "click 1005\n"
        "wait 1901 SCREEN ID: SPECTRA\n"
        "click 1410\n"
        "timeout 600\n"
        "wait 4242\n";
    const int status = drive(steps, {}, [&](vxtest::Process&) {
        ASSERT_TRUE(vxtest::waitFor([&] { return vxtest::readFile(emuLog()).find("scan started") != std::string::npos; },
                                    60s))
            << log();
        // Ended, the emulator takes its virtual port away.
        ::kill(emus.front()->pid(), SIGTERM);
        EXPECT_GE(emus.front()->wait(5s), 0);
    }, 30s);
    EXPECT_EQ(status, 0) << log();
    EXPECT_TRUE(vxtest::linesInOrder(log(), {"drive: click 1410", "Detected USB COM port: COM97 removal",
                                             "vxExit: Vantorix NQE Exit$"}))
        << log();
}

}  // namespace
