// qkstrsrv: in-place text functions of the library. Every function works only
// on the caller's buffers; the audit mask is module-wide (an atomic, so any
// thread may read it). Diagnostic lines go to the log under the mask bits:
// 1 split results, 2 copies and trims, 4 filters, 8 replacements, 16 refused
// numeric input.
#include "qkstrsrv.h"

#include <atomic>
#include <cctype>

#include "qklogsrv.h"

namespace {

std::atomic<int> gqk_straudit{0};

bool qkstrAudit(int bit)
{
    return (gqk_straudit.load(std::memory_order_relaxed) & bit) != 0;
}

// Longest piece of a split text printed on one log line.
constexpr size_t kPrintChunk = 66;

// Appends n characters of piece at out[pos]; false when the text would grow
// past outSize - 3 (the caller then gives up and returns 0).
bool qkstrAppend(char* out, int outSize, int& pos, const char* piece, int n)
{
    if (pos + n > outSize - 3) return false;
    std::memcpy(out + pos, piece, static_cast<size_t>(n));
    pos += n;
    out[pos] = '\0';
    return true;
}

// Value of one digit in the given base, or -1.
int qkstrDigit(char c, int base)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

// Parses text[0..n) as one byte value written in decimal, 0x hexadecimal or
// with a leading 0 in octal. Only values 0-255 count as a byte.
bool qkstrParseByte(const char* text, int n, unsigned char& value)
{
    int base = 10;
    int i = 0;
    if (n >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    } else if (n >= 2 && text[0] == '0') {
        base = 8;
        i = 1;
    }
    if (i >= n) return false;  // "", "0x"
    int v = 0;
    for (; i < n; ++i) {
        int d = qkstrDigit(text[i], base);
        if (d < 0) return false;
        v = v * base + d;
        if (v > 255) return false;
    }
    value = static_cast<unsigned char>(v);
    return true;
}

}  // namespace

int qkstrvfmt(char* dst, size_t size, const char* fmt, va_list ap)
{
    if (dst == nullptr) size = 0;
    int n = std::vsnprintf(dst, size, fmt, ap);
    if (n < 0 && dst != nullptr && size > 0) dst[0] = '\0';
    return n;
}

int qkstrfmt(char* dst, size_t size, const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int n = qkstrvfmt(dst, size, fmt, ap);
    va_end(ap);
    return n;
}

int qkstrsetaudit(int mask)
{
    qklogTrace("qkstrsetaudit");
    gqk_straudit.store(mask, std::memory_order_relaxed);
    return 0;
}

// Splits text in place at every delimiter. A piece after the last delimiter
// is kept only when it is not empty, so "a,b," gives two pieces. The count
// may not reach maximum - 1 at a delimiter: the caller's table is full then.
int qkstrprsbuf(char* text, int delimiter, char** pointers, int maximum)
{
    qklogTrace("qkstrprsbuf");
    if (delimiter == 0) return 0;
    if (text == nullptr || pointers == nullptr || maximum <= 0) return -2;
    const char delim = static_cast<char>(delimiter);
    int count = 0;
    char* start = text;
    for (char* p = text; *p != '\0'; ++p) {
        if (*p != delim) continue;
        *p = '\0';
        pointers[count++] = start;
        start = p + 1;
        if (count >= maximum - 1) return -2;
    }
    if (*start != '\0') pointers[count++] = start;
    if (qkstrAudit(1)) qkstrprtprs(count, pointers);
    return count;
}

// Logs the pieces of a split, long pieces in chunks of 66 characters.
int qkstrprtprs(int count, char** pointers)
{
    qklogTrace("qkstrprtprs");
    if (!qkstrAudit(1)) return 0;
    auto lock = qkloglock();
    qklogf("qkstrprtprs", "parse count is: %d", count);
    for (int i = 0; i < count && pointers != nullptr; ++i) {
        const char* piece = pointers[i] ? pointers[i] : "";
        size_t len = std::strlen(piece);
        size_t off = 0;
        do {
            size_t n = len - off < kPrintChunk ? len - off : kPrintChunk;
            if (off == 0)
                qklogf("qkstrprtprs", " %5.5d: %.*s", i + 1, static_cast<int>(n), piece);
            else
                qklogf("qkstrprtprs", "        %.*s", static_cast<int>(n), piece + off);
            off += n;
        } while (off < len);
    }
    return 0;
}

// Copies length characters from source + sourceOffset and terminates them.
// The source must really hold them past the offset; otherwise nothing is
// copied. destination must hold destinationOffset + length + 1 bytes.
int qkstrcpy(char* destination, int destinationOffset, const char* source, int sourceOffset, int length)
{
    qklogTrace("qkstrcpy");
    if (destination == nullptr || source == nullptr || destinationOffset < 0 || sourceOffset < 0 || length < 0)
        return -2;
    size_t srcLen = std::strlen(source);
    if (static_cast<size_t>(sourceOffset) > srcLen ||
        srcLen - static_cast<size_t>(sourceOffset) < static_cast<size_t>(length))
        return -2;
    char* des = destination + destinationOffset;
    std::memmove(des, source + sourceOffset, static_cast<size_t>(length));
    des[length] = '\0';
    if (qkstrAudit(2)) qklogf("qkstrcpy", "strcpy: src: %d, des: %s", length, des);
    return 0;
}

int qkstrLtrim(char* text, int character)
{
    qklogTrace("qkstrLtrim");
    if (text == nullptr || character == 0) return 0;
    if (qkstrAudit(2)) qklogf("qkstrLtrim", "trimming character: %2.2x", character);
    const char c = static_cast<char>(character);
    size_t skip = 0;
    while (text[skip] == c) ++skip;
    if (skip) std::memmove(text, text + skip, std::strlen(text + skip) + 1);
    return 0;
}

int qkstrRtrim(char* text, int character)
{
    qklogTrace("qkstrRtrim");
    if (text == nullptr || character == 0) return 0;
    if (qkstrAudit(2)) qklogf("qkstrRtrim", "trimming character: %2.2x", character);
    const char c = static_cast<char>(character);
    size_t len = std::strlen(text);
    while (len > 0 && text[len - 1] == c) --len;
    text[len] = '\0';
    return 0;
}

int qkstrTrim(char* text, int character)
{
    qklogTrace("qkstrTrim");
    qkstrRtrim(text, character);
    return qkstrLtrim(text, character);
}

// Deletes every occurrence of remove in one pass from left to right.
int qkstrFltr(char* text, const char* remove)
{
    qklogTrace("qkstrFltr");
    if (text == nullptr || remove == nullptr || *remove == '\0') return 0;
    if (qkstrAudit(4)) qklogf("qkstrFltr", "filtering string: %s", remove);
    const size_t rlen = std::strlen(remove);
    char* out = text;
    const char* in = text;
    while (*in != '\0') {
        if (std::strncmp(in, remove, rlen) == 0) {
            in += rlen;
        } else {
            *out++ = *in++;
        }
    }
    *out = '\0';
    return 0;
}

// Replaces every token by value, left to right; inserted text is not scanned
// again, so X -> XX does not grow without end. The result is built in work
// (workSize bytes, cut at workSize - 1 characters) and copied back into text,
// which must be as large as work. Returns 0, or -2 when the arguments are
// unusable or the result had to be cut (text then holds the cut result).
int qkstrReplace(char* text, char* work, const char* token, const char* value, size_t workSize)
{
    qklogTrace("qkstrReplace");
    if (text == nullptr || *text == '\0' || token == nullptr || value == nullptr) return 0;
    if (*token == '\0') return 0;
    if (work == nullptr || workSize == 0 || work == text) return -2;
    if (qkstrAudit(8)) qklogf("qkstrReplace", "replacing token: %s", token);
    const size_t tlen = std::strlen(token);
    const size_t vlen = std::strlen(value);
    size_t pos = 0;
    bool cut = false;
    auto put = [&](const char* s, size_t n) {
        size_t room = workSize - 1 - pos;
        if (n > room) {
            n = room;
            cut = true;
        }
        std::memcpy(work + pos, s, n);
        pos += n;
    };
    for (const char* in = text; *in != '\0' && !cut;) {
        if (std::strncmp(in, token, tlen) == 0) {
            put(value, vlen);
            in += tlen;
        } else {
            put(in, 1);
            ++in;
        }
    }
    work[pos] = '\0';
    std::memcpy(text, work, pos + 1);
    return cut ? -2 : 0;
}

// 0 when every character is a digit (kind 2: or a decimal point); an empty
// text passes. Signs, blanks and exponents are refused.
int qkstrValNum(int kind, const char* text)
{
    qklogTrace("qkstrValNum");
    bool ok = text != nullptr;
    for (const char* p = text; ok && *p != '\0'; ++p) {
        bool digit = *p >= '0' && *p <= '9';
        ok = digit || (kind == 2 && *p == '.');
    }
    if (ok) return 0;
    if (qkstrAudit(16)) qklogf("qkstrValNum", "invalid user unmeric input");
    return -2;
}

int qkstrToUpper(char* text)
{
    qklogTrace("qkstrToUpper");
    for (char* p = text; p && *p; ++p) *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    return 0;
}

int qkstrToLower(char* text)
{
    qklogTrace("qkstrToLower");
    for (char* p = text; p && *p; ++p) *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    return 0;
}

// Printable rendering: codes 32-127 stand for themselves, every other byte is
// a grave accent and two hex digits.
int qkstrBinToASCII(int length, const unsigned char* data, int outSize, char* out)
{
    qklogTrace("qkstrBinToASCII");
    if (out == nullptr || outSize <= 0) return 0;
    out[0] = '\0';
    if (data == nullptr) return 0;
    int pos = 0;
    for (int i = 0; i < length; ++i) {
        char piece[4];
        int n = 1;
        if (data[i] >= 32 && data[i] <= 127) {
            piece[0] = static_cast<char>(data[i]);
        } else {
            n = qkstrfmt(piece, sizeof piece, "`%2.2x", data[i]);
        }
        if (!qkstrAppend(out, outSize, pos, piece, n)) return 0;
    }
    return pos;
}

// Turns every number enclosed between two markers (decimal, 0x hexadecimal,
// leading-0 octal, 0-255) into its byte, in place. A marker that does not open
// such a number stays as it is. Returns the new length.
int qkstrASCIIToBin(int length, char* text, int marker)
{
    qklogTrace("qkstrASCIIToBin");
    if (text == nullptr || length <= 0) return 0;
    const char m = static_cast<char>(marker);
    int out = 0;
    int i = 0;
    while (i < length) {
        if (text[i] == m) {
            int close = i + 1;
            while (close < length && text[close] != m) ++close;
            unsigned char value = 0;
            if (close < length && qkstrParseByte(text + i + 1, close - i - 1, value)) {
                text[out++] = static_cast<char>(value);
                i = close + 1;
                continue;
            }
        }
        text[out++] = text[i++];
    }
    if (out < length) text[out] = '\0';
    return out;
}

int qkstrToHexFormat(int length, const unsigned char* data, int outSize, char* out)
{
    qklogTrace("qkstrToHexFormat");
    if (out == nullptr || outSize <= 0) return 0;
    out[0] = '\0';
    if (data == nullptr) return 0;
    int pos = 0;
    for (int i = 0; i < length; ++i) {
        char piece[4];
        int n = qkstrfmt(piece, sizeof piece, " %2.2x", data[i]);
        if (!qkstrAppend(out, outSize, pos, piece, n)) return 0;
    }
    return pos;
}
