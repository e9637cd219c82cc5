// The built main program end to end (offscreen), in an installation-like
// tree with the shipped configuration: it shows its main window, finds the
// analyzer emulator on the virtual port COM97 (../dev/ttyV0), and then ends
// through its close path - on SIGTERM (as the stop tool sends it), or because
// the analyzer's port went away - offering to keep the capture file. Also the
// previous copy of the capture file that the program keeps.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "qkstrsrv.h"
#include "vxMain.h"
#include "vxWinSrv.h"
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

// The window image the program wrote on request has more than one colour.
bool bitmapShowsSomething(const std::string& path)
{
    const std::string bmp = vxtest::readFile(path);
    if (bmp.size() < 54 || bmp.compare(0, 2, "BM") != 0) return false;
    auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bmp[at])) |
               static_cast<uint32_t>(static_cast<unsigned char>(bmp[at + 1])) << 8 |
               static_cast<uint32_t>(static_cast<unsigned char>(bmp[at + 2])) << 16 |
               static_cast<uint32_t>(static_cast<unsigned char>(bmp[at + 3])) << 24;
    };
    const size_t offset = u32(10), width = u32(18), height = u32(22), stride = (width * 3 + 3) / 4 * 4;
    if (width == 0 || height == 0 || bmp.size() < offset + stride * height) return false;
    std::set<std::string> colours;
    for (size_t y = 0; y < height && colours.size() < 2; ++y)
        for (size_t x = 0; x < width && colours.size() < 2; ++x) colours.insert(bmp.substr(offset + y * stride + x * 3, 3));
    return colours.size() > 1;
}

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
        fs::remove(tree.path("work/vxMain.bmp"));
        auto emu = emulator();
        vxtest::Process vx({vxtest::program("vxMain")}, tree.work());

        ASSERT_TRUE(vxtest::waitFor([&] { return logHas(" Analyzer ID: ARM9_NS-"); }, 30s)) << log();
        ASSERT_TRUE(vxtest::waitFor([&] { return logHas("Screen saved as: "); })) << log();
        EXPECT_TRUE(vx.running());
        EXPECT_TRUE(bitmapShowsSomething(tree.path("work/vxMain.bmp")));

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
        // A kept capture starts afresh; otherwise it goes on.
        EXPECT_EQ(vxtest::readFile(copy), kept ? captured : "");
        EXPECT_EQ(vxtest::readFile(capture), kept ? "" : captured);
        fs::remove(copy);
    }
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
