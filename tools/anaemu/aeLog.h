// aeLog: the emulator's exchange log. Every line carries the wall-clock time
// with milliseconds; bytes on the line are shown as text with escapes, so a
// log of a session reads like the conversation on the wire.
// Used by every module of the emulator; single-threaded.
#pragma once

#include <cstddef>
#include <string>

namespace ae {

// Opens the log file (appending); an empty path logs to standard error.
bool logOpen(const std::string& path);
void logClose();
// Verbose logging shows every byte of an exchange; otherwise long ones are cut.
void logSetVerbose(bool on);
void logf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// One exchange line: direction ("rx", "tx") and the bytes.
void logBytes(const char* dir, const void* data, std::size_t n);
// Bytes as printable text: printable ASCII as it is, backslash doubled,
// CR LF TAB ESC as \r \n \t \e, everything else as \xNN. At most limit bytes
// are shown (0: all), followed by a note of how many were left out.
std::string escaped(const void* data, std::size_t n, std::size_t limit = 0);

}  // namespace ae
