// qksyssrv (core): the library's thin layer over the operating system and the C
// library: counted memory, sleeps, byte order, hex dumps, date and time,
// environment, system description, process identity and termination, exit.
// Portable; the operating-system calls themselves live in posix/qksystem.
// The work buffer and the float conversion copy are shared by all threads:
// callers copy results at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "qksystem.h"   // the system description record

extern char gqk_syswrkbuf[1024];
extern std::atomic<int> gqk_sysendiantype;   // 2: protocol values are byte-swapped
extern std::atomic<int> gqk_sysOStype;       // 1 Windows, 2 Linux, 3 Unix, 0 unknown

struct qksysTSInfo {
    int year;   // four digits
    int mon;    // 1-12
    int day;    // 1-31
    int hr;
    int min;
    int sec;
    int msec;   // the sub-second part in hundredths of a second
};

// Memory: never returns null; ends the program (-2) when memory is exhausted.
void* qksysMemAllocate(void* pointer, size_t size);
void qksysMemFree(void* pointer);

// Time.
void qksyssleep(int unit, int count);
void qksystemsleep(int milliseconds);
void qksysdatetime(qksysTSInfo* record);
int qksyssetcaltime(const qksysTSInfo* record);

// Byte order of protocol fields.
int16_t qksysShtIntEndian(int16_t value);
int32_t qksysLngIntEndian(int32_t value);
unsigned char* qksysFltEndian(const void* fourBytes);

// Hex dump into the log, 16 bytes a line.
void qksysdump(int length, const void* data);

// Environment, identity, system. outSize bounds every copy into out.
int qksysGetEnv(const char* name, char* out, size_t outSize);
char* qkgetenv(const char* name);
int qksysSetEnv(const char* name, const char* value);
int qkputenv(const char* name, const char* value);
int qksysGetSysInfo(int kind);
int qksysgetOStype();
int qksysgetid(int kind);
char* qksysgetlogin();                       // the system's getlogin(): login name in the work buffer
int qksysGetError();
int qksysfilegetpath(int length, char* out);
int qksysfilegetcurdir(int length, char* out);
int qksysfilechgdir(const char* path);
int qksysfindfilepath(char* name);           // name holds 128 characters
int qksyssocketinit();
int sysWinExec(const char* command);

// Processes and exit.
int qksyskillprocess(const char* name);
[[noreturn]] void qksysExit(int status, const char* message);
[[noreturn]] void qksyserrexit();
