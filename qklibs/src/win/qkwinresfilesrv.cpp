// qkwinresfilesrv: resource and include files of definition files. Runs on
// the thread that reads the definition file, inside its record loop.
#include "qkwinresfilesrv.h"

#include <cstring>
#include <string>

#include "qkcfgsrv.h"
#include "qkfilesrv.h"
#include "qkstrsrv.h"
#include "qkwincfgsrv.h"

namespace {

// Reads a regular file whole; false when it cannot be read.
bool readFile(const char* name, std::string& out)
{
    if (!qkfilereadwhole(name, out, QKCFG_MAXFILESIZE, QKFILE_REGULARONLY)) return false;
    // A zero byte ends the text, as it does for the definition file itself.
    size_t zero = out.find('\0');
    if (zero != std::string::npos) out.resize(zero);
    return true;
}

void trim(std::string& s, const char* chars)
{
    size_t b = s.find_first_not_of(chars);
    if (b == std::string::npos) {
        s.clear();
        return;
    }
    s.erase(s.find_last_not_of(chars) + 1);
    s.erase(0, b);
}

// Replaces every name by value in the text not read yet, when the result fits
// in the reader's text buffer; the cursor keeps its place.
void replaceTail(qkcfgsrvInfo* r, const std::string& name, const std::string& value)
{
    if (r->cfgBufPtr == nullptr || r->size <= 0 || name.empty()) return;
    char* tail = (r->rec.ndx == 0 || r->rec.ptr == nullptr) ? r->cfgBufPtr : r->rec.ptr;
    size_t used = static_cast<size_t>(tail - r->cfgBufPtr);
    if (used >= static_cast<size_t>(r->size)) return;
    size_t room = static_cast<size_t>(r->size) - used;
    size_t count = 0;
    for (const char* p = std::strstr(tail, name.c_str()); p; p = std::strstr(p + name.size(), name.c_str())) ++count;
    if (count == 0) return;
    size_t newLen = std::strlen(tail) - count * name.size() + count * value.size();
    if (newLen >= room) {
        qklogf("qkwinresflegetfile", "resource name: %s does not fit, size: %d", name.c_str(), r->size);
        return;
    }
    std::string work(room, '\0');
    qkstrReplace(tail, work.data(), name.c_str(), value.c_str(), room);
}

}  // namespace

bool qkwinisregularfile(const char* name)
{
    qklogTrace("qkwinisregularfile");
    return qkfileisregular(name);
}

int qkwinresflegetfile(qkwinInfo* window)
{
    qklogTrace("qkwinresflegetfile");
    if (window == nullptr) return -2;
    qkwinresfileInfo& res = window->resfle;
    if (res.name[0] == '\0') {
        qklogf("qkwinresflegetfile", "no path name");
        return -2;
    }
    if (window->audit & QKWINCFG_AUD_FILE) qklogf("qkwinresflegetfile", "resource file: %s", res.name);
    std::string text;
    if (!readFile(res.name, text)) {
        qklogf("qkwinresflegetfile", "no path name");
        return -2;
    }
    res.size = static_cast<int>(text.size());
    res.del = 10;
    qkcfgsrvInfo* r = window->cfgPtr;

    size_t from = 0;
    while (from < text.size()) {
        size_t nl = text.find('\n', from);
        std::string line = text.substr(from, nl == std::string::npos ? std::string::npos : nl - from);
        from = nl == std::string::npos ? text.size() : nl + 1;
        trim(line, "\r\t ");
        if (line.size() <= 4) continue;
        size_t q = line.find("QKD$");
        if (q == std::string::npos) continue;
        size_t tab = line.find('\t', q);
        if (tab == std::string::npos) continue;
        std::string name = line.substr(q, tab - q);
        std::string value = line.substr(tab + 1);
        trim(name, "\t ");
        trim(value, "\t ");
        if (res.audit & QKWINRES_AUD_REPLACE)
            qklogf("qkwinresflegetfile", "WIN Resource name: %s value: %s", name.c_str(), value.c_str());
        if (r != nullptr) replaceTail(r, name, value);
    }
    res.state = 1;
    if (r != nullptr && (r->audit & QKCFG_AUD_COPY)) qkcfgauditfle(r, 1);
    return 0;
}

int qkwinincflegetfile(qkwinInfo* window)
{
    qklogTrace("qkwinincflegetfile");
    if (window == nullptr) return -2;
    qkwinresfileInfo& inc = window->incfle;
    if (inc.name[0] == '\0') {
        qklogf("qkwinincflegetfile", "no path name");
        return -2;
    }
    if (window->audit & QKWINCFG_AUD_FILE) qklogf("qkwinincflegetfile", "read config parameters for include: %s", inc.name);
    if (window->cfgPtr == nullptr) return -2;
    // Only regular files hold definition text; anything else reads as empty.
    if (!qkwinisregularfile(inc.name)) return 0;
    qkcfgloopInfo loop;
    qkwincfgloopinit(window, &loop, "qkwinincflegetfile");
    int rc = qkcfgreadinclude(window->cfgPtr, inc.name, &loop);
    inc.state = rc == 0 ? 1 : 0;
    return rc;
}

int qkwinresflesetaudit(qkwinInfo* window, int bits)
{
    qklogTrace("qkwinresflesetaudit");
    if (window == nullptr) return -2;
    window->resfle.audit = bits;
    return 0;
}

int qkwinincflesetaudit(qkwinInfo* window, int bits)
{
    qklogTrace("qkwinincflesetaudit");
    if (window == nullptr) return -2;
    window->incfle.audit = bits;
    return 0;
}
