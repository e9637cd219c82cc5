// qkwintext: free text drawn into a window (see the header).
#include "qkwintext.h"

#include <cstring>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qkwinpalettesrv.h"
#include "qkwinscale.h"

namespace {

// The record to work on: the given one, or the window's own (made on demand).
qkwinTextInfo* record(qkwinInfo* window, qkwinTextInfo* text)
{
    if (text != nullptr) return text;
    if (window == nullptr) return nullptr;
    if (window->txtPtr == nullptr) window->txtPtr = qkwintextallocate();
    return window->txtPtr;
}

// Selects the record's font and colours on the surface.
void prepare(qkdrawSurface& s, const qkwinInfo* window, const qkwinTextInfo* t)
{
    s.setFont(qkdrawfindfont(window, t->fontid));
    s.setTextColor(t->color.text.rgb);
    s.setBkColor(t->color.bg.rgb);
}

}  // namespace

qkwinTextInfo* qkwintextallocate()
{
    qklogTrace("qkwintextallocate");
    void* mem = qksysMemAllocate(nullptr, sizeof(qkwinTextInfo));
    auto* t = static_cast<qkwinTextInfo*>(mem);
    std::memset(t, 0, sizeof *t);
    t->align = QKWIN_TEXT_LEFT;
    qkwincolorsetdefault(&t->color);
    return t;
}

int qkwintextfree(qkwinTextInfo* text)
{
    qklogTrace("qkwintextfree");
    if (text == nullptr) return -2;
    qksysMemFree(text);
    return 0;
}

int qkwintextfreewin(qkwinInfo* window)
{
    qklogTrace("qkwintextfreewin");
    if (window == nullptr) return -2;
    if (window->txtPtr != nullptr) qkwintextfree(window->txtPtr);
    window->txtPtr = nullptr;
    return 0;
}

int qkwinsettextpos(qkwinInfo* window, qkwinTextInfo* text, int x, int y)
{
    qklogTrace("qkwinsettextpos");
    qkwinTextInfo* t = record(window, text);
    if (t == nullptr) return -2;
    t->xpos = window ? qkwinsetscale(window->scale.xval, x) : x;
    t->ypos = window ? qkwinsetscale(window->scale.yval, y) : y;
    return 0;
}

int qkwinsettextalign(qkwinInfo* window, qkwinTextInfo* text, int align)
{
    qklogTrace("qkwinsettextalign");
    qkwinTextInfo* t = record(window, text);
    if (t == nullptr || align < QKWIN_TEXT_LEFT || align > QKWIN_TEXT_CENTER) return -2;
    t->align = align;
    return 0;
}

int qkwinsettextcolor(qkwinInfo* window, qkwinTextInfo* text, const char* textColor, const char* background)
{
    qklogTrace("qkwinsettextcolor");
    qkwinTextInfo* t = record(window, text);
    if (t == nullptr || window == nullptr) return -2;
    int fg = t->color.text.rgb;
    int bg = t->color.bg.rgb;
    if (textColor != nullptr && textColor[0] != '\0') {
        fg = qkwinpalettegetvalue(window, textColor);
        if (fg < 0) return -2;
    }
    if (background != nullptr && background[0] != '\0') {
        bg = std::strcmp(background, "TRANSPARENT") == 0 ? static_cast<int>(QKWIN_NOCOLOR)
                                                         : qkwinpalettegetvalue(window, background);
        if (bg < 0) return -2;
    }
    t->color.text.rgb = fg;
    t->color.bg.rgb = bg;
    if (textColor != nullptr && textColor[0] != '\0') qkstrset(t->color.text.name, textColor);
    if (background != nullptr && background[0] != '\0') qkstrset(t->color.bg.name, background);
    return 0;
}

int qkwinsettextfontid(qkwinInfo* window, qkwinTextInfo* text, int fontid)
{
    qklogTrace("qkwinsettextfontid");
    qkwinTextInfo* t = record(window, text);
    if (t == nullptr) return -2;
    if (fontid != 0 && qkdrawfindfont(window, fontid) == nullptr) return -2;
    t->fontid = fontid;
    return 0;
}

int qkwinsendtext(qkwinInfo* window, qkwinTextInfo* text, const char* str)
{
    qklogTrace("qkwinsendtext");
    qkwinTextInfo* t = record(window, text);
    if (t == nullptr || str == nullptr) return -2;
    std::unique_ptr<qkdrawSurface> s = qkdrawopen(window);
    if (!s) return -2;
    prepare(*s, window, t);
    int w = 0;
    int h = 0;
    s->textExtent(str, &w, &h);
    int x = t->xpos;
    if (t->align == QKWIN_TEXT_RIGHT) x -= w;
    else if (t->align == QKWIN_TEXT_CENTER) x -= w / 2;
    s->textOut(x, t->ypos, str);
    t->width = w;
    t->height = h;
    if (t->audit & QKWIN_TEXTAUD_SEND)
        qklogf("qkwinsendtext", "text: %s, x: %d, y: %d, width: %d, height: %d", str, x, t->ypos, w, h);
    return 0;
}

int qkwingettextmetrics(qkwinInfo* window, qkwinTextInfo* text, qkwinTextMetricsInfo* metrics)
{
    qklogTrace("qkwingettextmetrics");
    qkwinTextInfo* t = record(window, text);
    if (t == nullptr || metrics == nullptr) return -2;
    std::unique_ptr<qkdrawSurface> s = qkdrawopen(window);
    if (!s) return -2;
    s->setFont(qkdrawfindfont(window, t->fontid));
    return s->textMetrics(metrics);
}
