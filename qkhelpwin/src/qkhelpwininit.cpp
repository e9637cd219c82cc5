// qkhelpwininit: the help launcher's program record and its lifecycle.
// Main thread.
#include "qkhelpwininit.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswindrive.h"
#include "qksyswinmsgbox.h"
#include "qksyswinsrv.h"
#include "qkwinpalettesrv.h"

qkhelpwinInfo qkhelpwin;
qkhelpwinInfo* qkhelpwinPtr = nullptr;
qkstartupCmdLnInfo qkhelpwinstartup;

namespace {

char g_inbuf[4096];
char g_outbuf[4096];

}  // namespace

qkhelpwinInfo* qkhelpwinAppOf(const qkwinInfo* window)
{
    qklogTrace("qkhelpwinAppOf");
    if (window != nullptr && window->appPtr != nullptr) return static_cast<qkhelpwinInfo*>(window->appPtr);
    return qkhelpwinPtr;
}

int qkhelpwinInitialize(qkhelpwinInfo* app)
{
    qklogTrace("qkhelpwinInitialize");
    if (app == nullptr) return -2;
    if (app->doc.idPtr != nullptr) qksysMemFree(app->doc.idPtr);
    if (app->rowDoc != nullptr) qksysMemFree(app->rowDoc);
    // The record holds atomics (the progress bar): it is made anew rather than overwritten.
    app->~qkhelpwinInfo();
    new (app) qkhelpwinInfo{};
    app->inbuf = g_inbuf;
    app->outbuf = g_outbuf;
    qkstrset(app->cfg.path, "../cfg/qkhelpwin.xml");
    qkstrset(app->log.path, "./qkhelpwindefault.log");
    app->cfg.pkgNdx = -1;
    app->cfgPtr = &app->cfg;
    return 0;
}

int qkhelpwinGetResources(qkhelpwinInfo* app)
{
    qklogTrace("qkhelpwinGetResources");
    if (app == nullptr) return -2;
    qkwinInfo* win = qkwinallocate();
    app->winPtr = win;
    win->appPtr = app;
    qkwinpalettecreate(win);
    qkwinmsgsetcaption(win, "Vantorix Help");
    return 0;
}

int qkhelpwinMsgInfo(qkhelpwinInfo* app, const char* text)
{
    qklogTrace("qkhelpwinMsgInfo");
    if (app != nullptr && app->winPtr != nullptr) return qkwinmsginfo(app->winPtr, text ? text : "");
    return QKWIN_MSG_OK;
}

int qkhelpwinMsgError(qkhelpwinInfo* app, const char* text)
{
    qklogTrace("qkhelpwinMsgError");
    if (app != nullptr && app->winPtr != nullptr) return qkwinmsgerror(app->winPtr, text ? text : "");
    return QKWIN_MSG_OK;
}

int qkhelpwinClose(qkwinInfo* window)
{
    qklogTrace("qkhelpwinClose");
    // The window ends (1) and its loop with it; the display step returns and
    // the exit step follows at once, outside the window's own event.
    if (window != nullptr) window->state.store(0);
    return 1;
}

void qkhelpwinExit()
{
    qklogTrace("qkhelpwinExit");
    // The driver of a test run ends first; its result shows in the log.
    qksyswindriveend();
    qklogf("qkhelpwinExit", "QKHELPWIN exit");
    std::fflush(stdout);
    std::exit(0);
}
