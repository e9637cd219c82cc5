// qkwinstdcallbacks: the standard connection callbacks (see the header).
#include "qkwinstdcallbacks.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "qkcommasyn.h"
#include "qkcommtcp.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswinregstdfunc.h"
#include "qkwinfuncsrv.h"
#include "qkwinmsgbox.h"

namespace {

std::atomic<const qkwinstdwidgetInfo*> g_widgets{nullptr};

const qkwinstdwidgetInfo* widgets()
{
    return g_widgets.load(std::memory_order_acquire);
}

// Ports the serial layer is asked about when the port list is filled.
constexpr int kMaxPorts = 256;
// A port-list entry's first word: "COM128", "\\.\COM7".
constexpr int kWordSize = 32;
// The baud detection runs five passes over the rates when none are set.
constexpr int kDefaultAutoRetries = 5;
// The attempt notifier serves this many pending messages (n - 1 of runpeekmsg).
constexpr int kNotifyPeek = 10;
// A server waits this many 100 ms steps for its peer before it gives up.
constexpr int kAcceptWaitSteps = 300;

qkcommAsynInfo* asynOf(qkwinInfo* window)
{
    if (window == nullptr) return nullptr;
    if (window->stdasynPtr != nullptr) return window->stdasynPtr;
    return window->prntPtr != nullptr ? window->prntPtr->stdasynPtr : nullptr;
}

qkcommTCPInfo* tcpOf(qkwinInfo* window)
{
    if (window == nullptr) return nullptr;
    if (window->stdtcpPtr != nullptr) return window->stdtcpPtr;
    return window->prntPtr != nullptr ? window->prntPtr->stdtcpPtr : nullptr;
}

// Every failure goes to the log and to an information box.
void tell(qkwinInfo* window, const char* label, const char* text)
{
    qklogf(label, "%s", text);
    qkwinmsgboxshow(window, QKWIN_MSG_INFO, text);
}

void closeDialog(qkwinInfo* window)
{
    if (qkwincallback exitFn = qksyswinstdfuncget("qksyswindlgexit")) exitFn(window);
}

void setCursor(qkwinInfo* window, int kind)
{
    const qkwinstdwidgetInfo* ops = widgets();
    if (ops != nullptr && ops->chgcursor != nullptr && window != nullptr) ops->chgcursor(window, kind);
}

// The chosen text of a combo box without surrounding blanks ("" when the
// widgets are not there).
void readCombo(qkwinInfo* window, int id, char* text, int size)
{
    text[0] = '\0';
    const qkwinstdwidgetInfo* ops = widgets();
    if (ops == nullptr || ops->combogetedit == nullptr || ops->combogetedit(window, id, size, text) != 0) {
        text[0] = '\0';
        return;
    }
    qkstrTrim(text, ' ');
    qkstrTrim(text, '\t');
}

// A whole text that is a decimal number in [low, high].
bool toNumber(const char* text, long low, long high, int* out)
{
    if (text == nullptr || *text == '\0') return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
    *out = static_cast<int>(v);
    return true;
}

// The first blank-separated word of text, cut to the size of word.
void firstWord(const char* text, char (&word)[kWordSize])
{
    word[0] = '\0';
    if (text == nullptr) return;
    while (*text == ' ' || *text == '\t') ++text;
    size_t n = std::strcspn(text, " \t\r\n");
    if (n >= sizeof word) n = sizeof word - 1;
    std::memcpy(word, text, n);
    word[n] = '\0';
}

// The serial connect attempt hands the record over through status, written
// last. A worker that is stopped in the middle of the baud detection leaves
// no port open and the attempt ended.
struct AsynAttempt {
    qkcommAsynInfo* rec;
    bool done = false;
    void end(int result)
    {
        if (result != 0 && rec->fd > 0) {
            qkcommAsynClose(rec->fd);
            rec->fd = 0;
        }
        rec->status.store(1, std::memory_order_release);
        done = true;
    }
    ~AsynAttempt()
    {
        if (!done) end(-2);
    }
};

struct BusyCursor {
    qkwinInfo* window;
    explicit BusyCursor(qkwinInfo* w) : window(w) { setCursor(window, 1); }
    ~BusyCursor() { setCursor(window, 0); }
};

// The TCP connect attempt: a failure closes what was opened for it and ends
// with status -2, also when the worker is stopped while it waits.
struct TcpAttempt {
    qkcommTCPInfo* rec;
    bool done = false;
    int fail()
    {
        qkcommSocketClose(rec);
        rec->status.store(-2, std::memory_order_release);
        done = true;
        return -2;
    }
    int succeed()
    {
        rec->state.store(50);
        rec->status.store(1, std::memory_order_release);
        done = true;
        return 0;
    }
    ~TcpAttempt()
    {
        if (!done) fail();
    }
};

// The client part takes a dotted address; a host name ("localhost") is
// looked up first.
void resolveClient(qkcommTCPInfo* rec)
{
    qkcommTCPServiceInfo& c = rec->client;
    if (c.address[0] == '\0') return;
    const char* dotted = qkcommGetHostIPbyName(c.address);
    if (dotted != nullptr && std::strcmp(dotted, c.address) != 0) {
        qklogf("qkwinstdconnecttcp", "host: %s, address: %s", c.address, dotted);
        qkstrset(c.address, dotted);
    }
}

int connectClient(qkwinInfo* window, qkcommTCPInfo* rec)
{
    const char* me = "qkwinstdconnecttcp";
    TcpAttempt attempt{rec};
    resolveClient(rec);
    int r = qkcommSocketInit(rec);
    if (r == 0) r = qkcommScoketSendConnect(rec);
    if (r == 0) return attempt.succeed();
    tell(window, me, r == 1 ? "TCP connect busy" : "TCP connect error");
    return attempt.fail();
}

int connectServer(qkwinInfo* window, qkcommTCPInfo* rec)
{
    const char* me = "qkwinstdconnecttcp";
    TcpAttempt attempt{rec};
    if (qkcommSocketInit(rec) != 0 || qkcommSocketWaitConnect(rec) != 0) {
        tell(window, me, "TCP accept error");
        return attempt.fail();
    }
    // The peer may call at any time: wait for it in steps that a stop of
    // the worker can interrupt, within a bound.
    bool called = false;
    for (int step = 0; step < kAcceptWaitSteps && !called; ++step) {
        const int ev = qkcommNetEvent(rec);
        if (ev < 0) break;
        called = ev > 0;
        if (!called) qksyssleep(2, 1);
    }
    if (!called) return attempt.fail();
    const int r = qkcommSocketAccConnect(rec);
    if (r == 0) return attempt.succeed();
    tell(window, me, r == 2 ? "TCP waiting for connet call" : "TCP accept error");
    return attempt.fail();
}

// The dialog whose port list is filled: the dialog itself, the window's open
// dialog, or the dialog configured last.
qkwinInfo* portListDialog(qkwinInfo* window)
{
    if (window->type == 3) return window;
    if (window->actdlgPtr != nullptr) return window->actdlgPtr;
    for (int i = window->dlg.cnt - 1; window->dlg.idPtr != nullptr && i >= 0; --i)
        if (window->dlg.idPtr[i].winPtr != nullptr) return window->dlg.idPtr[i].winPtr;
    return nullptr;
}

}  // namespace

int qkwinstdsetwidgets(const qkwinstdwidgetInfo* ops)
{
    qklogTrace("qkwinstdsetwidgets");
    g_widgets.store(ops, std::memory_order_release);
    return 0;
}

int qkwinregisterstdcb(qkwinInfo* window)
{
    qklogTrace("qkwinregisterstdcb");
    if (window == nullptr) return -2;
    const qkwinstdwidgetInfo* ops = widgets();
    const qkwincallback dlgStart = qksyswinstdfuncget("qkwindlgstart");
    const qkwincallback dlgExit = qksyswinstdfuncget("qksyswindlgexit");
    const qkwincallback dlgExitConf = qksyswinstdfuncget("qksyswindlgexitconf");
    const struct {
        int id;
        const char* name;
        qkwincallback fn;
    } table[] = {
        {199, "qkwinstdloadasynports", qkwinstdloadasynports},
        {199, "qkdspcurrentscale", qksyswinstdfuncget("qkdspcurrentscale")},
        {9371, "qkwindlgstart", dlgStart},
        {9382, "qkwinstdgetasynparameters", qkwinstdgetasynparameters},
        {9386, "qkwinstdconnectasyn", qkwinstdconnectasyn},
        {9387, "qkwinstddisconnectasyn", qkwinstddisconnectasyn},
        {9561, "qkwindlgstart", dlgStart},
        {9569, "qkwinstdgettcpparameters", qkwinstdgettcpparameters},
        {9573, "qkwinstdconnecttcp", qkwinstdconnecttcp},
        {9590, "qkstdpagedspcb", ops != nullptr ? ops->pagedsp : nullptr},
        {9997, "qksyswindlgexit", dlgExit},
        {9997, "qksyswindlgexitconf", dlgExitConf},
        {9383, "qksyswindlgexit", dlgExit},
        {9867, "qkwindlgstart", dlgStart},
    };
    for (const auto& e : table) qkwinfuncsetcallback(window, e.id, e.name, e.fn, 1);
    // Binding is by name prefix: every "qksyswindlgexit" above also reached
    // the entries named "qksyswindlgexitconf", the last one after their own
    // binding. Those entries get the confirming exit back, so a dialog's
    // exit with confirmation never closes it without asking.
    qkwinfuncloadaddr(window, "qksyswindlgexitconf", dlgExitConf);
    window->userDevUpDateFunc = qkwinstdloadasynports;
    return 0;
}

int qkwinstdsetasynportsCB(qkwinInfo* window)
{
    qklogTrace("qkwinstdsetasynportsCB");
    if (window == nullptr) return -2;
    window->userDevUpDateFunc = qkwinstdloadasynports;
    return 0;
}

int qkwinstdsetasyndefaults(qkcommAsynInfo* record, int port, int baud, int parity, int stopBits, int dataBits)
{
    qklogTrace("qkwinstdsetasyndefaults");
    if (record == nullptr) {
        qklogf("qkwinstdsetasyndefaults", "No qkcommAsynInfo structure defined");
        return -2;
    }
    if (port > 0) record->port = port;
    if (baud > 0) record->baud = baud;
    if (parity >= 0) record->parity = parity;
    if (stopBits > 0) record->stopBits = stopBits;
    if (dataBits > 0) record->dataBits = dataBits;
    return 0;
}

int qkwinstdgetasynport(const char* text)
{
    qklogTrace("qkwinstdgetasynport");
    char word[kWordSize];
    firstWord(text, word);
    if (word[0] == '\0') return -2;
    // Whatever stands before "COM" (a device prefix such as "\\.\") goes with it.
    const char* number = word;
    for (const char* p = word; p[0] && p[1] && p[2]; ++p)
        if (std::toupper(static_cast<unsigned char>(p[0])) == 'C' &&
            std::toupper(static_cast<unsigned char>(p[1])) == 'O' &&
            std::toupper(static_cast<unsigned char>(p[2])) == 'M') {
            number = p + 3;
            break;
        }
    int port = 0;
    return toNumber(number, 1, INT_MAX, &port) ? port : -2;
}

int qkwinstdAsynSetUserNotifyID(qkwinInfo* window, int id)
{
    qklogTrace("qkwinstdAsynSetUserNotifyID");
    qkcommAsynInfo* rec = asynOf(window);
    if (rec == nullptr) return -2;
    rec->autoNotifyID = id;
    return 0;
}

int qkwinstdsetTCPdefaults(qkcommTCPInfo* record, int service, int port, const char* address)
{
    qklogTrace("qkwinstdsetTCPdefaults");
    const char* me = "qkwinstdsetTCPdefaults";
    if (record == nullptr) {
        qklogf(me, "No qkcommTCPInfo structure defined");
        return -2;
    }
    if (service == 1 || service == 2) record->service = service;
    qkcommTCPServiceInfo* part = record->service == 1   ? &record->server
                                 : record->service == 2 ? &record->client
                                                        : nullptr;
    if (part == nullptr) {
        qklogf(me, "TCP service error");
        return -2;
    }
    if (port > 0) part->port = port;
    if (address != nullptr && address[0] != '\0') qkstrset(part->address, address);
    return 0;
}

int qkwinstdloadasynports(qkwinInfo* window)
{
    qklogTrace("qkwinstdloadasynports");
    if (window == nullptr) return -2;
    const qkwinstdwidgetInfo* ops = widgets();
    qkwinInfo* dialog = portListDialog(window);
    if (ops == nullptr || ops->comboclear == nullptr || ops->comboadditem == nullptr || dialog == nullptr) return -2;
    // A window without the port list (another dialog is open) keeps its controls.
    if (ops->comboclear(dialog, QKWINSTD_ASYNPORT) != 0) return -2;
    for (int n = 1; n <= kMaxPorts; ++n) {
        char name[QKWIN_TEXTSIZE];
        qkstrfmt(name, sizeof name, "COM%d", n);
        if (qkcommAsynValidate(name) != 1) continue;
        qkstrfmt(name, sizeof name, "COM%d", n);
        ops->comboadditem(dialog, QKWINSTD_ASYNPORT, name);
    }
    return 0;
}

int qkwinstdgetasynparameters(qkwinInfo* window)
{
    qklogTrace("qkwinstdgetasynparameters");
    const char* me = "qkwinstdgetasynparameters";
    qkcommAsynInfo* rec = asynOf(window);
    if (rec == nullptr) {
        tell(window, me, "No qkcommAsynInfo structure defined");
        closeDialog(window);
        return -2;
    }
    rec->state.store(0);
    char text[QKWIN_TEXTSIZE];
    readCombo(window, QKWINSTD_ASYNPORT, text, sizeof text);
    const int port = qkwinstdgetasynport(text);
    if (port < 0) {
        tell(window, me, "Select COM port");
        return -2;
    }
    char word[kWordSize];
    firstWord(text, word);
    qkstrset(rec->devname, word);
    rec->port = port;

    // No rate chosen asks for detection, as the dialog says.
    int value = 0;
    readCombo(window, QKWINSTD_ASYNBAUD, text, sizeof text);
    if (text[0] == '\0')
        rec->baud = 0;
    else if (toNumber(text, 0, INT_MAX, &value))
        rec->baud = value;

    readCombo(window, QKWINSTD_ASYNPARITY, text, sizeof text);
    qkstrToLower(text);
    if (std::strcmp(text, "none") == 0) rec->parity = 0;
    if (std::strcmp(text, "even") == 0) rec->parity = 1;
    if (std::strcmp(text, "odd") == 0) rec->parity = 2;

    readCombo(window, QKWINSTD_ASYNDATABITS, text, sizeof text);
    if (toNumber(text, 1, 16, &value)) rec->dataBits = value;
    readCombo(window, QKWINSTD_ASYNSTOPBITS, text, sizeof text);
    if (toNumber(text, 1, 2, &value)) rec->stopBits = value;

    rec->state.store(20);
    closeDialog(window);
    return 0;
}

int qkwinstdAsynUserFunc(void* arg)
{
    qklogTrace("qkwinstdAsynUserFunc");
    auto* window = static_cast<qkwinInfo*>(arg);
    if (window == nullptr) return 0;
    // The attempts show in the set-up window the program runs as the active
    // child; without one, in the window itself.
    qkwinInfo* target = window->actcldPtr != nullptr ? window->actcldPtr : window;
    const qkwinstdwidgetInfo* ops = widgets();
    if (ops != nullptr && ops->runpeekmsg != nullptr) ops->runpeekmsg(target, kNotifyPeek);
    setCursor(target, 1);
    qkcommAsynInfo* rec = asynOf(window);
    if (rec != nullptr && rec->autoNotifyID != 0 && ops != nullptr && ops->staticsettext != nullptr) {
        char text[QKWIN_TEXTSIZE];
        qkstrfmt(text, sizeof text, "Attempt %d for baud rate: %d", rec->autoAttempt.load(), rec->baud);
        ops->staticsettext(target, rec->autoNotifyID, text);
    }
    return 0;
}

int qkwinstdconnectasyn(qkwinInfo* window)
{
    qklogTrace("qkwinstdconnectasyn");
    const char* me = "qkwinstdconnectasyn";
    char text[QKWIN_TEXTSIZE];
    qkcommAsynInfo* rec = asynOf(window);
    if (rec == nullptr) {
        tell(window, me, "No qkcommAsynInfo structure defined");
        return -2;
    }
    if (rec->state.load() < 20) {
        qklogf(me, "ASYN parameters not defined");
        rec->status.store(1, std::memory_order_release);
        return -2;
    }
    rec->status.store(0);
    AsynAttempt attempt{rec};
    qkcommAsynSetDevName("\\\\.\\COM");

    if (rec->baud > 0) {
        // The port is held exclusively: one still open from the last
        // connection is let go first.
        if (rec->fd > 0) qkcommAsynClose(rec->fd);
        rec->fd = qkcommAsynOpen(rec->port, rec->baud, rec->parity, rec->dataBits, rec->stopBits);
        if (rec->fd < 0) {
            qkstrfmt(text, sizeof text, "ASYN open error for port: %d", rec->port);
            tell(window, me, text);
            attempt.end(-2);
            return -2;
        }
    } else {
        qkcommAsynSetUserFunc(rec, qkwinstdAsynUserFunc, window);
        if (rec->autoRetries <= 0) rec->autoRetries = kDefaultAutoRetries;
        rec->autoState.store(0);
        int r;
        {
            BusyCursor busy(window->prntPtr != nullptr ? window->prntPtr : window);
            r = qkcommAsynBaudDetection(rec);
        }
        if (r != 0) {
            // The rate tried last is no choice of the user's: the next
            // attempt detects again.
            rec->baud = 0;
            qkstrfmt(text, sizeof text,
                     r == -1 ? "ASYN open error for port: %d" : "Could not detect baud rate for port: %d", rec->port);
            if (r == 1)
                qklogf(me, "%s", text);  // the program cancelled it: nothing to tell the user
            else
                tell(window, me, text);
            attempt.end(-2);
            return -2;
        }
    }
    qkcommAsynFlush(rec->fd);
    rec->state.store(50);
    qklogf(me, "ASYN port: %d connected", rec->port);
    attempt.end(0);
    return 0;
}

int qkwinstddisconnectasyn(qkwinInfo* window)
{
    qklogTrace("qkwinstddisconnectasyn");
    const char* me = "qkwinstddisconnectasyn";
    qkcommAsynInfo* rec = asynOf(window);
    if (rec == nullptr) {
        tell(window, me, "No qkcommAsynInfo structure defined");
        return -2;
    }
    if (rec->fd > 0) qkcommAsynClose(rec->fd);
    rec->fd = 0;
    rec->state.store(20);
    qklogf(me, "ASYN port: %d disconnected", rec->port);
    return 0;
}

int qkwinstdgettcpparameters(qkwinInfo* window)
{
    qklogTrace("qkwinstdgettcpparameters");
    const char* me = "qkwinstdgettcpparameters";
    qkcommTCPInfo* rec = tcpOf(window);
    if (rec == nullptr) {
        tell(window, me, "No qkcommTCPInfo structure defined");
        closeDialog(window);
        return -2;
    }
    rec->state.store(0);
    char text[QKWIN_TEXTSIZE];
    // The program may have fixed the role (set-up of the analyzer link as
    // client, remote access as server); only otherwise does the user choose.
    int service = rec->service;
    if (service != 1 && service != 2) {
        readCombo(window, QKWINSTD_TCPSERVICE, text, sizeof text);
        qkstrToLower(text);
        if (std::strcmp(text, "client") == 0) service = 2;
        if (std::strcmp(text, "server") == 0) service = 1;
        if (text[0] != '\0' && service != 1 && service != 2) qklogf(me, "TCP service error");
        if (service != 1 && service != 2) {
            tell(window, me, "Select TCP Service");
            return -2;
        }
    }
    qkcommTCPServiceInfo& part = service == 2 ? rec->client : rec->server;

    readCombo(window, QKWINSTD_TCPADDRESS, text, sizeof text);
    if (text[0] == '\0') {
        tell(window, me, "Select TCP Address");
        return -2;
    }
    char address[sizeof part.address];
    qkstrset(address, text);
    int port = 0;
    readCombo(window, QKWINSTD_TCPPORT, text, sizeof text);
    if (!toNumber(text, 0, 65535, &port)) {
        tell(window, me, "Select TCP Port");
        return -2;
    }
    rec->service = service;
    qkstrset(part.address, address);
    part.port = port;
    rec->state.store(20);
    rec->status.store(0, std::memory_order_release);
    closeDialog(window);
    return 0;
}

int qkwinstdconnecttcp(qkwinInfo* window)
{
    qklogTrace("qkwinstdconnecttcp");
    const char* me = "qkwinstdconnecttcp";
    qkcommTCPInfo* rec = tcpOf(window);
    if (rec == nullptr) {
        qklogf(me, "No qkcommTCPInfo structure defined");
        return -2;
    }
    rec->status.store(0);
    if (rec->service != 1 && rec->service != 2) {
        // No role chosen is no connection.
        qklogf(me, "TCP service error");
        rec->status.store(-2, std::memory_order_release);
        return -2;
    }
    if (rec->sysinitflg != 1) qkcommSocketInitSys(rec);
    return rec->service == 2 ? connectClient(window, rec) : connectServer(window, rec);
}

int qkwinstddisconnecttcp(qkwinInfo* window)
{
    qklogTrace("qkwinstddisconnecttcp");
    qkcommTCPInfo* rec = tcpOf(window);
    if (rec == nullptr) {
        qklogf("qkwinstddisconnecttcp", "No qkcommTCPInfo structure defined");
        return -2;
    }
    qkcommSocketClose(rec);
    rec->state.store(30);
    return 0;
}
