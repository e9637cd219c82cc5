// qkdrawsurface (draw): the small drawing surface through which the plot engine and
// the free text of a window draw into the window's picture (its backing
// image). It offers what those drawings need and no more: filled rectangles,
// a pen (solid, dot, dash, dash-dot; width; colour) with move-to/line-to and
// polylines, text with a font, a text colour and a background colour, the
// size of the surface, copying a rectangle out of it, and placing an image on
// the clipboard.
//
// Colours are platform colour references as the window records hold them
// (red + green * 256 + blue * 65536). Coordinates are device pixels of the
// window's client area, x to the right and y downward.
//
// The platform layer installs the function that opens a window's surface
// (qkdrawsetopenhook); qkdrawopen then gives a surface that stays locked for
// its caller until it is destroyed, and the window is repainted from it
// afterwards. Tests install a recording surface instead (qkdrawrecord). A
// surface belongs to the thread that opened it.
#pragma once

#include <memory>

#include "qkbmpsrv.h"
#include "qkwinsrv.h"

// Pen styles, numbered as the plot definitions number line styles; any other
// value draws solid.
enum : int {
    QKDRAW_PEN_SOLID = 1,
    QKDRAW_PEN_DOT = 2,
    QKDRAW_PEN_DASH = 3,
    QKDRAW_PEN_DASHDOT = 4,
};

struct qkdrawPointInfo {
    int x;
    int y;
};

// Measures of the selected font, in pixels.
struct qkdrawTextMetricsInfo {
    int height;         // ascent + descent
    int ascent;
    int descent;
    int aveCharWidth;
    int maxCharWidth;
};

class qkdrawSurface {
public:
    virtual ~qkdrawSurface() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;

    // Fills the pixels from (left, top) up to, not including, (right, bottom)
    // with colorRef, as a filled region does. Returns 0.
    virtual int fillRect(int left, int top, int right, int bottom, int colorRef) = 0;

    // Selects the pen of the following lines: style QKDRAW_PEN_*, width in
    // pixels (below 1 draws 1 pixel wide), colour. Until a pen is selected
    // lines are solid, 1 pixel, black. Returns 0.
    virtual int setPen(int style, int width, int colorRef) = 0;
    // Makes (x, y) the current position. Returns 0.
    virtual int moveTo(int x, int y) = 0;
    // Draws a line from the current position to (x, y) with the pen, the end
    // point itself excluded as a line drawn point to point must; (x, y) becomes
    // the current position. Returns 0.
    virtual int lineTo(int x, int y) = 0;
    // Moves to the first point and draws to each following one. Returns 0, -2
    // without points.
    virtual int polyline(const qkdrawPointInfo* points, int count);

    // Selects the font of the following texts: a font record of the window,
    // or null for the surface's default font. Returns 0.
    virtual int setFont(const qkwinfontIDInfo* font) = 0;
    // Text colour; QKWIN_NOCOLOR gives black. Returns 0.
    virtual int setTextColor(int colorRef) = 0;
    // Background of the text cells; QKWIN_NOCOLOR leaves the background
    // untouched (transparent). Returns 0.
    virtual int setBkColor(int colorRef) = 0;
    // Writes text with its cell's top-left corner at (x, y). Returns 0, -2
    // without text.
    virtual int textOut(int x, int y, const char* text) = 0;
    // Width and height in pixels of text in the selected font. Returns 0.
    virtual int textExtent(const char* text, int* width, int* height) = 0;
    virtual int textMetrics(qkdrawTextMetricsInfo* metrics) = 0;

    // Copies the w x h pixels at (x, y) into image (parts outside the surface
    // are black). Returns 0, -2 for an empty or too large rectangle.
    virtual int copyRect(int x, int y, int w, int h, qkbmpImageInfo* image) = 0;
    // Places image on the clipboard as a bitmap. Returns 0, -2 when the
    // clipboard cannot be opened.
    virtual int setClipboard(const qkbmpImageInfo& image) = 0;
};

// Opens the drawing surface of a window, or returns null when there is none
// (no platform window yet, or no window system).
typedef std::unique_ptr<qkdrawSurface> (*qkdrawopenhook)(qkwinInfo* window);

// Installs the opening function; null removes it. Returns the one installed
// before. Any thread.
qkdrawopenhook qkdrawsetopenhook(qkdrawopenhook hook);

// The surface of window, locked for the caller until it is destroyed; null
// when no surface can be opened. While a surface is open, do not wait for
// the user or for other windows (message boxes, sleeps, widget operations
// from a thread other than the GUI thread): close it first.
std::unique_ptr<qkdrawSurface> qkdrawopen(qkwinInfo* window);

// The font record of window that fontid names: the record whose definition
// ID (itemid) is fontid, else the one at that 1-based position, else the same
// in the parent window (a page or dialog may name its parent's fonts); null
// for 0 or when none matches.
const qkwinfontIDInfo* qkdrawfindfont(const qkwinInfo* window, int fontid);
