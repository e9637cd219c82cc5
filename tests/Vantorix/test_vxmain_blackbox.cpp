// The built main program run as a process: its options, its start-up lines
// and its exit code, in a working folder of its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vxtestsupport.h"

namespace {

const std::string kHelp =
    "Vantoral startup options are:\n\n -h\t\tlist help\n -v\t\tdisplay versions\n"
    " -f cfgname \tuse Configuration file\n -d set \t\tset standard out flag\n";

vxtest::RunResult runMain(const std::vector<std::string>& args)
{
    vxtest::TempTree tree;
    // The start-up reads ../cfg/vxMain.xml: a small one without a log file.
    tree.write("cfg/vxMain.xml", "<MAINCFG>\n<SCANRATE>50</SCANRATE>\n</MAINCFG>\n");
    std::vector<std::string> argv = {vxtest::program("vxMain")};
    argv.insert(argv.end(), args.begin(), args.end());
    return vxtest::run(argv, tree.work());
}

}  // namespace

TEST(VxMainBlackbox, HelpAndVersionStopTheProgram)
{
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const std::vector<Case> cases = {
        {{"-h"}, kHelp},
        {{"-h", "-v"}, kHelp},
        {{"-v", "-h"}, kHelp},
        {{"-v"}, ""},            // the version text goes to a message box only
        {{"-hv"}, kHelp},        // only the first letter of a word counts
        // -d still takes effect after the help text: the exit line follows it.
        {{"-h", "-d"}, kHelp + "vxExit: Vantorix NQE Exit\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
        vxtest::RunResult r = runMain(c.args);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, c.out);
    }
}

TEST(VxMainBlackbox, DebugFlagPrintsStartAndExitLines)
{
    vxtest::RunResult r = runMain({"-d"});
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0);
    // In this order, one line each.
    EXPECT_TRUE(vxtest::linesInOrder(r.out, {
        R"(^[0-9-]*vxmain: Vantorix NQE Started$)",
        R"(^[0-9-]*qklogverblddate:  QK library version: v\.6\.0\.0,  Build date: Apr 29 2017 14:11:08$)",
        R"(^[0-9-]*vxmain: Vantorix NQE 1\.6\.0, build: [A-Z][a-z]{2} [ 123]\d \d{4} \d{2}:\d{2}:\d{2}$)",
        R"(^[0-9-]*vxmain: OS: .*Linux.*, process ID: [1-9]\d*$)",
        R"(^[0-9-]*vxExit: Vantorix NQE Exit$)",
    }));
}

TEST(VxMainBlackbox, ParserMessagesGoNowhereAndStartUpContinues)
{
    struct Case {
        std::vector<std::string> args;
        const char* hidden;   // a parser message that must not appear
    };
    const std::vector<Case> cases = {
        {{"-x", "-d"}, "Option: x"},                    // unregistered letter is ignored
        {{"-d", "-f"}, "command startup error"},        // -f without a name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hidden);
        vxtest::RunResult r = runMain(c.args);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(vxtest::countLines(r.out, c.hidden), 0) << r.out;
        EXPECT_EQ(vxtest::countLines(r.out, "Vantorix NQE Exit"), 1) << r.out;
    }
}
