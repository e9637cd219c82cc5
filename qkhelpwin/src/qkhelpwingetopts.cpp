// qkhelpwingetopts: the help launcher's command-line options. Main thread.
#include "qkhelpwingetopts.h"

#include <cstdio>

#include "qklogsrv.h"
#include "qkstartup.h"
#include "qkstrsrv.h"

namespace {

constexpr const char* kHelpText =
    "QKHELPWIN startup option are:\n\n -h\t\tlist help\n -v\t\tdisplay versions\n"
    " -f cfgname \tuse Configuration file\n -d set \t\tset standard out flag\n";
constexpr const char* kVersionText = "QK Help Version 2.1.2\n QKLibs version: v.5.3.3\n QKLibs build: April 26, 2016\n";

char g_wbuf[1024];

}  // namespace

int qkhelpwinGetOpts(qkhelpwinInfo* app)
{
    qklogTrace("qkhelpwinGetOpts");
    if (app == nullptr || app->suPtr == nullptr) return -2;
    qkstartupCmdLnInfo* su = app->suPtr;

    qkstartupaddflag(su, 'h', 0);
    qkstartupaddflag(su, 'v', 0);
    qkstartupaddflag(su, 'f', 5);
    qkstartupaddflag(su, 'd', 0);
    int result = qkstartupgetinput(su);

    // Registration order decides: help always comes before the versions.
    for (int i = 0; i < su->argCnt; ++i) {
        const qkstartupCmdArgInfo& slot = su->args[i];
        if (slot.state == 0) continue;
        switch (slot.id) {
        case 'h':
            qkstrset(g_wbuf, kHelpText);
            std::printf("%s", g_wbuf);
            std::fflush(stdout);
            qkhelpwinMsgInfo(app, g_wbuf);
            result = QKHELPWIN_STOP;
            app->state = QKHELPWIN_STOP;
            break;
        case 'v':
            qkstrset(g_wbuf, kVersionText);
            qkhelpwinMsgInfo(app, g_wbuf);
            result = QKHELPWIN_STOP;
            app->state = QKHELPWIN_STOP;
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
