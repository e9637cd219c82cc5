// The help and version texts of the main program reach its message box too;
// run without a user (offscreen), the box answers itself and says so on
// standard error, and the program still ends at once with status 0.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "vxtestsupport.h"

TEST(VxMainMsgBox, HelpAndVersionBoxesAnswerThemselvesOffscreen)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    unsetenv("VX_MSGBOX_AUTOANSWER");
    struct Case {
        const char* option;
        const char* stdoutStart;   // empty: nothing on standard output
        const char* boxLine;
    } cases[] = {
        {"-h", "Vantoral startup options are:", "message box answered automatically: 121: Vantoral startup options are:"},
        {"-v", "", "message box answered automatically: 121: Vantorix NQE 1.6.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        vxtest::TempTree tree;
        tree.write("cfg/vxMain.xml", "<MAINCFG>\n</MAINCFG>\n");
        vxtest::RunResult r = vxtest::run({vxtest::program("vxMain"), c.option}, tree.work());
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out.rfind(c.stdoutStart, 0), 0u) << r.out;
        if (c.stdoutStart[0] == 0) {
            EXPECT_EQ(r.out, "");
        }
        EXPECT_EQ(vxtest::countLines(r.err, c.boxLine), 1) << r.err;
    }
}
