// vxFPDecode: the front-panel stream's escape sequences (see the header).
#include "vxFPDecode.h"

#include <cstring>

#include "qklogsrv.h"

namespace {

constexpr char kEsc = 27;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A parameter character of a sequence: digits, separators and the private-mode mark.
bool isParam(char c)
{
    return isDigit(c) || c == ';' || c == '?';
}

void addCode(vxFPdataTermInfo* out, int type, const char* seq, int len)
{
    if (out->codeNdx >= VX_FPMAXCODES) return;
    vxTermCodeInfo& code = out->code[out->codeNdx++];
    code.type = type;
    const int n = len < static_cast<int>(sizeof code.set) - 1 ? len : static_cast<int>(sizeof code.set) - 1;
    std::memcpy(code.set, seq, static_cast<size_t>(n));
    code.set[n] = '\0';
    if (type != VX_FPCODE_IGNORED) out->type = type;
}

// The cursor position "escape [ row ; col H" with the text after it, in a
// sequence of len characters (s[0] is the escape). The analyzer writes the
// row as one digit and the column as one or two. -2 when malformed or the
// text is too long, else the entry's type.
int positionCode(const char* s, int len, bool escapeFollows, vxFPdataTermInfo* out)
{
    if (len < 6 || !isDigit(s[2]) || s[3] != ';' || !isDigit(s[4])) return -2;
    int h = 5;
    if (s[h] != 'H') {
        if (len < 7 || !isDigit(s[h]) || s[h + 1] != 'H') return -2;
        h = 6;
    }
    const int row = s[2] - '0';
    const int col = h == 5 ? s[4] - '0' : (s[4] - '0') * 10 + (s[5] - '0');
    if (col < 1) return -2;
    const int textLen = len - (h + 1);
    if (textLen > VX_FPMAXTEXT) return -2;
    out->row = row - 1;
    out->lastRow = row - 1;
    out->col = col - 1;
    if (textLen == 0 && escapeFollows) {
        out->msgSize = 0;
        out->msg[0] = '\0';
        return VX_FPCODE_POS;
    }
    std::memcpy(out->msg, s + h + 1, static_cast<size_t>(textLen));
    out->msg[textLen] = '\0';
    out->msgSize = textLen;
    return VX_FPCODE_POSTEXT;
}

// The kind of an erase "escape [ n J" (display) or "escape [ n K" (line).
int eraseCode(char final, char n)
{
    if (final == 'J') return n == '2' ? VX_FPCODE_CLEARALL : n == '0' ? VX_FPCODE_CLEARDOWN : n == '1' ? VX_FPCODE_CLEARUP : VX_FPCODE_IGNORED;
    return n == '2' ? VX_FPCODE_CLEARLINE : n == '0' ? VX_FPCODE_CLEAREOL : VX_FPCODE_IGNORED;
}

}  // namespace

int vxFPSplitCmd(const char** req, char* cmd, int cmdCap)
{
    qklogTrace("vxFPSplitCmd");
    if (req == nullptr || *req == nullptr) return 0;
    const char* p = *req;
    while (*p != '\0' && *p != kEsc) ++p;
    if (*p == '\0') {
        *req = p;
        return 0;
    }
    const char* end = p + 1;
    while (*end != '\0' && *end != kEsc) ++end;
    *req = end;
    const int len = static_cast<int>(end - p);
    if (cmd == nullptr || cmdCap <= 0) return -2;
    if (len >= cmdCap) {
        cmd[0] = '\0';
        return -2;
    }
    std::memcpy(cmd, p, static_cast<size_t>(len));
    cmd[len] = '\0';
    return len;
}

int vxFPGetTermCodes(const char* cmd, int cmdSize, vxFPdataTermInfo* out)
{
    qklogTrace("vxFPGetTermCodes");
    if (cmd == nullptr || out == nullptr || cmdSize < 0) return -2;
    for (int i = 0; i < cmdSize; ++i) {
        if (cmd[i] != kEsc) continue;
        int end = i + 1;
        while (end < cmdSize && cmd[end] != kEsc) ++end;
        const char* s = cmd + i;
        const int len = end - i;
        i = end - 1;
        if (len < 3 || s[1] != '[') continue;   // not a sequence the display knows
        // The sequence's own characters: parameters, then the final letter.
        int f = 2;
        while (f < len && isParam(s[f])) ++f;
        const char final = f < len ? s[f] : '\0';
        if (final == 'H' && std::memchr(s + 2, ';', static_cast<size_t>(f - 2)) != nullptr) {
            const int type = positionCode(s, len, end < cmdSize, out);
            if (type < 0) return -2;
            addCode(out, type, s, f + 1);
        } else if (len >= 4 && (s[3] == 'J' || s[3] == 'K')) {
            addCode(out, eraseCode(s[3], s[2]), s, 4);
        } else if (len >= 4 && s[3] == 'm') {
            addCode(out, VX_FPCODE_IGNORED, s, 4);
        } else if (s[2] == '?' || s[2] == '2') {
            addCode(out, VX_FPCODE_IGNORED, s, f < len ? f + 1 : len);
        }
        // Any other sequence is left out.
    }
    return out->codeNdx;
}

int vxFPDecodeCmd(const char* cmd, int cmdSize, vxFPdataTermInfo* out)
{
    qklogTrace("vxFPDecodeCmd");
    if (out == nullptr) return -2;
    std::memset(out, 0, sizeof *out);
    out->row = out->lastRow = -1;
    if (cmd == nullptr || cmdSize < VX_FPMINCMD || cmdSize > VX_FPMAXCMD || cmd[0] != kEsc) return -2;
    if (vxFPGetTermCodes(cmd, cmdSize, out) < 0) {
        std::memset(out, 0, sizeof *out);
        out->row = out->lastRow = -1;
        return -2;
    }
    return 0;
}

int vxFPTextCells(const vxFPdataTermInfo& cmd)
{
    qklogTrace("vxFPTextCells");
    if (cmd.row < 0 || cmd.row >= VX_FPROWS || cmd.col < 0 || cmd.col >= VX_FPCOLS) return 0;
    const int size = cmd.msgSize < static_cast<int>(sizeof cmd.msg) ? cmd.msgSize : static_cast<int>(sizeof cmd.msg) - 1;
    int n = 0;
    while (n < size && cmd.col + n < VX_FPCOLS) {
        const unsigned char c = static_cast<unsigned char>(cmd.msg[n]);
        if (c < 31 || c > 125) break;
        ++n;
    }
    return n;
}

std::vector<vxFPdataTermInfo> vxFPDecodeLine(const char* line, int cmdCap)
{
    qklogTrace("vxFPDecodeLine");
    std::vector<vxFPdataTermInfo> out;
    if (line == nullptr || cmdCap <= 1) return out;
    std::vector<char> work(static_cast<size_t>(cmdCap));
    const char* req = line;
    for (;;) {
        const int len = vxFPSplitCmd(&req, work.data(), cmdCap);
        if (len == 0) break;
        if (len < 0) continue;
        vxFPdataTermInfo cmd;
        if (vxFPDecodeCmd(work.data(), len, &cmd) == 0) out.push_back(cmd);
    }
    return out;
}
