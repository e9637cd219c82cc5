// qksysportuart: UART presence and line-error counters from the Linux serial
// driver (TIOCGSERIAL, TIOCGICOUNT).
#include "qksysportuart.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "qklogsrv.h"
#include "qkstrsrv.h"

namespace {

// A descriptor this module opened, closed however the probe returns.
struct Descriptor {
    int fd;
    explicit Descriptor(int d) : fd(d) {}
    ~Descriptor()
    {
        if (fd >= 0) close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

// The port type the driver reports through sysfs, for nodes this process may
// not open (held by another program, or no permission); -1 when unknown.
int qksysportuartsysfstype(const char* path)
{
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/') base = p + 1;
    char attr[96];
    if (qkstrfmt(attr, sizeof attr, "/sys/class/tty/%s/type", base) >= static_cast<int>(sizeof attr)) return -1;
    Descriptor f(open(attr, O_RDONLY | O_CLOEXEC));
    if (f.fd < 0) return -1;
    // The attribute is one decimal number and a line feed.
    char text[32];
    ssize_t n = read(f.fd, text, sizeof text - 1);
    if (n <= 0) return -1;
    text[n] = '\0';
    char* end = nullptr;
    long type = std::strtol(text, &end, 10);
    if (end == text || type < INT_MIN || type > INT_MAX) return -1;
    return static_cast<int>(type);
}

}  // namespace

int qksysportuartpresent(const char* path)
{
    qklogTrace("qksysportuartpresent");
    Descriptor port(open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (port.fd < 0) {
        // A node without a UART refuses to open (EIO); a busy or protected one
        // is judged by what the driver tells sysfs.
        if (errno == EIO || errno == ENOENT || errno == ENXIO || errno == ENODEV) return 0;
        int type = qksysportuartsysfstype(path);
        return type > PORT_UNKNOWN ? 1 : 0;
    }
    serial_struct info{};
    return ioctl(port.fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN ? 1 : 0;
}

int qksysportuarterrors(int fd, long long* count)
{
    qklogTrace("qksysportuarterrors");
    serial_icounter_struct c{};
    if (ioctl(fd, TIOCGICOUNT, &c) != 0) return -1;
    *count = static_cast<long long>(c.frame) + c.parity + c.overrun + c.brk + c.buf_overrun;
    return 0;
}
