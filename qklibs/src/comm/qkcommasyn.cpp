// qkcommasyn: the serial transport over the platform's port calls
// (qksysport). Called by the analyzer link, the standard connection callbacks
// and the analyzer search, on whichever thread runs the exchange.
#include "qkcommasyn.h"

#include <cerrno>
#include <cstring>
#include <iterator>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksysport.h"

std::atomic<int> gqk_qkasynaudit{0};
std::atomic<int> gqk_qkasynportadjust{0};
char gqk_qkasyndevname[16] = "";
char gqk_qkasyncom[16] = "";
qkwinInfo* gqk_qkasynwinPtr = nullptr;

namespace {

constexpr int kDetectReadMax = 32;   // bytes examined per probe
constexpr int kSilentSteps = 10;     // extra tenths of a second when a probe heard nothing
constexpr int kCloseSteps = 5;       // tenths of a second after closing a probe
constexpr int kProbeNext = 2;        // probe result: try the next rate

bool qkasynaudit(int bit) { return (gqk_qkasynaudit.load(std::memory_order_relaxed) & bit) != 0; }

// Device name of a port: the prefix followed by the adjusted number.
void qkasyndevice(int port, char* name, size_t size)
{
    qkstrfmt(name, size, "%s%d", gqk_qkasyndevname, port + gqk_qkasynportadjust.load());
}

bool qkasyncancelled(const qkcommAsynInfo* r) { return r->autoState.load(std::memory_order_acquire) == 1; }

// Waits steps tenths of a second, testing the cancel request before each
// step; false when it was set.
bool qkasynwaitsteps(const qkcommAsynInfo* r, int steps)
{
    for (int i = 0; i < steps; ++i) {
        if (qkasyncancelled(r)) return false;
        qksyssleep(2, 1);
    }
    return true;
}

// The analyzer greets with plain text: tab, line feed and carriage return
// count as blanks, everything else must lie in 32...126.
bool qkasynreadable(const unsigned char* bytes, int n, bool talk)
{
    bool readable = true;
    for (int i = 0; i < n; ++i) {
        int c = bytes[i];
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
        if (c < 32 || c > 126) {
            readable = false;
            if (talk) qklogf("qkcommAsynBaudDetection", "byte: %d, value: %x", i, bytes[i]);
        }
    }
    return readable;
}

// One probe at one rate: 0 detected, 1 cancelled, -1 the port cannot be
// opened at all, kProbeNext when the rate did not answer with text or was
// refused.
int qkasynprobe(qkcommAsynInfo* r, int attempt, int rate, int delay, const char* dev)
{
    const char* me = "qkcommAsynBaudDetection";
    const bool talk = (r->audit & QKCOMMASYN_AUD_DETECT) != 0;
    if (qkasyncancelled(r)) return 1;
    r->baud = rate;
    r->fd = qkcommAsynOpen(r->port, rate, r->parity, r->dataBits, r->stopBits);
    if (r->fd < 0) {
        const int err = errno;
        qklogf(me, "Unable to open device: %s", dev);
        // A rate the adapter cannot run at, or a port that another program
        // holds for the moment, fails this probe only: the next rate may be
        // taken. A port that is not there ends the detection.
        if (err != EINVAL && err != EBUSY) return -1;
        return qkasynwaitsteps(r, kCloseSteps) ? kProbeNext : 1;
    }
    qkcommAsynFlush(r->fd);
    if (r->userFuncAddr) r->userFuncAddr(r->userArgAddr);
    if (r->autoSendMsg) {
        if (talk) qklogf(me, "Send auto detect message: %s", r->autoSendMsg);
        qkcommAsynWrite(r->fd, r->autoSendMsg, static_cast<int>(std::strlen(r->autoSendMsg)));
    }
    if (!qkasynwaitsteps(r, delay)) return 1;
    int status = qkcommAsynStat(r->fd);
    if (talk) qklogf(me, "Try: %d, at baud: %d, status: %d, for: %s", attempt, rate, status, dev);
    if (status != 0) {
        unsigned char answer[kDetectReadMax + 1];
        int n = qkcommAsynRead(r->fd, answer, kDetectReadMax);
        if (n > 0) {
            if (talk) qklogf(me, "For baud: %d, received: %d bytes", rate, n);
            if (qkasynreadable(answer, n, talk)) {
                if (talk) qklogf(me, "Device: %s ready", dev);
                return 0;
            }
            qkcommAsynFlush(r->fd);
        }
    } else {
        if (!qkasynwaitsteps(r, kSilentSteps)) return 1;
        if (talk) qklogf(me, "For try: %d, baud: %d, no data received from: %s", attempt, rate, dev);
    }
    qkcommAsynClose(r->fd);
    r->fd = 0;
    if (!qkasynwaitsteps(r, kCloseSteps)) return 1;
    return kProbeNext;
}

}  // namespace

int qkcommAsynSetDevName(const char* name)
{
    qklogTrace("qkcommAsynSetDevName");
    char work[128];
    qkstrset(work, name);
    qkstrTrim(work, ' ');
    qkstrset(gqk_qkasyndevname, work);
    return 0;
}

int qkcommAsynSetPortAdjust(int n)
{
    qklogTrace("qkcommAsynSetPortAdjust");
    gqk_qkasynportadjust = n;
    return 0;
}

int qkcommAsynOpen(int port, int baud, int parity, int dataBits, int stopBits)
{
    qklogTrace("qkcommAsynOpen");
    const char* me = "qkcommAsynOpen";
    char name[sizeof gqk_qkasyndevname + 16];
    qkasyndevice(port, name, sizeof name);
    qkstrset(gqk_qkasyncom, name);
    int fd = qksysportopen(name, 0);
    if (fd < 0) {
        int err = errno;
        qklogf(me, "open error com: %s, error: %d", name, err);
        qklogf(me, "Unable to open device: %s, port: %d, error: %d", name, port, err);
        errno = err;   // the caller tells a refused rate from a missing port
        return -1;
    }
    qkcommtermios t{};
    qksysportgetattr(fd, &t);
    qklogf(me, "opened port: %d, device: %s", port, name);
    t.baud = baud;
    t.parity = parity;
    t.databits = dataBits;
    t.stopbits = stopBits;
    // A port left at settings other than those asked for would pass garbage
    // for an answer: refused settings fail the open.
    if (qksysportsetattr(fd, &t) != 0) {
        int err = errno;
        qksysportclose(fd);
        qklogf(me, "Unable to open device: %s, port: %d, error: %d", name, port, err);
        errno = err;
        return -1;
    }
    qksysportgetattr(fd, &t);
    // Rate, data bits, stop bits and parity as they now stand, one hex digit group each.
    qklogf(me, "new options: %x",
           static_cast<unsigned>(t.baud) << 12 | static_cast<unsigned>(t.databits) << 8 |
               static_cast<unsigned>(t.stopbits) << 4 | static_cast<unsigned>(t.parity));
    if (qkasynaudit(1)) qklogf(me, "Opened Connect to device: %s, comm port: %d", name, port);
    return fd;
}

int qkcommAsynClose(int fd)
{
    qklogTrace("qkcommAsynClose");
    if (fd < 1) return 0;
    if (qksysportclose(fd) != 0) qklogf("qkcommAsynClose", "close error fd: %d, hCom: %d, error: %d", fd, fd, errno);
    return 0;
}

int qkcommAsynFlush(int fd)
{
    qklogTrace("qkcommAsynFlush");
    if (fd >= 1) qksysportflush(fd);
    return 0;
}

int qkcommAsynStat(int fd)
{
    qklogTrace("qkcommAsynStat");
    if (fd < 1) return -1;
    int status = qksysportstatus(fd);
    if (status == -1) {
        qklogf("qkcommAsynStat", "status error fd: %d, hCom: %d, error: %d", fd, fd, errno);
        return -1;
    }
    if (qkasynaudit(8)) qklogf("qkcommAsynStat", "Bytes ready: %d, on comm port: %d", status, fd);
    return status;
}

int qkcommAsynRead(int fd, void* buffer, int max)
{
    qklogTrace("qkcommAsynRead");
    if (max <= 0) {
        qklogf("qkcommAsynRead", "asynRead maxByts: %d", max);
        return 0;
    }
    if (fd < 1 || buffer == nullptr) return -1;
    int n = qksysportread(fd, buffer, max);
    if (n < 0) {
        int err = errno;
        qklogf("qkcommAsynRead", "asynRead error: %d %s", err, std::strerror(err));
        return -1;
    }
    static_cast<unsigned char*>(buffer)[n] = '\0';
    if (qkasynaudit(4) && n > 0) {
        auto lock = qkloglock();   // the line and its dump stay together
        qklogf("qkcommAsynRead", "Read: %d bytes from comm port: %d", n, fd);
        qksysdump(n, buffer);
    }
    return n;
}

int qkcommAsynWrite(int fd, const void* buffer, int count)
{
    qklogTrace("qkcommAsynWrite");
    if (count <= 0) {
        qklogf("qkcommAsynWrite", "asynWrite bytes: %d", count);
        return 0;
    }
    if (fd < 1 || buffer == nullptr) return -1;
    int n = qksysportwrite(fd, buffer, count);
    if (n < 0) {
        int err = errno;
        qklogf("qkcommAsynWrite", "asynWrite error: %d %s", err, std::strerror(err));
        return -1;
    }
    if (qkasynaudit(2)) {
        auto lock = qkloglock();
        qklogf("qkcommAsynWrite", "Sent: %d bytes to comm port: %d", n, fd);
        qksysdump(n, buffer);
    }
    return n;
}

int qkcommAsynGetPinState(int fd, int* pins)
{
    qklogTrace("qkcommAsynGetPinState");
    if (pins == nullptr) return -2;
    if (fd < 1) {
        *pins = 0;
        return 0;
    }
    if (qksysportgetpins(fd, pins) != 0) {
        qklogf("qkcommAsynGetPinState", "pin state error fd: %d, error: %d", fd, errno);
        return -1;
    }
    return 0;
}

int qkcommAsynSetPinState(int, int*)
{
    qklogTrace("qkcommAsynSetPinState");
    return 0;
}

int qkcommAsynValidate(char* name, size_t size)
{
    qklogTrace("qkcommAsynValidate");
    if (name == nullptr || size == 0) return 0;
    char target[128];
    if (qksysQuaryDevice(name, target, sizeof target) != 1) return 0;
    qkstrlcat(name, size, " - ");
    qkstrlcat(name, size, target);
    return 1;
}

int qkcommAsynGetDefaults(qkcommAsynInfo* record)
{
    qklogTrace("qkcommAsynGetDefaults");
    if (record == nullptr) return -2;
    static constexpr int kBaud[] = {9600, 19200, 38400, 57600, 115200};
    static constexpr int kParity[] = {0, 1, 2};
    static constexpr int kDataBits[] = {7, 8};
    static constexpr int kStopBits[] = {1, 2};
    auto fill = [](int* list, size_t room, int* count, const int* values, size_t n) {
        for (size_t i = 0; i < room; ++i) list[i] = i < n ? values[i] : 0;
        *count = static_cast<int>(n);
    };
    fill(record->supportedBaud, 10, &record->baudCnt, kBaud, std::size(kBaud));
    fill(record->supportedParity, 5, &record->parityCnt, kParity, std::size(kParity));
    fill(record->supportedDataBits, 5, &record->dataBitsCnt, kDataBits, std::size(kDataBits));
    fill(record->supportedStopBits, 5, &record->stopBitsCnt, kStopBits, std::size(kStopBits));
    return 0;
}

int qkcommAsynBaudDetection(qkcommAsynInfo* record)
{
    qklogTrace("qkcommAsynBaudDetection");
    if (record == nullptr) return -2;
    // The record must never keep a descriptor number it no longer owns.
    qkcommAsynClose(record->fd);
    record->fd = 0;
    qkcommAsynGetDefaults(record);
    char dev[sizeof gqk_qkasyndevname + 16];
    qkasyndevice(record->port, dev, sizeof dev);
    const int delay = record->autoDelay > 0 ? record->autoDelay : 10;
    for (int attempt = 0; attempt < record->autoRetries; ++attempt) {
        record->autoAttempt = attempt + 1;
        for (int i = 0; i < record->baudCnt; ++i) {
            int rc = qkasynprobe(record, attempt, record->supportedBaud[i], delay, dev);
            if (rc != kProbeNext) return rc;
        }
    }
    qklogf("qkcommAsynBaudDetection", "Unable to determine baud for: %s", dev);
    return -2;
}

int qkcommAsynSetAudit(int mask)
{
    qklogTrace("qkcommAsynSetAudit");
    gqk_qkasynaudit = mask;
    return 0;
}

int qkcommAsynSetUserFunc(qkcommAsynInfo* record, qkcommAsynUserFunc func, void* arg)
{
    qklogTrace("qkcommAsynSetUserFunc");
    if (record == nullptr) return -2;
    record->userFuncAddr = func;
    record->userArgAddr = arg;
    return 0;
}

int qkcommAsynSetAutoSendMsg(qkcommAsynInfo* record, const char* text)
{
    qklogTrace("qkcommAsynSetAutoSendMsg");
    if (record == nullptr) return -2;
    record->autoSendMsg = text;
    return 0;
}

int qkcommAsynSetAutoDelayCnt(qkcommAsynInfo* record, int n)
{
    qklogTrace("qkcommAsynSetAutoDelayCnt");
    if (record == nullptr) return -2;
    record->autoDelay = n;
    return 0;
}
