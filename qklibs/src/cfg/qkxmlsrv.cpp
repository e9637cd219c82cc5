// qkxmlsrv: tagged message writer, element and value extraction, and the
// decoding of character references shared with the configuration reader.
// Called by the configuration reader (every key value) and by the window
// framework (event messages, user-window requests) on any thread; the
// positions of the last call are per thread.
#include "qkxmlsrv.h"

#include "qklogsrv.h"
#include "qkstrsrv.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

thread_local char* tqk_xmlcurptr = nullptr;
thread_local char* tqk_xmlnxtptr = nullptr;

// Opening and closing tag texts of a name.
std::string openTag(const char* name) { return std::string("<") + (name ? name : "") + ">"; }
std::string closeTag(const char* name) { return std::string("</") + (name ? name : "") + ">"; }

std::string flagChars(int flags)
{
    std::string s;
    if (flags & QKXML_CR) s += '\r';
    if (flags & QKXML_LF) s += '\n';
    return s;
}

// Appends piece to the text in buffer when the whole result fits.
int appendPiece(char* buffer, size_t size, const std::string& piece)
{
    if (buffer == nullptr || size == 0) return -2;
    size_t have = strnlen(buffer, size);
    if (have >= size || have + piece.size() >= size) return -2;
    std::memcpy(buffer + have, piece.data(), piece.size());
    buffer[have + piece.size()] = '\0';
    return static_cast<int>(have + piece.size());
}

// Writes piece into buffer (replacing it) when it fits; else empties buffer.
int writePiece(char* buffer, size_t size, const std::string& piece)
{
    if (buffer == nullptr || size == 0) return -2;
    if (piece.size() >= size) {
        buffer[0] = '\0';
        return -2;
    }
    std::memcpy(buffer, piece.data(), piece.size());
    buffer[piece.size()] = '\0';
    return static_cast<int>(piece.size());
}

// Replaces every occurrence of token, left to right, without rescanning the
// inserted text.
void replaceAll(std::string& text, std::string_view token, std::string_view value)
{
    if (token.empty()) return;
    size_t pos = text.find(token);
    if (pos == std::string::npos) return;
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    while (pos != std::string::npos) {
        out.append(text, from, pos - from);
        out.append(value);
        from = pos + token.size();
        pos = text.find(token, from);
    }
    out.append(text, from, std::string::npos);
    text.swap(out);
}

bool isDec(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDec(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int hexVal(char c) { return isDec(c) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : c - 'A' + 10; }

// Decodes the first numeric reference of the text and every identical copy.
void decodeFirstNumeric(std::string& v)
{
    size_t pos = v.find("&#");
    if (pos == std::string::npos) return;
    size_t i = pos + 2;
    bool hex = i < v.size() && v[i] == 'x';
    if (hex) ++i;
    int code = 0, digits = 0;
    while (i < v.size() && digits < 4 && (hex ? isHex(v[i]) : isDec(v[i]))) {
        code = code * (hex ? 16 : 10) + (hex ? hexVal(v[i]) : v[i] - '0');
        ++i;
        ++digits;
    }
    if (digits == 0 || i >= v.size() || v[i] != ';') return;
    // A zero byte would end the text, and codes above 255 are no character of
    // this text: such a reference is kept as written.
    if (code <= 0 || code > 255) return;
    std::string ref = v.substr(pos, i + 1 - pos);
    char ch = static_cast<char>(static_cast<unsigned char>(code));
    replaceAll(v, ref, std::string_view(&ch, 1));
}

// Finds the first element name in text: start of its opening tag and end of
// its closing tag (behind the ">"). With last, the last opening tag is used.
bool findElement(const char* name, const char* text, bool last, const char** start,
                 const char** closing, const char** end)
{
    if (name == nullptr || text == nullptr || name[0] == '\0') return false;
    std::string ot = openTag(name), ct = closeTag(name);
    const char* o = std::strstr(text, ot.c_str());
    if (o == nullptr) return false;
    if (last) {
        for (const char* n = std::strstr(o + 1, ot.c_str()); n; n = std::strstr(n + 1, ot.c_str())) o = n;
    }
    const char* c = std::strstr(o + ot.size(), ct.c_str());
    if (c == nullptr) return false;
    *start = o;
    *closing = c;
    *end = c + ct.size();
    return true;
}

// Inserts piece at offset at of text (size bytes in all) when it fits.
int insertAt(char* text, size_t size, size_t at, const std::string& piece)
{
    size_t len = std::strlen(text);
    if (len + piece.size() >= size) return -2;
    std::memmove(text + at + piece.size(), text + at, len - at + 1);
    std::memcpy(text + at, piece.data(), piece.size());
    return static_cast<int>(len + piece.size());
}

int insertIntoElement(const char* name, const std::string& piece, char* text, size_t size, int flags)
{
    if (text == nullptr || size == 0) return -2;
    const char *start, *closing, *end;
    if (!findElement(name, text, (flags & QKXML_LAST) != 0, &start, &closing, &end)) return -2;
    size_t at = (flags & QKXML_BEFOREEND) ? static_cast<size_t>(closing - text)
                                          : static_cast<size_t>(start - text) + std::strlen(name) + 2;
    int rc = insertAt(text, size, at, piece + flagChars(flags));
    if (rc >= 0) {
        tqk_xmlcurptr = text + at;
        tqk_xmlnxtptr = text + (end - text) + piece.size() + flagChars(flags).size();
    }
    return rc;
}

}  // namespace

void qkxmldecode(std::string& value)
{
    qklogTrace("qkxmldecode");
    replaceAll(value, "&quot;", "\"");
    replaceAll(value, "&apos;", "`");
    replaceAll(value, "&amp;", "&");
    replaceAll(value, "&lt;", "<");
    replaceAll(value, "&gt;", ">");
    decodeFirstNumeric(value);
}

// ---- writer ---------------------------------------------------------------

int qkxmlbldelmstart(const char* name, char* buffer, size_t size, int flags)
{
    qklogTrace("qkxmlbldelmstart");
    return appendPiece(buffer, size, openTag(name) + flagChars(flags));
}

int qkxmlbldelmend(const char* name, char* buffer, size_t size, int flags)
{
    qklogTrace("qkxmlbldelmend");
    return appendPiece(buffer, size, closeTag(name) + flagChars(flags));
}

int qkxmlbldval(const char* name, char* out, size_t size, const char* value, int flags)
{
    qklogTrace("qkxmlbldval");
    return writePiece(out, size, openTag(name) + (value ? value : "") + closeTag(name) + "\n" + flagChars(flags));
}

int qkxmlbldroot(char* buffer, size_t size, const char* name, int flags)
{
    qklogTrace("qkxmlbldroot");
    std::string f = flagChars(flags);
    return appendPiece(buffer, size, openTag(name) + f + closeTag(name) + f);
}

int qkxmlbldversion(char* buffer, size_t size, const char* version, int flags)
{
    qklogTrace("qkxmlbldversion");
    return writePiece(buffer, size, std::string("<") + "?xml version=" + (version ? version : "") + "?" + ">" +
                                        flagChars(flags));
}

// ---- reader ---------------------------------------------------------------

int qkxmlgetversion(const char* text, char* out, size_t size)
{
    qklogTrace("qkxmlgetversion");
    if (out == nullptr || size == 0) return -2;
    out[0] = '\0';
    if (text == nullptr || std::strstr(text, "\"1.0\"") == nullptr) return 0;
    const char* v = std::strstr(text, "version=");
    if (v == nullptr) return 0;
    v += 8;
    if (*v != '"') return 0;
    const char* q = std::strchr(v + 1, '"');
    if (q == nullptr) return 0;
    std::string ver(v, static_cast<size_t>(q + 1 - v));
    return writePiece(out, size, ver) < 0 ? -2 : static_cast<int>(ver.size());
}

int qkxmlgetroot(const char* text, char* out, size_t size)
{
    qklogTrace("qkxmlgetroot");
    if (out == nullptr || size == 0) return -2;
    out[0] = '\0';
    if (text == nullptr) return -2;
    const char* p = text;
    for (;;) {
        const char* lt = std::strchr(p, '<');
        if (lt == nullptr) return -2;
        const char* gt = std::strchr(lt + 1, '>');
        if (gt == nullptr) return -2;
        if (lt[1] == '?' || lt[1] == '!') {   // the declaration or a comment
            p = gt + 1;
            continue;
        }
        std::string name(lt + 1, static_cast<size_t>(gt - lt - 1));
        if (writePiece(out, size, name) < 0) return -2;
        tqk_xmlcurptr = const_cast<char*>(lt);
        tqk_xmlnxtptr = const_cast<char*>(gt + 1);
        return static_cast<int>(name.size());
    }
}

int qkxmlgetelement(const char* name, const char* text, char* out, size_t size)
{
    qklogTrace("qkxmlgetelement");
    if (out == nullptr || size == 0) return -2;
    out[0] = '\0';
    const char *start, *closing, *end;
    if (!findElement(name, text, false, &start, &closing, &end)) return -2;
    std::string elem(start, static_cast<size_t>(end - start));
    if (writePiece(out, size, elem) < 0) return -2;
    tqk_xmlcurptr = const_cast<char*>(start);
    tqk_xmlnxtptr = const_cast<char*>(end);
    return static_cast<int>(elem.size());
}

int qkxmlgetval(const char* name, const char* text, char* out, size_t size)
{
    qklogTrace("qkxmlgetval");
    if (out != nullptr && size > 0) out[0] = '\0';
    const char *start, *closing, *end;
    if (!findElement(name, text, false, &start, &closing, &end)) return 0;
    const char* vstart = start + std::strlen(name) + 2;
    std::string value(vstart, static_cast<size_t>(closing - vstart));
    qkxmldecode(value);
    if (out != nullptr && size > 0) qkstrlcpy(out, size, value.c_str());
    tqk_xmlcurptr = const_cast<char*>(vstart);
    tqk_xmlnxtptr = const_cast<char*>(end);
    // A decoded zero byte cannot occur, so the text length is the value length.
    return static_cast<int>(value.size());
}

// ---- insertions -----------------------------------------------------------

int qkxmladdbuf(const char* name, const char* item, char* text, size_t size, int flags)
{
    qklogTrace("qkxmladdbuf");
    return insertIntoElement(name, item ? item : "", text, size, flags);
}

int qkxmladdelement(const char* name, const char* child, char* text, size_t size, int flags)
{
    qklogTrace("qkxmladdelement");
    return insertIntoElement(name, openTag(child) + closeTag(child), text, size, flags);
}

int qkxmlinselement(const char* name, const char* item, char* text, size_t size, int flags)
{
    qklogTrace("qkxmlinselement");
    return insertIntoElement(name, item ? item : "", text, size, (flags & ~QKXML_LAST) | QKXML_BEFOREEND);
}

// ---- positions ------------------------------------------------------------

char* qkxmlgetcurptr()
{
    qklogTrace("qkxmlgetcurptr");
    return tqk_xmlcurptr;
}

char* qkxmlgetnxtptr()
{
    qklogTrace("qkxmlgetnxtptr");
    return tqk_xmlnxtptr;
}

void qkxmlsetptr(char* position)
{
    qklogTrace("qkxmlsetptr");
    tqk_xmlcurptr = position;
    tqk_xmlnxtptr = position;
}

void qkxmlsetnxtptr(char* position)
{
    qklogTrace("qkxmlsetnxtptr");
    tqk_xmlnxtptr = position;
}

int qkxmlsetptrtoelm(char* text, const char* name)
{
    qklogTrace("qkxmlsetptrtoelm");
    const char *start, *closing, *end;
    if (text == nullptr || !findElement(name, text, false, &start, &closing, &end)) {
        tqk_xmlcurptr = tqk_xmlnxtptr = nullptr;
        return -2;
    }
    tqk_xmlcurptr = text + (start - text);
    tqk_xmlnxtptr = text + (end - text);
    return 0;
}

// ---- encoding -------------------------------------------------------------

int qkxmlencodechar(int c, char* out, size_t size)
{
    qklogTrace("qkxmlencodechar");
    const char* ref = "";
    switch (c) {
    case '"': ref = "&quot;"; break;
    case '&': ref = "&amp;"; break;
    case '<': ref = "&lt;"; break;
    case '>': ref = "&gt;"; break;
    case '`': ref = "&apos;"; break;
    default: break;
    }
    return writePiece(out, size, ref);
}

int qkxmlencodenum(int kind, int value, char* out, size_t size)
{
    qklogTrace("qkxmlencodenum");
    if (out == nullptr || size == 0) return -2;
    int n = 0;
    if (kind == 1)
        n = qkstrfmt(out, size, "%s%4.4d%c", "&#", value, ';');
    else if (kind == 2)
        n = qkstrfmt(out, size, "%s%4.4x%c", "&#x", static_cast<unsigned>(value), ';');
    else
        out[0] = '\0';
    if (n < 0 || static_cast<size_t>(n) >= size) {
        out[0] = '\0';
        return -2;
    }
    return n;
}
