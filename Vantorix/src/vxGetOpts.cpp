// vxGetOpts: the command-line options of the main program. -h and -v show
// their texts and stop the program before its window opens; -f names the main
// configuration file; -d copies every log line to standard output.
// Main thread, at start-up, before the log is open.
#include "vxGetOpts.h"

#include <cstdio>

#include "qklogsrv.h"
#include "qkstartup.h"
#include "qkstrsrv.h"
#include "qkversion.h"
#include "vxInit.h"

namespace {

constexpr const char* kHelpText =
    "Vantoral startup options are:\n\n -h\t\tlist help\n -v\t\tdisplay versions\n"
    " -f cfgname \tuse Configuration file\n -d set \t\tset standard out flag\n";

}  // namespace

int vxGetOpts(vxInfo* app)
{
    qklogTrace("vxGetOpts");
    if (app == nullptr || app->suPtr == nullptr) return -2;
    qkstartupCmdLnInfo* su = app->suPtr;

    qkstartupaddflag(su, 'h', 0);
    qkstartupaddflag(su, 'v', 0);
    qkstartupaddflag(su, 'f', 5);
    qkstartupaddflag(su, 'd', 0);
    int result = qkstartupgetinput(su);

    // Registration order decides, not the order on the command line: help
    // always comes before the versions.
    for (int i = 0; i < su->argCnt; ++i) {
        const qkstartupCmdArgInfo& slot = su->args[i];
        if (slot.state == 0) continue;
        switch (slot.id) {
        case 'h':
            qkstrset(g_wbuf, kHelpText);
            std::printf("%s", g_wbuf);
            std::fflush(stdout);
            vxMsgInfo(g_wbuf);
            result = 4;
            app->state = 99;
            break;
        case 'v':
            qkgetverblddate(gqk_builddate);
            qkstrfmt(g_wbuf, sizeof g_wbuf, "%s %s\nbuild: %s\n QKLibs version: v.6.0.0\n QKLibs build: %s\n",
                     g_vxTitle, g_vxVersion, g_vxBD, gqk_builddate);
            vxMsgInfo(g_wbuf);
            result = 4;
            app->state = 99;
            break;
        case 'f':
            ++app->cmdlncnt;
            qkstrset(app->cfg.path, slot.val.str);
            break;
        case 'd':
            ++app->cmdlncnt;
            qklogsetstdout(1);
            qkstartupsetaudit(su, QKSTARTUP_AUD_ADD | QKSTARTUP_AUD_BOOL | QKSTARTUP_AUD_SHORT | QKSTARTUP_AUD_LONG |
                                      QKSTARTUP_AUD_FLOAT | QKSTARTUP_AUD_STRING);
            break;
        default: break;
        }
    }
    return result;
}
