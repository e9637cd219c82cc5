// qksysportuart: the two questions about a serial port that only the Linux
// serial driver can answer (whether a real UART stands behind a /dev/ttyS
// node, and the driver's line-error counters). They need the kernel's serial
// header, which clashes with the C library's termios definitions, so they
// live apart from the termios code of qksysport.
#pragma once

// 1 when a UART is behind the node (its type is not "unknown"), else 0.
int qksysportuartpresent(const char* path);

// Sum of the driver's framing, parity, overrun and break counters in count;
// 0, or -1 when the driver keeps none (pseudo-terminals, USB adapters).
int qksysportuarterrors(int fd, long long* count);
