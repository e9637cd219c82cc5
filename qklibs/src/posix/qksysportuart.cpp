// qksysportuart: UART presence and line-error counters from the Linux serial
// driver (TIOCGSERIAL, TIOCGICOUNT).
#include "qksysportuart.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "qklogsrv.h"
#include "qkstrsrv.h"

namespace {

// The port type the driver reports through sysfs, for nodes this process may
// not open (held by another program, or no permission); -1 when unknown.
int qksysportuartsysfstype(const char* path)
{
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/') base = p + 1;
    char attr[96];
    if (qkstrfmt(attr, sizeof attr, "/sys/class/tty/%s/type", base) >= static_cast<int>(sizeof attr)) return -1;
    std::FILE* f = std::fopen(attr, "re");
    if (f == nullptr) return -1;
    int type = -1;
    if (std::fscanf(f, "%d", &type) != 1) type = -1;
    std::fclose(f);
    return type;
}

}  // namespace

int qksysportuartpresent(const char* path)
{
    qklogTrace("qksysportuartpresent");
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        // A node without a UART refuses to open (EIO); a busy or protected one
        // is judged by what the driver tells sysfs.
        if (errno == EIO || errno == ENOENT || errno == ENXIO || errno == ENODEV) return 0;
        int type = qksysportuartsysfstype(path);
        return type > PORT_UNKNOWN ? 1 : 0;
    }
    serial_struct info{};
    int present = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN ? 1 : 0;
    close(fd);
    return present;
}

int qksysportuarterrors(int fd, long long* count)
{
    qklogTrace("qksysportuarterrors");
    serial_icounter_struct c{};
    if (ioctl(fd, TIOCGICOUNT, &c) != 0) return -1;
    *count = static_cast<long long>(c.frame) + c.parity + c.overrun + c.brk + c.buf_overrun;
    return 0;
}
