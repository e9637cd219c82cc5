// qksyssock: IPv4 stream sockets for the TCP transport. Nothing is kept
// between calls; callable from any thread.
#include "qksyssock.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qkthrdsrv.h"

namespace {

constexpr int kSliceMs = 100;

sockaddr_in qksyssockaddr(uint32_t addr, int port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<uint16_t>(port));
    sa.sin_addr.s_addr = htonl(addr);
    return sa;
}

// Keeps descriptors 0-2 free: they mean "no socket" to the callers.
int qksyssockabove2(int fd)
{
    if (fd < 0 || fd > 2) return fd;
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    int err = errno;
    close(fd);
    errno = err;
    return moved;
}

// Restores the blocking mode of a socket when the connect wait ends, also
// when a stopped worker unwinds through it.
struct qksyssockblocking {
    int fd;
    int flags;
    ~qksyssockblocking()
    {
        int err = errno;
        fcntl(fd, F_SETFL, flags);
        errno = err;
    }
};

}  // namespace

int qksyssockclass(int err)
{
    switch (err) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINTR: return QKSOCK_WOULDBLOCK;
    case EINPROGRESS: return QKSOCK_INPROGRESS;
    case EALREADY: return QKSOCK_ALREADY;
    case EISCONN: return QKSOCK_ISCONN;
    case ENETRESET: return QKSOCK_NETRESET;
    case ESHUTDOWN: return QKSOCK_SHUTDOWN;
    default: return QKSOCK_OTHER;
    }
}

int qksyssockaton(const char* text, uint32_t* addr)
{
    qklogTrace("qksyssockaton");
    in_addr a{};
    if (text == nullptr || inet_pton(AF_INET, text, &a) != 1) return -2;
    *addr = ntohl(a.s_addr);
    return 0;
}

void qksyssockntoa(uint32_t addr, char* out, size_t size)
{
    qklogTrace("qksyssockntoa");
    in_addr a{htonl(addr)};
    char text[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &a, text, sizeof text);
    qkstrlcpy(out, size, text);
}

int qksyssockcreate()
{
    qklogTrace("qksyssockcreate");
    return qksyssockabove2(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
}

int qksyssocknodelay(int fd)
{
    qklogTrace("qksyssocknodelay");
    int on = 1;
    return setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0 ? 0 : -1;
}

int qksyssockbind(int fd, uint32_t addr, int port, int* bound)
{
    qklogTrace("qksyssockbind");
    // A server restarted at once must get its port back while the old
    // connection lingers in TIME_WAIT.
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in sa = qksyssockaddr(addr, port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) return -1;
    socklen_t len = sizeof sa;
    if (bound != nullptr && getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) == 0) *bound = ntohs(sa.sin_port);
    return 0;
}

int qksyssocklisten(int fd, int backlog)
{
    qklogTrace("qksyssocklisten");
    if (listen(fd, backlog) != 0) return -1;
    int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 ? 0 : -1;
}

int qksyssockaccept(int fd, uint32_t* addr, int* port)
{
    qklogTrace("qksyssockaccept");
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    int nfd = qksyssockabove2(accept4(fd, reinterpret_cast<sockaddr*>(&sa), &len, SOCK_CLOEXEC));
    if (nfd < 0) return -1;
    if (addr) *addr = ntohl(sa.sin_addr.s_addr);
    if (port) *port = ntohs(sa.sin_port);
    return nfd;
}

int qksyssockconnect(int fd, uint32_t addr, int port, int limitMs)
{
    qklogTrace("qksyssockconnect");
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return -1;
    qksyssockblocking restore{fd, flags};
    sockaddr_in sa = qksyssockaddr(addr, port);
    if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return 0;
    if (errno != EINPROGRESS && errno != EINTR) return -1;
    // An unreachable host would hold a blocking connect for minutes.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            errno = ETIMEDOUT;
            return -1;
        }
        pollfd p{fd, POLLOUT, 0};
        int rc = poll(&p, 1, static_cast<int>(std::min<long long>(left, kSliceMs)));
        qkthrdcancelpoint();
        if (rc < 0 && errno != EINTR) return -1;
        if (rc > 0) break;
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return -1;
    if (err != 0) {
        errno = err;
        return -1;
    }
    return 0;
}

int qksyssockpoll(int fd, int usec)
{
    qklogTrace("qksyssockpoll");
    pollfd p{fd, POLLIN, 0};
    timespec limit{usec / 1000000, (usec % 1000000) * 1000L};
    int rc = ppoll(&p, 1, &limit, nullptr);
    if (rc < 0) return errno == EINTR ? 0 : -1;
    if (p.revents & POLLNVAL) {
        errno = EBADF;
        return -1;
    }
    return rc;
}

int qksyssockrecv(int fd, void* buffer, int n)
{
    qklogTrace("qksyssockrecv");
    ssize_t got = recv(fd, buffer, static_cast<size_t>(n), MSG_DONTWAIT);
    return got < 0 ? -1 : static_cast<int>(got);
}

int qksyssocksend(int fd, const void* buffer, int n)
{
    qklogTrace("qksyssocksend");
    ssize_t put = send(fd, buffer, static_cast<size_t>(n), MSG_NOSIGNAL | MSG_DONTWAIT);
    return put < 0 ? -1 : static_cast<int>(put);
}

void qksyssockwaitsend(int fd, int ms)
{
    qklogTrace("qksyssockwaitsend");
    pollfd p{fd, POLLOUT, 0};
    poll(&p, 1, std::clamp(ms, 0, kSliceMs));
    qkthrdcancelpoint();
}

int qksyssockshutdown(int fd, int how)
{
    qklogTrace("qksyssockshutdown");
    int mode = how == 1 ? SHUT_RD : how == 2 ? SHUT_WR : SHUT_RDWR;
    return shutdown(fd, mode) == 0 ? 0 : -1;
}

int qksyssockclose(int fd)
{
    qklogTrace("qksyssockclose");
    return close(fd) == 0 ? 0 : -1;
}

int qksyssockhostbyname(const char* name, uint32_t* addr)
{
    qklogTrace("qksyssockhostbyname");
    if (name == nullptr || *name == '\0') return -1;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) {
        errno = ENOENT;
        return -1;
    }
    *addr = ntohl(reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return 0;
}

int qksyssockhostbyaddr(uint32_t addr, char* name, size_t size)
{
    qklogTrace("qksyssockhostbyaddr");
    sockaddr_in sa = qksyssockaddr(addr, 0);
    char host[NI_MAXHOST];
    if (getnameinfo(reinterpret_cast<sockaddr*>(&sa), sizeof sa, host, sizeof host, nullptr, 0, NI_NAMEREQD) != 0) {
        errno = ENOENT;
        return -1;
    }
    qkstrlcpy(name, size, host);
    return 0;
}
