// aeLink: see aeLink.h.
#include "aeLink.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <linux/sockios.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "aeLog.h"

namespace ae {

namespace {

// A hang-up on request waits at most this long for the reader of a virtual
// port to take the last bytes, looking at its queue this often.
constexpr auto kDrainLimit = std::chrono::milliseconds(2000);
constexpr auto kDrainCheck = std::chrono::milliseconds(10);

struct SpeedEntry {
    int baud;
    speed_t code;
};

const SpeedEntry kSpeeds[] = {
    {1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

bool speedCode(int baud, speed_t& code)
{
    for (const SpeedEntry& e : kSpeeds)
        if (e.baud == baud) {
            code = e.code;
            return true;
        }
    return false;
}

int speedBaud(speed_t code)
{
    for (const SpeedEntry& e : kSpeeds)
        if (e.code == code) return e.baud;
    return 0;
}

void makeRaw(int fd, int baud)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0) return;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSTOPB | PARENB);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    speed_t code = 0;
    if (baud > 0 && speedCode(baud, code)) {
        cfsetispeed(&t, code);
        cfsetospeed(&t, code);
    }
    tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

bool Link::start(std::string& err)
{
    speed_t code = 0;
    if (o_.baud != 0 && !speedCode(o_.baud, code)) {
        err = "unsupported line speed " + std::to_string(o_.baud);
        return false;
    }
    switch (o_.kind) {
    case LinkKind::Pty: return openPty(err);
    case LinkKind::Serial: return openSerial(err);
    case LinkKind::Tcp: return openTcp(err);
    }
    return false;
}

bool Link::openPty(std::string& err)
{
    struct stat st {};
    if (stat(o_.devDir.c_str(), &st) != 0) {
        if (mkdir(o_.devDir.c_str(), 0755) != 0 && errno != EEXIST) {
            err = "cannot make the device folder " + o_.devDir + ": " + std::strerror(errno);
            return false;
        }
    } else if (!S_ISDIR(st.st_mode)) {
        err = o_.devDir + " is not a folder";
        return false;
    }
    linkPath_ = o_.devDir + "/ttyV" + std::to_string(o_.ptyNum);
    if (lstat(linkPath_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        err = linkPath_ + " exists and is not a link; not replaced";
        return false;
    }
    int m = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m < 0 || grantpt(m) != 0 || unlockpt(m) != 0) {
        err = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        if (m >= 0) close(m);
        return false;
    }
    char name[128] = {};
    if (ptsname_r(m, name, sizeof name) != 0) {
        err = std::string("ptsname: ") + std::strerror(errno);
        close(m);
        return false;
    }
    // The terminal starts raw: no echo of what the analyzer sends, no line editing.
    makeRaw(m, o_.baud);
    int s = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (s < 0) {
        err = std::string("cannot open ") + name + ": " + std::strerror(errno);
        close(m);
        return false;
    }
    std::string tmp = linkPath_ + ".new" + std::to_string(getpid());
    unlink(tmp.c_str());
    if (symlink(name, tmp.c_str()) != 0 || rename(tmp.c_str(), linkPath_.c_str()) != 0) {
        err = "cannot link " + linkPath_ + ": " + std::strerror(errno);
        unlink(tmp.c_str());
        close(s);
        close(m);
        return false;
    }
    fd_ = m;
    slaveFd_ = s;
    ptsName_ = name;
    where_ = linkPath_ + " -> " + ptsName_;
    ++generation_;
    logf("virtual port %s ready", where_.c_str());
    writeReady();
    return true;
}

bool Link::openSerial(std::string& err)
{
    int fd = open(o_.serialDev.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        err = "cannot open " + o_.serialDev + ": " + std::strerror(errno);
        return false;
    }
    int baud = o_.baud != 0 ? o_.baud : 9600;
    makeRaw(fd, baud);
    tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    where_ = o_.serialDev + " at " + std::to_string(baud);
    ++generation_;
    logf("serial line %s ready", where_.c_str());
    writeReady();
    return true;
}

bool Link::openTcp(std::string& err)
{
    int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0) {
        err = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    int one = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(o_.tcpPort));
    if (inet_pton(AF_INET, o_.bindAddr.c_str(), &a.sin_addr) != 1) {
        err = "bad bind address " + o_.bindAddr;
        close(s);
        return false;
    }
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 4) != 0) {
        err = "cannot listen on " + o_.bindAddr + ":" + std::to_string(o_.tcpPort) + ": " + std::strerror(errno);
        close(s);
        return false;
    }
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    listenFd_ = s;
    where_ = o_.bindAddr + ":" + std::to_string(port_);
    logf("TCP server listening on %s", where_.c_str());
    writeReady();
    return true;
}

void Link::writeReady() const
{
    if (o_.readyFile.empty()) return;
    std::string text;
    switch (o_.kind) {
    case LinkKind::Pty: text = "pty " + linkPath_ + " " + ptsName_ + "\n"; break;
    case LinkKind::Serial: text = "serial " + o_.serialDev + "\n"; break;
    case LinkKind::Tcp: text = "tcp " + o_.bindAddr + " " + std::to_string(port_) + "\n"; break;
    }
    // Written under another name and renamed, so a reader never sees half a line.
    std::string tmp = o_.readyFile + ".new";
    FILE* f = std::fopen(tmp.c_str(), "w");
    if (f == nullptr) return;
    std::fputs(text.c_str(), f);
    std::fclose(f);
    std::rename(tmp.c_str(), o_.readyFile.c_str());
}

void Link::accept()
{
    if (listenFd_ < 0 || fd_ >= 0) return;
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    int c = accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (c < 0) return;
    int one = 1;
    setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char addr[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &peer.sin_addr, addr, sizeof addr);
    fd_ = c;
    ++generation_;
    logf("TCP client %s:%d connected", addr, ntohs(peer.sin_port));
}

long Link::read(char* buf, std::size_t n)
{
    if (fd_ < 0 || draining()) return 0;
    ssize_t r = ::read(fd_, buf, n);
    if (r > 0) return r;
    if (r < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    if (o_.kind == LinkKind::Tcp) {
        logf("TCP client closed the connection");
        closeData();
        return -1;
    }
    if (r == 0) return 0;
    hangUp(std::strerror(errno));
    return -1;
}

long Link::write(const char* buf, std::size_t n)
{
    if (fd_ < 0 || draining()) return -1;
    ssize_t w = o_.kind == LinkKind::Tcp ? ::send(fd_, buf, n, MSG_NOSIGNAL) : ::write(fd_, buf, n);
    if (w >= 0) return w;
    if (errno == EAGAIN || errno == EINTR) return 0;
    hangUp(std::strerror(errno));
    return -1;
}

void Link::closeData()
{
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (slaveFd_ >= 0) close(slaveFd_);
    slaveFd_ = -1;
    drainUntil_ = Clock::time_point::max();
    drainCheckAt_ = Clock::time_point::max();
}

void Link::hangUpAfterRead(const char* why)
{
    if (fd_ < 0 || draining()) return;
    if (o_.kind != LinkKind::Pty) {
        hangUp(why);
        return;
    }
    auto now = Clock::now();
    drainUntil_ = now + kDrainLimit;
    drainCheckAt_ = now + kDrainCheck;
    drainQuietChecks_ = 0;
    drainWhy_ = why;
}

long Link::unread() const
{
    if (fd_ < 0) return 0;
    int n = 0;
    int rc = -1;
    switch (o_.kind) {
    case LinkKind::Pty: rc = slaveFd_ >= 0 ? ioctl(slaveFd_, FIONREAD, &n) : -1; break;
    case LinkKind::Serial: rc = ioctl(fd_, TIOCOUTQ, &n); break;
    case LinkKind::Tcp: rc = ioctl(fd_, SIOCOUTQ, &n); break;
    }
    return rc == 0 ? n : 0;
}

bool Link::discardUnread()
{
    if (o_.kind != LinkKind::Pty || slaveFd_ < 0) return false;
    return tcflush(slaveFd_, TCIFLUSH) == 0;
}

void Link::drainTick(Clock::time_point now)
{
    if (!draining() || now < drainCheckAt_) return;
    // The master's bytes reach the reader's queue a moment after the write:
    // an empty queue counts once it has stayed empty for two checks.
    if (unread() == 0) {
        ++drainQuietChecks_;
    } else {
        drainQuietChecks_ = 0;
    }
    if (drainQuietChecks_ >= 2) {
        hangUp(drainWhy_.c_str());
    } else if (now >= drainUntil_) {
        logf("the reader did not take the last %ld bytes in time", unread());
        hangUp(drainWhy_.c_str());
    } else {
        drainCheckAt_ = now + kDrainCheck;
    }
}

void Link::hangUp(const char* why)
{
    if (fd_ < 0) return;
    logf("line %s hung up: %s", where_.c_str(), why);
    closeData();
    if (o_.kind == LinkKind::Pty) {
        // The port disappears like an unplugged adapter and comes back later.
        char target[256] = {};
        ssize_t len = readlink(linkPath_.c_str(), target, sizeof target - 1);
        if (len > 0 && ptsName_ == std::string(target, static_cast<std::size_t>(len))) unlink(linkPath_.c_str());
    }
    if (o_.kind != LinkKind::Tcp) reopenAt_ = Clock::now() + std::chrono::milliseconds(o_.reconnectMs);
}

void Link::releaseExclusive()
{
    // A client that made the terminal exclusive and has gone leaves the flag
    // behind, because the emulator keeps the terminal open: nobody but root
    // could open the port again. The flag is cleared once no client holds
    // the port's lock any more.
    int exclusive = 0;
    if (slaveFd_ < 0 || ioctl(slaveFd_, TIOCGEXCL, &exclusive) != 0 || exclusive == 0) return;
    if (flock(slaveFd_, LOCK_EX | LOCK_NB) != 0) return;
    flock(slaveFd_, LOCK_UN);
    if (ioctl(slaveFd_, TIOCNXCL) == 0) logf("virtual port free again: exclusive mode of the last client cleared");
}

void Link::tick(Clock::time_point now)
{
    drainTick(now);
    if (o_.kind == LinkKind::Pty && now >= nextExclCheck_) {
        releaseExclusive();
        nextExclCheck_ = now + std::chrono::milliseconds(250);
    }
    if (now < reopenAt_) return;
    reopenAt_ = Clock::time_point::max();
    if (!reopen()) reopenAt_ = now + std::chrono::milliseconds(std::max(o_.reconnectMs, 200));
}

bool Link::reopen()
{
    std::string err;
    bool ok = o_.kind == LinkKind::Pty ? openPty(err) : openSerial(err);
    if (!ok) logf("line not back yet: %s", err.c_str());
    return ok;
}

int Link::lineSpeed() const
{
    if (fd_ < 0 || o_.kind == LinkKind::Tcp) return 0;
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return 0;
    return speedBaud(cfgetospeed(&t));
}

bool Link::speedMatches() const
{
    // Only a virtual port can be set to a speed the analyzer does not run at:
    // the client sets the terminal, and the analyzer hears only noise.
    if (o_.kind != LinkKind::Pty || o_.baud == 0) return true;
    return lineSpeed() == o_.baud;
}

void Link::stop()
{
    closeData();
    if (listenFd_ >= 0) close(listenFd_);
    listenFd_ = -1;
    if (!linkPath_.empty()) {
        char target[256] = {};
        ssize_t len = readlink(linkPath_.c_str(), target, sizeof target - 1);
        if (len > 0 && ptsName_ == std::string(target, static_cast<std::size_t>(len))) {
            unlink(linkPath_.c_str());
            logf("virtual port %s removed", linkPath_.c_str());
        }
        linkPath_.clear();
    }
    reopenAt_ = Clock::time_point::max();
}

}  // namespace ae
