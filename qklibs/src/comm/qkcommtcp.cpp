// qkcommtcp: the TCP transport over the platform's socket calls (qksyssock).
// Used by the analyzer link (client role) and the remote-access server, on
// whichever thread runs the exchange.
#include "qkcommtcp.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssock.h"
#include "qksyssrv.h"
#include "qksystem.h"

std::atomic<int> gqk_qkcommtcpinit{0};

namespace {

constexpr int kPollUsec = 1000;          // the readiness poll waits 1 ms
constexpr int kDefaultBacklog = 16;
constexpr int kConnectLimitMs = 20000;   // a host that never answers fails the connect
constexpr int kSendStallMs = 5000;       // a peer that takes nothing for this long ends a send
constexpr int kFlushLimit = 64 * 1024;   // a flush never takes longer than this much input
constexpr int kFamilyIPv4 = 2;
constexpr int kIPv4AddrLen = 16;       // bytes of an IPv4 socket address

bool qktcpaudit(const qkcommTCPInfo* r, int bit) { return (r->audit & bit) != 0; }

qkcommTCPServiceInfo* qktcprole(qkcommTCPInfo* r)
{
    if (r->service == 1) return &r->server;
    if (r->service == 2) return &r->client;
    return nullptr;
}

// The role's data socket: the accepted peer (server) or the client socket.
int& qktcpdatafd(qkcommTCPInfo* r) { return r->service == 1 ? r->server.nfd : r->client.fd; }

// Closes one of the record's sockets and forgets it.
void qktcpclose(qkcommTCPInfo* r, int& fd)
{
    if (fd < 1) return;
    if (qksyssockclose(fd) != 0) qklogErr("qkcommSocketClose call to close");
    if (r->socket == fd) r->socket = -1;
    fd = -1;
}

void qktcpsetaddr(qkcommSockAddrInfo& sa, uint32_t addr, int port)
{
    sa.family = kFamilyIPv4;
    sa.port = port;
    sa.addr = addr;
}

// The server's host name: a variable of that name overrides it; the first
// address of the name becomes the server address. 0, or -1 when not found.
int qktcpresolveserver(qkcommTCPInfo* r)
{
    qkcommTCPServiceInfo& s = r->server;
    char value[sizeof s.srvName];
    if (s.srvName[0] && qksystemgetenv(s.srvName, value, sizeof value) == 1) qkstrset(s.srvName, value);
    if (s.srvName[0] == '\0') return 0;
    uint32_t addr = 0;
    if (qksyssockhostbyname(s.srvName, &addr) != 0) {
        qklogf("qkcommSocketInitSrv", "Sever name %s, not found by gethostbyname", s.srvName);
        qklogErr("call to gethostbyname");
        s.hPtr = nullptr;
        return -1;
    }
    s.haddr = addr;
    s.hPtr = &s.haddr;
    qksyssockntoa(addr, s.address, sizeof s.address);
    return 0;
}

// Splits a dotted address into its decimal parts (at most 8); the count, or
// -1 when the text is not such a list.
int qktcpsplit(const char* text, int* parts, int room)
{
    int n = 0;
    const char* p = text;
    for (;;) {
        if (n == room) return -1;
        char* end = nullptr;
        if (*p < '0' || *p > '9') return -1;
        long v = std::strtol(p, &end, 10);
        if (end - p > 3 || v > 255) return -1;
        parts[n++] = static_cast<int>(v);
        if (*end == '\0') return n;
        if (*end != '.') return -1;
        p = end + 1;
    }
}

void qktcplogdata(const char* label, const char* fmt, int fd, int n, const void* data)
{
    auto lock = qkloglock();   // the line and its dump stay together
    qklogf(label, fmt, fd, n);
    qksysdump(n, data);
}

}  // namespace

int qkcommSocketInitSys(qkcommTCPInfo* record)
{
    qklogTrace("qkcommSocketInitSys");
    if (qksyssocketinit() != 0) {
        qklogErr("qkcommSocketInitSys call to socket start-up");
        return -1;
    }
    if (record) record->sysinitflg = 1;
    gqk_qkcommtcpinit = 1;
    return 0;
}

int qkcommSocketInit(qkcommTCPInfo* record)
{
    qklogTrace("qkcommSocketInit");
    if (record == nullptr) return -2;
    if (record->sysinitflg != 1 && qkcommSocketInitSys(record) != 0) return -1;
    if (record->service == 1) return qkcommSocketInitSrv(record);
    if (record->service == 2) return qkcommSocketInitClient(record);
    return -2;
}

int qkcommSocketInitClient(qkcommTCPInfo* record)
{
    qklogTrace("qkcommSocketInitClient");
    if (record == nullptr) return -2;
    qkcommTCPServiceInfo& c = record->client;
    if (qktcpaudit(record, QKCOMMTCP_AUD_CREATE))
        qklogf("qkcommSocketInitClient", "client target server address: %s, port: %d", c.address, c.port);
    uint32_t addr = 0;
    if (qksyssockaton(c.address, &addr) != 0 || c.port < 1 || c.port > 65535) {
        qklogf("qkcommSocketInitClient", "invalid server address: %s, port: %d", c.address, c.port);
        return -2;
    }
    // A second start must not leave the first socket behind.
    qktcpclose(record, c.fd);
    qktcpsetaddr(c.caddr, addr, c.port);
    c.slen = kIPv4AddrLen;
    c.fd = qksyssockcreate();
    if (c.fd < 0) {
        qklogErr("qkcommSocketInitClient call to socket");
        c.socketState = 0;
        return -2;
    }
    c.socketState = 2;
    if (record->mode == 1 && qksyssocknodelay(c.fd) != 0) {
        qklogErr("call to ioctl");
        qktcpclose(record, c.fd);
        c.socketState = 0;
        return -2;
    }
    if (qktcpaudit(record, QKCOMMTCP_AUD_CREATE)) qklogf("qkcommSocketInitClient", "client socket: %d, state: %d", c.fd, c.socketState.load());
    return 0;
}

int qkcommScoketSendConnect(qkcommTCPInfo* record)
{
    qklogTrace("qkcommScoketSendConnect");
    if (record == nullptr || record->client.fd < 1) return -2;
    qkcommTCPServiceInfo& c = record->client;
    if (qksyssockconnect(c.fd, c.caddr.addr, c.caddr.port, kConnectLimitMs) != 0) {
        switch (qksyssockclass(errno)) {
        case QKSOCK_ISCONN:
        case QKSOCK_ALREADY: break;   // counts as connected
        case QKSOCK_INPROGRESS: return 1;
        case QKSOCK_WOULDBLOCK: return 2;
        default: qklogErr("qkcommScoketSendConnect call to server"); return -2;
        }
    }
    c.socketState = 5;
    record->socket = c.fd;
    return 0;
}

int qkcommSocketInitSrv(qkcommTCPInfo* record)
{
    qklogTrace("qkcommSocketInitSrv");
    if (record == nullptr) return -2;
    qkcommTCPServiceInfo& s = record->server;
    if (qktcpaudit(record, QKCOMMTCP_AUD_CREATE)) qklogf("qkcommSocketInitSrv", "server address: %s, port: %d", s.address, s.port);
    if (qktcpresolveserver(record) != 0) return -1;
    uint32_t addr = 0;   // no address: every local address
    if (s.address[0] && qksyssockaton(s.address, &addr) != 0) {
        qklogf("qkcommSocketInitSrv", "invalid server address: %s", s.address);
        qklogErr("qkcommSocketInitSrv call to bind");
        return -2;
    }
    qktcpclose(record, s.nfd);
    qktcpclose(record, s.fd);
    s.fd = qksyssockcreate();
    if (s.fd < 0) {
        qklogErr("qkcommSocketInitSrv call to socket");
        s.socketState = 0;
        return -2;
    }
    s.socketState = 2;
    record->socket = s.fd;
    int bound = s.port;
    if (qksyssockbind(s.fd, addr, s.port, &bound) != 0) {
        qklogErr("qkcommSocketInitSrv call to bind");
        qktcpclose(record, s.fd);
        s.socketState = 0;
        return -2;
    }
    s.port = bound;
    qktcpsetaddr(s.saddr, addr, bound);
    s.slen = kIPv4AddrLen;
    s.socketState = 3;
    return 0;
}

int qkcommSocketWaitConnect(qkcommTCPInfo* record)
{
    qklogTrace("qkcommSocketWaitConnect");
    if (record == nullptr || record->server.fd < 1) return -2;
    qkcommTCPServiceInfo& s = record->server;
    if (qksyssocklisten(s.fd, s.maxlisten < 1 ? kDefaultBacklog : s.maxlisten) != 0) {
        qklogErr("qkcommSocketWaitConnect call to listen");
        return -1;
    }
    s.socketState = 4;
    // Accepted sockets inherit the option from the listening one.
    if (record->mode == 1 && qksyssocknodelay(s.fd) != 0) qklogErr("call to ioctl");
    if (qktcpaudit(record, QKCOMMTCP_AUD_LISTEN)) qklogf("qkcommSocketWaitConnect", "Server listing on: %s, port: %d", s.address, s.port);
    return 0;
}

int qkcommSocketAccConnect(qkcommTCPInfo* record)
{
    qklogTrace("qkcommSocketAccConnect");
    if (record == nullptr || record->server.fd < 1) return -2;
    qkcommTCPServiceInfo& s = record->server;
    uint32_t peer = 0;
    int peerPort = 0;
    int nfd = qksyssockaccept(s.fd, &peer, &peerPort);
    if (nfd < 0) {
        switch (qksyssockclass(errno)) {
        case QKSOCK_INPROGRESS: return 1;
        case QKSOCK_WOULDBLOCK: return 2;
        case QKSOCK_ISCONN: return 0;
        default: qklogErr("qkcommSocketAccConnect call to accept"); return -2;
        }
    }
    qksyssockntoa(peer, record->vip.address, sizeof record->vip.address);
    if (qkcommValIP(record) != 0) {
        qklogf("qkcommSocketAccConnect", "Rejected request from client: %s, on socket: %d", record->vip.address, nfd);
        // The refused peer sees its connection closed at once.
        qksyssockclose(nfd);
        return -2;
    }
    // One peer at a time: a new one replaces the last.
    qktcpclose(record, s.nfd);
    s.nfd = nfd;
    qkstrset(s.rhadd, record->vip.address);
    qktcpsetaddr(s.caddr, peer, peerPort);
    if (qktcpaudit(record, QKCOMMTCP_AUD_ACCEPT))
        qklogf("qkcommSocketAccConnect", "Accepted request from client: %s, on socket: %d", s.rhadd, nfd);
    s.socketState = 6;
    record->socket = nfd;
    return 0;
}

namespace {

// Readiness of one socket within the poll time. It writes nothing of the
// record: a receive on one thread polls while another thread sends.
int qktcppoll(const qkcommTCPInfo* record, int fd)
{
    const bool talk = qktcpaudit(record, QKCOMMTCP_AUD_POLL);
    if (talk) qklogf("qkcommNetEvent", "inquire, fdstdin: %d, socket: %d, nfds: %x, rfds: %x", 0, fd, fd + 1, 1);
    int ready = qksyssockpoll(fd, kPollUsec);
    if (ready < 0) {
        qklogErr("getNetEvent call to select");
        return -2;
    }
    if (talk) qklogf("qkcommNetEvent", "answer, nf: %d, nfds: %x, rfds: %x, fdflg: %d", ready, fd + 1, ready, ready > 0);
    return ready > 0 ? 1 : 0;
}

}  // namespace

int qkcommNetEvent(qkcommTCPInfo* record)
{
    qklogTrace("qkcommNetEvent");
    if (record == nullptr) return -2;
    record->scanRate = kPollUsec;
    const int fd = record->socket;
    if (fd < 1) return 0;
    return qktcppoll(record, fd);
}

int qkcommSocketRecv(qkcommTCPInfo* record)
{
    qklogTrace("qkcommSocketRecv");
    if (record == nullptr) return -2;
    qkcommTCPServiceInfo* role = qktcprole(record);
    if (role == nullptr) return -2;
    record->socket = qktcpdatafd(record);
    return qkcommSocketRecvBuf(record, role->dbuf, role->bcnt);
}

int qkcommSocketRecvBuf(qkcommTCPInfo* record, unsigned char* buffer, int capacity)
{
    qklogTrace("qkcommSocketRecvBuf");
    if (record == nullptr) return -2;
    qkcommTCPServiceInfo* role = qktcprole(record);
    if (role == nullptr || buffer == nullptr || capacity < 1) return -2;
    const int fd = qktcpdatafd(record);
    const char* remote = record->service == 1 ? role->rhadd : role->address;
    record->lerrno = 0;
    if (fd < 1) return 0;
    int received = 0;
    bool event = false;
    bool peerGone = false;
    while (received < capacity && qktcppoll(record, fd) > 0) {
        // The analyzer sends its answer in pieces: give the rest time to come.
        qksyssleep(2, 1);
        event = true;
        int n = qksyssockrecv(fd, buffer + received, capacity - received);
        if (n < 0) {
            int err = errno;
            int kind = qksyssockclass(err);
            if (kind == QKSOCK_NETRESET || kind == QKSOCK_SHUTDOWN) peerGone = true;
            if (kind == QKSOCK_WOULDBLOCK || peerGone) break;
            record->lerrno = err;
            qklogErr("qkcommSocketRecv call to recv");
            return -2;
        }
        if (n == 0) {
            peerGone = true;
            break;
        }
        received += n;
    }
    if (!event) return 0;
    if (received == 0) {
        // Readiness without data and without a close was only a false alarm.
        if (!peerGone) return 0;
        qklogf("qkcommSocketRecv", "recevied shutdown from: %s", remote);
        if (record->service == 1)
            qkcommSocketCloseClient(record);
        else
            qkcommSocketClose(record);
        role->socketState = 4;
        return -3;
    }
    role->socketState = 8;
    if (qktcpaudit(record, QKCOMMTCP_AUD_RECV)) qktcplogdata("qkcommSocketRecv", "socket: %d received: %d bytes", fd, received, buffer);
    return received;
}

int qkcommSocketFlush(qkcommTCPInfo* record)
{
    qklogTrace("qkcommSocketFlush");
    if (record == nullptr || qktcprole(record) == nullptr) return -2;
    const int fd = qktcpdatafd(record);
    if (fd < 1) return 0;
    unsigned char sink[1024];
    int dropped = 0;
    while (dropped < kFlushLimit) {
        int n = qksyssockrecv(fd, sink, sizeof sink);
        if (n > 0) {
            dropped += n;
            continue;
        }
        if (n < 0 && qksyssockclass(errno) != QKSOCK_WOULDBLOCK) {
            record->lerrno = errno;
            qklogErr("qkcommSocketFlush call to recv");
            return -2;
        }
        break;   // nothing more pending, or the peer has closed
    }
    if (dropped > 0 && qktcpaudit(record, QKCOMMTCP_AUD_RECV)) qklogf("qkcommSocketFlush", "socket: %d discarded: %d bytes", fd, dropped);
    return dropped;
}

int qkcommSocketSend(qkcommTCPInfo* record)
{
    qklogTrace("qkcommSocketSend");
    if (record == nullptr) return -2;
    qkcommTCPServiceInfo* role = qktcprole(record);
    if (role == nullptr) return -2;
    record->socket = qktcpdatafd(record);
    return qkcommSocketSendBuf(record, role->dbuf, role->bcnt);
}

int qkcommSocketSendBuf(qkcommTCPInfo* record, const unsigned char* buffer, int length)
{
    qklogTrace("qkcommSocketSendBuf");
    if (record == nullptr) return -2;
    qkcommTCPServiceInfo* role = qktcprole(record);
    if (role == nullptr) return -2;
    const int fd = qktcpdatafd(record);
    int sent = 0;
    if (fd >= 1 && buffer != nullptr) {
        using Clock = std::chrono::steady_clock;
        auto stallEnd = Clock::now() + std::chrono::milliseconds(kSendStallMs);
        while (sent < length) {
            int n = qksyssocksend(fd, buffer + sent, length - sent);
            if (n > 0) {
                sent += n;
                stallEnd = Clock::now() + std::chrono::milliseconds(kSendStallMs);
                if (sent < length) qksyssleep(2, 1);
                continue;
            }
            int kind = n < 0 ? qksyssockclass(errno) : QKSOCK_OTHER;
            if ((kind == QKSOCK_WOULDBLOCK || kind == QKSOCK_ALREADY) && Clock::now() < stallEnd) {
                qksyssockwaitsend(fd, 100);
                continue;
            }
            qklogErr("qkcommSocketSend call to send");
            break;
        }
    }
    role->socketState = 9;
    if (qktcpaudit(record, QKCOMMTCP_AUD_SEND)) qktcplogdata("qkcommSocketSend", "socket: %d sent: %d bytes", fd, sent, buffer);
    return sent;
}

int qkcommSocketShutdown(qkcommTCPInfo* record)
{
    qklogTrace("qkcommSocketShutdown");
    if (record == nullptr) return -2;
    qkcommTCPServiceInfo* role = qktcprole(record);
    if (role == nullptr) return 0;
    const int fd = qktcpdatafd(record);
    if (fd >= 1 && qksyssockshutdown(fd, role->shutdown) != 0) qklogErr("qkcommSocketShutdown call to shutdown");
    role->socketState = 1;
    if (qktcpaudit(record, QKCOMMTCP_AUD_CLOSE)) qklogf("qkcommSocketShutdown", "shutdown socket: %d", fd);
    return 0;
}

int qkcommSocketClose(qkcommTCPInfo* record)
{
    qklogTrace("qkcommSocketClose");
    if (record == nullptr) return -2;
    qkcommTCPServiceInfo* role = qktcprole(record);
    if (role == nullptr) return 0;
    const int fd = role->fd;
    if (record->service == 1) qktcpclose(record, role->nfd);
    qktcpclose(record, role->fd);
    role->socketState = 0;
    if (qktcpaudit(record, QKCOMMTCP_AUD_CLOSE)) qklogf("qkcommSocketClose", "closed socket: %d", fd);
    return 0;
}

int qkcommSocketCloseClient(qkcommTCPInfo* record)
{
    qklogTrace("qkcommSocketCloseClient");
    if (record == nullptr || record->service != 1) return 0;
    const int fd = record->server.nfd;
    qktcpclose(record, record->server.nfd);
    record->server.socketState = 0;
    if (qktcpaudit(record, QKCOMMTCP_AUD_CLOSE)) qklogf("qkcommSocketCloseClient", "closed client socket: %d", fd);
    return 0;
}

int qkcommValIP(qkcommTCPInfo* record)
{
    qklogTrace("qkcommValIP");
    if (record == nullptr) return -2;
    const qkcommIPValInfo& vip = record->vip;
    if (vip.cnt < 1) return 0;
    int parts[8];
    int n = qktcpsplit(vip.address, parts, 8);
    if (n < 1 || n > 4) return -2;
    // An entry admits a client when each part of the client's address sets
    // only bits that the entry's octet sets (255 admits any value).
    const int entries = vip.cnt < 50 ? vip.cnt : 50;
    for (int i = 0; i < entries; ++i) {
        bool match = true;
        for (int j = 0; j < n && match; ++j) match = (vip.user[i].oct[j] & parts[j]) == parts[j];
        if (match) return 0;
    }
    return -2;
}

char* qkcommGetHostIPbyName(const char* name)
{
    qklogTrace("qkcommGetHostIPbyName");
    thread_local char text[32];
    uint32_t addr = 0;
    if (qksyssockhostbyname(name, &addr) != 0) return nullptr;
    qksyssockntoa(addr, text, sizeof text);
    return text;
}

char* qkcommGetHostNamebyIP(const char* address)
{
    qklogTrace("qkcommGetHostNamebyIP");
    thread_local char text[256];
    uint32_t addr = 0;
    if (qksyssockaton(address, &addr) != 0 || qksyssockhostbyaddr(addr, text, sizeof text) != 0) return nullptr;
    return text;
}

int qkcommSocketSetAudit(qkcommTCPInfo* record, int mask)
{
    qklogTrace("qkcommSocketSetAudit");
    if (record == nullptr) return -2;
    record->audit = mask;
    return 0;
}

int qkcommSocketSetMode(qkcommTCPInfo* record, long mode)
{
    qklogTrace("qkcommSocketSetMode");
    if (record == nullptr) return -2;
    record->mode = mode;
    return 0;
}
