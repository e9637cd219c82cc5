// aeLink: the analyzer's line. One of three transports: a pseudo-terminal
// whose slave side is linked into the virtual-port folder as ttyV<n> (so a
// port search finds it), a real serial device, or a TCP server that serves
// one client at a time. All descriptors are non-blocking; the main loop polls
// them. A hang-up (fault or error) closes the line; a virtual port or device
// comes back after a pause, a TCP server accepts the next client. Every new
// connection gets a new generation number, so the protocol starts afresh.
#pragma once

#include <algorithm>
#include <chrono>
#include <string>

#include "aeOptions.h"

namespace ae {

using Clock = std::chrono::steady_clock;

class Link {
public:
    explicit Link(const Options& o) : o_(o) {}
    ~Link() { stop(); }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    bool start(std::string& err);
    // Closes everything and removes the virtual-port link (only when it still
    // points at this emulator's terminal).
    void stop();

    // No descriptor while a hang-up waits for the reader: nothing more is
    // read or written on a line that is going down.
    int dataFd() const { return draining() ? -1 : fd_; }
    int listenFd() const { return fd_ < 0 ? listenFd_ : -1; }
    void accept();
    // >0 bytes read, 0 nothing waiting, -1 the line went down.
    long read(char* buf, std::size_t n);
    // Bytes written (0 when the line cannot take more now), -1 the line went down.
    long write(const char* buf, std::size_t n);
    void hangUp(const char* why);
    // A requested hang-up: a virtual port first waits (bounded) until its
    // reader has taken the bytes already sent, because the terminal's hang-up
    // throws away what is still unread; other lines hang up at once.
    void hangUpAfterRead(const char* why);
    bool draining() const { return drainUntil_ != Clock::time_point::max(); }
    // Bytes sent that the other side has not taken yet: a virtual port's
    // unread input, a device's or a socket's output queue; 0 when unknown.
    long unread() const;
    // Throws away what a virtual port's reader has not taken yet; false where
    // that cannot be done (device, TCP).
    bool discardUnread();
    // Reopens a line that was hung up once its pause has passed.
    void tick(Clock::time_point now);
    Clock::time_point due() const { return std::min(reopenAt_, drainCheckAt_); }

    int generation() const { return generation_; }
    // False while a virtual port is set to another speed than the analyzer's.
    bool speedMatches() const;
    int lineSpeed() const;
    const std::string& where() const { return where_; }

private:
    bool openPty(std::string& err);
    bool openSerial(std::string& err);
    bool openTcp(std::string& err);
    bool reopen();
    void drainTick(Clock::time_point now);
    void closeData();
    void writeReady() const;
    void releaseExclusive();

    const Options& o_;
    int fd_ = -1;           // pty master, serial device or accepted TCP client
    int slaveFd_ = -1;      // kept open so the terminal stays up between clients
    int listenFd_ = -1;
    std::string ptsName_;
    std::string linkPath_;
    std::string where_;
    int port_ = 0;
    int generation_ = 0;
    Clock::time_point reopenAt_ = Clock::time_point::max();
    Clock::time_point nextExclCheck_{};
    Clock::time_point drainUntil_ = Clock::time_point::max();   // hang-up at the latest
    Clock::time_point drainCheckAt_ = Clock::time_point::max();
    int drainQuietChecks_ = 0;
    std::string drainWhy_;
};

}  // namespace ae
