// qksysport: the serial-port calls behind the serial transport (qkcommasyn),
// on termios. A port is named "COM<n>" (any prefix before "COM" is ignored)
// and found through a fixed table, so a number means the same device every
// time:
//   COM1-COM32    /dev/ttyS0-31      (only nodes with a real UART behind them)
//   COM33-COM64   /dev/ttyUSB0-31
//   COM65-COM96   /dev/ttyACM0-31
//   COM97-COM128  ../dev/ttyV0-31    (virtual ports: links to pseudo-terminals
//                                     or other serial nodes, beside the
//                                     working directory)
// A name given as an absolute path is opened as it is.
//
// Descriptors are opened non-blocking and close-on-exec, never as a
// controlling terminal, and are held exclusively (TIOCEXCL and an advisory
// lock, so even a second open by root fails). Every wait is cut into slices
// of at most 100 ms with a cancel point, so a worker whose stop was requested
// unwinds. Functions set errno on failure. One port is used by one thread at
// a time.
#pragma once

#include <cstddef>

// Line settings passed between the transport and this layer.
struct qkcommtermios {
    int baud;      // bits per second
    int parity;    // 0 none, 1 even, 2 odd
    int stopbits;  // 1 or 2
    int databits;  // 5 to 8
    int pins;      // modem pins (not used by the settings calls)
};

// The device path behind a port name ("COM<n>", with or without a prefix such
// as "\\.\", or an absolute path); 0, or -2 when the name maps to nothing.
int qksysportpath(const char* name, char* path, size_t size);

// Opens the port for reading and writing, exclusively; flags are added to the
// open flags. The descriptor, never below 3, or -1 (errno set; EBUSY when the
// port is held elsewhere, ENOENT when the name maps to nothing).
int qksysportopen(const char* name, int flags);

// Current settings in the numbers above (baud 0 when the rate has no number);
// 0, or -1 with the record zeroed.
int qksysportgetattr(int fd, qkcommtermios* t);

// Raw mode with the given settings. Baud 1200, 2400, 4800, 9600, 19200, 38400,
// 57600 and 115200 are used as they are, 1800 is refused (-1, errno EINVAL,
// nothing applied), any other rate becomes 9600. Parity 1 even, 2 odd, else
// none; data bits 7, else 8; stop bits 2, else 1. Reads return what has
// arrived. 0, or -1.
int qksysportsetattr(int fd, const qkcommtermios* t);

// Lets the output that is still queued drain (at most one second, so a port
// that never drains cannot hold it), discards the rest and the input, and
// closes; 0 or -1.
int qksysportclose(int fd);

// Discards pending input, and output the driver still holds (bytes that have
// left the driver, which on a pseudo-terminal may still wait in the peer's
// input, are not taken back); 0 or -1.
int qksysportflush(int fd);

// 1 when received bytes are waiting, -2 on a line error (framing, parity,
// overrun, break) or when the device has gone, else 0. Waiting bytes win.
int qksysportstatus(int fd);

// Reads up to n bytes: what has arrived at once, else waits at most 1000 ms
// for the first bytes. The count (0 when nothing came), or -1 (errno set; EIO
// when the device has gone).
int qksysportread(int fd, void* buffer, int n);

// Writes n bytes and returns once the driver has sent them (its output queue
// is empty). The count, -1 when the write failed before any byte was taken,
// -2 when it failed later or the port took or sent nothing for a second
// (a port that never drains).
int qksysportwrite(int fd, const void* buffer, int n);

// Modem pins: 1 DSR, 2 CTS, 4 ring, 8 carrier detect; 0, or -1 with pins 0
// (ports without modem lines, such as pseudo-terminals).
int qksysportgetpins(int fd, int* pins);

// 1 when the port named "COM<n>" (or by an absolute path) is present, with
// its device path in target; else 0 and target left unchanged.
int qksysQuaryDevice(const char* name, char* target, size_t size);
