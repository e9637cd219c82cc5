// qkcfgsrv: the configuration reader. Loads a tagged configuration file,
// cuts out its comments, applies user definitions, splits the text into
// records and converts the values of registered keys; runs the record loop
// with a client's three handlers, also over include files.
// Called by the main program, the window framework, the plot engine and the
// help launcher, on the thread that reads the file.
#include "qkcfgsrv.h"

#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qkxmlsrv.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A configuration file whole, as it stands on disk.
bool readWhole(const char* path, std::string& out) { return qkfilereadwhole(path, out, QKCFG_MAXFILESIZE); }

// A zeroed buffer of size bytes holding the len bytes of text (len < size).
char* newTextBuffer(const char* text, size_t len, size_t size)
{
    char* buf = static_cast<char*>(qksysMemAllocate(nullptr, size));
    std::memset(buf, 0, size);
    std::memcpy(buf, text, len);
    return buf;
}

// Include files being read on this thread, outermost first. Includes nest
// strictly on the thread that reads, so a name in this list means a cycle.
thread_local std::vector<std::string> tqk_cfgincchain;

// True when a and b name the same file (also through links or other spellings).
bool sameFile(const std::string& a, const char* b)
{
    if (b == nullptr || b[0] == '\0') return false;
    std::error_code ec;
    bool same = std::filesystem::equivalent(a, b, ec);
    return ec ? a == b : same;
}

// Decimal floating point with a decimal point whatever the process locale
// (the window toolkit switches the C locale to the user's). Leading white
// space and a plus sign are accepted; text that is no number, or a number
// out of the float range, gives 0.
float parseFloat(const char* text)
{
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    if (*text == '+') ++text;
    float v = 0.0f;
    auto [end, ec] = std::from_chars(text, text + std::strlen(text), v, std::chars_format::general);
    (void)end;
    return ec == std::errc() ? v : 0.0f;
}

// Trims c from both ends of s.
void trimChar(std::string& s, char c)
{
    size_t b = s.find_first_not_of(c);
    if (b == std::string::npos) {
        s.clear();
        return;
    }
    s.erase(s.find_last_not_of(c) + 1);
    s.erase(0, b);
}

// Slot of name among the registered keys; each comparison is audited with bit 128.
int lookupKey(const qkcfgsrvInfo* r, const char* name, bool audit)
{
    for (int i = 0; i < r->numArgs; ++i) {
        if (audit && (r->audit & QKCFG_AUD_COMPARE))
            qklogf("qkcfggetxmlparam", "ndx: %d, XML segment name: %s, cfg name: %s", i, name, r->argsPtr[i].name);
        const char* key = r->argsPtr[i].name;
        if (key[0] == name[0] && std::strcmp(name, key) == 0) return i;
    }
    return -1;
}

// Converts the value in data into the matched slot and audits it.
void storeValue(qkcfgsrvInfo* r, qkcfgsrvArgInfo* arg)
{
    switch (arg->type) {
    case QKCFG_BOOL:
        arg->val.bol = 1;
        if (r->audit & QKCFG_AUD_BOOL) qklogf("qkcfggetxmlparam", "Bool name: %s, val: %d", arg->name, arg->val.bol);
        break;
    case QKCFG_SHORT:
        arg->val.sht = static_cast<int16_t>(std::strtoll(r->data, nullptr, 0));
        if (r->audit & QKCFG_AUD_SHORT) qklogf("qkcfggetxmlparam", "Short name: %s, val: %d", arg->name, arg->val.sht);
        break;
    case QKCFG_LONG:
        // Values up to 32 bits are taken whole: 0xFFFFFFFF is a mask of all bits.
        arg->val.lng = static_cast<int32_t>(std::strtoll(r->data, nullptr, 0));
        if (r->audit & QKCFG_AUD_LONG) qklogf("qkcfggetxmlparam", "Long name: %s, val: %d", arg->name, arg->val.lng);
        break;
    case QKCFG_FLOAT:
        arg->val.flt = parseFloat(r->data);
        if (r->audit & QKCFG_AUD_FLOAT)
            qklogf("qkcfggetxmlparam", "Float name: %s, val: %f", arg->name, static_cast<double>(arg->val.flt));
        break;
    case QKCFG_STRING:
        qkstrset(arg->val.str, r->data);
        if (r->audit & QKCFG_AUD_STRING) qklogf("qkcfggetxmlparam", "String name: %s, val: %s", arg->name, arg->val.str);
        break;
    default:
        break;
    }
}

// The status of a parsed record, audited with bit 64.
int parseResult(qkcfgsrvInfo* r, int rc)
{
    if (r->audit & QKCFG_AUD_RETCODE) qklogf("qkcfggetxmlparam", "xml return code: %d, segment name: %s", rc, r->ename);
    return rc;
}

// Replaces every occurrence of token by value in the text from tail on, when
// the result fits in room bytes. work holds room bytes.
void replaceToken(qkcfgsrvInfo* r, char* tail, size_t room, char* work, const std::string& token,
                  const std::string& value)
{
    size_t tlen = std::strlen(token.c_str());
    size_t vlen = std::strlen(value.c_str());
    if (tlen == 0) return;
    size_t count = 0;
    for (const char* p = std::strstr(tail, token.c_str()); p; p = std::strstr(p + tlen, token.c_str())) ++count;
    if (count == 0) return;
    size_t len = std::strlen(tail);
    size_t newLen = len - count * tlen + count * vlen;
    if (newLen >= room) {
        // The text would run past its buffer: this definition is left out.
        qklogf("qkcfggetuserdefs", "user definition: %s does not fit, size: %d", token.c_str(), r->size);
        return;
    }
    qkstrReplace(tail, work, token.c_str(), value.c_str(), room);
}

}  // namespace

// ---- registration and settings -------------------------------------------

int qkcfgaddxmltype(qkcfgsrvInfo* reader, const char* name, int type)
{
    qklogTrace("qkcfgaddxmltype");
    if (reader == nullptr) return -2;
    int n = reader->numArgs;
    // The table doubles when it is full (its size is the power of two at or
    // above numArgs): a window vocabulary of hundreds of keys would otherwise
    // copy the whole table for every key.
    if (n <= 0 || (n & (n - 1)) == 0) {
        const size_t slots = n <= 0 ? 1 : 2 * static_cast<size_t>(n);
        reader->argsPtr = static_cast<qkcfgsrvArgInfo*>(
            qksysMemAllocate(reader->argsPtr, sizeof(qkcfgsrvArgInfo) * slots));
    }
    qkcfgsrvArgInfo* arg = &reader->argsPtr[n];
    std::memset(arg, 0, sizeof *arg);
    arg->type = type;
    qkstrset(arg->name, name);
    if (type == QKCFG_PACKAGE) reader->pkgcnt++;
    reader->numArgs = n + 1;
    if (reader->audit & QKCFG_AUD_REGISTER)
        qklogf("qkcfgaddxmltype", "argument number: %d, name: %s, type: %d", n, arg->name, type);
    return 0;
}

int qkcfgvalxmltype(qkcfgsrvInfo* reader, const char* name)
{
    qklogTrace("qkcfgvalxmltype");
    if (reader != nullptr && name != nullptr && lookupKey(reader, name, false) >= 0) return 0;
    qklogf("qkcfgvalxmltype", "config name: %s not registered", name ? name : "");
    return -2;
}

int qkcfgsetaudit(qkcfgsrvInfo* reader, int mask)
{
    qklogTrace("qkcfgsetaudit");
    if (reader) reader->audit = mask;
    return 0;
}

int qkcfgsetdelm(qkcfgsrvInfo* reader, int delimiter)
{
    qklogTrace("qkcfgsetdelm");
    if (reader) reader->rec.del = delimiter;
    return 0;
}

int qkcfgfindkey(const qkcfgsrvInfo* reader, const char* name)
{
    qklogTrace("qkcfgfindkey");
    if (reader == nullptr || name == nullptr) return -1;
    return lookupKey(reader, name, false);
}

int qkcfgaddkeys(qkcfgsrvInfo* reader, const qkcfgKeyDef* keys, int count)
{
    qklogTrace("qkcfgaddkeys");
    if (reader == nullptr || keys == nullptr) return -2;
    int status = 0;
    for (int k = 0; k < count; ++k) status = qkcfgaddxmltype(reader, keys[k].name, keys[k].type);
    return status;
}

int qkcfgkeyindex(const qkcfgKeyDef* keys, int count, const char* name)
{
    if (keys == nullptr || name == nullptr) return -1;
    for (int k = 0; k < count; ++k)
        if (std::strcmp(keys[k].name, name) == 0) return k;
    return -1;
}

int qkcfgmatchedkey(const qkcfgsrvInfo* reader, const qkcfgKeyDef* keys, int count)
{
    const qkcfgsrvInfo* r = reader;
    if (r == nullptr || keys == nullptr || r->argsPtr == nullptr || r->ndx < 0 || r->ndx >= r->numArgs) return -1;
    const char* name = r->argsPtr[r->ndx].name;
    if (r->ndx < count && std::strcmp(keys[r->ndx].name, name) == 0) return r->ndx;
    return qkcfgkeyindex(keys, count, name);
}

int qkcfgfindpkg(const qkcfgsrvInfo* reader, const char* name)
{
    qklogTrace("qkcfgfindpkg");
    if (reader == nullptr || name == nullptr) return -1;
    // Two clients sharing one reader may register the same name with other
    // types (the main program's COLOR text, the window framework's COLOR
    // package): a package is found by its package registration.
    for (int i = 0; i < reader->numArgs; ++i)
        if (reader->argsPtr[i].type == QKCFG_PACKAGE && std::strcmp(name, reader->argsPtr[i].name) == 0) return i;
    return -1;
}

int qkcfgpkgclose(const qkcfgsrvInfo* reader)
{
    qklogTrace("qkcfgpkgclose");
    if (reader == nullptr || reader->ename[0] != '/') return -1;
    return qkcfgfindpkg(reader, reader->ename + 1);
}

// ---- loading ---------------------------------------------------------------

int qkcfggetfile(qkcfgsrvInfo* reader)
{
    qklogTrace("qkcfggetfile");
    if (reader == nullptr) return -2;
    std::string text;
    if (reader->path == nullptr || reader->path[0] == '\0' || !readWhole(reader->path, text) || text.empty()) {
        qklogf("qkcfggetfile", "no path name");
        return -2;
    }
    return qkcfgsettext(reader, text.data(), text.size());
}

int qkcfgsettext(qkcfgsrvInfo* reader, const char* text, size_t len)
{
    qklogTrace("qkcfgsettext");
    if (reader == nullptr) return -2;
    if (text == nullptr || len == 0 || len > QKCFG_MAXFILESIZE) {
        qklogf("qkcfgsettext", "no text");
        return -2;
    }
    qksysMemFree(reader->cfgBufPtr);
    reader->size = static_cast<int>(2 * len);
    reader->cfgBufPtr = newTextBuffer(text, len, static_cast<size_t>(reader->size));
    reader->rec.ndx = 0;
    reader->rec.ptr = reader->cfgBufPtr;
    if (reader->audit & QKCFG_AUD_COPY) qkcfgauditfle(reader, 1);
    return 0;
}

int qkcfgdelcomments(qkcfgsrvInfo* reader)
{
    qklogTrace("qkcfgdelcomments");
    if (reader == nullptr || reader->cfgBufPtr == nullptr) return 0;
    // One pass: w trails r and receives everything outside the comments.
    char* w = reader->cfgBufPtr;
    const char* r = reader->cfgBufPtr;
    for (;;) {
        const char* open = std::strstr(r, "<!--");
        const char* close = open ? std::strstr(open + 4, "-->") : nullptr;
        if (close == nullptr) {
            // No comment left, or one without an end: the rest stays as it is.
            size_t n = std::strlen(r);
            if (w != r) std::memmove(w, r, n + 1);
            break;
        }
        size_t keep = static_cast<size_t>(open - r);
        if (w != r) std::memmove(w, r, keep);
        w += keep;
        r = close + 3;
    }
    return 0;
}

// ---- records -----------------------------------------------------------------

int qkcfggetrec(qkcfgsrvInfo* reader)
{
    qklogTrace("qkcfggetrec");
    if (reader == nullptr || reader->cfgBufPtr == nullptr) return 0;
    qkcfgsrvRecInfo& rec = reader->rec;
    if (rec.ndx == 0 || rec.ptr == nullptr) rec.ptr = reader->cfgBufPtr;
    if (rec.del <= 0 || rec.del > 255) return 0;
    for (;;) {
        char* end = std::strchr(rec.ptr, rec.del);
        if (end == nullptr) return 0;   // a last line without delimiter is not read
        const char* b = rec.ptr;
        const char* e = end;
        rec.ptr = end + 1;
        // Trim tabs, then blanks, at both ends.
        for (char c : {'\t', ' '}) {
            while (b < e && *b == c) ++b;
            while (e > b && e[-1] == c) --e;
        }
        size_t len = static_cast<size_t>(e - b);
        reader->reclen = static_cast<int>(len);
        size_t n = len < sizeof reader->wbuf - 1 ? len : sizeof reader->wbuf - 1;
        std::memcpy(reader->wbuf, b, n);
        reader->wbuf[n] = '\0';
        if (len == 0 && rec.ndx == 0) continue;   // empty records before the first one are skipped
        if (len > 0) rec.ndx++;
        if (reader->audit & QKCFG_AUD_RECORD) qklogf("qkcfggetrec", "record ndx: %d, buf: %s", rec.ndx, reader->wbuf);
        return rec.ndx;
    }
}

int qkcfggetxmlparam(qkcfgsrvInfo* reader)
{
    qklogTrace("qkcfggetxmlparam");
    if (reader == nullptr) return -2;
    reader->state = 0;
    reader->ndx = -1;
    reader->ename[0] = '\0';
    reader->data[0] = '\0';
    if (reader->reclen >= QKCFG_RECSIZE) {
        qklogf("qkcfggetxmlparam", "record ndx: %d, length: %d, record too long", reader->rec.ndx, reader->reclen);
        return parseResult(reader, -2);
    }
    if (std::strlen(reader->wbuf) < 3) return parseResult(reader, 1);
    const char* lt = std::strchr(reader->wbuf, '<');
    if (lt == nullptr) return parseResult(reader, -2);
    // A tag without ">" takes the rest of the record as its name.
    const char* gt = std::strchr(lt + 1, '>');
    size_t nlen = gt ? static_cast<size_t>(gt - lt - 1) : std::strlen(lt + 1);
    if (nlen >= sizeof reader->ename) {
        qklogf("qkcfggetxmlparam", "record ndx: %d, element name too long: %d", reader->rec.ndx, static_cast<int>(nlen));
        return parseResult(reader, -2);
    }
    std::memcpy(reader->ename, lt + 1, nlen);
    reader->ename[nlen] = '\0';

    int k = lookupKey(reader, reader->ename, true);
    if (k < 0) return parseResult(reader, 0);
    qkcfgsrvArgInfo* arg = &reader->argsPtr[k];
    if (arg->type != QKCFG_PACKAGE) {
        int vlen = qkxmlgetval(reader->ename, reader->wbuf, reader->data, sizeof reader->data);
        if (vlen >= static_cast<int>(sizeof reader->data)) {
            qklogf("qkcfggetxmlparam", "error string name: %s, value to large", reader->ename);
            reader->data[0] = '\0';
            return parseResult(reader, -2);
        }
    }
    reader->ndx = k;
    reader->state = 1;
    reader->cnt++;
    storeValue(reader, arg);
    return parseResult(reader, 0);
}

// ---- user definitions --------------------------------------------------------

int qkcfggetuserdefs(qkcfgsrvInfo* reader)
{
    qklogTrace("qkcfggetuserdefs");
    if (reader == nullptr) return -2;
    if (reader->defName[0] == '\0') {
        qklogf("qkcfggetuserdefs", "no path name");
        return -2;
    }
    if (reader->audit & QKCFG_AUD_USERDEF) qklogf("qkcfggetuserdefs", "resource file: %s", reader->defName);
    std::string defs;
    if (!readWhole(reader->defName, defs)) {
        qklogf("qkcfggetuserdefs", "no path name");
        return -2;
    }
    return qkcfgsetuserdefs(reader, defs.data(), defs.size());
}

int qkcfgsetuserdefs(qkcfgsrvInfo* reader, const char* text, size_t len)
{
    qklogTrace("qkcfgsetuserdefs");
    if (reader == nullptr || (text == nullptr && len > 0)) return -2;
    if (reader->cfgBufPtr == nullptr || reader->size <= 0 || len == 0) return 0;
    const std::string defs(text, len);

    // Only the text not read yet is changed, so the cursor keeps its place and
    // the tokens take effect in the records after the definition block.
    char* tail = (reader->rec.ndx == 0 || reader->rec.ptr == nullptr) ? reader->cfgBufPtr : reader->rec.ptr;
    size_t room = static_cast<size_t>(reader->size) - static_cast<size_t>(tail - reader->cfgBufPtr);
    if (room == 0) return 0;
    char* work = static_cast<char*>(qksysMemAllocate(nullptr, room));

    size_t from = 0;
    while (from < defs.size()) {
        size_t nl = defs.find('\n', from);
        std::string line = defs.substr(from, nl == std::string::npos ? std::string::npos : nl - from);
        from = nl == std::string::npos ? defs.size() : nl + 1;
        trimChar(line, '\r');
        trimChar(line, '\t');
        trimChar(line, ' ');
        if (line.size() <= 5) continue;
        size_t u = line.find("USER$");
        if (u == std::string::npos) continue;
        size_t tab = line.find('\t', u + 5);
        if (tab == std::string::npos) continue;
        std::string token = line.substr(u, tab - u);
        std::string value = line.substr(tab + 1);
        for (std::string* s : {&token, &value}) {
            trimChar(*s, '\t');
            trimChar(*s, ' ');
        }
        replaceToken(reader, tail, room, work, token, value);
    }
    qksysMemFree(work);
    if (reader->audit & QKCFG_AUD_COPY) qkcfgauditfle(reader, 1);
    return 0;
}

// ---- audit copy and release --------------------------------------------------

int qkcfgauditfle(qkcfgsrvInfo* reader, int mode)
{
    qklogTrace("qkcfgauditfle");
    if (reader == nullptr) return -2;
    qklogf("qkcfgauditfle", "config file, size: %d, name: %s", reader->size, reader->path ? reader->path : "");
    reader->tfndx++;
    const char* text = reader->cfgBufPtr ? reader->cfgBufPtr : "";
    if (mode == 1) {
        char name[64];
        qkstrfmt(name, sizeof name, "tmpcfg%d.txt", reader->tfndx);
        qkfileHandle fp = qkfileopenhandle(name, "w");
        if (!fp) {
            qklogErr("audit copy");
            return -1;
        }
        size_t len = std::strlen(text);
        bool ok = std::fwrite(text, 1, len, fp.get()) == len;
        ok = qkfileclosewritten(fp) && ok;
        return ok ? 0 : -1;
    }
    if (mode == 2) qksysdump(static_cast<int>(std::strlen(text)), text);
    return 0;
}

int qkcfgfreemem(qkcfgsrvInfo* reader)
{
    qklogTrace("qkcfgfreemem");
    if (reader == nullptr) return 0;
    qksysMemFree(reader->cfgBufPtr);
    qksysMemFree(reader->argsPtr);
    reader->cfgBufPtr = nullptr;
    reader->argsPtr = nullptr;
    reader->size = 0;
    reader->numArgs = 0;
    reader->pkgcnt = 0;
    reader->ndx = -1;
    reader->state = 0;
    reader->rec.ndx = 0;
    reader->rec.ptr = nullptr;
    return 0;
}

// ---- the record loop ---------------------------------------------------------

int qkcfgrecloop(qkcfgsrvInfo* reader, const qkcfgloopInfo* loop)
{
    qklogTrace("qkcfgrecloop");
    if (reader == nullptr || loop == nullptr) return -2;
    auto call = [loop](qkcfghandler h) {
        if (h) h(loop->client);
    };
    while (qkcfggetrec(reader) > 0) {
        int rc = qkcfggetxmlparam(reader);
        if (rc == -2) break;   // the rest of the text is not read; what was read stays
        if (rc == 1 && (loop->flags & QKCFG_LOOP_SKIPSHORT)) continue;
        bool toEnd = (loop->flags & QKCFG_LOOP_BYCLOSETAG) ? reader->ename[0] == '/' : reader->state != 1;
        if (toEnd) {
            call(loop->pkgend);
        } else {
            call(loop->pkg);
            call(loop->elem);
        }
    }
    if (loop->flags & QKCFG_LOOP_LOGCOUNT)
        qklogf(loop->label ? loop->label : "qkcfgrecloop", "processed: %d config parameters", reader->cnt);
    return 0;
}

namespace {

// A loaded text from its first record: line-feed records, comments cut out.
int walkText(qkcfgsrvInfo* reader, const qkcfgloopInfo* loop)
{
    qkcfgsetdelm(reader, 10);
    qkcfgdelcomments(reader);
    reader->cnt = 0;
    reader->rec.ndx = 0;
    return qkcfgrecloop(reader, loop);
}

}  // namespace

int qkcfgload(qkcfgsrvInfo* reader, const qkcfgloopInfo* loop)
{
    qklogTrace("qkcfgload");
    if (reader == nullptr || loop == nullptr) return -2;
    if (qkcfggetfile(reader) != 0) return -2;
    return walkText(reader, loop);
}

int qkcfgloadtext(qkcfgsrvInfo* reader, const char* text, size_t len, const qkcfgloopInfo* loop)
{
    qklogTrace("qkcfgloadtext");
    if (reader == nullptr || loop == nullptr) return -2;
    if (qkcfgsettext(reader, text, len) != 0) return -2;
    return walkText(reader, loop);
}

namespace {

bool includeAllowed(const qkcfgsrvInfo* reader, const char* fileName)
{
    if (fileName == nullptr || fileName[0] == '\0') {
        qklogf("qkcfgreadinclude", "no path name");
        return false;
    }
    // An include that includes itself, directly or through others, would never
    // end: a file already being read is not read again, and includes nested
    // deeper than the limit are left out.
    bool cycle = sameFile(fileName, reader->path);
    for (const std::string& open : tqk_cfgincchain) cycle = cycle || sameFile(open, fileName);
    if (cycle) {
        qklogf("qkcfgreadinclude", "include file: %s is already being read, skipped", fileName);
        return false;
    }
    if (reader->incdepth >= QKCFG_MAXINCDEPTH) {
        qklogf("qkcfgreadinclude", "include depth: %d reached, file: %s skipped", QKCFG_MAXINCDEPTH, fileName);
        return false;
    }
    return true;
}

int includeText(qkcfgsrvInfo* reader, const char* fileName, const std::string& text, const qkcfgloopInfo* loop);

}  // namespace

int qkcfgreadinclude(qkcfgsrvInfo* reader, const char* fileName, const qkcfgloopInfo* loop)
{
    qklogTrace("qkcfgreadinclude");
    if (reader == nullptr || loop == nullptr) return -2;
    if (!includeAllowed(reader, fileName)) return -2;
    std::string text;
    if (!readWhole(fileName, text) || text.empty()) return 0;
    return includeText(reader, fileName, text, loop);
}

int qkcfgreadincludetext(qkcfgsrvInfo* reader, const char* fileName, const char* text, size_t len,
                         const qkcfgloopInfo* loop)
{
    qklogTrace("qkcfgreadincludetext");
    if (reader == nullptr || loop == nullptr || (text == nullptr && len > 0)) return -2;
    if (!includeAllowed(reader, fileName)) return -2;
    if (len == 0) return 0;
    return includeText(reader, fileName, std::string(text, len), loop);
}

namespace {

int includeText(qkcfgsrvInfo* reader, const char* fileName, const std::string& text, const qkcfgloopInfo* loop)
{
    reader->incdepth++;
    tqk_cfgincchain.emplace_back(fileName);
    // The reader's place in the including text, restored however the include
    // ends (a worker being cancelled unwinds through here too).
    struct Restore {
        qkcfgsrvInfo* r;
        int cnt, size;
        char* text;
        qkcfgsrvRecInfo rec;
        ~Restore()
        {
            r->incdepth--;
            tqk_cfgincchain.pop_back();
            // A handler that loaded another file in between has released the
            // include text already and left its own text, released here.
            qksysMemFree(r->cfgBufPtr);
            r->cfgBufPtr = text;
            r->size = size;
            r->cnt = cnt;
            r->rec = rec;
        }
    } restore{reader, reader->cnt, reader->size, reader->cfgBufPtr, reader->rec};

    int size = static_cast<int>(text.size()) + 1024;
    reader->cfgBufPtr = newTextBuffer(text.data(), text.size(), static_cast<size_t>(size));
    reader->size = size;
    reader->cnt = 0;
    reader->rec.ndx = 0;
    reader->rec.ptr = reader->cfgBufPtr;
    qkcfgdelcomments(reader);
    qkcfgloopInfo inc = *loop;
    inc.flags |= QKCFG_LOOP_SKIPSHORT;
    qkcfgrecloop(reader, &inc);
    if (reader->audit & QKCFG_AUD_COPY) qkcfgauditfle(reader, 1);
    return 0;
}

}  // namespace

// ---- package stack -----------------------------------------------------------

int qkcfgstackpush(int* codes, int* top, int capacity, int code)
{
    qklogTrace("qkcfgstackpush");
    if (codes == nullptr || top == nullptr || *top + 1 >= capacity || *top + 1 < 0) return -2;
    ++*top;
    codes[*top] = code;
    return 0;
}

int qkcfgstackpop(int* codes, int* top, int floor)
{
    qklogTrace("qkcfgstackpop");
    if (codes == nullptr || top == nullptr || *top <= floor) return -2;
    if (*top >= 0) codes[*top] = 0;
    --*top;
    return 0;
}
