// vxRemoteSrv: the remote window and its TCP server (see the header).
#include "vxRemoteSrv.h"

#include <cerrno>
#include <cstring>

#include "qkcommtcp.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswinbutton.h"
#include "qksyswinchild.h"
#include "qksyswindlg.h"
#include "qksyswinedit.h"
#include "qksyswinmsgbox.h"
#include "qksyswinsrv.h"
#include "qksyswinstatbar.h"
#include "qksyswinstatic.h"
#include "qkwinstdcallbacks.h"
#include "vxWinSrv.h"
#include "vxWorkerSrv.h"

namespace {

constexpr int kClickEvent = 6;
constexpr int kAccessButton = 1214;
constexpr int kServiceStatic = 1226;
constexpr int kAddressStatic = 1230;
constexpr int kPortStatic = 1234;
constexpr int kTimerEvent = 2;
constexpr int kTimerMs = 100;
constexpr int kIdleMs = 20;         // pause of the server between polls while nothing happens
constexpr const char* kLabel = "vxRemote";

enum ServerState : int { kStopped = 0, kStarting, kListening, kClientIn, kRefused, kFailed };

// ---- the allowed-client list ------------------------------------------------------

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == '\n' || c == '\r';
}

// Four dotted decimal octets of 0-255; false for anything else.
bool parseOctets(const char* text, int oct[4])
{
    const char* p = text;
    for (int j = 0; j < 4; ++j) {
        int value = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9' && digits < 4) {
            value = value * 10 + (*p - '0');
            ++digits;
            ++p;
        }
        if (digits == 0 || digits > 3 || value > 255) return false;
        oct[j] = value;
        if (j < 3 && *p++ != '.') return false;
    }
    return *p == '\0';
}

uint32_t packed(const int oct[4])
{
    return (static_cast<uint32_t>(oct[0]) << 24) | (static_cast<uint32_t>(oct[1]) << 16) |
           (static_cast<uint32_t>(oct[2]) << 8) | static_cast<uint32_t>(oct[3]);
}

void dotted(uint32_t addr, char* text, size_t size)
{
    qkstrfmt(text, size, "%u.%u.%u.%u", (addr >> 24) & 255u, (addr >> 16) & 255u, (addr >> 8) & 255u, addr & 255u);
}

// ---- the server worker ---------------------------------------------------------------

// Each report counts, so the window also shows a second refused client.
void report(vxRemoteComInfo& r, int state)
{
    r.srvState.store(state, std::memory_order_release);
    r.srvEvent.fetch_add(1, std::memory_order_acq_rel);
}

void reportPeer(vxRemoteComInfo& r, int state)
{
    int oct[4] = {};
    r.peerAddr.store(parseOctets(r.tcp.vip.address, oct) ? packed(oct) : 0, std::memory_order_relaxed);
    report(r, state);
}

// However the worker ends (a stop unwinds it at its next wait), its sockets
// go with it: nothing is left listening.
struct ServerSockets {
    qkcommTCPInfo* tcp;
    ~ServerSockets() { qkcommSocketClose(tcp); }
};

// One client: what it sends is logged (it is served nothing more) until it leaves.
void serveClient(vxRemoteComInfo& r)
{
    qkcommTCPInfo& tcp = r.tcp;
    unsigned char data[1024];
    tcp.server.dbuf = data;
    tcp.server.bcnt = static_cast<int>(sizeof data);
    for (;;) {
        const int n = qkcommSocketRecv(&tcp);
        if (n > 0) {
            qklogf(kLabel, "Remote client %s sent %d bytes", tcp.server.rhadd, n);
            continue;
        }
        if (n == -3) {   // the transport has closed the client's socket
            qklogf(kLabel, "Remote client %s left", tcp.server.rhadd);
            break;
        }
        if (n < 0) {
            qkcommSocketCloseClient(&tcp);
            break;
        }
        qksyssleep(4, kIdleMs);
    }
    tcp.server.dbuf = nullptr;
    tcp.server.bcnt = 0;
}

void serverWorker(void* argument)
{
    auto& r = *static_cast<vxRemoteComInfo*>(argument);
    qkcommTCPInfo& tcp = r.tcp;
    ServerSockets sockets{&tcp};
    errno = 0;
    if (qkcommSocketInit(&tcp) != 0 || qkcommSocketWaitConnect(&tcp) != 0) {
        r.srvErrno.store(errno, std::memory_order_relaxed);
        report(r, kFailed);
        return;
    }
    qklogf(kLabel, "Remote access server listening on %s:%d", tcp.server.address, tcp.server.port);
    report(r, kListening);
    for (;;) {
        tcp.socket = tcp.server.fd;   // the readiness poll watches the listening socket
        const int event = qkcommNetEvent(&tcp);
        if (event < 0) {
            r.srvErrno.store(errno, std::memory_order_relaxed);
            report(r, kFailed);
            return;
        }
        if (event == 0) {
            qksyssleep(4, kIdleMs);
            continue;
        }
        tcp.vip.address[0] = '\0';
        const int accepted = qkcommSocketAccConnect(&tcp);
        if (accepted == 0) {
            reportPeer(r, kClientIn);
            serveClient(r);
            report(r, kListening);
        } else if (accepted == -2 && tcp.vip.address[0] != '\0') {
            reportPeer(r, kRefused);   // the transport has closed and logged it
        } else {
            qksyssleep(4, kIdleMs);
        }
    }
}

// ---- the window side --------------------------------------------------------------------

qkwinInfo* mainOf(vxInfo* app, qkwinInfo* window)
{
    return app->winPtr != nullptr ? app->winPtr : window;
}

// The address entered is used as it is when dotted; a name (the dialog
// offers "COMPUTERNAME" and "localhost") is resolved by the transport, which
// first looks for a variable of that name in the environment.
void takeServerName(qkcommTCPServiceInfo& server)
{
    int oct[4];
    server.srvName[0] = '\0';
    server.hPtr = nullptr;
    if (!parseOctets(server.address, oct)) qkstrset(server.srvName, server.address);
}

void showServer(qkwinInfo* window, const qkcommTCPServiceInfo& server)
{
    char text[64];
    qkwinstaticsettext(window, kServiceStatic, "Server");
    qkwinstaticsettext(window, kAddressStatic, server.address);
    qkstrfmt(text, sizeof text, "%d", server.port);
    qkwinstaticsettext(window, kPortStatic, text);
}

}  // namespace

int vxRemoteParseAllowed(const char* text, qkcommIPValInfo* vip, char* error, size_t errorSize)
{
    qklogTrace("vxRemoteParseAllowed");
    if (vip == nullptr || error == nullptr || errorSize == 0) return -2;
    error[0] = '\0';
    qkcommIPValInfo out{};
    constexpr int kMaxEntries = static_cast<int>(sizeof out.user / sizeof out.user[0]);
    const char* p = text != nullptr ? text : "";
    for (;;) {
        while (isSeparator(*p)) ++p;
        if (*p == '\0') break;
        const char* start = p;
        while (*p != '\0' && !isSeparator(*p)) ++p;
        const int len = static_cast<int>(p - start);
        if (out.cnt == kMaxEntries) {
            qkstrfmt(error, errorSize, "Too many allowed clients: at most %d addresses", kMaxEntries);
            return -2;
        }
        qkcommIPInfo& entry = out.user[out.cnt];
        const bool fits = len < static_cast<int>(sizeof entry.addr);
        if (fits) qkstrfmt(entry.addr, sizeof entry.addr, "%.*s", len, start);
        if (!fits || !parseOctets(entry.addr, entry.oct)) {
            qkstrfmt(error, errorSize,
                     "Allowed client \"%.*s\" is not an address\nWrite four numbers of 0-255 with points, "
                     "such as 192.168.1.20 (255 admits any value)",
                     len > 40 ? 40 : len, start);
            return -2;
        }
        ++out.cnt;
    }
    vip->cnt = out.cnt;
    for (int i = 0; i < out.cnt; ++i) vip->user[i] = out.user[i];
    return 0;
}

void vxRemoteStateText(const vxInfo* app, char* text, size_t size)
{
    qklogTrace("vxRemoteStateText");
    if (text == nullptr || size == 0) return;
    const vxRemoteComInfo& r = app->remote;
    const qkcommTCPServiceInfo& server = r.tcp.server;
    char peer[32];
    dotted(r.peerAddr.load(std::memory_order_relaxed), peer, sizeof peer);
    switch (r.srvState.load(std::memory_order_acquire)) {
    case kStarting: qkstrfmt(text, size, "Starting the server"); break;   // the worker may still resolve its name
    case kListening: qkstrfmt(text, size, "Listening on %s:%d", server.address, server.port); break;
    case kClientIn: qkstrfmt(text, size, "Client %s connected", peer); break;
    case kRefused: qkstrfmt(text, size, "Refused client %s", peer); break;
    case kFailed: {
        const int err = r.srvErrno.load(std::memory_order_relaxed);
        if (server.srvName[0] != '\0' && server.hPtr == nullptr)
            qkstrfmt(text, size, "Cannot find the server name %s", server.srvName);
        else
            qkstrfmt(text, size, "Cannot listen on port %d: %s", server.port,
                     err != 0 ? std::strerror(err) : "the address cannot be used");
        break;
    }
    default: qkstrfmt(text, size, "Server stopped"); break;
    }
}

int vxRemoteStop(vxInfo* app)
{
    qklogTrace("vxRemoteStop");
    if (app == nullptr) return -2;
    vxRemoteComInfo& r = app->remote;
    const int status = vxWorkerStop(&r.srvthrds);
    // A failure stays on show; a server that ran is now stopped.
    const int state = r.srvState.load(std::memory_order_acquire);
    if (state != kStopped && state != kFailed) report(r, kStopped);
    return status;
}

int vxRemoteWinCB(qkwinInfo* window)
{
    qklogTrace("vxRemoteWinCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    if (app->remote.winPtr.load() != nullptr) return 0;   // already open
    qkwinUpdateStatBarItem(window, VX_SBAR_SCREEN, "SCREEN ID: REMOTE");
    vxRemoteComInfo* remote = &app->remote;
    vxStartChildWindow(window, VX_REMOTE_WINDOW, [remote](qkwinInfo* w) {
        remote->winPtr = w;   // before its close function can clear it
        w->userCloseFunc = vxRemoteCloseCB;
        remote->lastEvent = remote->srvEvent.load();   // an earlier window's last report is old news
        qkwintimesetup(w, kTimerEvent, kTimerMs);
        qkwintimesetfunc(w, vxRemoteTimerCB);
        qkwintimestart(w);
    });
    return 0;
}

int vxRemoteAccessCB(qkwinInfo* window)
{
    qklogTrace("vxRemoteAccessCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    vxRemoteComInfo& r = app->remote;
    // The dialog writes the server record: a server still running ends first.
    vxRemoteStop(app);
    r.connectType = 1;
    window->stdtcpPtr = &r.tcp;
    qkwinbtnsetstate(window, kAccessButton, 1);

    char list[QKWIN_TEXTSIZE];
    char error[256];
    list[0] = '\0';
    qkwineditgettext(window, VX_REMOTE_ALLOWED_EDIT, sizeof list, list);
    qkcommIPValInfo allowed{};
    if (vxRemoteParseAllowed(list, &allowed, error, sizeof error) != 0) {
        qklogf(kLabel, "%s", error);
        qkwinmsginfo(window, error);
        return -2;
    }

    qkcommTCPInfo& tcp = r.tcp;
    tcp.state = 0;
    tcp.service = 1;
    tcp.server.port = 0;
    tcp.server.address[0] = '\0';
    qkwinstdsetTCPdefaults(&tcp, 1, 0, "");
    qkwindlgdspbyID(window, QKWINSTD_TCPDLG);
    if (tcp.state.load() < 20 || tcp.server.address[0] == '\0') return 0;   // the dialog was left

    takeServerName(tcp.server);
    tcp.vip.cnt = allowed.cnt;
    for (int i = 0; i < allowed.cnt; ++i) tcp.vip.user[i] = allowed.user[i];
    tcp.vip.address[0] = '\0';
    tcp.audit |= QKCOMMTCP_AUD_CREATE | QKCOMMTCP_AUD_LISTEN | QKCOMMTCP_AUD_ACCEPT | QKCOMMTCP_AUD_CLOSE;
    showServer(window, tcp.server);
    qklogf(kLabel, "Remote access on %s:%d, %s", tcp.server.address, tcp.server.port,
           allowed.cnt > 0 ? list : "every client allowed");
    r.srvErrno = 0;
    report(r, kStarting);
    if (vxWorkerStart(&r.srvthrds, serverWorker, &r, kLabel, "remote access server") != 0) report(r, kFailed);
    vxRemoteTimerCB(window);
    return 0;
}

int vxRemoteTimerCB(qkwinInfo* window)
{
    qklogTrace("vxRemoteTimerCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    vxRemoteComInfo& r = app->remote;
    const int event = r.srvEvent.load(std::memory_order_acquire);
    if (event == r.lastEvent) return 0;
    r.lastEvent = event;
    const int state = r.srvState.load(std::memory_order_acquire);
    // Once listening the address (a name resolved) and the port stand.
    if (state == kListening || state == kClientIn || state == kRefused) showServer(window, r.tcp.server);
    char text[QKWIN_TEXTSIZE];
    vxRemoteStateText(app, text, sizeof text);
    qkwinstaticsettext(window, VX_REMOTE_STATE_STATIC, text);
    return 0;
}

int vxRemoteCloseCB(qkwinInfo* window)
{
    qklogTrace("vxRemoteCloseCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return 1;
    vxRemoteStop(app);
    app->remote.winPtr = nullptr;
    qkwinInfo* main = mainOf(app, window);
    qksyswinOwnerRun(main, [main] { vxSetHomePage(main); });
    return 1;
}
