// qkdrawrecord (draw): a drawing surface that draws nothing and records every
// primitive call instead, so the geometry of a plot or a text can be checked
// exactly without a display. Texts are measured with fixed metrics: a cell is
// the font's height (16 without a font or height) high and its width (half the
// height without one) wide per character.
//
// Portable. A recording surface belongs to one thread.
#pragma once

#include <string>
#include <vector>

#include "qkdrawsurface.h"

enum qkdrawRecordKind : int {
    QKDRAW_REC_FILL = 1,     // x0, y0, x1, y1, color
    QKDRAW_REC_PEN,          // style, width, color
    QKDRAW_REC_MOVE,         // x1, y1
    QKDRAW_REC_LINE,         // from x0, y0 (the current position) to x1, y1
    QKDRAW_REC_FONT,         // text: face name ("" default), width: height
    QKDRAW_REC_TEXTCOLOR,    // color
    QKDRAW_REC_BKCOLOR,      // color
    QKDRAW_REC_TEXT,         // x0, y0, text
    QKDRAW_REC_COPY,         // x0, y0, x1 = width, y1 = height
    QKDRAW_REC_CLIPBOARD,    // x1 = width, y1 = height
};

struct qkdrawRecordItem {
    int kind = 0;
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    int style = 0;
    int width = 0;
    int color = 0;           // colour reference
    std::string text;
};

// One line per call, for comparing whole drawings in tests:
//   "fill 0,0 100,50 #ff0000"       "pen dash 2 #00ff00"
//   "move 10,20"                     "line 10,20 30,20"
//   "font DejaVu Sans 12" / "font default"
//   "textcolor #000000"              "bkcolor none"
//   "text 5,5 abc"                   "copy 0,0 100x50"   "clipboard 100x50"
// Colours are shown as #rrggbb; the pen styles as solid, dot, dash, dashdot.
std::string qkdrawrecordtext(const qkdrawRecordItem& item);

class qkdrawRecord : public qkdrawSurface {
public:
    // A surface width x height pixels. With sink, the calls are appended there
    // (so they outlive the surface), else to the surface's own list.
    explicit qkdrawRecord(int width = 1024, int height = 768, std::vector<qkdrawRecordItem>* sink = nullptr);

    const std::vector<qkdrawRecordItem>& items() const { return *list_; }
    // items() rendered with qkdrawrecordtext.
    std::vector<std::string> texts() const;
    void clear() { list_->clear(); }
    // What setClipboard answers (0, or -2 for a clipboard that cannot be opened).
    void setClipboardResult(int result) { clipResult_ = result; }

    int width() const override { return width_; }
    int height() const override { return height_; }
    int fillRect(int left, int top, int right, int bottom, int colorRef) override;
    int setPen(int style, int width, int colorRef) override;
    int moveTo(int x, int y) override;
    int lineTo(int x, int y) override;
    int setFont(const qkwinfontIDInfo* font) override;
    int setTextColor(int colorRef) override;
    int setBkColor(int colorRef) override;
    int textOut(int x, int y, const char* text) override;
    int textExtent(const char* text, int* width, int* height) override;
    int textMetrics(qkdrawTextMetricsInfo* metrics) override;
    int copyRect(int x, int y, int w, int h, qkbmpImageInfo* image) override;
    int setClipboard(const qkbmpImageInfo& image) override;

private:
    qkdrawRecordItem& add(int kind);

    int width_;
    int height_;
    std::vector<qkdrawRecordItem> own_;
    std::vector<qkdrawRecordItem>* list_;
    int curX_ = 0;
    int curY_ = 0;
    int cellHeight_ = 16;
    int cellWidth_ = 8;
    int clipResult_ = 0;
};
