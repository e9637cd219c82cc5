// qksyssrv: the library's system services over the C library and the
// platform layer (posix/qksystem): counted memory, sleeps, byte order, the hex
// dump into the log, date and time, environment, system description, process
// identity and termination, and the orderly exit. Called from every thread;
// the work buffer and the float conversion copy are shared by all of them, so
// callers copy those results at once. The recursive file search
// (qksysfindfilepath) lives with the directory walk in qkfilesrv.
#include "qksyssrv.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksystem.h"
#include "qksystime.h"
#include "qkthrdsrv.h"

char gqk_syswrkbuf[1024];
std::atomic<int> gqk_sysendiantype{0};
std::atomic<int> gqk_sysOStype{0};

namespace {

// Freed blocks of the C library of the original platform were filled with
// this pattern; a pointer holding it was released already.
void* const kReleasedPattern = reinterpret_cast<void*>(static_cast<uintptr_t>(0xFEEEFEEEu));

// Grace period a process gets to end on its own before it is forced.
constexpr int kTerminateGraceMs = 3000;

}  // namespace

// ---- memory ----------------------------------------------------------------

void* qksysMemAllocate(void* pointer, size_t size)
{
    qklogTrace("qksysMemAllocate");
    // A zero size would release the block and give null, which callers never expect.
    size_t want = size ? size : 1;
    void* block = std::realloc(pointer, want);
    if (block == nullptr) {
        qksyssleep(2, 1);
        block = std::realloc(pointer, want);
    }
    if (block == nullptr) {
        char reason[96];
        qkstrfmt(reason, sizeof reason, "could not allocate %zu of memory", size);
        qklogErr(reason);
        qksyserrexit();
    }
    return block;
}

void qksysMemFree(void* pointer)
{
    qklogTrace("qksysMemFree");
    if (pointer == nullptr || pointer == kReleasedPattern) return;
    std::free(pointer);
}

// ---- time ------------------------------------------------------------------

void qksyssleep(int unit, int count)
{
    qklogTrace("qksyssleep");
    long long ms = 0;
    if (count < 0) count = 0;
    switch (unit) {
    case 1: ms = 1000LL * count; break;
    case 2: ms = 100LL * count; break;
    case 3: ms = 1; break;
    case 4: ms = count; break;
    default: ms = 0; break;
    }
    if (ms > INT_MAX) ms = INT_MAX;
    // A wait point: a worker whose stop was requested unwinds here.
    qkthrdwait(static_cast<int>(ms));
}

void qksysdatetime(qksysTSInfo* record)
{
    qklogTrace("qksysdatetime");
    if (record == nullptr) return;
    std::tm local{};
    int ms = 0;
    qksystimenow(&local, &ms);
    record->year = local.tm_year + 1900;
    record->mon = local.tm_mon + 1;
    record->day = local.tm_mday;
    record->hr = local.tm_hour;
    record->min = local.tm_min;
    record->sec = local.tm_sec;
    record->msec = ms / 10;   // hundredths of a second
}

int qksyssetcaltime(const qksysTSInfo* record)
{
    qklogTrace("qksyssetcaltime");
    if (record == nullptr) return -1;
    std::tm now{};
    qksystimelocal(std::time(nullptr), &now);
    std::tm when{};
    when.tm_year = record->year - 1900;
    when.tm_mon = record->mon - 1;
    when.tm_mday = record->day;
    when.tm_hour = record->hr;
    when.tm_min = record->min;
    when.tm_sec = record->sec;
    when.tm_isdst = now.tm_isdst;   // the daylight-saving flag of the present moment
    return static_cast<int>(std::mktime(&when));
}

// ---- byte order ------------------------------------------------------------

int16_t qksysShtIntEndian(int16_t value)
{
    qklogTrace("qksysShtIntEndian");
    if (gqk_sysendiantype.load() != 2) return value;
    uint16_t u = static_cast<uint16_t>(value);
    return static_cast<int16_t>(static_cast<uint16_t>((u << 8) | (u >> 8)));
}

int32_t qksysLngIntEndian(int32_t value)
{
    qklogTrace("qksysLngIntEndian");
    if (gqk_sysendiantype.load() != 2) return value;
    uint32_t u = static_cast<uint32_t>(value);
    u = ((u & 0x000000FFu) << 24) | ((u & 0x0000FF00u) << 8) | ((u & 0x00FF0000u) >> 8) | ((u & 0xFF000000u) >> 24);
    return static_cast<int32_t>(u);
}

unsigned char* qksysFltEndian(const void* fourBytes)
{
    qklogTrace("qksysFltEndian");
    // One copy for the whole process, valid until the next call from any
    // thread: callers copy it at once.
    static unsigned char copy[4];
    if (fourBytes == nullptr) {
        std::memset(copy, 0, sizeof copy);
        return copy;
    }
    const unsigned char* in = static_cast<const unsigned char*>(fourBytes);
    bool swap = gqk_sysendiantype.load() == 2;
    for (int i = 0; i < 4; ++i) copy[i] = swap ? in[3 - i] : in[i];
    return copy;
}

// ---- dump ------------------------------------------------------------------

void qksysdump(int length, const void* data)
{
    qklogTrace("qksysdump");
    if (length <= 0 || data == nullptr) return;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    auto lock = qkloglock();   // the lines of one dump stay together
    for (int start = 0; start < length; start += 16) {
        // "ooooo | " + 16 x "xx" with a blank after each pair + "| " + 16 characters
        char line[8 + 40 + 2 + 16 + 1];
        size_t pos = static_cast<size_t>(qkstrfmt(line, sizeof line, "%5.5d | ", start));
        for (int i = 0; i < 16; ++i) {
            int at = start + i;
            unsigned value = at < length ? bytes[at] : 0;
            pos += static_cast<size_t>(qkstrfmt(line + pos, sizeof line - pos, (at & 1) ? "%2.2x " : "%2.2x", value));
        }
        pos += static_cast<size_t>(qkstrfmt(line + pos, sizeof line - pos, "| "));
        for (int i = 0; i < 16 && pos + 1 < sizeof line; ++i) {
            int at = start + i;
            unsigned char c = at < length ? bytes[at] : 0;
            line[pos++] = (c >= 32 && c <= 127) ? static_cast<char>(c) : '.';
        }
        line[pos] = '\0';
        qklogf("", "%s", line);
    }
}

// ---- environment, identity, system -------------------------------------------

int qksysGetEnv(const char* name, char* out, size_t outSize)
{
    qklogTrace("qksysGetEnv");
    qksystemgetenv(name, out, outSize);
    return 0;
}

char* qkgetenv(const char* name)
{
    qklogTrace("qkgetenv");
    char value[sizeof gqk_syswrkbuf];
    if (qksystemgetenv(name, value, sizeof value) != 1) return nullptr;
    qkstrset(gqk_syswrkbuf, value);
    return gqk_syswrkbuf;
}

int qksysSetEnv(const char* name, const char* value)
{
    qklogTrace("qksysSetEnv");
    return qksystemsetenv(name, value) == 0 ? 0 : -2;
}

int qkputenv(const char* name, const char* value)
{
    qklogTrace("qkputenv");
    return qksystemsetenv(name, value) == 0 ? 0 : -2;
}

int qksysGetSysInfo(int kind)
{
    qklogTrace("qksysGetSysInfo");
    std::memset(gqk_syswrkbuf, 0, sizeof gqk_syswrkbuf);
    qksysnameInfo info{};
    int status = qksystemuname(&info);
    switch (kind) {
    case 1: qkstrset(gqk_syswrkbuf, info.sysname); break;
    case 2: qkstrset(gqk_syswrkbuf, info.machine); break;
    case 3: qkstrset(gqk_syswrkbuf, info.nodename); break;
    default: break;
    }
    if (gqk_syswrkbuf[0] == '\0') return -2;
    return status;
}

int qksysgetOStype()
{
    qklogTrace("qksysgetOStype");
    qksysGetSysInfo(1);
    char text[sizeof gqk_syswrkbuf];
    qkstrset(text, gqk_syswrkbuf);
    for (char* p = text; *p; ++p) *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    int type = 0;
    if (std::strstr(text, "WIN")) type = 1;
    if (std::strstr(text, "LINUX")) type = 2;
    if (std::strstr(text, "UNIX")) type = 3;
    gqk_sysOStype = type;
    return type;
}

int qksysgetid(int kind)
{
    qklogTrace("qksysgetid");
    switch (kind) {
    case 1:
    case 2: return qksystemgetpid();   // the platform reports the process itself as its own parent
    case 3: return 0;
    default: return -1;
    }
}

char* qksysgetlogin()
{
    qklogTrace("qksysgetlogin");
    char name[256];
    if (qksystemlogin(name, sizeof name) != 0) return nullptr;
    qkstrset(gqk_syswrkbuf, name);
    return gqk_syswrkbuf;
}

// This platform has no last-error code apart from errno, which qklogErr
// reports on its own line already.
int qksysGetError() { return 0; }

int qksysfilegetpath(int length, char* out)
{
    qklogTrace("qksysfilegetpath");
    if (out == nullptr || length <= 0) return -1;
    return qksystemgetcwd(out, static_cast<size_t>(length));
}

int qksysfilegetcurdir(int length, char* out)
{
    qklogTrace("qksysfilegetcurdir");
    if (out == nullptr || length <= 0) return -1;
    return qksystemgetcwd(out, static_cast<size_t>(length));
}

int qksysfilechgdir(const char* path)
{
    qklogTrace("qksysfilechgdir");
    return qksystemchdir(path) == 0 ? 0 : -1;
}

// Nothing to start: the socket layer is part of the system here.
int qksyssocketinit()
{
    qklogTrace("qksyssocketinit");
    return 0;
}

int sysWinExec(const char* command)
{
    qklogTrace("sysWinExec");
    // Values above 31 mean the program was started.
    return qksystemspawn(command) == 0 ? 32 : 0;
}

// ---- processes and exit ----------------------------------------------------

int qksyskillprocess(const char* name)
{
    qklogTrace("qksyskillprocess");
    int pid = qksystemfindprocess(name, qksystemgetpid());
    if (pid <= 0) return 0;
    if (qksystemterminate(pid, kTerminateGraceMs) != 0) {
        qklogErr("terminate process");
        return 0;
    }
    qklogf("qksyskillprocess", "Terminated Process ID: %d, name: %s", pid, name);
    return 0;
}

void qksysExit(int status, const char* message)
{
    qklogTrace("qksysExit");
    int err = errno;
    qklogf("qksysExit", "exit code: %d, message: %s", status, message ? message : "");
    if (err != 0) {
        errno = err;
        qklogErr("errno value on exit");
    }
    qklogcls();
    std::exit(status);
}

void qksyserrexit()
{
    qklogTrace("qksyserrexit");
    qklogErr("QK system error exit");
    qklogcls();
    std::exit(-2);
}
