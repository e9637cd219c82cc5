// vxConnectionPageSrv: the connection and user set-up windows (see the header).
#include "vxConnectionPageSrv.h"

#include <cstdlib>
#include <functional>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinbutton.h"
#include "qksyswinchild.h"
#include "qksyswindlg.h"
#include "qksyswinedit.h"
#include "qksyswinlist.h"
#include "qksyswinmsgbox.h"
#include "qksyswinpage.h"
#include "qksyswinsrv.h"
#include "qksyswinstatbar.h"
#include "qksyswinstatic.h"
#include "qkwinstdcallbacks.h"
#include "vxAnaPasswordSrv.h"
#include "vxAnaVersionSrv.h"
#include "vxAnalyzerSrv.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxModbusProtocolSrv.h"
#include "vxWinSrv.h"
#include "vxWorkerSrv.h"

namespace {

constexpr int kClickEvent = 6;
constexpr int kConnectWindow = 1100;
constexpr int kSerialButton = 1120;
constexpr int kTcpButton = 1122;
constexpr int kLinkStatic = 1124;
constexpr int kIdentityStatic = 1126;
constexpr int kOkButton = 1174;
constexpr int kModbusAddrEdit = 1162;
constexpr int kVersionList = 1166;
constexpr int kPasswordEdit = 1170;
constexpr int kUserOkButton = 1176;
constexpr int kConnTimerEvent = 2;
constexpr int kConnTimerMs = 100;
constexpr int kProbeListenTenths = 40;
constexpr const char* kLabel = "vxConnection";

qkwinInfo* mainOf(vxInfo* app, qkwinInfo* window)
{
    return app->winPtr != nullptr ? app->winPtr : window;
}

// The main window's record belongs to the GUI thread: what the set-up
// windows change there is changed on that thread.
void onMain(vxInfo* app, qkwinInfo* window, const std::function<void()>& fn)
{
    qksyswinOwnerRun(mainOf(app, window), fn);
}

// The connection window once up: OK and its close leave it, its timer runs.
void connWinSetUp(qkwinInfo* child)
{
    child->userCloseFunc = vxConnectOKCB;
    qkwintimesetup(child, kConnTimerEvent, kConnTimerMs);
    qkwintimesetfunc(child, vxConnAnalyzerTimerCB);
    qkwintimestart(child);
}

void setMainStatus(vxInfo* app, qkwinInfo* window, int part, const char* text)
{
    qkwinInfo* main = mainOf(app, window);
    onMain(app, window, [main, part, text] { qkwinUpdateStatBarItem(main, part, text); });
}

void pagesOn(vxInfo* app, qkwinInfo* window)
{
    qkwinInfo* main = mainOf(app, window);
    onMain(app, window, [main] { qkstdpagedsetstate(main, 1); });
}

void homePage(vxInfo* app, qkwinInfo* window)
{
    onMain(app, window, [window] { vxSetHomePage(window); });
}

bool askYes(qkwinInfo* window, const char* text)
{
    return qkwinmsgquestion(window, text) == QKWIN_MSG_YES;
}

// ---- the connect worker -------------------------------------------------------------

// A connect attempt always ends with its status set: a worker stopped while
// it waits (the window left meanwhile) sets it here, so nobody waits on.
template <typename Record> struct AttemptEnd {
    Record* record;
    int failed;
    ~AttemptEnd()
    {
        if (record == nullptr) return;
        int running = 0;
        record->status.compare_exchange_strong(running, failed);
    }
};

void connectAsynWorker(void* argument)
{
    auto* window = static_cast<qkwinInfo*>(argument);
    AttemptEnd<qkcommAsynInfo> end{window->stdasynPtr, 1};
    qkwinstdconnectasyn(window);
}

void connectTcpWorker(void* argument)
{
    auto* window = static_cast<qkwinInfo*>(argument);
    AttemptEnd<qkcommTCPInfo> end{window->stdtcpPtr, -2};
    qkwinstdconnecttcp(window);
}

// The window of the connect callbacks: the main window, whose link records
// are the application's.
qkwinInfo* connectWindow(vxInfo* app, qkwinInfo* window)
{
    return window->prntPtr != nullptr ? window->prntPtr : mainOf(app, window);
}

// ---- after a link stands: identity and profiles --------------------------------------

// The steps a serial and a TCP set-up share once the link stands; text holds
// the link line and becomes the identity line.
void identify(vxInfo* app, qkwinInfo* window, int waitTenths, char* text, size_t size)
{
    app->anaDetails.version.appType = 2;   // any kind until identified
    app->anaDetails.winPtr = window;
    qkwinbtnsetstate(window, kOkButton, 0);
    if (waitTenths > 0) qkwinsleep(window, 2, waitTenths);
    app->anaFind.cancelFlag = 0;
    if (vxAnalyzerGetID(app) == 2) app->state = 20;
    qkwinmsgstopthred(mainOf(app, window));
    qkwinchgcursor(window, QKWIN_CURSOR_ARROW);
    qkwinbtnsetstate(window, kOkButton, 1);
    pagesOn(app, window);
    qkwinstaticsettext(window, kIdentityStatic, text);
    vxParseAnalyzerID(app);
    if (app->state.load() == 20) vxLoadDataCfgFiles(app);
    qkstrfmt(text, size, " Analyzer ID: %s", app->anaDetails.ID.version);
    qkwinstaticsettext(window, kIdentityStatic, text);
}

// ---- serial set-up steps ----------------------------------------------------------------

// A TCP link in use is given up only when the user agrees.
bool releaseTcp(vxInfo* app, qkwinInfo* window)
{
    if (app->anaCom.connectType != 2) return true;
    char text[160];
    qkstrfmt(text, sizeof text, "Analyzer Line already connected to Ethernet port: %d\nDisconnect port and continue with setup",
             app->anaCom.tcp.client.port);
    if (!askYes(window, text)) return false;
    qkwinstddisconnecttcp(connectWindow(app, window));
    app->anaCom.connectType = 0;
    qkwinbtnsetstate(window, kSerialButton, 0);
    qkwinstaticsettext(window, kLinkStatic, "Analyzer NOT connected");
    return true;
}

// An open serial port is closed only when the user agrees.
bool releaseSerial(vxInfo* app, qkwinInfo* window)
{
    qkcommAsynInfo& asyn = app->anaCom.asyn;
    if (asyn.fd <= 0) return true;
    char text[160];
    qkstrfmt(text, sizeof text, "Disconnect port: %d\nand continue with setup", asyn.port);
    if (!askYes(window, text)) return false;
    qkwinstddisconnectasyn(connectWindow(app, window));
    qkstrfmt(text, sizeof text, "Serial Line port: %d, disconnected", asyn.port);
    qkwinstaticsettext(window, kLinkStatic, text);
    setMainStatus(app, window, VX_SBAR_ANALYZER, "Serial Line NOT connected");
    asyn.port = 0;
    app->state = 1;
    return true;
}

// The rate is found from the text the analyzer sends by itself while idle:
// nothing is sent at a trial rate (its identity block is not text). The
// identification request is built ready for the rate found.
void prepareProbe(vxInfo* app, qkwinInfo* window)
{
    qkcommAsynInfo& asyn = app->anaCom.asyn;
    // The detection reports its attempts to the main window's running child,
    // which is this window since it was started.
    qkwinstdAsynSetUserNotifyID(window, kIdentityStatic);
    app->diagProt.modbusAddr = 1;
    vxBuildDiagReqMsg(app, VX_DP_IDENTITY);
    asyn.autoSendMsg = nullptr;
    asyn.autoDelay = kProbeListenTenths;
    asyn.status = 0;
}

// Runs the serial connect on the worker and waits for its end. True when the port is open.
bool connectSerial(vxInfo* app, qkwinInfo* window)
{
    qkcommAsynInfo& asyn = app->anaCom.asyn;
    vxthreadInfo& slot = app->connanathrds;
    if (vxWorkerStart(&slot, connectAsynWorker, connectWindow(app, window), kLabel, "serial connection") != 0)
        return false;
    while (asyn.status.load(std::memory_order_acquire) == 0 && slot.thrdPtr.load() != nullptr)
        qkwinsleep(window, 2, 5);
    const bool open = asyn.status.load(std::memory_order_acquire) != 0 && asyn.fd > 0;
    vxWorkerStop(&slot);
    return open;
}

// ---- TCP set-up steps ---------------------------------------------------------------

bool releaseSerialForTcp(vxInfo* app, qkwinInfo* window)
{
    qkcommAsynInfo& asyn = app->anaCom.asyn;
    if (app->anaCom.connectType != 1 || asyn.port <= 0) return true;
    char text[160];
    qkstrfmt(text, sizeof text, "Analyzer Line already connected to Comm port: %d\nDisconnect port and continue with setup",
             asyn.port);
    if (!askYes(window, text)) return false;
    qkwinstddisconnectasyn(connectWindow(app, window));
    app->anaCom.connectType = 0;
    qkwinbtnsetstate(window, kTcpButton, 0);
    qkwinstaticsettext(window, kLinkStatic, "Analyzer NOT connected");
    return true;
}

int tcpPort(const qkcommTCPInfo& tcp)
{
    return tcp.service == 1 ? tcp.server.port : tcp.client.port;
}

// Runs the TCP connect on the worker; a dot a second shows it is still trying.
int connectTcp(vxInfo* app, qkwinInfo* window)
{
    qkcommTCPInfo& tcp = app->anaCom.tcp;
    vxthreadInfo& slot = app->connanathrds;
    tcp.status = 0;
    if (vxWorkerStart(&slot, connectTcpWorker, connectWindow(app, window), kLabel, "TCP connection") != 0) return -2;
    char text[160];
    qkstrfmt(text, sizeof text, "Attempting connection to port: %d, wait", tcpPort(tcp));
    qkwinstaticsettext(window, kLinkStatic, text);
    char dots[128] = "";
    while (tcp.status.load(std::memory_order_acquire) == 0 && slot.thrdPtr.load() != nullptr) {
        qkstradd(dots, ".");
        qkwinstaticsettext(window, kIdentityStatic, dots);
        qkwinsleep(window, 2, 10);
    }
    const int status = tcp.status.load(std::memory_order_acquire);
    vxWorkerStop(&slot);
    return status;
}

void finish(vxInfo* app, qkwinInfo* window, const char* text)
{
    qkwinchgcursor(window, QKWIN_CURSOR_ARROW);
    setMainStatus(app, window, VX_SBAR_ANALYZER, text);
    qklogf(kLabel, "%s", text);
}

}  // namespace

// ---- the connection window ----------------------------------------------------------------

int vxConnectWinCB(qkwinInfo* window)
{
    qklogTrace("vxConnectWinCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    if (app->connWinPtr != nullptr) return 0;   // already open
    qkwinUpdateStatBarItem(window, VX_SBAR_SCREEN, "SCREEN ID: CONNECTION/SETUP");
    qkwinInfo* child = vxStartChildWindow(window, kConnectWindow, connWinSetUp);
    if (child != nullptr) app->connWinPtr = child;
    return 0;
}

int vxConnWinAdopt(qkwinInfo* window)
{
    qklogTrace("vxConnWinAdopt");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    qkwinInfo* child = vxTakeChildWindow(window, connWinSetUp);
    if (child != nullptr) app->connWinPtr = child;
    return 0;
}

int vxConnAnalyzerTimerCB(qkwinInfo* window)
{
    qklogTrace("vxConnAnalyzerTimerCB");
    (void)window;
    return 0;
}

int vxAsynSetupCB(qkwinInfo* window)
{
    qklogTrace("vxAsynSetupCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    qkcommAsynInfo& asyn = app->anaCom.asyn;
    app->actWinPtr = window;
    app->anaFind.cancelFlag = 0;
    qkwinbtnsetstate(window, kTcpButton, 0);
    if (!releaseTcp(app, window) || !releaseSerial(app, window)) {
        app->actWinPtr = nullptr;
        return 0;
    }

    asyn.port = 0;
    asyn.baud = 0;
    asyn.state = 0;
    qkwinstdsetasyndefaults(&asyn, 0, 0, 0, 1, 8);
    qkwinstdsetasynportsCB(window);
    qkwindlgdspbyID(window, QKWINSTD_ASYNDLG);
    qkwinInfo* main = mainOf(app, window);
    onMain(app, window, [main] { main->userDevUpDateFunc = vxDevUpDateDetected; });
    if (asyn.state.load() < 20 || asyn.port <= 0) {
        qkwinbtnsetstate(window, kSerialButton, 0);
        app->actWinPtr = nullptr;
        return 0;
    }

    qkwinmsgrunthred(main, "Please wait");
    qkwinchgcursor(window, QKWIN_CURSOR_WAIT);
    char text[160];
    if (asyn.baud == 0) {
        qkstrfmt(text, sizeof text, "Auto baud detection for port: %d, wait", asyn.port);
        qkwinstaticsettext(window, kLinkStatic, text);
    }
    prepareProbe(app, window);
    if (!connectSerial(app, window)) {
        qkwinmsgstopthred(main);
        qkwinbtnsetstate(window, kSerialButton, 0);
        qkstrset(text, "Serial Line NOT connected");
        qkwinstaticsettext(window, kLinkStatic, text);
    } else {
        qkstrfmt(text, sizeof text, "Serial Line connected to port: %d", asyn.port);
        app->state = 10;
        app->anaCom.connectType = 1;
        qkwinstaticsettext(window, kLinkStatic, text);
        identify(app, window, 0, text, sizeof text);
    }
    finish(app, window, text);
    app->actWinPtr = nullptr;
    return 0;
}

int vxTcpSetupCB(qkwinInfo* window)
{
    qklogTrace("vxTcpSetupCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    qkcommTCPInfo& tcp = app->anaCom.tcp;
    app->actWinPtr = window;
    qkwinbtnsetstate(window, kSerialButton, 0);
    app->anaFind.cancelFlag = 0;
    if (!releaseSerialForTcp(app, window)) {
        app->actWinPtr = nullptr;
        return 0;
    }

    tcp.state = 0;
    tcp.service = 2;
    tcp.client.port = 0;
    tcp.client.address[0] = '\0';
    qkwinstdsetTCPdefaults(&tcp, 2, 0, "");
    qkwindlgdspbyID(window, QKWINSTD_TCPDLG);
    if (tcp.state.load() < 20 || tcpPort(tcp) <= 0) {
        qkwinbtnsetstate(window, kTcpButton, 0);
        app->actWinPtr = nullptr;
        return 0;
    }

    char text[160];
    if (connectTcp(app, window) != 1) {
        qkstrset(text, "TCP client NOT connected");
        qkwinstaticsettext(window, kLinkStatic, text);
        qkwinbtnsetstate(window, kTcpButton, 0);
    } else {
        qkstrfmt(text, sizeof text, "TCP client connected to port: %d", tcpPort(tcp));
        app->state = 12;
        app->anaCom.connectType = 2;
        qkwinstaticsettext(window, kLinkStatic, text);
        identify(app, window, 2, text, sizeof text);
    }
    finish(app, window, text);
    app->actWinPtr = nullptr;
    return 0;
}

int vxConnectOKCB(qkwinInfo* window)
{
    qklogTrace("vxConnectOKCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    app->anaCom.asyn.autoState = 1;
    vxWorkerStop(&app->connanathrds);
    pagesOn(app, window);
    homePage(app, window);
    qkwinInfo* main = mainOf(app, window);
    onMain(app, window, [app] { app->connWinPtr = nullptr; });
    // The window's own close runs this too; closing it again is harmless.
    if (window != main) qksyswinchildexit(window);
    return 1;
}

// ---- the user set-up window -------------------------------------------------------------

int vxSetUpLoadVerCB(qkwinInfo* window)
{
    qklogTrace("vxSetUpLoadVerCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    char text[128];
    qkstrfmt(text, sizeof text, "%d", app->userPW != 0 ? app->userPW : VX_PW_LEVEL1);
    qkwineditsettext(window, kPasswordEdit, text);
    const vxAnaSupVerInfo& list = app->anaSupVer;
    for (int i = 0; i < list.cnt && i < VX_MAXSUPVER; ++i) {
        const vxAnalyzerVersion& v = list.version[i];
        // Read back as an identity: the application, then revision and build.
        qkstrfmt(text, sizeof text, "%s %s-%s", v.appName, v.revName, v.bldName);
        qkwinlistadditem(window, kVersionList, text);
    }
    return 0;
}

int vxGetUserSetupCB(qkwinInfo* window)
{
    qklogTrace("vxGetUserSetupCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemid == kUserOkButton) {
        char text[128];
        qkwineditgettext(window, kPasswordEdit, sizeof text, text);
        app->userPW = std::atoi(text);
        qkwineditgettext(window, kModbusAddrEdit, sizeof text, text);
        app->diagProt.modbusAddr = std::atoi(text);
        vxValidateMbSlaveAddress(app);

        const int sel = qkwinlistgetcursel(window, kVersionList);
        if (sel >= 0 && qkwinlistgetitem(window, kVersionList, sel, sizeof text, text) == 0 && text[0] != '\0') {
            vxAnalyzerInfo& ana = app->anaDetails;
            qkstrset(ana.ID.version, text);
            qkstrfmt(app->anaFind.msgBuf, sizeof app->anaFind.msgBuf, " Analyzer ID: %s%s", ana.ID.version,
                     app->state.load() <= 9 ? "  **NOT CONNECTED**" : "");
            vxParseAnalyzerID(app);
            setMainStatus(app, window, VX_SBAR_ANALYZER, app->anaFind.msgBuf);
            vxLoadDataCfgFiles(app);
            if (app->state.load() > 5) app->state = 20;
        }
        const int valid = vxValidatePassword(app);
        if (valid != 0) return valid;
    }
    pagesOn(app, window);
    homePage(app, window);
    qksyswinchildexit(window);
    return 0;
}
