// Test support for the built main program run end to end by a drive file.
#include "vxtestdrive.h"

#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace vxtest {

DrivenMain::DrivenMain(std::string shotDir)
    : shotDir_(std::move(shotDir)), screenshots_("VX_SCREENSHOT_DIR", shotDir_.c_str())
{
}

void DrivenMain::SetUp()
{
    for (const char* dir : {"cfg", "usercfg"})
        fs::copy(fs::path(VX_SOURCE_DIR) / dir, tree.path(dir), fs::copy_options::recursive);
    fs::create_directories(tree.path("logs"));
    fs::create_directories(tree.work());
    fs::create_directories(shotDir_);
}

std::string DrivenMain::log() const { return readFile(tree.path("logs/vxMain.log")); }

std::string DrivenMain::emulator(std::vector<std::string> options)
{
    const std::string ready = tree.path("work/ready" + std::to_string(emus.size()) + ".txt");
    fs::remove(ready);   // one of an emulator that ran before
    options.insert(options.begin(), {program("anaemu"), "--log", emuLog(), "--control", emuControl(),
                                     "--ready-file", ready});
    emus.push_back(std::make_unique<Process>(options, tree.work()));
    EXPECT_TRUE(waitFor([&] { return readFile(ready).find('\n') != std::string::npos; })) << "emulator not ready";
    return readFile(ready);
}

std::vector<std::string> DrivenMain::onVirtualPort(std::vector<std::string> options) const
{
    options.insert(options.end(), {"--pty", "0", "--dev-dir", tree.path("dev")});
    return options;
}

void DrivenMain::emulatorFaults(const std::string& text)
{
    const int before = countLines(readFile(emuLog()), "faults now");
    // Written whole, then renamed: the emulator sees one change.
    const std::string next = tree.write("work/faults.new", text + "\n");
    fs::rename(next, emuControl());
    ASSERT_TRUE(waitFor([&] { return countLines(readFile(emuLog()), "faults now") > before; }));
}

int DrivenMain::drive(const std::string& steps, const std::vector<std::string>& shots,
                      const std::function<void(Process&)>& meanwhile, std::chrono::milliseconds timeout)
{
    for (const std::string& s : shots) fs::remove(shot(s));
    fs::remove(tree.path("logs/vxMain.log"));
    const std::string file = tree.write("work/drive.txt", steps);
    EnvGuard driveFile{"VX_DRIVE", file.c_str()};
    // The shell only sends standard error to a file, then becomes the program.
    Process vx({"/bin/sh", "-c", "exec \"$0\" 2>\"$1\"", program("vxMain"), tree.path("logs/vxMain.err")},
               tree.work());
    if (meanwhile) meanwhile(vx);
    return vx.wait(timeout);
}

std::string quoted(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (std::strchr("\\^$.|?*+()[]{}", c) != nullptr) out += '\\';
        out += c;
    }
    return out;
}

std::vector<std::string> sentLines(const std::string& emuLogText)
{
    static const std::regex tx(R"(\btx [^:]*\d+: (.*)\\r\\n$)");
    static const std::regex tab(R"(\\t)");
    std::vector<std::string> lines;
    const std::size_t from = emuLogText.rfind("tx Modbus mode off");
    std::istringstream in(from == std::string::npos ? std::string() : emuLogText.substr(from));
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_search(line, m, tx)) lines.push_back(std::regex_replace(m[1].str(), tab, "\t") + "  ");
    }
    return lines;
}

}  // namespace vxtest
