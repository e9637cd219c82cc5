// qkdrawrecord: the recording drawing surface (see the header).
#include "qkdrawrecord.h"

#include <cstring>

#include "qklogsrv.h"
#include "qkstrsrv.h"

namespace {

std::string colortext(int colorRef)
{
    if (static_cast<uint32_t>(colorRef) == QKWIN_NOCOLOR) return "none";
    const unsigned ref = static_cast<unsigned>(colorRef);
    char buf[16];
    qkstrfmt(buf, sizeof buf, "#%02x%02x%02x", ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
    return buf;
}

const char* stylename(int style)
{
    switch (style) {
    case QKDRAW_PEN_DOT: return "dot";
    case QKDRAW_PEN_DASH: return "dash";
    case QKDRAW_PEN_DASHDOT: return "dashdot";
    default: return "solid";
    }
}

std::string pt(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

}  // namespace

std::string qkdrawrecordtext(const qkdrawRecordItem& it)
{
    qklogTrace("qkdrawrecordtext");
    switch (it.kind) {
    case QKDRAW_REC_FILL: return "fill " + pt(it.x0, it.y0) + " " + pt(it.x1, it.y1) + " " + colortext(it.color);
    case QKDRAW_REC_PEN:
        return std::string("pen ") + stylename(it.style) + " " + std::to_string(it.width) + " " + colortext(it.color);
    case QKDRAW_REC_MOVE: return "move " + pt(it.x1, it.y1);
    case QKDRAW_REC_LINE: return "line " + pt(it.x0, it.y0) + " " + pt(it.x1, it.y1);
    case QKDRAW_REC_FONT: return it.text.empty() ? "font default" : "font " + it.text + " " + std::to_string(it.width);
    case QKDRAW_REC_TEXTCOLOR: return "textcolor " + colortext(it.color);
    case QKDRAW_REC_BKCOLOR: return "bkcolor " + colortext(it.color);
    case QKDRAW_REC_TEXT: return "text " + pt(it.x0, it.y0) + " " + it.text;
    case QKDRAW_REC_COPY: return "copy " + pt(it.x0, it.y0) + " " + std::to_string(it.x1) + "x" + std::to_string(it.y1);
    case QKDRAW_REC_CLIPBOARD: return "clipboard " + std::to_string(it.x1) + "x" + std::to_string(it.y1);
    default: return "?";
    }
}

qkdrawRecord::qkdrawRecord(int width, int height, std::vector<qkdrawRecordItem>* sink)
    : width_(width), height_(height), list_(sink ? sink : &own_)
{
    qklogTrace("qkdrawRecord::qkdrawRecord");
}

std::vector<std::string> qkdrawRecord::texts() const
{
    qklogTrace("qkdrawRecord::texts");
    std::vector<std::string> out;
    out.reserve(list_->size());
    for (const qkdrawRecordItem& it : *list_) out.push_back(qkdrawrecordtext(it));
    return out;
}

qkdrawRecordItem& qkdrawRecord::add(int kind)
{
    qklogTrace("qkdrawRecord::add");
    list_->emplace_back();
    list_->back().kind = kind;
    return list_->back();
}

int qkdrawRecord::fillRect(int left, int top, int right, int bottom, int colorRef)
{
    qklogTrace("qkdrawRecord::fillRect");
    qkdrawRecordItem& it = add(QKDRAW_REC_FILL);
    it.x0 = left;
    it.y0 = top;
    it.x1 = right;
    it.y1 = bottom;
    it.color = colorRef;
    return 0;
}

int qkdrawRecord::setPen(int style, int width, int colorRef)
{
    qklogTrace("qkdrawRecord::setPen");
    qkdrawRecordItem& it = add(QKDRAW_REC_PEN);
    it.style = (style >= QKDRAW_PEN_SOLID && style <= QKDRAW_PEN_DASHDOT) ? style : QKDRAW_PEN_SOLID;
    it.width = width < 1 ? 1 : width;
    it.color = colorRef;
    return 0;
}

int qkdrawRecord::moveTo(int x, int y)
{
    qklogTrace("qkdrawRecord::moveTo");
    qkdrawRecordItem& it = add(QKDRAW_REC_MOVE);
    it.x1 = curX_ = x;
    it.y1 = curY_ = y;
    return 0;
}

int qkdrawRecord::lineTo(int x, int y)
{
    qklogTrace("qkdrawRecord::lineTo");
    qkdrawRecordItem& it = add(QKDRAW_REC_LINE);
    it.x0 = curX_;
    it.y0 = curY_;
    it.x1 = curX_ = x;
    it.y1 = curY_ = y;
    return 0;
}

int qkdrawRecord::setFont(const qkwinfontIDInfo* font)
{
    qklogTrace("qkdrawRecord::setFont");
    qkdrawRecordItem& it = add(QKDRAW_REC_FONT);
    cellHeight_ = 16;
    cellWidth_ = 8;
    if (font != nullptr) {
        it.text.assign(font->name, strnlen(font->name, sizeof font->name));
        it.width = font->height;
        if (font->height > 0) cellHeight_ = font->height;
        cellWidth_ = font->width > 0 ? font->width : (cellHeight_ / 2 > 0 ? cellHeight_ / 2 : 1);
        if (it.text.empty()) it.text = "-";
    }
    return 0;
}

int qkdrawRecord::setTextColor(int colorRef)
{
    qklogTrace("qkdrawRecord::setTextColor");
    add(QKDRAW_REC_TEXTCOLOR).color = colorRef;
    return 0;
}

int qkdrawRecord::setBkColor(int colorRef)
{
    qklogTrace("qkdrawRecord::setBkColor");
    add(QKDRAW_REC_BKCOLOR).color = colorRef;
    return 0;
}

int qkdrawRecord::textOut(int x, int y, const char* text)
{
    qklogTrace("qkdrawRecord::textOut");
    if (text == nullptr) return -2;
    qkdrawRecordItem& it = add(QKDRAW_REC_TEXT);
    it.x0 = x;
    it.y0 = y;
    it.text = text;
    return 0;
}

int qkdrawRecord::textExtent(const char* text, int* width, int* height)
{
    qklogTrace("qkdrawRecord::textExtent");
    const int n = text ? static_cast<int>(std::strlen(text)) : 0;
    if (width) *width = n * cellWidth_;
    if (height) *height = cellHeight_;
    return 0;
}

int qkdrawRecord::textMetrics(qkdrawTextMetricsInfo* m)
{
    qklogTrace("qkdrawRecord::textMetrics");
    if (m == nullptr) return -2;
    m->height = cellHeight_;
    m->descent = cellHeight_ / 4;
    m->ascent = cellHeight_ - m->descent;
    m->aveCharWidth = cellWidth_;
    m->maxCharWidth = cellWidth_;
    return 0;
}

int qkdrawRecord::copyRect(int x, int y, int w, int h, qkbmpImageInfo* image)
{
    qklogTrace("qkdrawRecord::copyRect");
    if (image == nullptr || qkbmpimageinit(image, w, h, 0) != 0) return -2;
    qkdrawRecordItem& it = add(QKDRAW_REC_COPY);
    it.x0 = x;
    it.y0 = y;
    it.x1 = w;
    it.y1 = h;
    return 0;
}

int qkdrawRecord::setClipboard(const qkbmpImageInfo& image)
{
    qklogTrace("qkdrawRecord::setClipboard");
    qkdrawRecordItem& it = add(QKDRAW_REC_CLIPBOARD);
    it.x1 = image.width;
    it.y1 = image.height;
    return clipResult_;
}
