// The built main program end to end (offscreen), in an installation-like
// tree with the shipped configuration: it shows its main window, finds the
// analyzer emulator on the virtual port COM97 (../dev/ttyV0), and then ends
// through its close path - on SIGTERM (as the stop tool sends it), or because
// the analyzer's port went away.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <memory>
#include <string>

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
    const struct {
        const char* what;
        bool unplug;              // end the emulator (its port goes) instead of sending SIGTERM
        const char* closeLine;    // what the program says on its way out
    } cases[] = {
        {"SIGTERM", false, "Do you want to save the current data file"},
        {"port removed", true, "Detected USB COM port: COM97 removal"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(tree.path("logs/vxMain.log"));
        auto emu = emulator();
        vxtest::Process vx({vxtest::program("vxMain")}, tree.work());

        ASSERT_TRUE(vxtest::waitFor([&] { return logHas(" Analyzer ID: ARM9_NS-"); }, 30s)) << log();
        EXPECT_TRUE(vx.running());

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
        EXPECT_EQ(vxtest::countLines(text, "Saved data file as"), 0) << text;
    }
}

}  // namespace
