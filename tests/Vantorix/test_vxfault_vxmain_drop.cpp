// The analyzer goes away in the middle of a page's work over TCP. There is no
// reconnection: the program shows "TCP/IP shutdown request detected" and ends.
// Each page is run end to end, once: vxMain offscreen connects as a TCP client
// to the emulator through its connection window, a drive file enters the page
// and starts its work, and once the analyzer has answered the work's first
// request it drops the connection after one more byte. The program must then
// end by itself, in time and with its normal exit status, and a capture must
// keep every record the analyzer sent before the drop.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "vxtestdrive.h"
#include "vxtestsupport.h"

using namespace std::chrono_literals;

namespace {

class VxMainDrop : public vxtest::DrivenMain {
protected:
    VxMainDrop() : DrivenMain(VX_FAULT_SHOT_DIR) {}
};

int countMatches(const std::string& text, const std::regex& re)
{
    return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

std::vector<std::string> fileLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(VxMainDrop, EveryPageEndsTheProgramAndLosesNoCapturedRecord)
{
    const struct {
        const char* page;
        const char* steps;     // with the connection standing: into the page and its work started
        const char* trigger;   // the program's log line that tells the work has started
        const char* answer;    // the emulator's log line of an answer to the work ...
        int answers;           // ... and how many of them come before the drop
    } pages[] = {
        // The connection's own identification: "220000", then "01" half a second later.
        {"identification", "", "drive: click 9569", R"(\btx Modbus mode off\b)", 1},
        // In the first of the capture's two record blocks (the stream ends after them).
        {"monitor capture", "click 1002\nwait 1901 SCREEN ID: MONITOR\nclick 1316\n", "drive: click 1316",
         R"(\btx record\b)", 3},
        {"diagnostics refresh", "click 1003\nwait 1901 SCREEN ID: DIAGNOSTICS\nclick 1518\n", "drive: click 1518",
         R"(\btx Modbus mode on\b)", 1},
        // The user level's OK (password 5206, level 1) loads the tree.
        {"parameter tree", "click 1006\nwait 1901 SCREEN ID: PARAMETERS\nclick 1622\ntype 1645 5206\nclick 1647\n",
         "drive: click 1647", R"(\btx Modbus mode on\b)", 1},
        {"front panel", "click 1006\nwait 1901 SCREEN ID: PARAMETERS\nchoose 1610 Front Panel\nwait 1614\nclick 1332\n",
         "drive: click 1332", R"(\btx front-panel mode on\b)", 1},
        {"Modbus test poll",
         "click 1006\nwait 1901 SCREEN ID: PARAMETERS\nchoose 1610 Modbus Test\nwait 1616\ntype 1656 43001\nclick 1674\n",
         "drive: click 1674", R"(\btx Modbus mode on\b)", 1},
        // The scan's first request ("09") has no answer: the drop takes the header's.
        {"spectra demand scan", "click 1005\nwait 1901 SCREEN ID: SPECTRA\nclick 1410\n", "drive: click 1410",
         R"(\bscan started\b)", 1},
    };

    for (const auto& p : pages) {
        SCOPED_TRACE(p.page);
        emus.clear();
        std::filesystem::remove(emuLog());   // each run's own emulator log and faults
        std::filesystem::remove(emuControl());
        std::istringstream ready(emulator({"--personality", "ns", "-v", "--tcp", "0"}));   // "tcp ADDR PORT"
        std::string kind, address, port;
        ready >> kind >> address >> port;
        ASSERT_FALSE(port.empty());
        const std::string page = p.page;
        const bool identification = page == "identification";

        // Nothing answers the search: the connection window opens by itself.
        std::string steps = "timeout 60\nclick 1122\nchoose 9564 client\ntype 9566 127.0.0.1\ntype 9568 " + port +
                            "\nclick 9569\n";
        if (!identification)
            steps += "wait 1124 TCP client connected to port: " + port +
                     "\nwait 1903 Analyzer ID: ARM9_NS-1.12 0417\nclick 1174\ngone 1120\n";
        steps += std::string(p.steps) + "timeout 600\nwait 4242\n";

        const std::regex answer(p.answer);
        vxtest::Stopwatch sinceDrop;
        const int status = drive(
            steps, {},
            [&](vxtest::Process&) {
                // The emulator's log as it was before the work started: its
                // answers are those logged after it.
                std::size_t before = 0;
                ASSERT_TRUE(vxtest::waitFor(
                    [&] {
                        const std::size_t now = vxtest::readFile(emuLog()).size();
                        if (log().find(p.trigger) != std::string::npos) return true;
                        before = now;
                        return false;
                    },
                    60s))
                    << log();
                ASSERT_TRUE(vxtest::waitFor(
                    [&] { return countMatches(vxtest::readFile(emuLog()).substr(before), answer) >= p.answers; }, 30s))
                    << log() << vxtest::readFile(emuLog());
                emulatorFaults("drop-after 1");
                sinceDrop.restart();
            },
            20s);

        const std::string text = log();
        const std::string emu = vxtest::readFile(emuLog());
        ASSERT_NE(emu.find("dropping the connection"), std::string::npos) << emu;
        EXPECT_EQ(status, 0) << "ended " << sinceDrop.ms() << " ms after the drop\n" << text << errors();
        EXPECT_TRUE(vxtest::linesInOrder(text, {vxtest::quoted(p.trigger), "TCP/IP shutdown request detected$",
                                                "Vantorix NQE Exit$"}))
            << text;
        EXPECT_EQ(vxtest::countLines(errors(), "answered automatically: 121: TCP/IP shutdown request detected"), 1)
            << errors();

        if (page == "monitor capture") {
            // Sent whole: every line before the one the drop cut after its first byte.
            std::vector<std::string> sent = vxtest::sentLines(emu.substr(0, emu.find("dropping the connection")));
            ASSERT_FALSE(sent.empty());
            sent.pop_back();
            const std::vector<std::string> data = fileLines(vxtest::readFile(tree.path("logs/vxCapture.txt")));
            ASSERT_GE(data.size(), 3u) << "header and records";
            EXPECT_EQ(data[0].rfind("  Date\t  Time\t  H2O ppmv\t", 0), 0u) << data[0];
            // The capture ends with the last lines sent whole, in order: none
            // of those received before the drop is lost, and the first is
            // whole although the capture's request went out while it came.
            const std::size_t first = data[1] == "OK  " ? 2 : 1;
            ASSERT_LE(data.size() - first, sent.size());
            for (std::size_t i = first; i < data.size(); ++i)
                EXPECT_EQ(data[i], sent[sent.size() - data.size() + i]) << "capture line " << i + 1;
        }
    }
}

}  // namespace
