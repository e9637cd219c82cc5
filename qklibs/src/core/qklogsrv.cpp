// qklogsrv: the process-wide log. Every line passes qklogwrt, which builds the
// line (time stamp, label, text, terminator) in its own buffer and writes it
// to the log file (flushed at once, so the file is complete after a crash)
// and, when asked, to standard output. One recursive lock guards the shared
// text buffer and the file from the moment a caller fills the buffer to the
// end of the write.
#include "qklogsrv.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "qkfilesrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksystime.h"

char gqk_logbuf[1024];
FILE* gqk_Logfdp = nullptr;
std::atomic<int> gqk_LogTraceFlag{0};
std::atomic<int> gqk_LogStdOutFlag{0};
std::atomic<int> gqk_LogTimeStampFlag{0};
char gqk_lognewline[3] = "\n";

namespace {

std::recursive_mutex& logMutex()
{
    static std::recursive_mutex m;
    return m;
}

// Labels are function names; longer ones are cut rather than overflow.
constexpr size_t kLabelMax = 64;
// Time stamp (17) + "-" + label + ": " + text + terminator.
constexpr size_t kLineSize = 18 + kLabelMax + 2 + sizeof(gqk_logbuf) + sizeof(gqk_lognewline);

}  // namespace

std::unique_lock<std::recursive_mutex> qkloglock() { return std::unique_lock<std::recursive_mutex>(logMutex()); }

void qkloggts(char* buffer)
{
    std::tm local{};
    int ms = 0;
    qksystimenow(&local, &ms);
    char secs[32];
    if (std::strftime(secs, sizeof secs, "%Y%m%d%H%M%S", &local) == 0) secs[0] = '\0';
    qkstrfmt(buffer, 18, "%s%3.3d", secs, ms);
}

int qklogopn(const char* path)
{
    qklogTrace("qklogopn");
    auto lock = qkloglock();
    gqk_LogTimeStampFlag = 1;
    qkstrset(gqk_lognewline, "\n");
    if (gqk_Logfdp) {
        std::fclose(gqk_Logfdp);
        gqk_Logfdp = nullptr;
    }
    if (path == nullptr || *path == '\0') return -1;
    gqk_Logfdp = std::fopen(path, "w+");
    return gqk_Logfdp ? 0 : -1;
}

void qklogcls()
{
    qklogTrace("qklogcls");
    auto lock = qkloglock();
    if (gqk_Logfdp) std::fclose(gqk_Logfdp);
    gqk_Logfdp = nullptr;
}

void qklogwrt(const char* label)
{
    auto lock = qkloglock();
    char line[kLineSize];
    line[0] = '\0';
    if (label && *label) {
        if (gqk_LogTimeStampFlag) {
            char ts[18];
            qkloggts(ts);
            qkstrlcat(line, sizeof line, ts);
            qkstrlcat(line, sizeof line, "-");
        }
        char cut[kLabelMax + 1];
        qkstrlcpy(cut, sizeof cut, label);
        qkstrlcat(line, sizeof line, cut);
        qkstrlcat(line, sizeof line, ": ");
    } else {
        qkstrlcat(line, sizeof line, "    ");
    }
    gqk_logbuf[sizeof gqk_logbuf - 1] = '\0';
    size_t textEnd = qkstrlcat(line, sizeof line, gqk_logbuf);
    if (textEnd >= sizeof line) textEnd = sizeof line - 1;
    qkstrlcat(line, sizeof line, gqk_lognewline);
    if (gqk_Logfdp) {
        // Write errors on the log file are ignored: logging never stops the program.
        std::fputs(line, gqk_Logfdp);
        std::fflush(gqk_Logfdp);
    }
    if (gqk_LogStdOutFlag) {
        // The console gets the line with one line break of its own in place
        // of the terminator.
        std::fwrite(line, 1, textEnd, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
}

void qklogf(const char* label, const char* fmt, ...)
{
    auto lock = qkloglock();
    va_list ap;
    va_start(ap, fmt);
    qkstrvfmt(gqk_logbuf, sizeof gqk_logbuf, fmt, ap);
    va_end(ap);
    qklogwrt(label);
}

void qklogTraceWrite(const char* name)
{
    auto lock = qkloglock();
    qkstrset(gqk_logbuf, name);
    qklogwrt("qklogTrace");
}

void qklogErr(const char* reason)
{
    int err = errno;   // taken first: the writes below may change it
    int last = qksysGetError();
    auto lock = qkloglock();
    qklogf("qklogErr", "error, reason: %s", reason ? reason : "");
    if (err != 0) qklogf("qklogErr", "errno: %d, %s%s", err, std::strerror(err), gqk_lognewline);
    if (last != 0) qklogf("qklogErr", "Last Error: %d", last);
}

int qklogsetstdout(int flag)
{
    gqk_LogStdOutFlag = flag;
    return 0;
}

int qklogsettrace(int flag)
{
    gqk_LogTraceFlag = flag;
    return 0;
}

int qklogsettimestamp(int flag)
{
    gqk_LogTimeStampFlag = flag;
    return 0;
}

FILE* qkloggetfd()
{
    auto lock = qkloglock();
    return gqk_Logfdp;
}

int qklogswitch(const char* path, const char* archivePath)
{
    qklogTrace("qklogswitch");
    auto lock = qkloglock();
    qklogcls();
    qkfilerename(path, archivePath);
    return qklogopn(path);
}
