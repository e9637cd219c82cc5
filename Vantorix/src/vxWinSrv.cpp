// vxWinSrv: the main window's display and run sequence, the program's
// callback bindings, the page table and page navigation (see the header).
#include "vxWinSrv.h"

#include <array>
#include <cstring>
#include <utility>

#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswincapture.h"
#include "qksyswinchild.h"
#include "qksyswindlg.h"
#include "qksyswindrive.h"
#include "qksyswinmenu.h"
#include "qksyswinpage.h"
#include "qksyswinsrv.h"
#include "qksyswinstatbar.h"
#include "qksyswinstatic.h"
#include "qkwinfuncsrv.h"
#include "qkwinstdcallbacks.h"
#include "vxAnaPasswordSrv.h"
#include "vxAnaVersionSrv.h"
#include "vxAsynSrv.h"
#include "vxCallBacks.h"
#include "vxConnectionPageSrv.h"
#include "vxDiagPageSrv.h"
#include "vxFindAnalyzer.h"
#include "vxInit.h"
#include "vxMonitorPageSrv.h"
#include "vxParamFrontPanelSrv.h"
#include "vxParamModbusTestSrv.h"
#include "vxParamPageSrv.h"
#include "vxRemoteSrv.h"
#include "vxRunDiagSrv.h"
#include "vxSpectraPlotSrv.h"
#include "vxSpectraSnapSrv.h"
#include "vxSpectraTreeSrv.h"

namespace {

constexpr int kClickEvent = 6;
constexpr int kDeviceRemoved = 3;
constexpr int kMonitorSelect = 1002;   // the one page an analyzer of unknown application may open
constexpr int kHomeSelect = 1184;
constexpr int kPageMenuItem = 9867;    // greyed while a measurement page is shown
constexpr int kLinkStatic = 1124;      // connection window: the link
constexpr int kIdentityStatic = 1126;  // connection window: the analyzer's identity
constexpr int kTitleStatics[] = {1180, 1182};
constexpr int kRequestDialog = 1350;   // a request or capture is running

// Page ids of the page functions.
enum : int { kMonitorPage = 2, kDiagPage = 3, kSpectraPage = 5, kParamPage = 6 };

// Navigation entries: the control that selects a page and its marker static.
constexpr vxNavPageInfo kNavPages[] = {{1002, 1186, 1}, {1005, 1190, 1}, {1003, 1188, 1}, {1006, 1192, 1}};

// ---- callbacks the UI definitions name --------------------------------------------

// Every entry is inheritable, so child windows and dialogs find them too.
constexpr vxCallbackRow kCallbacks[] = {
    {1089, "vxFindAnalyzerCancelCB"}, {199, "vxSetUpLoadVerCB"},        {1200, "vxRemoteWinCB"},
    {1100, "vxConnectWinCB"},         {1112, "vxConnPageInit"},          {1174, "vxGetUserSetupCB"},
    {1120, "vxAsynSetupCB"},          {1122, "vxTcpSetupCB"},            {1001, "vxDisplayPageCB"},
    {1174, "vxConnectOKCB"},          {1214, "vxRemoteAccessCB"},        {1316, "vxMonCaptureDataCB"},
    {1318, "vxMonSaveDataCB"},        {1622, "vxParamsSetUserCB"},       {1647, "vxParamsSetUserOkCB"},
    {1693, "vxParamPlUpdateCancelCB"}, {1692, "vxParamPlUpdateOkCB"},    {1334, "vxParamsFPclearCB"},
    {1332, "vxParamsFPenableCB"},     {16501, "vxParamsFPkeypadCB"},     {1657, "vxParamMbTestModeCB"},
    {1674, "vxParamMbTestPollAnaCB"}, {1670, "vxParamMbTestClearListCB"}, {1670, "vxParamMbTestCancelCB"},
    {1678, "vxDiagCaptureDataCB"},    {1620, "vxParamsCaptureDataCB"},   {1354, "vxRunDiagCancelCB"},
    {1410, "vxSpectraDemandScanCB"},  {1467, "vxSpectraSnapShotWinCB"},  {1424, "vxSpectraSaveImageCB"},
    {1422, "vxSpectraSaveDataCB"},    {1414, "vxSpectraAutoScanCB"},     {1420, "vxSpectraOverlayScanCB"},
    {1718, "vxSpectraSaveWinImageCB"}, {1720, "vxSpectraSaveWinDataCB"}, {1518, "vxDiagRefreshDataCB"},
};
constexpr size_t kCallbackCnt = sizeof kCallbacks / sizeof kCallbacks[0];

// The stand-in of a callback whose page is not part of the program yet: a
// click says so in the log and changes nothing.
template <size_t N> int vxNotAvailableCB(qkwinInfo*)
{
    qklogTrace("vxNotAvailableCB");
    qklogf("vxNotAvailableCB", "%s: not available yet", kCallbacks[N].name);
    return 0;
}

template <size_t... N> constexpr auto notAvailableTable(std::index_sequence<N...>)
{
    return std::array<qkwincallback, sizeof...(N)>{&vxNotAvailableCB<N>...};
}

// The program's own function for a callback name, null when not built yet.
qkwincallback builtCallback(const char* name)
{
    struct Built {
        const char* name;
        qkwincallback address;
    };
    static const Built built[] = {
        {"vxFindAnalyzerCancelCB", vxFindAnalyzerCancelCB},
        {"vxConnPageInit", vxConnPageInit},
        {"vxDisplayPageCB", vxDisplayPageCB},
        {"vxConnectWinCB", vxConnectWinCB},
        {"vxAsynSetupCB", vxAsynSetupCB},
        {"vxTcpSetupCB", vxTcpSetupCB},
        {"vxRemoteWinCB", vxRemoteWinCB},
        {"vxRemoteAccessCB", vxRemoteAccessCB},
        {"vxConnectOKCB", vxConnectOKCB},
        {"vxSetUpLoadVerCB", vxSetUpLoadVerCB},
        {"vxGetUserSetupCB", vxGetUserSetupCB},
        {"vxRunDiagCancelCB", vxRunDiagCancelCB},
        {"vxMonCaptureDataCB", vxMonCaptureDataCB},
        {"vxMonSaveDataCB", vxMonSaveDataCB},
        {"vxParamsSetUserCB", vxParamsSetUserCB},
        {"vxParamsSetUserOkCB", vxParamsSetUserOkCB},
        {"vxDiagRefreshDataCB", vxDiagRefreshDataCB},
        {"vxDiagCaptureDataCB", vxDiagCaptureDataCB},
        {"vxParamsFPenableCB", vxParamsFPenableCB},
        {"vxParamsFPclearCB", vxParamsFPclearCB},
        {"vxParamsFPkeypadCB", vxParamsFPkeypadCB},
        {"vxParamMbTestModeCB", vxParamMbTestModeCB},
        {"vxParamMbTestPollAnaCB", vxParamMbTestPollAnaCB},
        {"vxParamMbTestClearListCB", vxParamMbTestClearListCB},
        {"vxParamMbTestCancelCB", vxParamMbTestCancelCB},
        {"vxParamPlUpdateOkCB", vxParamPlUpdateOkCB},
        {"vxParamPlUpdateCancelCB", vxParamPlUpdateCancelCB},
        {"vxParamsCaptureDataCB", vxParamsCaptureDataCB},
        {"vxSpectraDemandScanCB", vxSpectraDemandScanCB},
        {"vxSpectraAutoScanCB", vxSpectraAutoScanCB},
        {"vxSpectraOverlayScanCB", vxSpectraOverlayScanCB},
        {"vxSpectraSaveImageCB", vxSpectraSaveImageCB},
        {"vxSpectraSaveDataCB", vxSpectraSaveDataCB},
        {"vxSpectraSnapShotWinCB", vxSpectraSnapShotWinCB},
        {"vxSpectraSaveWinImageCB", vxSpectraSaveWinImageCB},
        {"vxSpectraSaveWinDataCB", vxSpectraSaveWinDataCB},
    };
    for (const Built& b : built)
        if (std::strcmp(b.name, name) == 0) return b.address;
    return nullptr;
}

// ---- page functions ------------------------------------------------------------------

// Adds a page function; returns its index (the owner of a reserved slot keeps it).
int addPageFunc(vxFuncInfo& table, int pageid, vxPageFunc address)
{
    if (table.funcCnt >= VX_MAXPAGEFUNCS) return -2;
    const int ndx = table.funcCnt++;
    table.func[ndx].id = pageid;
    table.func[ndx].address.store(address);
    return ndx;
}

const qkwinPageIDInfo* pageByItem(const qkwinInfo* window, int itemid)
{
    for (int i = 0; window->page.idPtr != nullptr && i < window->page.cnt; ++i)
        if (window->page.idPtr[i].itemid == itemid) return &window->page.idPtr[i];
    return nullptr;
}

int runPageFuncs(vxInfo* app, const vxFuncInfo& table, int pageid)
{
    int rslt = 0;
    for (int i = 0; i < table.funcCnt; ++i)
        if (table.func[i].id == pageid)
            if (vxPageFunc f = table.func[i].address.load()) rslt = f(app);
    return rslt;
}

bool navMatches(const vxNavPageInfo& nav, int itemid)
{
    return nav.hid == itemid || nav.nid == itemid;
}

// The port name of the serial link while it is open ("COM97"), else empty.
void linkPortName(const vxInfo* app, char* out, size_t size)
{
    out[0] = '\0';
    const qkcommAsynInfo& asyn = app->anaCom.asyn;
    if (app->anaCom.connectType == 1 && asyn.fd > 0) qkstrfmt(out, size, "COM%d", asyn.port);
}

// For documentation and tests: with VX_SCREENSHOT_DIR set, the main window as
// the user sees it after the search and connection is written there as
// vxMain.png (the run script shows it this way on a machine without display).
void saveScreenOnRequest(qkwinInfo* win)
{
    const char* dir = qkgetenv("VX_SCREENSHOT_DIR");
    if (dir == nullptr || dir[0] == '\0') return;
    char path[256];
    qkstrfmt(path, sizeof path, "%s/vxMain.png", dir);
    if (qksyswinsavescreenshot(win, path) == 0) qklogf("vxWindowDsp", "Screen saved as: %s", path);
}

}  // namespace

// ---- the display and run sequence ---------------------------------------------------

int vxWindowDsp(vxInfo* app)
{
    qklogTrace("vxWindowDsp");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    qkwinInfo* win = app->winPtr;
    // A configuration without a MAINWINDOW block leaves nothing to show.
    if (win->id == 0) {
        qklogf("vxWindowDsp", "No main window defined in: %s", app->cfg.path);
        return -2;
    }

    win->state.store(1);
    win->userCloseFunc = vxClose;
    vxSetPaths(app);
    vxSetDefaults(app);
    vxDefineCallbacks(app);
    vxBuildPageFunctions(app);

    win->page.currentpageid = win->page.startpageid;
    win->page.homepageid = win->page.startpageid;
    qkstdpagedsetstate(win, 0);

    qkwinfillscrnoptchk(win);
    qksyswinsetstyle(win);
    qksyswinsetclass(win);
    if (qksyswindsp(win) != 0) return -1;   // the framework has said why
    qksyswindrivestart(win);   // VX_DRIVE: the steps of a test or demonstration run

    if (qkwindboptchk(win) != 0) return -2;
    app->dbPtr = win->db.dbPtr;
    if (qkuserwinpwoptchk(win) != 0) return -2;

    app->state.store(1);
    qkwintimesetfunc(win, vxWindowTimerCB);

    qkwinUpdateStatBarItem(win, VX_SBAR_SCREEN, "SCREEN ID: FIND ANALYZER");
    qkwinsleep(win, 2, 5);
    // Heard from the moment the search has found the analyzer: the search
    // window is still being taken down then while the user may already work.
    win->userDevUpDateFunc = vxDevUpDateDetected;
    vxFindAnalyzer(win);
    // Nothing found: the user sets the connection up, unless the program is
    // already being ended.
    if (app->state.load() == 1 && win->state.load() != 0 && !vxTermRequested()) {
        qkwinUpdateStatBarItem(win, VX_SBAR_SCREEN, "SCREEN ID: CONNECTION/SETUP");
        vxConnectAnalyzer(win);
    }
    vxLoadValidPassword(app);
    // The status bar shows the clock and the bytes of the search at once, not
    // a tick later (the timer stood still while the search ran).
    vxWindowTimerCB(win);
    saveScreenOnRequest(win);

    // At least one run: a close that came during the search still runs the
    // close hook there.
    do {
        vxgetwinmsg(app);
    } while (win->state.load() != 0);
    return 0;
}

int vxSetPaths(vxInfo* app)
{
    qklogTrace("vxSetPaths");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    qkwinInfo* win = app->winPtr;
    qkfilegetcurdir(sizeof app->homeDir, app->homeDir);
    if (win->os.pthTyp != 0) qkfileSetPathType(win->os.pthTyp, app->homeDir);
    qkwinsethomedir(win, app->homeDir);
    qklogf("vxSetPaths", "Working DIR is: %s", app->homeDir);

    // The configured capture file lies relative to the working folder; the
    // dialogs may change the current directory later, so it is made absolute.
    char* path = app->dataFile.path;
    if (path[0] != '\0' && path[0] != '/') {
        char full[sizeof app->dataFile.path];
        qkstrfmt(full, sizeof full, "%s/%s", app->homeDir, path);
        qkstrset(app->dataFile.path, full);
    }
    return 0;
}

int vxSetDefaults(vxInfo* app)
{
    qklogTrace("vxSetDefaults");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    qkwinInfo* win = app->winPtr;

    app->inDataCnt.store(0);
    app->outDataCnt.store(0);
    qkcommAsynInfo& asyn = app->anaCom.asyn;
    asyn.parity = 0;
    asyn.dataBits = 8;
    asyn.stopBits = 1;
    app->anaDetails.winPtr = win;
    app->anaDetails.version.appType = 2;
    app->anaCom.connectType = 1;
    // Multi-byte analyzer values arrive in the other byte order.
    gqk_sysendiantype.store(2);

    vxFindAnalyzerInfo& find = app->anaFind;
    if (find.excludeCnt <= 0) {
        find.excludeCnt = 0;
        qkstrset(find.exclude[find.excludeCnt++], "com0com");
    }
    if (find.baudCnt <= 0) {
        find.baudCnt = 0;
        find.buadRate[find.baudCnt++] = 9600;
        find.buadRate[find.baudCnt++] = 115200;
    }

    qkwintimesetup(win, 1, app->srvrate > 0 ? app->srvrate : 50);

    if (app->spData.autoPollRate < 1) app->spData.autoPollRate = 15;
    if (app->spData.demandPollRate < 1) app->spData.demandPollRate = 40;

    vxPageInfo& page = app->page;
    page.navPageCnt = 0;
    for (const vxNavPageInfo& nav : kNavPages) page.navPage[page.navPageCnt++] = nav;

    win->userUpdateFunc = vxPageRefreashCB;
    return 0;
}

int vxDefineCallbacks(vxInfo* app)
{
    qklogTrace("vxDefineCallbacks");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    qkwinInfo* win = app->winPtr;
    static constexpr auto notAvailable = notAvailableTable(std::make_index_sequence<kCallbackCnt>{});
    for (size_t i = 0; i < kCallbackCnt; ++i) {
        qkwincallback address = builtCallback(kCallbacks[i].name);
        qkwinfuncsetcallback(win, kCallbacks[i].id, kCallbacks[i].name, address ? address : notAvailable[i], 1);
    }
    // The request dialog is kept between requests: as it opens it shows the
    // status of this one, not the last words of the one before (its timer's
    // first tick comes half a second later).
    qkwindlgsetstartfunc(win, kRequestDialog, vxRunDiagStatusUpdateCB);
    return qkwinregisterstdcb(win);
}

int vxBuildPageFunctions(vxInfo* app)
{
    qklogTrace("vxBuildPageFunctions");
    if (app == nullptr) return -2;
    vxPageInfo& page = app->page;
    page.lastActitemid = 0;
    page.start.funcCnt = page.update.funcCnt = page.exit.funcCnt = 0;

    addPageFunc(page.start, kMonitorPage, vxMonPageInit);
    addPageFunc(page.start, kDiagPage, vxDiagPageInit);
    addPageFunc(page.start, kParamPage, vxParamPageInit);
    addPageFunc(page.start, kSpectraPage, vxSpectraPageBuildTreeView);

    addPageFunc(page.update, kMonitorPage, vxMonPageUpdate);
    addPageFunc(page.update, kSpectraPage, vxSpectraPageUpdate);
    // Reserved slots: the owning page fills them while it wants periodic updates.
    app->dpData.dvData.updateNdx = addPageFunc(page.update, kDiagPage, nullptr);
    app->ppData.fpData.updateNdx = addPageFunc(page.update, kParamPage, nullptr);
    app->ppData.plData.updateNdx = addPageFunc(page.update, kParamPage, nullptr);
    app->ppData.plData.digUpdateNdx = addPageFunc(page.update, kParamPage, nullptr);

    addPageFunc(page.exit, kMonitorPage, vxMonPageExit);
    addPageFunc(page.exit, kSpectraPage, vxSpectraPageExit);
    addPageFunc(page.exit, kDiagPage, vxDiagPageExit);
    addPageFunc(page.exit, kParamPage, vxParamPageExit);
    return 0;
}

int qkwindboptchk(qkwinInfo* window)
{
    qklogTrace("qkwindboptchk");
    if (window != nullptr) window->db.dbPtr = nullptr;
    return 0;
}

int qkuserwinpwoptchk(qkwinInfo* window)
{
    qklogTrace("qkuserwinpwoptchk");
    (void)window;
    return 0;
}

int vxgetwinmsg(vxInfo* app)
{
    qklogTrace("vxgetwinmsg");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    qksyswinwaitmsg(app->winPtr);
    if (app->winPtr->state.load() == 0) app->state.store(1);
    return 0;
}

// ---- page navigation ----------------------------------------------------------------

int vxDisplayPageCB(qkwinInfo* window)
{
    qklogTrace("vxDisplayPageCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    app->page.actitemid = window->actitemid;
    if (vxNavPageGetStatus(app) != 0) return 0;

    qkwinmenusetstate(window, kPageMenuItem, 2);
    if (app->page.actitemid == kHomeSelect) qkwinmenusetstate(window, kPageMenuItem, 1);
    vxPageExitFuncTionsCB(window);
    vxPageInitFuncTionsCB(window);
    qkstdpagedspcb(window);
    vxNavPageSetStatus(app);
    return 0;
}

int vxNavPageGetStatus(vxInfo* app)
{
    qklogTrace("vxNavPageGetStatus");
    if (app == nullptr) return -2;
    const vxPageInfo& page = app->page;
    for (int i = 0; i < page.navPageCnt; ++i) {
        if (!navMatches(page.navPage[i], page.actitemid)) continue;
        if (page.navPage[i].state == 0) return -2;
        if (app->anaDetails.version.appType == VX_TYPE_UNKNOWN && page.actitemid != kMonitorSelect) {
            vxVersionMessage(app, 2);
            return -2;
        }
    }
    return 0;
}

int vxNavPageSetStatus(vxInfo* app)
{
    qklogTrace("vxNavPageSetStatus");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    const vxPageInfo& page = app->page;
    for (int i = 0; i < page.navPageCnt; ++i)
        qkwinstaticsetstate(app->winPtr, page.navPage[i].nid, navMatches(page.navPage[i], page.actitemid) ? 0 : 1);
    return 0;
}

int vxPageExitFuncTionsCB(qkwinInfo* window)
{
    qklogTrace("vxPageExitFuncTionsCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    vxPageInfo& page = app->page;
    if (page.actitemid == page.lastActitemid) return 0;
    int rslt = 0;
    if (const qkwinPageIDInfo* left = pageByItem(window, page.lastActitemid))
        rslt = runPageFuncs(app, page.exit, left->pageid);
    page.lastActitemid = page.actitemid;
    return rslt;
}

int vxPageInitFuncTionsCB(qkwinInfo* window)
{
    qklogTrace("vxPageInitFuncTionsCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    const qkwinPageIDInfo* entered = pageByItem(window, app->page.actitemid);
    if (entered == nullptr) return -2;
    const int rslt = runPageFuncs(app, app->page.start, entered->pageid);
    char text[128];
    qkstrfmt(text, sizeof text, "SCREEN ID: %s", entered->name);
    if (entered->itemid != app->lastPageID) qkwinUpdateStatBarItem(window, VX_SBAR_SCREEN, text);
    app->lastPageID = entered->itemid;
    return rslt;
}

int vxPageUpdateFuncTionsCB(qkwinInfo* window)
{
    qklogTrace("vxPageUpdateFuncTionsCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    return runPageFuncs(app, app->page.update, window->page.currentpageid);
}

int vxSetHomePage(qkwinInfo* window)
{
    qklogTrace("vxSetHomePage");
    vxInfo* app = vxAppOf(window);
    // The status bar is the main window's, also when a child window asks.
    qkwinInfo* main = app != nullptr && app->winPtr != nullptr ? app->winPtr : window;
    return qkwinUpdateStatBarItem(main, VX_SBAR_SCREEN, "SCREEN ID: HOME");
}

int vxRefreashTitle(qkwinInfo* window)
{
    qklogTrace("vxRefreashTitle");
    for (int id : kTitleStatics) {
        qkwinstaticdsp(window, id, 0);
        qkwinstaticdsp(window, id, 1);
    }
    return 0;
}

// ---- guards, archive, device changes, connection window -----------------------------

int vxCheckStatus(vxInfo* app, int level)
{
    qklogTrace("vxCheckStatus");
    if (app == nullptr) return -2;
    const int state = app->state.load();
    if (level == 10 && state <= 9) {
        vxMsgInfo("Request not permitted\n Analyzer is not connected");
        return -2;
    }
    if (level == 20 && state < 20) {
        const int answer =
            vxMsgQuestion("Analyzer ID is not supported\n request may not function correctly\n     send erequest");
        return answer == QKWIN_MSG_YES ? 0 : -2;
    }
    return 0;
}

int vxArchiveName(const char* path, char* out, size_t size)
{
    qklogTrace("vxArchiveName");
    if (path == nullptr || out == nullptr || size == 0) return -2;
    // The extension is that of the file name, not a point of a folder ("../logs/data").
    const char* base = std::strrchr(path, '/');
    const char* back = std::strrchr(path, '\\');
    if (back != nullptr && (base == nullptr || back > base)) base = back;
    base = base != nullptr ? base + 1 : path;
    const char* dot = std::strrchr(base, '.');
    if (dot == nullptr || dot == base) dot = path + std::strlen(path);
    const int stemLen = static_cast<int>(dot - path);
    const int need = qkstrfmt(out, size, "%.*sPrevious%s", stemLen, path, dot);
    return need >= 0 && static_cast<size_t>(need) < size ? 0 : -2;
}

int vxArchiveLog(vxInfo* app)
{
    qklogTrace("vxArchiveLog");
    if (app == nullptr || app->dataFile.path[0] == '\0') return -2;
    char previous[sizeof app->dataFile.path];
    if (vxArchiveName(app->dataFile.path, previous, sizeof previous) != 0) return -2;
    if (qkfileisregular(previous)) qkfileremove(previous);
    if (qkfileisregular(app->dataFile.path)) return qkfilecp(app->dataFile.path, previous);
    return 0;
}

int vxDevUpDateDetected(qkwinInfo* window)
{
    qklogTrace("vxDevUpDateDetected");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->device.state != kDeviceRemoved) return 0;

    // The search and the connection workers own the port while they probe
    // it: they see its end themselves and report no analyzer.
    if (app->findanathrds.thrdPtr.load() != nullptr || app->connanathrds.thrdPtr.load() != nullptr) {
        qklogf("vxDevUpDateDetected", "Detected COM port: %s removal during the search", window->device.name);
        return 0;
    }
    // Another adapter going away does not concern the analyzer.
    char linkPort[32];
    linkPortName(app, linkPort, sizeof linkPort);
    if (linkPort[0] == '\0' || std::strcmp(linkPort, window->device.name) != 0) {
        qklogf("vxDevUpDateDetected", "Detected COM port: %s removal, not the analyzer's port", window->device.name);
        return 0;
    }

    char text[256];
    qkstrfmt(text, sizeof text,
             "Detected USB COM port: %s removal\nVantorix needs to close\n Select \"Yes\" to Save data",
             window->device.name);
    // The capture reader and the page workers use the port: they end before
    // it closes, or one would read a closed or reused descriptor.
    vxStopLinkUsers(app);
    vxAsynClose(app);
    if (window->stdasynPtr != nullptr) window->stdasynPtr->status.store(0);
    app->state.store(1);
    // The program ends here: the close hook must not ask a second time.
    window->userCloseFunc = nullptr;
    if (vxMsgQuestion(text) == QKWIN_MSG_YES) vxRunDiagSaveDataFile(app);
    vxExit();
}

int vxConnPageInit(qkwinInfo* window)
{
    qklogTrace("vxConnPageInit");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (app->state.load() != 20) return 0;
    char text[128];
    if (app->anaCom.connectType == 2)
        qkstrfmt(text, sizeof text, "TCP client connected to port: %d", app->anaCom.tcp.client.port);
    else
        qkstrfmt(text, sizeof text, "Serial Line connected to port: %d", app->anaCom.asyn.port);
    qkwinstaticsettext(window, kLinkStatic, text);
    qkstrfmt(text, sizeof text, " Analyzer ID: %s", app->anaDetails.ID.version);
    qkwinstaticsettext(window, kIdentityStatic, text);
    return 0;
}

const vxCallbackRow* vxCallbackTable(size_t* count)
{
    if (count != nullptr) *count = kCallbackCnt;
    return kCallbacks;
}

qkwinInfo* vxStartChildWindow(qkwinInfo* window, int definition, const std::function<void(qkwinInfo*)>& setUp)
{
    qklogTrace("vxStartChildWindow");
    if (window == nullptr) return nullptr;
    const int savedItem = window->actitemid;
    window->actitemid = definition;
    const int started = qkwinstartchild(window);
    window->actitemid = savedItem;
    return started == 0 ? vxTakeChildWindow(window, setUp) : nullptr;
}

qkwinInfo* vxTakeChildWindow(qkwinInfo* window, const std::function<void(qkwinInfo*)>& setUp)
{
    qklogTrace("vxTakeChildWindow");
    constexpr int kCreateTries = 100;
    if (window == nullptr || qksyswinwaitcreateFlag(window, kCreateTries) != 0) return nullptr;
    qkwinInfo* child = window->actcldPtr;
    if (child == nullptr) return nullptr;
    qksyswinOwnerRun(child, [child, &setUp] {
        qksyswinsettopmost(child, 1);
        if (setUp) setUp(child);
    });
    return child;
}
