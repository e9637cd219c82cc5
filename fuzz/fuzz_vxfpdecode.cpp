// Fuzzer of the front-panel decoder: one display line as the page takes it
// from its ring (at most 255 characters, cut at a NUL), split into commands
// through a work area of the page's size, each decoded and its text laid on a
// 4 x 20 grid. Besides the sanitizers' checks it traps when a decoded command
// leaves the limits the page relies on: a command that fits its work area, at
// most 8 sequences, a text of at most 25 characters and text cells inside the
// display. Seeds: lines of the emulator's front-panel stream and malformed ones.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "vxFPDecode.h"

namespace {

constexpr size_t kSlotChars = 255;   // a ring slot holds 255 characters
constexpr int kWorkArea = 64;        // the page's command work area

void check(bool ok)
{
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Exactly as long as the line: a read past its end is an error the
    // address sanitizer sees.
    size_t len = 0;
    while (len < size && len < kSlotChars && data[len] != 0) ++len;
    std::vector<char> line(len + 1);
    std::memcpy(line.data(), data, len);
    line[len] = '\0';

    char grid[VX_FPROWS][VX_FPCOLS];
    std::memset(grid, ' ', sizeof grid);
    std::vector<char> work(kWorkArea);
    const char* req = line.data();
    int commands = 0;
    for (;;) {
        const char* before = req;
        const int n = vxFPSplitCmd(&req, work.data(), kWorkArea);
        check(req >= before && req <= line.data() + len);
        if (n == 0) break;
        check(req > before);   // every step moves on
        if (n < 0) continue;
        check(n < kWorkArea && std::strlen(work.data()) == static_cast<size_t>(n));
        vxFPdataTermInfo cmd;
        if (vxFPDecodeCmd(work.data(), n, &cmd) != 0) continue;
        ++commands;
        check(cmd.codeNdx >= 0 && cmd.codeNdx <= VX_FPMAXCODES);
        check(cmd.msgSize >= 0 && cmd.msgSize <= VX_FPMAXTEXT);
        const int cells = vxFPTextCells(cmd);
        check(cells >= 0 && cells <= cmd.msgSize);
        if (cells == 0) continue;
        check(cmd.row >= 0 && cmd.row < VX_FPROWS && cmd.col >= 0 && cmd.col + cells <= VX_FPCOLS);
        std::memcpy(&grid[cmd.row][cmd.col], cmd.msg, static_cast<size_t>(cells));
    }
    // The whole-line form decodes the same commands.
    check(vxFPDecodeLine(line.data(), kWorkArea).size() == static_cast<size_t>(commands));
    return 0;
}
