// aeLog: see aeLog.h.
#include "aeLog.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <sys/time.h>

namespace ae {

namespace {
FILE* g_log = nullptr;
bool g_verbose = false;

FILE* out() { return g_log != nullptr ? g_log : stderr; }

void stamp(FILE* f)
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    tm local{};
    localtime_r(&tv.tv_sec, &local);
    std::fprintf(f, "%04d-%02d-%02d %02d:%02d:%02d.%03d anaemu: ", local.tm_year + 1900, local.tm_mon + 1,
                 local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(tv.tv_usec / 1000));
}
}  // namespace

bool logOpen(const std::string& path)
{
    logClose();
    if (path.empty()) return true;
    g_log = std::fopen(path.c_str(), "a");
    return g_log != nullptr;
}

void logClose()
{
    if (g_log != nullptr) std::fclose(g_log);
    g_log = nullptr;
}

void logSetVerbose(bool on) { g_verbose = on; }

void logf(const char* fmt, ...)
{
    FILE* f = out();
    stamp(f);
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(f, fmt, ap);
    va_end(ap);
    std::fputc('\n', f);
    std::fflush(f);
}

std::string escaped(const void* data, std::size_t n, std::size_t limit)
{
    const auto* p = static_cast<const unsigned char*>(data);
    std::size_t shown = (limit == 0 || n <= limit) ? n : limit;
    std::string s;
    s.reserve(shown + 16);
    char hex[8];
    for (std::size_t i = 0; i < shown; ++i) {
        unsigned char c = p[i];
        switch (c) {
        case '\\': s += "\\\\"; break;
        case '\r': s += "\\r"; break;
        case '\n': s += "\\n"; break;
        case '\t': s += "\\t"; break;
        case 27: s += "\\e"; break;
        default:
            if (c >= 32 && c < 127) {
                s += static_cast<char>(c);
            } else {
                std::snprintf(hex, sizeof hex, "\\x%02x", c);
                s += hex;
            }
        }
    }
    if (shown < n) s += " ... (" + std::to_string(n - shown) + " more bytes)";
    return s;
}

void logBytes(const char* dir, const void* data, std::size_t n)
{
    logf("%s %zu: %s", dir, n, escaped(data, n, g_verbose ? 0 : 96).c_str());
}

}  // namespace ae
