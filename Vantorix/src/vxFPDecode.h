// vxFPDecode: the terminal escape sequences of an ARM9 analyzer's front-panel
// stream. One display line holds several commands, each starting with an
// escape character; a command is a cursor position with the text to place
// there, an erase of the display or of a line, or a mode or attribute setting
// that the mirrored display ignores. Plain functions over text, no window and
// no link: the front-panel page (vxParamFrontPanelSrv) splits and decodes each
// line on the window thread with them, the fuzzer drives them directly.
#pragma once

#include <vector>

// Kinds of a decoded sequence (vxTermCodeInfo.type).
enum : int {
    VX_FPCODE_IGNORED = 0,     // mode or attribute setting, erase kinds the display does without
    VX_FPCODE_POSTEXT = 1,     // cursor position with text
    VX_FPCODE_POS = 2,         // cursor position followed directly by the next sequence
    VX_FPCODE_CLEARALL = 3,    // erase the whole display
    VX_FPCODE_CLEARDOWN = 4,   // erase to the end of the display
    VX_FPCODE_CLEARUP = 5,     // erase to the start of the display
    VX_FPCODE_CLEARLINE = 6,   // erase the whole line
    VX_FPCODE_CLEAREOL = 7,    // erase to the end of the line
};

constexpr int VX_FPROWS = 4;          // the analyzer's display: four lines ...
constexpr int VX_FPCOLS = 20;         // ... of twenty characters
constexpr int VX_FPMAXTEXT = 25;      // a longer text makes the whole command suspect
constexpr int VX_FPMAXCODES = 8;      // sequences kept per command
// The shortest command the analyzer sends (erase display: escape, "[", "2", "J").
constexpr int VX_FPMINCMD = 4;
// The longest command a line can hold (a line keeps 255 characters).
constexpr int VX_FPMAXCMD = 255;

// One sequence of a command.
struct vxTermCodeInfo {
    int type;
    char set[8];                       // the raw sequence (cut to 7 characters)
};

// A decoded command.
struct vxFPdataTermInfo {
    int type;                          // the kind of its last sequence that counts (VX_FPCODE_...)
    int row;                           // 0-based; -1 without a cursor position
    int lastRow;                       // the row the command leaves the cursor in (-1 none)
    int col;                           // 0-based
    int msgSize;
    int codeNdx;                       // entries in code
    char msg[32];                      // text to place
    vxTermCodeInfo code[VX_FPMAXCODES];
};

// The next command of a line, from *req: the text from the next escape
// character up to the escape after it (or the end of the line) is copied into
// cmd (cmdCap bytes with its terminator) and *req moves to that following
// escape (or the end). Returns the command's length; 0 when no escape is left
// (*req then points at the end); -2 when the command does not fit into cmd
// (cmd is empty, *req has moved on: the command is skipped).
int vxFPSplitCmd(const char** req, char* cmd, int cmdCap);

// The sequences of one command into out->code (at most VX_FPMAXCODES), with
// the cursor position and text of a positioning sequence. Returns the number
// of entries; -2 when a positioning sequence is malformed (bad digits, no
// "H") or its text is longer than VX_FPMAXTEXT (the command is skipped).
int vxFPGetTermCodes(const char* cmd, int cmdSize, vxFPdataTermInfo* out);

// Decodes one command of cmdSize characters: out is cleared; a command that
// does not start with an escape or whose length is outside VX_FPMINCMD ..
// VX_FPMAXCMD is skipped, and so is one whose sequences do not decode.
// Returns 0 when out holds something to apply, -2 when skipped.
int vxFPDecodeCmd(const char* cmd, int cmdSize, vxFPdataTermInfo* out);

// How many characters of a type-1 command's text go onto the display from its
// cursor column: up to column 20, ending at the first character outside
// 31..125. 0 for a row outside the display.
int vxFPTextCells(const vxFPdataTermInfo& cmd);

// Every command of a NUL-terminated line that decodes, in order (commands
// over cmdCap - 1 characters are skipped, as the page does with its work area).
std::vector<vxFPdataTermInfo> vxFPDecodeLine(const char* line, int cmdCap = 64);
