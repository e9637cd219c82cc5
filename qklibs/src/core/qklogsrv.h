// qklogsrv (core): the one process-wide text log. Callers place the text of a line in
// the shared buffer gqk_logbuf and write it with their own name as label; the
// function-entry trace and every error path go through the same writer.
// Thread-safe: one recursive lock is held from formatting to the end of the
// write. Use qklogf (formats under the lock) or hold qkloglock() around the
// buffer fill and qklogwrt.
#pragma once

#include <atomic>
#include <cstdio>
#include <mutex>

extern char gqk_logbuf[1024];
extern FILE* gqk_Logfdp;
extern std::atomic<int> gqk_LogTraceFlag;
extern std::atomic<int> gqk_LogStdOutFlag;
extern std::atomic<int> gqk_LogTimeStampFlag;
extern char gqk_lognewline[3];

int qklogopn(const char* path);
void qklogcls();
void qklogwrt(const char* label);
void qklogErr(const char* reason);
int qklogsetstdout(int flag);
int qklogsettrace(int flag);
int qklogsettimestamp(int flag);
FILE* qkloggetfd();
void qkloggts(char* buffer);               // at least 18 bytes
int qklogswitch(const char* path, const char* archivePath);

// The lock that guards gqk_logbuf and the log file.
std::unique_lock<std::recursive_mutex> qkloglock();

// Formats into gqk_logbuf and writes the line with label, all under the lock.
void qklogf(const char* label, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

void qklogTraceWrite(const char* name);
// Function-entry trace: one flag test while tracing is off.
inline void qklogTrace(const char* name)
{
    if (gqk_LogTraceFlag.load(std::memory_order_relaxed)) qklogTraceWrite(name);
}
