// vxFindAnalyzer: the analyzer search and its window (see the header).
#include "vxFindAnalyzer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#include "qkcommasyn.h"
#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksystem.h"
#include "qksyswinchild.h"
#include "qksyswinpage.h"
#include "qksyswinprgbar.h"
#include "qksyswinsrv.h"
#include "qksyswinstatbar.h"
#include "qksyswinstatic.h"
#include "qkthrdsrv.h"
#include "qkwinfuncsrv.h"
#include "qkwinstdcallbacks.h"
#include "vxAnaVersionSrv.h"
#include "vxAnalyzerSrv.h"
#include "vxAsynSrv.h"
#include "vxConnectionPageSrv.h"
#include "vxWorkerSrv.h"

namespace {

constexpr const char* kWorker = "vxQueryAnalyzer";

// Window definitions the main window starts, and the search window's controls.
constexpr int kSearchWindowID = 1090;
constexpr int kConnectWindowID = 1100;
constexpr int kPortText = 1093;
constexpr int kBaudText = 1095;
constexpr int kStateText = 1097;
constexpr int kCancelButton = 1089;
constexpr int kCreateTries = 200;       // 100 ms steps for the search window to come up

// Main window: the page shown once an analyzer is found, and the status bar.
constexpr int kMonitorItem = 1002;
constexpr int kClickEvent = 6;
constexpr int kScreenPart = 0;
constexpr int kLinkPart = 2;

constexpr int kFirstPort = 1;
constexpr int kLastPort = 256;
constexpr const char* kDevicePrefix = "\\\\.\\COM";

// The moving bar: it runs through 5..1000 in steps of 5, every 100 ms.
constexpr int kBarTimerEvent = 2;
constexpr int kBarTimerMs = 100;
constexpr int kBarMax = 1000;
constexpr int kBarAdvance = 5;
constexpr int kBarLeft = 50;
constexpr int kBarAboveBottom = 150;
constexpr int kBarMargins = 100;
constexpr int kBarHeight = 30;

// A worker that another thread is stopping ends within one query; this only
// bounds the wait should it not.
constexpr int kWorkerEndMs = 10000;

// Device of a port the search could not open for lack of permission
// (worker; read by the search after the worker has ended).
char g_deniedDevice[128];

bool cancelled(const vxFindAnalyzerInfo& f)
{
    return f.cancelFlag.load() == 1;
}

// The worker's result, unless the user cancelled or the window closed first.
int settle(vxFindAnalyzerInfo& f, int result)
{
    int searching = 0;
    f.state.compare_exchange_strong(searching, result);
    return result;
}

// ---- the worker slot ------------------------------------------------------------------

// The worker's entry: the slot's state falls to 0 once the worker no longer
// touches the search window, however it ended.
void queryEntry(void* argument)
{
    auto* search = static_cast<qkwinInfo*>(argument);
    struct Done {
        vxthreadInfo& slot;
        ~Done() { slot.state = 0; }
    } done{vxAppOf(search)->findanathrds};
    vxQueryAnalyzer(search);
}

// Stops the worker and releases its slot. The main window's thread and the
// search window's own thread may both get here; the one that takes the slot
// stops the worker, the other waits (serving its windows) until it is gone.
void stopWorker(vxInfo* app)
{
    vxthreadInfo& slot = app->findanathrds;
    vxWorkerStop(&slot);
    for (int waited = 0; slot.state.load() != 0 && waited < kWorkerEndMs; waited += 10) qkwinsleep(nullptr, 4, 10);
}

int startWorker(vxInfo* app, qkwinInfo* search)
{
    stopWorker(app);   // the slot of an earlier search
    return vxWorkerStart(&app->findanathrds, queryEntry, search, "vxFindAnalyzer", "search worker");
}

// ---- the worker's steps ----------------------------------------------------------------

// An exclude entry is a fragment of "COMn - device"; an empty entry would
// match every port and is passed over.
bool excluded(vxFindAnalyzerInfo& f, const char* name)
{
    f.excludeFlag = 0;
    const int cnt = std::clamp(f.excludeCnt, 0, VX_MAXEXCLUDE);
    for (int i = 0; i < cnt; ++i) {
        if (f.exclude[i][0] == '\0' || std::strstr(name, f.exclude[i]) == nullptr) continue;
        f.excludeFlag = 1;
        qklogf(kWorker, "Excluding: %s", name);
        return true;
    }
    return false;
}

// A port that exists but refused us: on this platform serial devices belong
// to a group (usually dialout) whose members may open them, and a new member
// gets the right only with a new log-in.
void noPermission(const char* name)
{
    const char* sep = std::strstr(name, " - ");
    const char* device = sep != nullptr ? sep + 3 : name;
    qkfilestatInfo st{};
    char group[64] = "";
    if (qkFileInq(device, &st) == 0 && qksystemgroupname(st.gid, group, sizeof group) != 0)
        qkstrfmt(group, sizeof group, "%u", st.gid);
    if (group[0] != '\0')
        qklogf(kWorker, "No permission for %s: add the user to group \"%s\" (sudo usermod -aG %s $USER) and log in again",
               device, group, group);
    else
        qklogf(kWorker, "No permission for %s: give the user read and write access to it and log in again", device);
    qkstrset(g_deniedDevice, device);
}

// Every configured rate on one port: 2 identified (the port stays open), 1 go
// on with the next port, -2 cancelled.
int tryRates(vxInfo* app, qkwinInfo* search, int port, const char* name)
{
    vxFindAnalyzerInfo& f = app->anaFind;
    qkcommAsynInfo& asyn = app->anaCom.asyn;
    const int cnt = std::clamp(f.baudCnt, 0, VX_MAXBAUDRATE);
    for (int i = 0; i < cnt; ++i) {
        if (cancelled(f)) return -2;
        const int baud = f.buadRate[i];
        char text[16];
        qkstrfmt(text, sizeof text, "%d", baud);
        qkwinstaticsettext(search, kBaudText, text);
        qkwinstaticsettext(search, kStateText, "Trying");
        asyn.baud = baud;
        asyn.port = port;
        qklogf(kWorker, "ASYN port: %d, baud: %d", port, baud);
        qkcommAsynSetDevName(kDevicePrefix);
        const int fd = qkcommAsynOpen(port, baud, asyn.parity, asyn.dataBits, asyn.stopBits);
        if (fd < 0) {
            const int err = errno;
            asyn.fd = 0;
            qklogf(kWorker, "ASYN open error for port: %d", port);
            if (err == EACCES) noPermission(name);
            return 1;
        }
        asyn.fd = fd;
        qkcommAsynFlush(fd);
        asyn.state = 50;
        if (vxAnalyzerGetID(app) == 2) return 2;
        vxAsynClose(app);
        asyn.state = 20;
        qkwinstaticsettext(search, kStateText, "No response");
        qkwinsleep(search, 2, 1);
        if (cancelled(f)) return -2;
    }
    return 1;
}

// ---- the search's steps on the main window's thread ------------------------------------------

void takeNotFound(vxInfo* app)
{
    vxFindAnalyzerInfo& f = app->anaFind;
    vxAsynClose(app);
    vxRecordClear(app->anaCom.asyn);
    app->state = 1;
    qkstrset(f.msgBuf, "Serial Line NOT connected");
    if (g_deniedDevice[0] != '\0') {
        qkstradd(f.msgBuf, "; no permission for ");
        qkstradd(f.msgBuf, g_deniedDevice);
    }
}

// The analyzer answered: its identity selects the version and its profiles,
// and the main window turns to the monitor page.
void takeFound(vxInfo* app, qkwinInfo* main)
{
    vxFindAnalyzerInfo& f = app->anaFind;
    app->anaCom.checkBaud = 0;
    vxSetAnalyzerID(app);
    app->state = 10;
    vxParseAnalyzerID(app);
    // An unknown application has no profiles to load: it stays connected with
    // limited functionality.
    const bool knownApp = app->anaDetails.version.appType != VX_TYPE_UNKNOWN;
    if (knownApp)
        app->state = 20;
    else
        vxVersionMessage(app, 1);
    qkstrfmt(f.msgBuf, sizeof f.msgBuf, " Analyzer ID: %s", app->anaDetails.ID.version);
    if (knownApp) vxLoadDataCfgFiles(app);

    // The page's updates run on the main window's timer, which stood still
    // during the search: it runs again before the page starts, because a
    // capture may be started at once, while the search window is still being
    // taken down (its lines would wait in the ring, undrained, until then).
    qkwintimestart(main);
    // As if the monitor page's control had been clicked; until the shell binds
    // its page callback there is nothing to call.
    main->actitemid = kMonitorItem;
    main->actitemevent = kClickEvent;
    qkstdpagedsetstate(main, 1);
    if (qkwincallback display = qkwinfuncgetaddr(main, QKWIN_FUNC_BYID, kMonitorItem, nullptr)) display(main);
}

void runSearch(vxInfo* app, qkwinInfo* main, qkwinInfo* search)
{
    vxFindAnalyzerInfo& f = app->anaFind;
    f.winPtr = search;
    // The window layer has no separate dialog frame: the search window keeps
    // the frame of its definition.
    search->userCloseFunc = vxFindAnalyzerExit;
    vxFindAnalyzerBuildProgressBar(search);
    qkwinsleep(main, 2, 1);
    qkwintimesetup(search, kBarTimerEvent, kBarTimerMs);
    qkwintimesetfunc(search, vxFindAnalyzerProgress);
    app->state = 1;
    // The identification shows its queries in the search window.
    qkwinInfo* identWindow = app->anaDetails.winPtr;
    app->anaDetails.winPtr = search;
    g_deniedDevice[0] = '\0';
    if (startWorker(app, search) != 0) settle(f, -2);
    qkwintimestart(search);

    while (f.state.load() == 0) qkwinsleep(main, 2, 5);
    // The worker may be inside a query still: it goes before its port is
    // closed or taken over.
    stopWorker(app);
    app->anaDetails.winPtr = identWindow;
    if (f.state.load() == 2)
        takeFound(app, main);
    else
        takeNotFound(app);

    qkwinUpdateStatBarItem(main, kLinkPart, f.msgBuf);
    qklogf("vxFindAnalyzer", "%s", f.msgBuf);
    vxFindAnalyzerExit(search);
    // Closed by the user already, the window has gone with its record.
    if (main->actcldPtr == search) qkwinstopchild(search, 1);
    f.winPtr = nullptr;
}

// The thread that runs the search (the main window's): the search window's
// timer belongs to the search window's own thread and is stopped only there.
std::atomic<std::thread::id> g_searchThread{};

}  // namespace

// ---- search ---------------------------------------------------------------------------

int vxFindAnalyzer(qkwinInfo* window)
{
    qklogTrace("vxFindAnalyzer");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    vxFindAnalyzerInfo& f = app->anaFind;
    g_searchThread = std::this_thread::get_id();

    qkwintimestop(window);
    const int savedItem = window->actitemid;
    window->actitemid = kSearchWindowID;
    window->opts.stopChilds = 1;
    // A search after an earlier one starts afresh: that one's end left the
    // cancel request behind. Set before the window can be closed.
    f.cancelFlag = 0;
    f.state = 0;
    qkwinInfo* search = nullptr;
    if (qkwinstartchild(window) == 0) {
        if (qksyswinwaitcreateFlag(window, kCreateTries) == 0) {
            search = window->actcldPtr;
        } else if (window->actcldPtr != nullptr) {
            qkwinstopchild(window->actcldPtr, 1);   // too late to be of use
        }
    }
    if (search != nullptr) {
        // Its own label: "vxFindAnalyzer: " marks the end of the search.
        qklogf("vxFindAnalyzerWindow", "Analyzer search started");
        runSearch(app, window, search);
    } else {
        settle(f, -2);
    }

    window->actitemid = savedItem;
    window->opts.stopChilds = 0;
    return qkwintimestart(window);
}

int vxQueryAnalyzer(qkwinInfo* searchWindow)
{
    qklogTrace("vxQueryAnalyzer");
    vxInfo* app = vxAppOf(searchWindow);
    if (app == nullptr) return -2;
    vxFindAnalyzerInfo& f = app->anaFind;
    app->anaCom.baudDetected = 0;
    // Until identified the analyzer may be of any kind: both sequences are tried.
    app->anaDetails.version.appType = 2;
    for (int port = kFirstPort; port <= kLastPort; ++port) {
        if (cancelled(f)) return -2;
        char name[128];
        qkstrfmt(name, sizeof name, "COM%d", port);
        if (qkcommAsynValidate(name) != 1) continue;
        if (excluded(f, name)) continue;
        qkstrset(f.msgBuf, name);
        qkwinstaticsettext(searchWindow, kPortText, f.msgBuf);
        const int number = qkwinstdgetasynport(name);
        if (number < 1) continue;
        const int result = tryRates(app, searchWindow, number, name);
        if (result == 2) return settle(f, 2);
        if (result == -2) return -2;
    }
    settle(f, -2);
    return -2;
}

// ---- progress bar -----------------------------------------------------------------------

int vxFindAnalyzerBuildProgressBar(qkwinInfo* searchWindow)
{
    qklogTrace("vxFindAnalyzerBuildProgressBar");
    vxInfo* app = vxAppOf(searchWindow);
    if (app == nullptr) return -2;
    qkwinprgbarInfo& bar = app->pbar;
    bar.minval = 0;
    bar.maxval = kBarMax;
    bar.pos = kBarAdvance;
    bar.step = 1;
    bar.xorig = kBarLeft;
    bar.yorig = searchWindow->ysize - kBarAboveBottom;
    bar.xsize = searchWindow->xsize - kBarMargins;
    bar.ysize = kBarHeight;
    return qkwinCreatePrgBar(searchWindow, &bar, "Analyzer Connection", 1, "Green3");
}

int vxFindAnalyzerProgress(qkwinInfo* searchWindow)
{
    qklogTrace("vxFindAnalyzerProgress");
    vxInfo* app = vxAppOf(searchWindow);
    if (app == nullptr) return -2;
    qkwinprgbarInfo& bar = app->pbar;
    int pos = bar.pos.load() + kBarAdvance;
    if (pos > bar.maxval) pos = kBarAdvance;
    bar.pos = pos;
    // The main window is served meanwhile by the search's own wait on its
    // thread; the bar is redrawn by the window layer at once.
    return qkwinUpdatePrgBar(&bar);
}

int vxFindAnalyzerStopProgressBar(qkwinInfo* searchWindow)
{
    qklogTrace("vxFindAnalyzerStopProgressBar");
    vxInfo* app = vxAppOf(searchWindow);
    if (app == nullptr) return -2;
    qkwintimestop(searchWindow);
    return qkwinDestroyPrgBar(&app->pbar);
}

// ---- end and cancel ----------------------------------------------------------------------

int vxFindAnalyzerExit(qkwinInfo* searchWindow)
{
    qklogTrace("vxFindAnalyzerExit");
    vxInfo* app = vxAppOf(searchWindow);
    if (app == nullptr) return -2;
    vxFindAnalyzerInfo& f = app->anaFind;
    // The main window's option is cleared before the state changes, so the
    // search sees it cleared once it sees the state.
    if (app->winPtr != nullptr) app->winPtr->opts.stopChilds = 0;
    f.cancelFlag = 1;
    f.state = -2;
    if (std::this_thread::get_id() == g_searchThread.load())
        qkwinDestroyPrgBar(&app->pbar);   // the window's timer ends with the window, on its thread
    else
        vxFindAnalyzerStopProgressBar(searchWindow);
    stopWorker(app);
    return 1;
}

int vxFindAnalyzerCancelCB(qkwinInfo* searchWindow)
{
    qklogTrace("vxFindAnalyzerCancelCB");
    vxInfo* app = vxAppOf(searchWindow);
    if (app == nullptr) return -2;
    if (searchWindow->actitemevent != kClickEvent) return 0;
    qkwinstatchgcolor(searchWindow, kCancelButton, 1, "Red");
    app->anaFind.cancelFlag = 1;
    app->anaFind.state = 1;
    // The colour is drawn by the window layer at once; no messages need
    // pumping here.
    return 0;
}

// ---- connection window --------------------------------------------------------------------

int vxConnectAnalyzer(qkwinInfo* window)
{
    qklogTrace("vxConnectAnalyzer");
    if (window == nullptr) return -2;
    const int savedItem = window->actitemid;
    window->actitemid = kConnectWindowID;
    // The window layer has no separate dialog frame: the window keeps the
    // frame of its definition.
    const int result = qkwinstartchild(window);
    window->actitemid = savedItem;
    // Opened this way it is the same connection window as the one its control
    // opens: OK and its close leave it for the home page with pages on.
    if (result == 0) vxConnWinAdopt(window);
    qkwinUpdateStatBarItem(window, kScreenPart, "SCREEN ID: ANALYZER CONNECTION/SETUP");
    return result;
}
