// qkcommtcp (comm): the TCP transport. One record gives its caller one stream-socket
// endpoint: a client that connects to an analyzer (the analyzer link) or a
// server that listens for one peer (remote access). It creates and binds
// sockets, connects, listens, accepts with an address filter, polls for
// readable data (1 ms), receives into and sends from the caller's buffers,
// shuts down and closes, and logs each step under the record's trace mask.
// Portable; the socket calls are in posix/qksyssock.
//
// Threads: one thread uses a record at a time; the connect callbacks hand the
// record over through status. A descriptor value below 1 means "no socket".
#pragma once

#include <atomic>
#include <cstdint>

// A socket address: family 2 (IPv4), port and address in host order.
struct qkcommSockAddrInfo {
    int family;
    int port;
    uint32_t addr;
};

struct qkcommTCPServiceInfo {
    int fd;                     // listening socket (server) or client socket
    int nfd;                    // accepted peer socket (server)
    int slen;                   // address length
    std::atomic<int> socketState;   // 0 closed, 1 shut down, 2 created, 3 bound, 4 listening or peer gone,
                                    // 5 connected, 6 peer accepted, 8 data received, 9 data sent
                                    // (the receive and the send may run on different threads)
    int scanRate;
    int shutdown;               // direction qkcommSocketShutdown closes: 1 receiving, 2 sending, else both
    int maxlisten;              // listen backlog; 16 when below 1
    int port;                   // TCP port (a server bound to 0 gets the port it was given)
    int bcnt;                   // capacity for a receive, length for a send
    unsigned char* dbuf;        // the caller's data buffer
    char rhadd[32];             // remote host address
    char address[32];           // dotted IPv4 address
    char srvName[64];           // host name, or the name of a variable that holds it
    qkcommSockAddrInfo saddr;   // own address
    qkcommSockAddrInfo caddr;   // peer address
    void* hPtr;                 // points at haddr after a successful host lookup
    uint32_t haddr;             // address found by the host lookup
};

struct qkcommIPInfo {
    char addr[32];
    int oct[4];
};

struct qkcommIPValInfo {
    int cnt;                    // entries in user; below 1 accepts every client
    char address[32];           // dotted address of the last client
    qkcommIPInfo user[50];
};

// Audit bits of a TCP record.
enum : int {
    QKCOMMTCP_AUD_CREATE = 1,     // socket creation and binding
    QKCOMMTCP_AUD_LISTEN = 2,     // listening
    QKCOMMTCP_AUD_ACCEPT = 4,     // accepted clients
    QKCOMMTCP_AUD_RECV = 8,       // received data
    QKCOMMTCP_AUD_SEND = 16,      // sent data
    QKCOMMTCP_AUD_CLOSE = 32,     // shutdown and close
    QKCOMMTCP_AUD_POLL = 64,      // readiness polls
};

struct qkcommTCPInfo {
    std::atomic<int> status;    // connect attempt: 0 under way, 1 done, -2 failed
    int lerrno;                 // socket error of the last failed receive
    int sysinitflg;             // 1 once the socket system has been started
    int socket;                 // socket of the readiness poll
    std::atomic<int> state;     // 0 nothing, 20 parameters defined, 50 connected, 30 disconnected
    int audit;                  // 1 create/bind, 2 listen, 4 accept, 8 receive, 16 send,
                                // 32 shutdown/close, 64 readiness polls
    int service;                // 1 server, 2 client
    int scanRate;               // readiness-poll time-out in microseconds
    long mode;                  // 1: no send coalescing (TCP_NODELAY)
    qkcommTCPServiceInfo server;
    qkcommTCPServiceInfo client;
    qkcommIPValInfo vip;
};

extern std::atomic<int> gqk_qkcommtcpinit;   // 1 once the socket system has been started

int qkcommSocketInit(qkcommTCPInfo* record);
int qkcommSocketInitSys(qkcommTCPInfo* record);
int qkcommSocketInitClient(qkcommTCPInfo* record);
// 0 connected, 1 in progress, 2 would block, -2 failed.
int qkcommScoketSendConnect(qkcommTCPInfo* record);
int qkcommSocketInitSrv(qkcommTCPInfo* record);
int qkcommSocketWaitConnect(qkcommTCPInfo* record);
// 0 accepted, 1 in progress, 2 nobody waiting, -2 failed or rejected.
int qkcommSocketAccConnect(qkcommTCPInfo* record);
// > 0 data or a peer close pending on socket, 0 nothing, -2 the poll failed.
int qkcommNetEvent(qkcommTCPInfo* record);
// The count received into dbuf (at most bcnt), 0 nothing pending, -2 socket
// error (lerrno), -3 the peer has shut down (the socket is closed).
int qkcommSocketRecv(qkcommTCPInfo* record);
// Discards what is pending on the role's data socket, never waiting (at most
// 64 KiB a call): the count discarded, -2 on a socket error. A peer close is
// left for the next receive to report.
int qkcommSocketFlush(qkcommTCPInfo* record);
// The count sent from dbuf (short when the peer stopped taking data).
int qkcommSocketSend(qkcommTCPInfo* record);
// The receive and the send with the caller's buffer. One thread may receive
// while another sends on the same record (a reader streaming records while
// the window sends a request): these leave dbuf, bcnt and the record's poll
// fields alone, so neither call takes the other's buffer.
int qkcommSocketRecvBuf(qkcommTCPInfo* record, unsigned char* buffer, int capacity);
int qkcommSocketSendBuf(qkcommTCPInfo* record, const unsigned char* buffer, int length);
int qkcommSocketShutdown(qkcommTCPInfo* record);
int qkcommSocketClose(qkcommTCPInfo* record);
int qkcommSocketCloseClient(qkcommTCPInfo* record);
// 0 accepted, -2 rejected.
int qkcommValIP(qkcommTCPInfo* record);
// Text of the lookup (per thread, valid until the next lookup), or null.
char* qkcommGetHostIPbyName(const char* name);
char* qkcommGetHostNamebyIP(const char* address);
int qkcommSocketSetAudit(qkcommTCPInfo* record, int mask);
int qkcommSocketSetMode(qkcommTCPInfo* record, long mode);
