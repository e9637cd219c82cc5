// qksysplotsrv: the drawing steps of the plot engine on the portable drawing
// surface (see the header).
#include "qksysplotsrv.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "qkdrawsurface.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qkwinscale.h"

namespace {

constexpr int kNoColor = static_cast<int>(QKWIN_NOCOLOR);

// A float pixel offset as an int, truncated toward zero; values that are not
// finite count as 0 and huge ones are held far outside any picture, so the
// conversion is always defined.
int trunc(float v)
{
    if (!std::isfinite(v)) return 0;
    if (v > 1.0e8f) return 100000000;
    if (v < -1.0e8f) return -100000000;
    return static_cast<int>(v);
}

qkwinInfo* windowOf(const qkplotInfo* p, const qkplotIDInfo* e)
{
    if (e != nullptr && e->sysplotPtr != nullptr && e->sysplotPtr->hwnd != nullptr) return e->sysplotPtr->hwnd;
    return p->winPtr;
}

// The surface of one drawing step: the record's while it holds one, else the
// window's, opened here and released when the step returns.
class StepSurface {
public:
    StepSurface(qkplotInfo* p, qkplotIDInfo* e) : s_(p->surfPtr)
    {
        if (s_ == nullptr) {
            own_ = qkdrawopen(windowOf(p, e));
            s_ = own_.get();
        }
        if (s_ == nullptr) qklogf("qksysplotsrv", "plot id: %d, no drawing surface", e->id);
    }
    qkdrawSurface* operator->() const { return s_; }
    explicit operator bool() const { return s_ != nullptr; }

private:
    qkdrawSurface* s_;
    std::unique_ptr<qkdrawSurface> own_;
};

// The text background and font the engine selected last, so a step can put
// them back.
void setBk(qkdrawSurface* s, qksysplotInfo* sp, int color)
{
    s->setBkColor(color);
    if (sp != nullptr) sp->bkcolor = color;
}

// Selects the window font fontid names; true when one was selected.
bool selectFont(qkdrawSurface* s, const qkplotInfo* p, const qkplotIDInfo* e, int fontid)
{
    const qkwinfontIDInfo* f = qkdrawfindfont(windowOf(p, e), fontid);
    if (f == nullptr) return false;
    s->setFont(f);
    return true;
}

void restoreFont(qkdrawSurface* s, const qkplotInfo* p, const qkplotIDInfo* e)
{
    int fontid = e->sysplotPtr ? e->sysplotPtr->fontid : 0;
    s->setFont(qkdrawfindfont(windowOf(p, e), fontid));
}

int done(qkplotIDInfo* e, int rc)
{
    if (e->sysplotPtr != nullptr) e->sysplotPtr->rslt = rc;
    return rc;
}

void line(qkdrawSurface* s, int x0, int y0, int x1, int y1)
{
    s->moveTo(x0, y0);
    s->lineTo(x1, y1);
}

// A label format is the program's or the definition's; only a format with
// exactly one conversion of the expected kind (floating point for the value
// axes, integer for the bottom axis) is used, anything else falls back to the
// axis default, so a stray "%s" can never read a value that is not there.
bool validFormat(const char* fmt, bool integer)
{
    int conversions = 0;
    for (const char* c = fmt; *c != '\0'; ++c) {
        if (*c != '%') continue;
        ++c;
        if (*c == '%') continue;
        while (*c != '\0' && std::strchr("-+ #0", *c) != nullptr) ++c;
        while (*c >= '0' && *c <= '9') ++c;
        if (*c == '.') {
            ++c;
            while (*c >= '0' && *c <= '9') ++c;
        }
        if (*c == '\0' || std::strchr(integer ? "diouxX" : "fFeEgGaA", *c) == nullptr) return false;
        ++conversions;
    }
    return conversions == 1;
}

// Formats v with the axis format (or def) and cuts the text to maxchar.
void formatValue(char (&out)[64], const char* fmt, const char* def, double v, int maxchar)
{
    const char* f = fmt != nullptr && validFormat(fmt, false) ? fmt : def;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(out, sizeof out, f, v);
#pragma GCC diagnostic pop
    if (maxchar < 0) maxchar = 0;
    if (maxchar < static_cast<int>(sizeof out)) out[maxchar] = '\0';
}

void formatIndex(char (&out)[64], const char* fmt, int v, int maxchar)
{
    const char* f = maxchar != 0 && validFormat(fmt, true) ? fmt : "%3.3d";
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(out, sizeof out, f, v);
#pragma GCC diagnostic pop
    if (maxchar > 0 && maxchar < static_cast<int>(sizeof out)) out[maxchar] = '\0';
}

// The value range the labels of an axis type show and the curves use.
void valueRange(const qkplotIDInfo* e, int which, float& max, float& min, float& absval)
{
    max = e->data.max;
    min = e->data.min;
    absval = e->data.absval;
    const qkplotScaleInfo& sc = e->scale;
    if (sc.normFlg != 0 || (sc.autoFlg == 0 && sc.userFlg == 0)) return;
    if (which == 1 || which == 2) {
        const qkplotScaleOrdInfo& o = which == 1 ? sc.yl : sc.yr;
        max = o.max;
        min = o.min;
        absval = o.absval;
    }
}

// The common start of the steps that need data: the entry, its geometry, and
// code 2 when there are no points.
qkplotIDInfo* begin(qkplotInfo* p, int id, qkplotGeomInfo& g, int& rc)
{
    rc = -2;
    qkplotIDInfo* e = qkplotgetIDpointer(p, id);
    if (e == nullptr) return nullptr;
    qkplotgeometry(p, e, &g);
    if (g.n <= 0) {
        done(e, qkplotmsg(p, id, QKPLOT_ERR_NODATA));
        return nullptr;
    }
    rc = 0;
    return e;
}

// ---- labels ----------------------------------------------------------------------------

void leftLabels(qkdrawSurface* s, qkplotInfo* p, qkplotIDInfo* e, const qkplotAxisInfo& a, const qkplotGeomInfo& g)
{
    float max, min, absval;
    valueRange(e, 1, max, min, absval);
    float yinc = g.gh > 0 ? absval / static_cast<float>(g.gh) : 0.0f;
    if (p->audit & QKPLOT_AUD_SCALE) {
        qklogf("qksysplotlabel", "left label max: %f, min: %f, absval: %f", static_cast<double>(max),
               static_cast<double>(min), static_cast<double>(absval));
        qklogf("qksysplotlabel", "left label higth: %d, minorincrmnt: %d, majorincrmnt: %d, x0: %f, yincrement: %f", g.gh,
               g.minstep, g.majstep, static_cast<double>(min), static_cast<double>(yinc));
    }
    int adj = qkplotscalex(p, a.adj);
    int x = g.gx - adj - 50;
    int label = 0;
    for (int k = 0; k <= g.gh; k += g.majstep, ++label) {
        char text[64];
        double v = static_cast<double>(min) + static_cast<double>(label) * g.majstep * static_cast<double>(yinc);
        formatValue(text, a.format, "%-10.4f", v, a.maxchar);
        s->textOut(x, g.gy + g.gh - adj - 15 - k, text);
    }
}

void rightLabels(qkdrawSurface* s, qkplotInfo* p, qkplotIDInfo* e, const qkplotAxisInfo& a, const qkplotGeomInfo& g)
{
    float max, min, absval;
    valueRange(e, 2, max, min, absval);
    float yinc = g.gh > 0 ? absval / static_cast<float>(g.gh) : 0.0f;
    if (p->audit & QKPLOT_AUD_SCALE)
        qklogf("qksysplotlabel", "right label max: %f, min: %f, absval: %f, yincrement: %f", static_cast<double>(max),
               static_cast<double>(min), static_cast<double>(absval), static_cast<double>(yinc));
    int adj = qkplotscalex(p, a.adj);
    int x = g.gx + g.gw + 5;
    char previous[64] = "";
    int label = 0;
    for (int k = 0; k < g.gh; k += g.majstep, ++label) {
        int y = g.gy + g.gh - adj - 15 - k;
        // Blank the place first, as wide as the label drawn before.
        size_t blank = std::strlen(previous);
        if (blank > 0) {
            char spaces[64];
            std::memset(spaces, ' ', blank);
            spaces[blank] = '\0';
            s->textOut(x, y, spaces);
        }
        char text[64];
        double v = static_cast<double>(min) + static_cast<double>(label) * g.majstep * static_cast<double>(yinc);
        formatValue(text, a.format, "%-10.4f", v, a.maxchar + 1);
        s->textOut(x, y, text);
        qkstrset(previous, text);
    }
}

void bottomLabels(qkdrawSurface* s, const qkplotAxisInfo& a, const qkplotGeomInfo& g)
{
    int step = a.inc != 0 ? a.inc * g.majstep : g.majstep;
    if (step < 1) return;
    int span = g.gw - a.adj;
    int y = g.gy + g.gh + 5;
    for (int k = 0; k <= span; k += step) {
        // The data index under the label.
        int index = span > 0 ? static_cast<int>(static_cast<double>(k) * g.n / span) : 0;
        char text[64];
        formatIndex(text, a.format, index, a.maxchar);
        s->textOut(g.gx + a.adj + k, y, text);
    }
}

// ---- curves ------------------------------------------------------------------------------

// The curve area: start, base line, height and pixels per point, after the
// offsets of the axes.
struct CurveArea {
    int xs, yb, ghc, gwc;
    float ppp;
};

CurveArea curveArea(const qkplotIDInfo* e, const qkplotGeomInfo& g)
{
    CurveArea c{g.gx, g.gy + g.gh, g.gh, g.gw, static_cast<float>(g.gw) / static_cast<float>(g.n)};
    for (int i = 0; i < e->axisCnt; ++i) {
        const qkplotAxisInfo& a = e->axisidPtr[i];
        switch (a.type) {
        case QKPLOT_AXIS_BOTTOM:
            c.ghc -= a.inc;
            c.yb -= a.inc;
            c.gwc -= a.inc;
            // The last bottom axis decides the width of a point.
            c.ppp = static_cast<float>(c.gwc) / static_cast<float>(g.n);
            break;
        case QKPLOT_AXIS_TOP: c.ghc -= a.inc; break;
        case QKPLOT_AXIS_LEFT: c.xs += a.inc; break;
        case QKPLOT_AXIS_RIGHT: c.gwc -= a.inc; break;
        default: break;
        }
    }
    return c;
}

// Height of value v above the base line. A range of 0 (a flat curve) and
// values that are not finite give no defined height: such points stand on the
// base line.
float heightOf(float v, float max, float absval, int ghc)
{
    if (!(absval > 0.0f) || !std::isfinite(absval) || !std::isfinite(max) || !std::isfinite(v)) return 0.0f;
    float h = static_cast<float>(ghc) - static_cast<float>(ghc) * std::fabs(max - v) / absval;
    return std::isfinite(h) ? h : 0.0f;
}

}  // namespace

// ---- geometry -----------------------------------------------------------------------------

int qkplotscalex(const qkplotInfo* plot, int value)
{
    qklogTrace("qkplotscalex");
    return plot ? qkwinsetscale(plot->scale.xval, value) : value;
}

int qkplotscaley(const qkplotInfo* plot, int value)
{
    qklogTrace("qkplotscaley");
    return plot ? qkwinsetscale(plot->scale.yval, value) : value;
}

int qkplotgeometry(const qkplotInfo* plot, qkplotIDInfo* e, qkplotGeomInfo* g)
{
    qklogTrace("qkplotgeometry");
    if (plot == nullptr || e == nullptr || g == nullptr) return -2;
    *g = qkplotGeomInfo{};
    g->x0 = qkplotscalex(plot, e->size.xpos);
    g->y0 = qkplotscaley(plot, e->size.ypos);
    g->w = qkplotscalex(plot, e->size.xsize);
    g->h = qkplotscaley(plot, e->size.ysize);
    g->ml = qkplotscalex(plot, e->grid.margin.left);
    g->mr = qkplotscalex(plot, e->grid.margin.right);
    g->mt = qkplotscaley(plot, e->grid.margin.top);
    g->mb = qkplotscaley(plot, e->grid.margin.bottom);
    g->gx = g->x0 + g->ml;
    g->gy = g->y0 + g->mt;
    g->gw = g->w - g->ml - g->mr;
    g->gh = g->h - g->mt - g->mb;
    g->n = e->data.cnt;
    if (g->n <= 0) return 0;
    g->finc = static_cast<float>(g->gw) / static_cast<float>(g->n);
    e->grid.finc = g->finc;
    int minInc = qkplotscalex(plot, e->grid.incmnt.minor);
    int majInc = qkplotscalex(plot, e->grid.incmnt.major);
    // Without a minor increment there is no step at all (and nothing to
    // divide the major increment by).
    if (minInc > 0) {
        g->minstep = trunc(static_cast<float>(minInc) * g->finc);
        g->majstep = (majInc / minInc) * g->minstep;
    }
    return 0;
}

// ---- platform records ------------------------------------------------------------------------

qksysplotInfo* qksysplotallocate()
{
    qklogTrace("qksysplotallocate");
    auto* sp = static_cast<qksysplotInfo*>(qksysMemAllocate(nullptr, sizeof(qksysplotInfo)));
    std::memset(static_cast<void*>(sp), 0, sizeof *sp);
    sp->bkcolor = kNoColor;
    return sp;
}

int qksysplotfreemem(qksysplotInfo* sysplot)
{
    qklogTrace("qksysplotfreemem");
    qksysMemFree(sysplot);
    return 0;
}

qksysplotInfo* qksysplotgetPtr(qkplotInfo* plot, int id)
{
    qklogTrace("qksysplotgetPtr");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    return e ? e->sysplotPtr : nullptr;
}

int qksysplotsetinfo(qkplotInfo* plot, qkwinInfo* window)
{
    qklogTrace("qksysplotsetinfo");
    if (plot == nullptr || window == nullptr) return -2;
    plot->scale.state = window->scale.state;
    plot->scale.xval = window->scale.xval;
    plot->scale.yval = window->scale.yval;
    plot->scale.xinc = window->scale.xinc;
    plot->scale.yinc = window->scale.yinc;
    if (plot->winPtr == nullptr) plot->winPtr = window;
    for (int i = 0; i < plot->cnt && plot->idPtr != nullptr; ++i)
        if (plot->idPtr[i].sysplotPtr != nullptr) plot->idPtr[i].sysplotPtr->hwnd = window;
    return 0;
}

int qksysplotclrdsp(qkplotInfo* plot, int request)
{
    qklogTrace("qksysplotclrdsp");
    if (plot == nullptr || request == 0) return plot ? 0 : -2;
    std::unique_ptr<qkdrawSurface> own;
    qkdrawSurface* s = plot->surfPtr;
    if (s == nullptr) {
        own = qkdrawopen(plot->winPtr);
        s = own.get();
    }
    if (s == nullptr) return -2;
    int bg = 0xFFFFFF;
    if (plot->winPtr != nullptr && plot->winPtr->color.bg.flags != 1 && plot->winPtr->color.bg.rgb != kNoColor)
        bg = plot->winPtr->color.bg.rgb;
    return s->fillRect(0, 0, s->width(), s->height(), bg);
}

// ---- the drawing steps ----------------------------------------------------------------------------

int qksysplotcreateregion(qkplotInfo* plot, int id)
{
    qklogTrace("qksysplotcreateregion");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    qkplotGeomInfo g;
    qkplotgeometry(plot, e, &g);
    StepSurface s(plot, e);
    if (!s) return done(e, -2);
    const qkplotSizeInfo& sz = e->size;
    if (s->fillRect(g.x0, g.y0, g.x0 + g.w, g.y0 + g.h, sz.color) != 0) {
        // The surface, the region's width and the brush colour stand in for
        // the handles of the message.
        char reason[96];
        qkstrfmt(reason, sizeof reason, "FillRgn error hdlc: %d, hrgn: %d, hbrush: %d", 1, g.w, sz.color);
        qklogErr(reason);
        return done(e, -2);
    }
    if (sz.border.width > 1) {
        // A raised frame: light top and left edges, dark right and bottom
        // edges, a thin edge line on the right.
        int b = qkplotscalex(plot, sz.border.width);
        int right = g.x0 + g.w;
        int bottom = g.y0 + g.h;
        s->setPen(QKDRAW_PEN_SOLID, b, sz.border.fgcolor);
        line(s.operator->(), g.x0, g.y0, right, g.y0);
        s->setPen(QKDRAW_PEN_SOLID, 2 * b, sz.border.bgcolor);
        line(s.operator->(), right - b / 2, g.y0, right - b / 2, bottom);
        s->setPen(QKDRAW_PEN_SOLID, 1, sz.border.edcolor);
        line(s.operator->(), right, g.y0, right, bottom);
        s->setPen(QKDRAW_PEN_SOLID, 2 * b, sz.border.fgcolor);
        line(s.operator->(), g.x0, g.y0, g.x0, bottom);
        s->setPen(QKDRAW_PEN_SOLID, 2 * b, sz.border.bgcolor);
        line(s.operator->(), g.x0, bottom, right, bottom);
    }
    return done(e, 0);
}

int qksysplotgrid(qkplotInfo* plot, int id)
{
    qklogTrace("qksysplotgrid");
    qkplotGeomInfo g;
    int rc;
    qkplotIDInfo* e = begin(plot, id, g, rc);
    if (e == nullptr) return rc;
    StepSurface s(plot, e);
    if (!s) return done(e, -2);
    qkdrawSurface* d = s.operator->();
    const qkplotGridInfo& gr = e->grid;
    d->fillRect(g.gx, g.gy, g.gx + g.gw, g.gy + g.gh, gr.bgcolor);
    setBk(d, e->sysplotPtr, gr.bgcolor);
    int top = g.gy;
    int bottom = g.gy + g.gh;
    bool minor = g.minstep >= 1 && gr.minorpen.width >= 1;
    // The major lines start where the curve area starts: past the offsets of
    // the left axes (scaled) and of the bottom axes (as configured).
    int leftOffset = 0;
    int bottomOffset = 0;
    if (minor) {
        for (int i = 0; i < e->axisCnt; ++i) {
            if (e->axisidPtr[i].type == QKPLOT_AXIS_LEFT) leftOffset += qkplotscalex(plot, e->axisidPtr[i].inc);
            if (e->axisidPtr[i].type == QKPLOT_AXIS_BOTTOM) bottomOffset += e->axisidPtr[i].inc;
        }
    }
    if (minor) {
        d->setPen(gr.minorpen.type, qkplotscalex(plot, gr.minorpen.width), gr.minorpen.color);
        for (int k = 0; k < g.gw; k += g.minstep) line(d, g.gx + k, top, g.gx + k, bottom);
    }
    if (g.majstep >= 1) {
        d->setPen(gr.majorpen.type, qkplotscalex(plot, gr.majorpen.width), gr.majorpen.color);
        for (int k = leftOffset; k < g.gw; k += g.majstep) line(d, g.gx + k, top, g.gx + k, bottom);
    }
    int base = g.y0 + g.h - g.mb;
    if (minor) {
        d->setPen(gr.minorpen.type, qkplotscalex(plot, gr.minorpen.width), gr.minorpen.color);
        for (int k = 0; k < g.gh; k += g.minstep) line(d, g.gx, base - k, g.gx + g.gw, base - k);
    }
    if (g.majstep >= 1) {
        d->setPen(gr.majorpen.type, qkplotscalex(plot, gr.majorpen.width), gr.majorpen.color);
        for (int k = bottomOffset; k < g.gh; k += g.majstep) line(d, g.gx, base - k, g.gx + g.gw, base - k);
    }
    if (gr.border.width != 0) {
        d->setPen(QKDRAW_PEN_DASH, qkplotscalex(plot, gr.border.width), gr.border.edcolor);
        d->moveTo(g.gx, top);
        d->lineTo(g.gx + g.gw, top);
        d->lineTo(g.gx + g.gw, bottom);
        d->lineTo(g.gx, bottom);
        d->lineTo(g.gx, top);
    }
    return done(e, 0);
}

int qksysplotaxis(qkplotInfo* plot, int id, int axisType)
{
    qklogTrace("qksysplotaxis");
    qkplotGeomInfo g;
    int rc;
    qkplotIDInfo* e = begin(plot, id, g, rc);
    if (e == nullptr) return rc;
    StepSurface s(plot, e);
    if (!s) return done(e, -2);
    qkdrawSurface* d = s.operator->();
    int tick = trunc(g.finc);
    for (int i = 0; i < e->axisCnt; ++i) {
        const qkplotAxisInfo& a = e->axisidPtr[i];
        if (a.type != axisType || a.pen.width <= 0) continue;
        int adj = a.adj;
        switch (axisType) {
        case QKPLOT_AXIS_LEFT:
        case QKPLOT_AXIS_RIGHT: {
            int x = axisType == QKPLOT_AXIS_LEFT ? g.gx + adj : g.gx + g.gw - adj;
            int dir = axisType == QKPLOT_AXIS_LEFT ? -1 : 1;
            d->setPen(a.pen.type, qkplotscalex(plot, a.pen.width), a.pen.color);
            line(d, x, g.gy, x, g.gy + g.gh);
            if (g.majstep < 1) break;
            d->setPen(a.pen.type, 1, a.pen.color);
            for (int k = 0; k < g.gh; k += g.majstep) {
                int y = g.gy + g.gh - adj - k;
                line(d, x, y, x + dir * tick, y);
            }
            break;
        }
        case QKPLOT_AXIS_BOTTOM: {
            int y = g.gy + g.gh - adj;
            d->setPen(a.pen.type, qkplotscalex(plot, a.pen.width), a.pen.color);
            line(d, g.gx, y, g.gx + g.gw, y);
            if (g.majstep < 1) break;
            d->setPen(a.pen.type, 1, a.pen.color);
            for (int k = 0; k <= g.gw; k += g.majstep) line(d, g.gx + adj + k, y, g.gx + adj + k, y + tick);
            break;
        }
        default: break;   // a top axis draws nothing
        }
    }
    return done(e, 0);
}

int qksysplotlabel(qkplotInfo* plot, int id, int axisType)
{
    qklogTrace("qksysplotlabel");
    qkplotGeomInfo g;
    int rc;
    qkplotIDInfo* e = begin(plot, id, g, rc);
    if (e == nullptr) return rc;
    // Steps below one pixel (or negative ones) would never move on.
    if (g.minstep < 1 || g.majstep < 1) return done(e, 0);
    StepSurface s(plot, e);
    if (!s) return done(e, -2);
    qkdrawSurface* d = s.operator->();
    setBk(d, e->sysplotPtr, e->size.color);
    for (int i = 0; i < e->axisCnt; ++i) {
        const qkplotAxisInfo& a = e->axisidPtr[i];
        if (a.type != axisType) continue;
        bool font = selectFont(d, plot, e, a.fontid);
        d->setTextColor(a.pen.color);
        if (axisType == QKPLOT_AXIS_LEFT) leftLabels(d, plot, e, a, g);
        else if (axisType == QKPLOT_AXIS_RIGHT) rightLabels(d, plot, e, a, g);
        else if (axisType == QKPLOT_AXIS_BOTTOM) bottomLabels(d, a, g);
        if (font) restoreFont(d, plot, e);
    }
    return done(e, 0);
}

int qksysplotcomment(qkplotInfo* plot, int id)
{
    qklogTrace("qksysplotcomment");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    if (e->commtCnt < 1) return done(e, 0);
    StepSurface s(plot, e);
    if (!s) return done(e, -2);
    qkdrawSurface* d = s.operator->();
    for (int i = 0; i < e->commtCnt; ++i) {
        const qkplotCommentInfo& c = e->commtidPtr[i];
        int bk = e->sysplotPtr ? e->sysplotPtr->bkcolor : kNoColor;
        bool font = selectFont(d, plot, e, c.fontid);
        d->setBkColor(c.color.bg.rgb);
        d->setTextColor(c.color.text.rgb);
        d->textOut(qkplotscalex(plot, e->size.xpos + c.xpos), qkplotscaley(plot, e->size.ypos + c.ypos), c.text);
        d->setBkColor(bk);
        if (font) restoreFont(d, plot, e);
    }
    return done(e, 0);
}

int qksysplotdata(qkplotInfo* plot, int id)
{
    qklogTrace("qksysplotdata");
    qkplotGeomInfo g;
    int rc;
    qkplotIDInfo* e = begin(plot, id, g, rc);
    if (e == nullptr) return rc;
    // A count set without data copied has nothing to draw.
    if (e->data.dataPtr == nullptr) return done(e, qkplotmsg(plot, id, QKPLOT_ERR_NODATA));
    StepSurface s(plot, e);
    if (!s) return done(e, -2);
    qkdrawSurface* d = s.operator->();
    const qkplotDataInfo& dt = e->data;
    int type = e->pclass.type;
    int w = dt.pen.width;
    d->setPen(dt.pen.type, type == QKPLOT_CLASS_HIST ? 1 : w, dt.pen.color);

    CurveArea c = curveArea(e, g);
    float max, min, absval;
    valueRange(e, e->scale.index, max, min, absval);
    (void)min;
    int step = e->pclass.inc > 0 ? e->pclass.inc : 1;

    // A line is one pass of move/line primitives; runs between moves go to
    // the surface as polylines (the same primitives, drawn at once): a run
    // starts with its move point twice, as move-to then line-to the point.
    std::vector<qkdrawPointInfo> run;
    auto flush = [&]() {
        if (!run.empty()) d->polyline(run.data(), static_cast<int>(run.size()));
        run.clear();
    };
    if (type != QKPLOT_CLASS_BAR && type != QKPLOT_CLASS_HIST) run.reserve(static_cast<size_t>(g.n / step + 2));
    for (int i = 0; i < g.n; i += step) {
        float h = heightOf(dt.dataPtr[i], max, absval, c.ghc);
        float q = static_cast<float>(i) * c.ppp + c.ppp;
        e->yfval = h;
        e->xfval = q;
        int y = c.yb - trunc(h);
        int x = c.xs + trunc(q);
        bool move = i == 0 || y > c.yb;
        if (type == QKPLOT_CLASS_BAR) {
            if (move) d->moveTo(x, y);
            line(d, x, c.yb, x, y);
        } else if (type == QKPLOT_CLASS_HIST) {
            x -= w;
            for (int j = 0; j < w; ++j) line(d, x + j, c.yb, x + j, y);
        } else {
            if (move) {
                flush();
                run.push_back({x, y});
            }
            run.push_back({x, y});
        }
        if (step > g.n - i) break;   // the next step would pass n (and overflow near INT_MAX)
    }
    flush();
    return done(e, 0);
}

// ---- copy and save --------------------------------------------------------------------------

int qksysplotcopyBMP(qkplotInfo* plot, int id)
{
    qklogTrace("qksysplotcopyBMP");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    StepSurface s(plot, e);
    if (!s) return done(e, -2);
    qkbmpImageInfo image;
    int x = qkplotscalex(plot, e->size.xpos);
    int y = qkplotscaley(plot, e->size.ypos);
    if (s->copyRect(x, y, qkplotscalex(plot, e->size.xsize), qkplotscaley(plot, e->size.ysize), &image) != 0) {
        qklogf("qksysplotcopyBMP", "plot id: %d, nothing to copy", id);
        return done(e, -2);
    }
    if (s->setClipboard(image) != 0) {
        qklogf("qksysplotcopyBMP", "Clipboard not opened");
        return done(e, -2);
    }
    return done(e, qksysplotsaveBMP(plot, id, image));
}

int qksysplotsaveBMP(qkplotInfo* plot, int id, const qkbmpImageInfo& image)
{
    qklogTrace("qksysplotsaveBMP");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    return qkbmpwrite(e->path, &image);
}
