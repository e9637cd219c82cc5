// vxStop: the console tool that ends a running main program. It parses its
// (inert) options so that wrong ones are reported, then terminates one other
// process whose executable is named like the main program. No window, no
// configuration, no log file; messages go to the console. Exit code 0.
#include <cstring>

#include "qklogsrv.h"
#include "qkstartup.h"
#include "qksyssrv.h"

namespace {

// The executable name of the main program on this platform, compared exactly.
constexpr const char* kMainProgram = "vxMain";

qkstartupCmdLnInfo startup;
qkstartupCmdLnInfo* suPtr = &startup;

}  // namespace

int main(int argc, char** argv)
{
    qklogTrace("vxstop");
    qklogsettimestamp(0);
    qklogsetstdout(1);

    std::memset(suPtr, 0, sizeof *suPtr);
    qkstartupaddflag(suPtr, 'p', 2);
    qkstartupaddflag(suPtr, 'n', 5);
    qkstartupaddflag(suPtr, 'h', 0);
    qkstartupsetargs(suPtr, argc, argv);
    qkstartupgetinput(suPtr);

    // The walk skips this process itself; only the first match ends.
    qksyskillprocess(kMainProgram);
    return 0;
}
