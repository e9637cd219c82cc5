// The built main program reading its main configuration: the shipped
// configuration in an installation-like tree, a missing -f file, and a log
// file that cannot be created.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

// The tree with a copy of the shipped cfg/ folder.
void copyShippedCfg(const vxtest::TempTree& tree)
{
    fs::copy(fs::path(VX_SOURCE_DIR) / "cfg", tree.path("cfg"),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

vxtest::RunResult runMain(const vxtest::TempTree& tree, const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {vxtest::program("vxMain")};
    argv.insert(argv.end(), args.begin(), args.end());
    return vxtest::run(argv, tree.work());
}

}  // namespace

TEST(VxMainConfig, ShippedConfigurationStartsAndOpensItsLog)
{
    vxtest::TempTree tree;
    copyShippedCfg(tree);
    std::string cfg = vxtest::readFile(tree.path("cfg/vxMain.xml"));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(cfg, m, std::regex(R"(<LOGCFG>\s*<NAME>([^<]+)</NAME>)"))) << "no LOGCFG NAME";
    // The log's folder must exist; the name is relative to the working folder.
    fs::path logPath = fs::path(tree.work()) / m[1].str();
    fs::create_directories(logPath.parent_path());

    // The program runs until it is ended: the stop tool ends it once the analyzer search is over.
    std::thread stopper([&] {
        vxtest::waitFor([&] { return vxtest::readFile(logPath.string()).find("vxFindAnalyzer: ") != std::string::npos; },
                        std::chrono::seconds(15));
        vxtest::run({vxtest::program("vxStop")}, tree.work());
    });
    vxtest::RunResult r = runMain(tree, {"-d"});
    stopper.join();
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0);
    // -d keeps every line on standard output, whatever STDOUTFLAG says.
    EXPECT_TRUE(vxtest::linesInOrder(r.out, {
        R"(^[0-9-]*vxCfgLoad: processed: [1-9]\d* config parameters$)",
        R"(^[0-9-]*vxmain: Vantorix NQE Started$)",
        R"(^[0-9-]*vxmain: Vantorix NQE 1\.6\.0, build: .*$)",
        R"(^[0-9-]*vxmain: OS: .*, process ID: [1-9]\d*$)",
        R"(^[0-9-]*vxExit: Vantorix NQE Exit$)",
    }));
    EXPECT_EQ(vxtest::countLines(r.out, "VX configuration error"), 0);

    ASSERT_TRUE(vxtest::fileExists(logPath.string())) << logPath;
    std::string log = vxtest::readFile(logPath.string());
    EXPECT_EQ(vxtest::countLines(log, "vxmain: Vantorix NQE Started"), 1) << log;
    EXPECT_EQ(vxtest::countLines(log, "vxExit: Vantorix NQE Exit"), 1) << log;
}

TEST(VxMainConfig, UnreadableConfigurationEndsTheProgram)
{
    struct Case {
        const char* what;
        std::string cfgText;               // written to cfg/vxMain.xml when not empty
        std::vector<std::string> args;
        std::string line;                  // the last thing the program says
    };
    const std::vector<Case> cases = {
        {"-f of a missing file", "", {"-d", "-f", "../cfg/none.xml"}, "vxmain: VX configuration error"},
        {"log folder missing", "<LOGCFG>\n<NAME>../nofolder/vx.log</NAME>\n</LOGCFG>\n", {},
         "Could not create log file: ../nofolder/vx.log\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vxtest::TempTree tree;
        if (!c.cfgText.empty()) tree.write("cfg/vxMain.xml", c.cfgText);
        vxtest::RunResult r = runMain(tree, c.args);
        ASSERT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(vxtest::countLines(r.out, c.line), 1) << r.out;
        EXPECT_EQ(vxtest::countLines(r.out, "Vantorix NQE Started"), 0) << r.out;
    }
}
