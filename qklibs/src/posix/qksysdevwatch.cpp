// qksysdevwatch: serial port arrival and removal through inotify (Linux).
#include "qksysdevwatch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "qklogsrv.h"
#include "qkstrsrv.h"

struct qksysdevwatch {
    int fd = -1;            // inotify
    int stopPipe[2] = {-1, -1};
    int wdSys = -1;
    int wdVirt = -1;
    qksysdevwatchfunc fn = nullptr;
    void* arg = nullptr;
    std::thread thread;
};

namespace {

// The number after prefix when name is prefix followed by digits only.
int numberAfter(const char* name, const char* prefix)
{
    size_t n = std::strlen(prefix);
    if (std::strncmp(name, prefix, n) != 0 || name[n] == '\0') return -1;
    int v = 0;
    for (const char* p = name + n; *p; ++p) {
        if (*p < '0' || *p > '9' || v > 1000) return -1;
        v = v * 10 + (*p - '0');
    }
    return v;
}

void report(qksysdevwatch* w, int kind, const char* name, int arrived)
{
    char port[32];
    if (qksysdevportname(kind, name, port, sizeof port) != 0) return;
    w->fn(port, arrived, w->arg);
}

void run(qksysdevwatch* w)
{
    alignas(struct inotify_event) char buf[4096];
    for (;;) {
        pollfd fds[2] = {{w->fd, POLLIN, 0}, {w->stopPipe[0], POLLIN, 0}};
        int r = poll(fds, 2, -1);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 || (fds[1].revents & (POLLIN | POLLHUP))) return;
        if (!(fds[0].revents & POLLIN)) continue;
        ssize_t n = read(w->fd, buf, sizeof buf);
        if (n <= 0) continue;
        for (char* p = buf; p < buf + n;) {
            auto* ev = reinterpret_cast<struct inotify_event*>(p);
            p += sizeof(struct inotify_event) + ev->len;
            if (ev->len == 0) continue;
            int kind = ev->wd == w->wdSys ? 0 : ev->wd == w->wdVirt ? 1 : -1;
            if (kind < 0) continue;
            if (ev->mask & (IN_CREATE | IN_MOVED_TO)) report(w, kind, ev->name, 1);
            if (ev->mask & (IN_DELETE | IN_MOVED_FROM)) report(w, kind, ev->name, 0);
        }
    }
}

void closeAll(qksysdevwatch* w)
{
    if (w->fd >= 0) close(w->fd);
    for (int& p : w->stopPipe)
        if (p >= 0) close(p);
}

}  // namespace

int qksysdevportname(int kind, const char* name, char* out, size_t size)
{
    qklogTrace("qksysdevportname");
    if (name == nullptr) return -2;
    int n;
    int number = -1;
    if (kind == 0) {
        if ((n = numberAfter(name, "ttyS")) >= 0 && n < 32) number = n + 1;
        else if ((n = numberAfter(name, "ttyUSB")) >= 0 && n < 32) number = 33 + n;
        else if ((n = numberAfter(name, "ttyACM")) >= 0 && n < 32) number = 65 + n;
    } else if (kind == 1) {
        if ((n = numberAfter(name, "ttyV")) >= 0 && n < 32) number = 97 + n;
    }
    if (number < 0) return -2;
    qkstrfmt(out, size, "COM%d", number);
    return 0;
}

qksysdevwatch* qksysdevwatchstart(const char* sysDir, const char* virtDir, qksysdevwatchfunc fn, void* argument)
{
    qklogTrace("qksysdevwatchstart");
    if (fn == nullptr) return nullptr;
    auto* w = new qksysdevwatch;
    w->fn = fn;
    w->arg = argument;
    w->fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (w->fd < 0 || pipe2(w->stopPipe, O_CLOEXEC) != 0) {
        qklogf("qksysdevwatchstart", "device watch not available, errno: %d", errno);
        closeAll(w);
        delete w;
        return nullptr;
    }
    const uint32_t mask = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM;
    if (sysDir != nullptr) w->wdSys = inotify_add_watch(w->fd, sysDir, mask);
    if (virtDir != nullptr) {
        // Resolved now, so a later change of the working directory does not matter.
        char full[PATH_MAX];
        if (realpath(virtDir, full) != nullptr) w->wdVirt = inotify_add_watch(w->fd, full, mask);
    }
    w->thread = std::thread(run, w);
    return w;
}

void qksysdevwatchstop(qksysdevwatch* watch)
{
    qklogTrace("qksysdevwatchstop");
    if (watch == nullptr) return;
    char c = 1;
    ssize_t ignored = write(watch->stopPipe[1], &c, 1);
    (void)ignored;
    if (watch->thread.joinable()) watch->thread.join();
    closeAll(watch);
    delete watch;
}
