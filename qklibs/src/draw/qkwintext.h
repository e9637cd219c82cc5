// qkwintext (draw): free text written into a window's picture (read-outs beside a
// plot, notes on a canvas). A text record keeps where the next text goes, its
// alignment, font and colours; qkwinsendtext draws one text through the
// window's drawing surface (qkdrawsurface), so the text stays in the picture
// until it is drawn over.
//
// A window has its own record (txtPtr, made on first use and freed with
// qkwintextfreewin); a page may keep records of its own (qkwintextallocate).
// Passing a null record to the functions below uses the window's own record.
// A record is used by the thread that runs its window.
#pragma once

#include "qkdrawsurface.h"
#include "qkwinsrv.h"

// Alignment: which point of the text stands at the position (as for statics).
enum : int {
    QKWIN_TEXT_LEFT = 3,
    QKWIN_TEXT_RIGHT = 4,
    QKWIN_TEXT_CENTER = 5,
};

// Audit bits of a text record.
enum : int {
    QKWIN_TEXTAUD_SEND = 1,   // "text: %s, x: %d, y: %d, width: %d, height: %d"
};

struct qkwinTextInfo {
    int audit;
    int xpos;                 // position of the next text in pixels (already scaled)
    int ypos;
    int align;                // QKWIN_TEXT_*
    int fontid;               // 0: the default font
    qkwincolorInfo color;     // text: text colour, bg: background (no colour: transparent)
    int width;                // extent of the last text written
    int height;
};

typedef qkdrawTextMetricsInfo qkwinTextMetricsInfo;

// A new record: position 0,0, left aligned, default font, black text on a
// transparent background. Released with qkwintextfree.
qkwinTextInfo* qkwintextallocate();
int qkwintextfree(qkwinTextInfo* text);
// Releases the window's own record. Returns 0, -2 without a window.
int qkwintextfreewin(qkwinInfo* window);

// Position of the next text, in the units of the window's definition: scaled
// with the window's percentages (qkwinsetscale) like every position of the
// window.
int qkwinsettextpos(qkwinInfo* window, qkwinTextInfo* text, int x, int y);
// QKWIN_TEXT_LEFT, _RIGHT or _CENTER; anything else -2.
int qkwinsettextalign(qkwinInfo* window, qkwinTextInfo* text, int align);
// Text and background colours by palette name; a null or empty name keeps
// that colour, "TRANSPARENT" as background draws no background. An unknown
// name returns -2 and changes nothing.
int qkwinsettextcolor(qkwinInfo* window, qkwinTextInfo* text, const char* textColor, const char* background);
// Font by fontid (a FONT of the window; 0 the default font). An id that names
// no font returns -2 and keeps the font.
int qkwinsettextfontid(qkwinInfo* window, qkwinTextInfo* text, int fontid);
// Writes str at the record's position. Returns 0; -2 without text or when the
// window has no drawing surface.
int qkwinsendtext(qkwinInfo* window, qkwinTextInfo* text, const char* str);
// Measures of the record's font. Returns 0, -2 without a drawing surface.
int qkwingettextmetrics(qkwinInfo* window, qkwinTextInfo* text, qkwinTextMetricsInfo* metrics);
