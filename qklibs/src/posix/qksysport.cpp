// qksysport: serial ports on termios for the serial transport. The transport
// keeps one port at a time; the only state here is the line-error baseline
// of each open descriptor (guarded, as status polls may come from any thread).
#include "qksysport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksysportuart.h"
#include "qkthrdsrv.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSliceMs = 100;        // longest wait between two cancel points
constexpr int kReadLimitMs = 1000;   // a read returns after this even when nothing came
constexpr int kWriteStallMs = 1000;  // a port that takes no byte for this long never drains
constexpr int kCloseDrainMs = 1000;  // queued output gets this long to leave before close
constexpr int kDrainStepMs = 2;      // the output queue is looked at this often while it drains

struct qksysportrate {
    int baud;
    speed_t code;
};

// The rates the analyzers and their adapters use.
constexpr qksysportrate kUsableRates[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

// Every rate the driver may report, for reading the settings back.
constexpr qksysportrate kKnownRates[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

// First block of each range of port numbers and its device prefix.
struct qksysportrange {
    int first;
    const char* prefix;
};
constexpr qksysportrange kPortRanges[] = {
    {1, "/dev/ttyS"}, {33, "/dev/ttyUSB"}, {65, "/dev/ttyACM"}, {97, "../dev/ttyV"},
};
constexpr int kPortsPerRange = 32;

std::mutex gqk_porterrmtx;
std::map<int, long long> gqk_porterrbase;   // line-error count seen last, per descriptor

int qksysportmsleft(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, kSliceMs));
}

// Waits at most one slice for events on fd, then gives a stopped worker the
// chance to unwind. The poll result (revents in *revents).
int qksysportwaitslice(int fd, short events, int ms, short* revents)
{
    pollfd p{fd, events, 0};
    int rc = poll(&p, 1, ms);
    int err = errno;
    qkthrdcancelpoint();
    errno = err;
    *revents = rc > 0 ? p.revents : 0;
    return rc;
}

// The port number at the end of a "COM<n>" name, or -1.
int qksysportnumber(const char* name)
{
    const char* digits = nullptr;
    for (const char* p = name; p[0] && p[1] && p[2]; ++p)
        if (std::toupper(static_cast<unsigned char>(p[0])) == 'C' &&
            std::toupper(static_cast<unsigned char>(p[1])) == 'O' &&
            std::toupper(static_cast<unsigned char>(p[2])) == 'M')
            digits = p + 3;
    if (digits == nullptr || *digits == '\0') return -1;
    int n = 0;
    for (const char* p = digits; *p; ++p) {
        if (!std::isdigit(static_cast<unsigned char>(*p)) || p - digits >= 4) return -1;
        n = n * 10 + (*p - '0');
    }
    return n;
}

void qksysportnoteerrors(int fd)
{
    long long count = 0;
    if (qksysportuarterrors(fd, &count) != 0) return;
    std::lock_guard<std::mutex> lock(gqk_porterrmtx);
    gqk_porterrbase[fd] = count;
}

// True when the driver counted new line errors since the last look.
bool qksysportnewerrors(int fd)
{
    long long count = 0;
    if (qksysportuarterrors(fd, &count) != 0) return false;
    std::lock_guard<std::mutex> lock(gqk_porterrmtx);
    long long& seen = gqk_porterrbase[fd];
    bool fresh = count > seen;
    seen = count;
    return fresh;
}

void qksysportforget(int fd)
{
    std::lock_guard<std::mutex> lock(gqk_porterrmtx);
    gqk_porterrbase.erase(fd);
}

// Bytes the driver still holds for sending (0 when it cannot tell).
int qksysportqueued(int fd)
{
    int queued = 0;
    return ioctl(fd, TIOCOUTQ, &queued) == 0 ? queued : 0;
}

// Waits until the driver has sent what it holds, with a cancel point at
// least every 100 ms. A queue that does not shrink for kWriteStallMs never
// drains (flow held off, adapter gone): false.
bool qksysportdrain(int fd)
{
    int last = qksysportqueued(fd);
    auto stallEnd = Clock::now() + std::chrono::milliseconds(kWriteStallMs);
    auto nextCancel = Clock::now() + std::chrono::milliseconds(kSliceMs);
    for (int queued = last; queued > 0; queued = qksysportqueued(fd)) {
        auto now = Clock::now();
        if (queued < last) stallEnd = now + std::chrono::milliseconds(kWriteStallMs);
        last = queued;
        if (now >= stallEnd) return false;
        poll(nullptr, 0, kDrainStepMs);
        if (now >= nextCancel) {
            qkthrdcancelpoint();
            nextCancel = now + std::chrono::milliseconds(kSliceMs);
        }
    }
    return true;
}

}  // namespace

int qksysportpath(const char* name, char* path, size_t size)
{
    qklogTrace("qksysportpath");
    if (name == nullptr || path == nullptr || size == 0) return -2;
    if (name[0] == '/') return qkstrlcpy(path, size, name) < size ? 0 : -2;
    int n = qksysportnumber(name);
    if (n < 1 || n > kPortsPerRange * 4) return -2;
    const qksysportrange& range = kPortRanges[(n - 1) / kPortsPerRange];
    return qkstrfmt(path, size, "%s%d", range.prefix, n - range.first) < static_cast<int>(size) ? 0 : -2;
}

int qksysportopen(const char* name, int flags)
{
    qklogTrace("qksysportopen");
    char path[256];
    if (qksysportpath(name, path, sizeof path) != 0) {
        errno = ENOENT;
        return -1;
    }
    int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC | flags);
    if (fd < 0) return -1;
    // Descriptors 0-2 mean "no port" to the transport's callers.
    if (fd < 3) {
        int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        int err = errno;
        close(fd);
        errno = err;
        if (moved < 0) return -1;
        fd = moved;
    }
    int err = 0;
    if (!isatty(fd)) {
        err = ENOTTY;
    } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // The advisory lock keeps out a second user even when it runs as root,
        // which the terminal's own exclusive flag does not.
        err = errno == EWOULDBLOCK ? EBUSY : errno;
    } else if (ioctl(fd, TIOCEXCL) != 0) {
        err = errno;
    }
    if (err != 0) {
        close(fd);
        errno = err;
        return -1;
    }
    qksysportnoteerrors(fd);
    return fd;
}

int qksysportgetattr(int fd, qkcommtermios* t)
{
    qklogTrace("qksysportgetattr");
    if (t == nullptr) return -1;
    *t = qkcommtermios{};
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return -1;
    speed_t speed = cfgetospeed(&tio);
    for (const auto& r : kKnownRates)
        if (r.code == speed) t->baud = r.baud;
    t->parity = (tio.c_cflag & PARENB) ? ((tio.c_cflag & PARODD) ? 2 : 1) : 0;
    t->stopbits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    switch (tio.c_cflag & CSIZE) {
    case CS5: t->databits = 5; break;
    case CS6: t->databits = 6; break;
    case CS7: t->databits = 7; break;
    default: t->databits = 8; break;
    }
    return 0;
}

int qksysportsetattr(int fd, const qkcommtermios* t)
{
    qklogTrace("qksysportsetattr");
    if (t == nullptr || t->baud == 1800) {
        errno = EINVAL;
        return -1;
    }
    speed_t speed = B9600;
    for (const auto& r : kUsableRates)
        if (r.baud == t->baud) speed = r.code;
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return -1;
    cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY | INPCK);
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | PARENB | PARODD | CSTOPB | CSIZE);
    tio.c_cflag |= CLOCAL | CREAD;
    if (t->parity == 1) tio.c_cflag |= PARENB;
    if (t->parity == 2) tio.c_cflag |= PARENB | PARODD;
    tio.c_cflag |= t->databits == 7 ? CS7 : CS8;
    if (t->stopbits == 2) tio.c_cflag |= CSTOPB;
    // Reads never wait inside the driver: qksysportread returns what has
    // arrived and does its own bounded waiting.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0) return -1;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) return -1;
    // tcsetattr succeeds when any part was taken; an adapter that cannot run
    // at the rate must not pass for one that does. (Character size and parity
    // are not compared: a pseudo-terminal always reports 8 bits, no parity.)
    termios now{};
    if (tcgetattr(fd, &now) != 0) return -1;
    if (cfgetospeed(&now) != speed) {
        errno = EINVAL;
        return -1;
    }
    return 0;
}

int qksysportclose(int fd)
{
    qklogTrace("qksysportclose");
    auto deadline = Clock::now() + std::chrono::milliseconds(kCloseDrainMs);
    int queued = 0;
    while (ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && Clock::now() < deadline) {
        pollfd p{fd, 0, 0};
        poll(&p, 1, 10);
    }
    // What is left would hold close() for the driver's closing wait.
    tcflush(fd, TCIOFLUSH);
    // A pseudo-terminal keeps its exclusive flag while its master lives.
    ioctl(fd, TIOCNXCL);
    qksysportforget(fd);
    return close(fd) == 0 ? 0 : -1;
}

int qksysportflush(int fd)
{
    qklogTrace("qksysportflush");
    // Output the driver no longer holds is on its way: on a pseudo-terminal
    // it may still wait in the peer's input, where purging the output would
    // take it back from an analyzer that has as good as received it. So the
    // output is purged only while the driver still holds some (a write that
    // never drained).
    return tcflush(fd, qksysportqueued(fd) > 0 ? TCIOFLUSH : TCIFLUSH) == 0 ? 0 : -1;
}

int qksysportstatus(int fd)
{
    qklogTrace("qksysportstatus");
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 0) < 0) return -1;
    if (p.revents & POLLNVAL) {
        errno = EBADF;
        return -1;
    }
    int waiting = 0;
    if ((p.revents & POLLIN) && ioctl(fd, FIONREAD, &waiting) == 0 && waiting > 0) return 1;
    if (p.revents & (POLLHUP | POLLERR)) return -2;
    return qksysportnewerrors(fd) ? -2 : 0;
}

int qksysportread(int fd, void* buffer, int n)
{
    qklogTrace("qksysportread");
    if (n <= 0) return 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(kReadLimitMs);
    bool hungUp = false;
    for (;;) {
        ssize_t got = read(fd, buffer, static_cast<size_t>(n));
        if (got > 0) return static_cast<int>(got);
        if (got < 0 && errno != EAGAIN && errno != EINTR) return -1;
        if (hungUp) {
            // The device has gone: nothing will ever arrive.
            errno = EIO;
            return -1;
        }
        int ms = qksysportmsleft(deadline);
        if (ms == 0) return 0;
        short revents = 0;
        if (qksysportwaitslice(fd, POLLIN, ms, &revents) < 0 && errno != EINTR) return -1;
        if (revents & POLLNVAL) {
            errno = EBADF;
            return -1;
        }
        hungUp = (revents & (POLLHUP | POLLERR)) != 0;
    }
}

int qksysportwrite(int fd, const void* buffer, int n)
{
    qklogTrace("qksysportwrite");
    if (n <= 0) return 0;
    const char* data = static_cast<const char*>(buffer);
    int done = 0;
    auto stallEnd = Clock::now() + std::chrono::milliseconds(kWriteStallMs);
    while (done < n) {
        ssize_t put = write(fd, data + done, static_cast<size_t>(n - done));
        if (put > 0) {
            done += static_cast<int>(put);
            stallEnd = Clock::now() + std::chrono::milliseconds(kWriteStallMs);
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR) return done == 0 ? -1 : -2;
        int ms = qksysportmsleft(stallEnd);
        if (ms == 0) {
            errno = ETIMEDOUT;
            return -2;
        }
        short revents = 0;
        if (qksysportwaitslice(fd, POLLOUT, ms, &revents) < 0 && errno != EINTR) return done == 0 ? -1 : -2;
        if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
            errno = (revents & POLLNVAL) ? EBADF : EIO;
            return done == 0 ? -1 : -2;
        }
    }
    // The write is complete once the bytes have left: a purge that starts the
    // next exchange must not take back a command that expects no answer.
    if (!qksysportdrain(fd)) {
        errno = ETIMEDOUT;
        return -2;
    }
    return done;
}

int qksysportgetpins(int fd, int* pins)
{
    qklogTrace("qksysportgetpins");
    if (pins == nullptr) return -1;
    *pins = 0;
    int lines = 0;
    if (ioctl(fd, TIOCMGET, &lines) != 0) return -1;
    if (lines & TIOCM_DSR) *pins |= 1;
    if (lines & TIOCM_CTS) *pins |= 2;
    if (lines & TIOCM_RI) *pins |= 4;
    if (lines & TIOCM_CD) *pins |= 8;
    return 0;
}

int qksysQuaryDevice(const char* name, char* target, size_t size)
{
    qklogTrace("qksysQuaryDevice");
    char path[256];
    if (qksysportpath(name, path, sizeof path) != 0) return 0;
    struct stat st {};
    if (stat(path, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
    // Every standard serial node exists whether or not a UART is fitted.
    if (std::strncmp(path, "/dev/ttyS", 9) == 0 && !qksysportuartpresent(path)) return 0;
    if (target != nullptr && size > 0) qkstrlcpy(target, size, path);
    return 1;
}
