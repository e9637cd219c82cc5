// qksyssock: the socket calls behind the TCP transport (qkcommtcp). IPv4
// stream sockets only. Every descriptor is close-on-exec and never below 3
// (0-2 mean "no socket" to the transport's callers); sockets stay blocking,
// single calls that must not wait use their own flags. Sends never raise
// SIGPIPE. Waits are cut into slices of at most 100 ms with a cancel point,
// so a worker whose stop was requested unwinds. Addresses are 32-bit values
// in host order. Functions set errno on failure.
#pragma once

#include <cstddef>
#include <cstdint>

// How the transport tells socket failures apart.
enum {
    QKSOCK_OTHER = 0,
    QKSOCK_WOULDBLOCK,   // nothing to do now (also: interrupted, try again)
    QKSOCK_INPROGRESS,
    QKSOCK_ALREADY,      // an operation is already in progress
    QKSOCK_ISCONN,       // already connected
    QKSOCK_NETRESET,     // the network dropped the connection
    QKSOCK_SHUTDOWN,     // the socket was shut down
};
int qksyssockclass(int err);

// Dotted IPv4 text to address: 0, or -2 when the text is no such address.
int qksyssockaton(const char* text, uint32_t* addr);
// Address to dotted text (bounded).
void qksyssockntoa(uint32_t addr, char* out, size_t size);

// A new IPv4 stream socket, or -1.
int qksyssockcreate();
// Switches send coalescing off (TCP_NODELAY); 0 or -1.
int qksyssocknodelay(int fd);
// Binds to addr (0: every local address) and port (0: a free one); the port
// bound goes to *bound. 0 or -1.
int qksyssockbind(int fd, uint32_t addr, int port, int* bound);
// Listens; accepting then never waits (nothing pending: EWOULDBLOCK). 0 or -1.
int qksyssocklisten(int fd, int backlog);
// The accepted peer's socket, with its address and port, or -1.
int qksyssockaccept(int fd, uint32_t* addr, int* port);
// Connects, waiting at most limitMs; 0 or -1 (ETIMEDOUT after the limit).
int qksyssockconnect(int fd, uint32_t addr, int port, int limitMs);
// Waits up to usec microseconds for data or a peer close: > 0 ready, 0
// nothing, -1 the wait failed.
int qksyssockpoll(int fd, int usec);
// Receives what is pending, never waiting: the count, 0 when the peer has
// shut down, -1 (EWOULDBLOCK when nothing was pending).
int qksyssockrecv(int fd, void* buffer, int n);
// Sends what the socket takes now, never waiting: the count or -1.
int qksyssocksend(int fd, const void* buffer, int n);
// Waits up to ms (at most one slice) until the socket takes data; then a
// cancel point.
void qksyssockwaitsend(int fd, int ms);
// Shuts down receiving (how 1), sending (2) or both (other); 0 or -1.
int qksyssockshutdown(int fd, int how);
// 0 or -1.
int qksyssockclose(int fd);

// First IPv4 address of a host name; 0, or -1.
int qksyssockhostbyname(const char* name, uint32_t* addr);
// Host name of an address (bounded); 0, or -1 when it has none.
int qksyssockhostbyaddr(uint32_t addr, char* name, size_t size);
