// qkwinpalettesrv (win): the named colour palette of the window framework. Definition
// files and program code name colours by text ("Red", "DodgerBlue2"); the
// palette turns those names into colour values and platform colour references
// and back.
//
// The table is built once, on the main thread, right after the main window
// record is created: from the colour list file "../cfg/qkwinstdxml/qkcolorlist.xml",
// or from the built-in list of 324 colours when that file cannot be opened.
// Child windows and dialogs share the main window's table (count, index and
// pointer are copied, not the colours). After it is built, every thread only
// reads it.
//
// Colour values are 0xRRGGBB. A platform colour reference holds the same three
// bytes in the reverse order: red + green * 256 + blue * 65536.
#pragma once

#include <cstdint>

#include "qkwinsrv.h"

// The colour list file, relative to the working directory.
inline constexpr const char* QKWIN_COLORLISTPATH = "../cfg/qkwinstdxml/qkcolorlist.xml";
// The table always has room for at least this many colours, plus one.
constexpr int QKWIN_PALETTEMINSIZE = 326;
// Colours of the built-in list.
constexpr int QKWIN_PALETTEBUILTIN = 324;

// Audit bits of the palette header (palette.audit).
enum : int {
    QKWIN_PALAUD_COUNT = 1,   // "color count: %d" once the table is built
};

// Builds the window's table from the colour list file (or the built-in list).
// Returns 0.
int qkwinpalettecreate(qkwinInfo* window);
// The same from another colour list file (a missing file gives the built-in
// list). Returns 0, or -2 without a window.
int qkwinpalettecreatefrom(qkwinInfo* window, const char* path);
// Number of colour records allocated for a colour list file of recordCount
// lines: recordCount, raised to 326 when smaller, plus one.
int qkwinpalettecapacity(int recordCount);
// Releases the table (only the window that built it releases it).
int qkwinpalettefreemem(qkwinInfo* window);

// Platform colour reference of the first colour named name (exact, case-
// sensitive); -2 and "could not find color name: %s" when there is none.
int qkwinpalettegetvalue(qkwinInfo* window, const char* name);
// Platform colour reference of the first colour whose value is value; when
// none has it, "could not find color value: %d" is logged and value itself is
// converted.
int qkwinpalettecolorref(qkwinInfo* window, uint32_t value);
// The first colour whose value is value, or null with "could not find color
// value: %x".
qkwinpalettedef* qkwinpalettegetname(qkwinInfo* window, uint32_t value);
// rgb from value (red bits 16-23, green 8-15, blue 0-7). Returns 0, -2 without a colour.
int qkwinpalettesetrgb(qkwinInfo* window, qkwinpalettedef* colour);
// value = red * 65536 + green * 256 + blue from rgb. Returns 0, -2 without a colour.
int qkwinpalettesetcolorbyrgb(qkwinInfo* window, qkwinpalettedef* colour);

// Conversion between a colour value 0xRRGGBB and a platform colour reference.
int qkwinpalettevaluetoref(uint32_t value);
uint32_t qkwinpalettereftovalue(int colorRef);
