// vxInit: the main program's lifecycle around its window: the static
// application record and buffers, clearing the record at start, the close
// hook of the main window, the single exit step and the end request by
// SIGTERM. Main thread; the signal handler only stores a flag.
#include "vxInit.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qkthrdsrv.h"
#include "qkwincfgsrv.h"
#include "qkwinpalettesrv.h"
#include "qkwinsrv.h"
#include "qksyswinmsgbox.h"
#include "qksyswinsrv.h"
#include "qksyswinchild.h"
#include "qksyswinfiledlg.h"
#include "qksyswinthread.h"
#include "qksyswindrive.h"
#include "qkfilesrv.h"
#include "vxRemoteSrv.h"
#include "vxWorkerSrv.h"
#include "vxRunDiagSrv.h"
#include "vxSpectraPlotSrv.h"

const char g_vxBD[21] = __DATE__ " " __TIME__;

vxInfo vx;
vxInfo* vxPtr = nullptr;

vxInfo* vxAppOf(const qkwinInfo* window)
{
    if (window != nullptr && window->appPtr != nullptr) return static_cast<vxInfo*>(window->appPtr);
    return vxPtr;
}
qkstartupCmdLnInfo qkbwstartup;
char g_inbuf[4096];
char g_outbuf[4096];
char g_wbuf[1024];
char g_tmpbuf[1024];

namespace {

// Lock-free, so storing it is safe inside a signal handler.
std::atomic<int> gvx_termRequest{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void vxTermHandler(int)
{
    gvx_termRequest.store(1, std::memory_order_relaxed);
}

constexpr const char* kCloseQuestion =
    "Do you want to save the current data file\n\nVantorix is ready to close\n\n"
    "the current saved data will be lost\nthe next time Vantorix is started\n\n Select \"Yes\" to Save data";

}  // namespace

int vxInitialize(vxInfo* app)
{
    qklogTrace("vxInitialize");
    if (app == nullptr) return -2;
    // The record holds atomics: cleared like every such record.
    vxRecordClear(*app);
    app->inbuf = g_inbuf;
    app->outbuf = g_outbuf;
    return 0;
}

int vxTermInit()
{
    qklogTrace("vxTermInit");
    return std::signal(SIGTERM, vxTermHandler) == SIG_ERR ? -1 : 0;
}

int vxTermRequested()
{
    return gvx_termRequest.load(std::memory_order_relaxed);
}

int vxClose(qkwinInfo* win)
{
    qklogTrace("vxClose");
    vxInfo* app = vxAppOf(win);
    if (app == nullptr) return -2;

    // A baud detection in progress stops at its next rate.
    app->anaCom.asyn.autoState.store(1);
    int status = 0;
    if (qkthrdInfo* thrd = app->connanathrds.thrdPtr.load()) status = qkthrdstop(thrd, app->connanathrds.thrdid);
    vxRemoteStop(app);   // nothing stays listening for remote clients
    if (app->connWinPtr != nullptr) {
        qksyswinchildexit(app->connWinPtr);
        app->connWinPtr = nullptr;
    }
    if (win != nullptr) win->userCloseFunc = nullptr;   // the hook runs once

    qkstrset(g_tmpbuf, kCloseQuestion);
    if (vxMsgQuestion(g_tmpbuf) == QKWIN_MSG_YES) return vxRunDiagSaveDataFile(app);
    return status;
}

void vxStopLinkUsers(vxInfo* app)
{
    qklogTrace("vxStopLinkUsers");
    if (app == nullptr) return;
    // Lines the reader has handed over but no page tick has taken yet still
    // reach the data file.
    vxRunDiagStop(app);
    if (!qksyswinIsGuiThread()) return;   // workers are stopped from the GUI thread, which none of them is
    vxRunDiagWriteRing(app);
    for (vxthreadInfo* slot : {&app->diagdvthrds, &app->getdpdatathrds, &app->paramfpthrds, &app->parammbthrds,
                               &app->ppData.plData.loadTvParamThrd, &app->ppData.plData.uodateParamThrd})
        vxWorkerStop(slot);
}

void vxExit()
{
    qklogTrace("vxExit");
    int status = 0;
    // The driver of a test run ends first; a step it could not do fails the run.
    const int driveStatus = qksyswindriveend();
    // No child window, waiting notice or device watcher may outlive the
    // process's end; they belong to the GUI thread, which ends them here.
    if (vxPtr != nullptr && vxPtr->winPtr != nullptr && qksyswinIsGuiThread()) qksyswinshutdown(vxPtr->winPtr);
    if (vxPtr != nullptr) {
        vxRemoteStop(vxPtr);
        vxStopLinkUsers(vxPtr);
        // The spectra page's plot records belong to the window's thread.
        if (qksyswinIsGuiThread()) vxSpectraPageFreePlots(vxPtr);
        vxAsynClose(vxPtr);
        status = vxTcpClose(vxPtr);
    }
    qklogf("vxExit", "Vantorix NQE Exit");
    std::fflush(stdout);
    std::exit(status != 0 ? status : driveStatus);
}

// ---- stand-ins until the window framework and the transports exist --------

// The boxes need the main window record (vxGetResources); before it exists
// the text only goes to the log.
int vxMsgInfo(const char* text)
{
    qklogTrace("vxMsgInfo");
    qklogf("vxMsgInfo", "%s", text ? text : "");
    if (vxPtr != nullptr && vxPtr->winPtr != nullptr) return qkwinmsginfo(vxPtr->winPtr, text ? text : "");
    return QKWIN_MSG_OK;
}

int vxMsgQuestion(const char* text)
{
    qklogTrace("vxMsgQuestion");
    qklogf("vxMsgQuestion", "%s", text ? text : "");
    if (vxPtr != nullptr && vxPtr->winPtr != nullptr) return qkwinmsgquestion(vxPtr->winPtr, text ? text : "");
    return QKWIN_MSG_NO;   // without a window nobody can answer: nothing is saved
}

// ---- the main window's resources --------------------------------------------------

int vxGetResources(vxInfo* app)
{
    qklogTrace("vxGetResources");
    if (app == nullptr) return -2;
    vxFreeResources(app);
    qkwinInfo* win = qkwinallocate();
    app->winPtr = win;
    win->appPtr = app;
    // The standard connection callbacks reach the analyzer link through these.
    win->stdasynPtr = &app->anaCom.asyn;
    win->stdtcpPtr = &app->anaCom.tcp;
    qkwinpalettecreate(win);
    qkwinmsgsetcaption(win, "Vantorix Message");
    return 0;
}

int vxFreeResources(vxInfo* app)
{
    qklogTrace("vxFreeResources");
    if (app == nullptr || app->winPtr == nullptr) return 0;
    // The spectra page's plot records are bound to the window: they go first.
    vxSpectraPageFreePlots(app);
    qkwinInfo* win = app->winPtr;
    // The configuration reader is the window's: it goes with the window.
    if (app->cfg.cfgPtr != nullptr && app->cfg.cfgPtr == win->cfgOwnPtr) app->cfg.cfgPtr = nullptr;
    app->winPtr = nullptr;
    qksyswinfree(win);   // tables, palette, platform object and the record
    return 0;
}

int vxRunDiagSaveDataFile(vxInfo* app)
{
    qklogTrace("vxRunDiagSaveDataFile");
    return vxRunDiagSaveDataFileFrom(app, app != nullptr ? app->winPtr : nullptr);
}

int vxRunDiagSaveDataFileFrom(vxInfo* app, qkwinInfo* owner)
{
    qklogTrace("vxRunDiagSaveDataFileFrom");
    if (app == nullptr || app->dataFile.path[0] == '\0') return -2;
    vxFileInfo& data = app->dataFile;
    if (data.fdp != nullptr) {
        qkfileclose(data.fdp);
        data.fdp = nullptr;
    }

    // The user chooses where the copy goes; "Copy" before the file name's
    // extension is the name offered.
    char name[sizeof data.path];
    const char* base = std::strrchr(data.path, '/');
    base = base != nullptr ? base + 1 : data.path;
    const char* dot = std::strrchr(base, '.');
    if (dot == nullptr || dot == base)
        qkstrset(name, data.path);
    else
        qkstrfmt(name, sizeof name, "%.*sCopy%s", static_cast<int>(dot - data.path), data.path, dot);

    int status = 0;
    if (qksyswinfiledlg(owner, 1, "", name, sizeof name) == 1 && name[0] != '\0') {
        status = qkfilecp(data.path, name);
        if (status == 0) qklogf("vxRunDiagSaveDataFile", "Saved data file as: %s", name);
        data.fdp = qkfileopen(data.path, "w+");
    } else {
        data.fdp = qkfileopen(data.path, "ab+");
    }
    // The dialog may have changed the working folder.
    if (app->homeDir[0] != '\0') qkfilechgdir(app->homeDir);
    return status;
}
