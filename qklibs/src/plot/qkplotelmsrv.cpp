// qkplotelmsrv: the element handlers of plot definition files and their
// dispatch by package path (see the header).
#include "qkplotelmsrv.h"

#include <cstring>

#include "qkfilesrv.h"
#include "qkplotpkgsrv.h"
#include "qkstrsrv.h"
#include "qkwinpalettesrv.h"
#include "qkwinresfilesrv.h"

namespace {

// What the element being handled works on.
struct Ctx {
    qkplotInfo* p;
    qkplotIDInfo* e;              // current plot, may be null
    qkplotAxisInfo* axis;         // its last axis, may be null
    qkplotCommentInfo* commt;     // its last comment, may be null
    bool byName;                  // the key is NAME (else RGB for colour rows)
    int num;                      // the value as a number
    const char* text;             // the value text
};

// A colour row's value: by palette name or by RGB number, as a platform
// colour reference (-2 for a name the palette does not know).
int colour(const Ctx& c)
{
    qkwinInfo* w = c.p->winPtr;
    return c.byName ? qkwinpalettegetvalue(w, c.text) : qkwinpalettecolorref(w, static_cast<uint32_t>(c.num));
}

void penStyle(qkplotPenInfo& pen, const char* text)
{
    int t = qkplotkwstyle(text);
    if (t != 0) pen.type = t;
}

// The reader's loop for a plot record, for include files read in place.
void readInclude(qkplotInfo* p, const char* name)
{
    qkcfgloopInfo loop;
    qkplotcfgloopinit(p, &loop, "qkplotelmname");
    qkcfgreadinclude(p->cfgPtr, name, &loop);
}

void fileName(const qkplotInfo* p, const char* text, char (&out)[QKWIN_TEXTSIZE])
{
    qkstrset(out, text);
    if (p->winPtr != nullptr && p->winPtr->os.pthTyp != 0) qkfileSetPathType(p->winPtr->os.pthTyp, out);
}

// The window's resource file, applied to the rest of the plot file.
void resourceFile(qkplotInfo* p, const char* text)
{
    qkwinInfo* w = p->winPtr;
    if (w == nullptr) {
        qklogf("qkplotelmname", "no path name");
        return;
    }
    fileName(p, text, w->resfle.name);
    // The window's resource step works on the reader in cfgPtr: lend it the
    // plot file's reader for the call.
    qkcfgsrvInfo* saved = w->cfgPtr;
    w->cfgPtr = p->cfgPtr;
    qkwinresflegetfile(w);
    w->cfgPtr = saved;
}

void includeFile(qkplotInfo* p, const char* text)
{
    char name[QKWIN_TEXTSIZE];
    fileName(p, text, name);
    if (p->winPtr != nullptr) qkstrset(p->winPtr->incfle.name, name);
    if (!qkwinisregularfile(name)) {
        qklogf("qkplotelmname", "no path name");
        return;
    }
    readInclude(p, name);
    if (p->winPtr != nullptr) p->winPtr->incfle.state = 1;
}

void userDefinition(qkplotInfo* p, const char* text)
{
    qkcfgsrvInfo* r = p->cfgPtr;
    qkstrset(r->defName, text);
    if (qkwinisregularfile(r->defName)) qkcfggetuserdefs(r);
    else qklogf("qkplotelmname", "no path name");
}

void axisType(qkplotAxisInfo& a, const char* text)
{
    int t = qkplotkwaxis(text);
    if (t == 0) return;
    a.type = t;
    bool horizontal = t == QKPLOT_AXIS_TOP || t == QKPLOT_AXIS_BOTTOM;
    a.maxchar = horizontal ? 3 : 6;
    qkstrset(a.format, horizontal ? "%3.3d" : "%-10.4f");
}

typedef void (*Action)(Ctx& c);

// One place a key means something: the key, whether the path has a leading
// ellipsis, the path (outermost first) and what it sets. Rows that need the
// current plot, axis or comment are skipped when there is none.
enum Need { NONE, PLOT, AXIS, COMMT };
struct Row {
    const char* key;
    bool ellipsis;
    int path[6];
    Need need;
    Action set;
};

// Rows of the colour keys hold "COLOR" as key: NAME and RGB both match them.
// Rows of NAME alone hold "NAME".
constexpr int SIZE = QKPLOT_PKG_SIZE, PEN = QKPLOT_PKG_PEN, BORDER = QKPLOT_PKG_BORDER, COLOR = QKPLOT_PKG_COLOR,
              BG = QKPLOT_PKG_BACKGROUND, FG = QKPLOT_PKG_FORGROUND, EDGE = QKPLOT_PKG_EDGE, TEXT = QKPLOT_PKG_TEXT,
              MARGIN = QKPLOT_PKG_MARGIN, COMMENT = QKPLOT_PKG_COMMENT, PLOTP = QKPLOT_PKG_PLOT, GRID = QKPLOT_PKG_GRID,
              SCALE = QKPLOT_PKG_SCALE, MAJOR = QKPLOT_PKG_MAJOR, MINOR = QKPLOT_PKG_MINOR, AXISP = QKPLOT_PKG_AXIS,
              CLASS = QKPLOT_PKG_CLASS, RES = QKPLOT_PKG_RESOURCEFILE, INC = QKPLOT_PKG_INCLUDEFILE,
              UDEF = QKPLOT_PKG_USERDEFINITION;

const Row kRows[] = {
    {"ID", false, {PLOTP}, PLOT, [](Ctx& c) { c.e->itemid = c.num; }},
    {"XORIG", true, {SIZE}, PLOT, [](Ctx& c) { c.e->size.xpos = c.num; }},
    {"XORIG", true, {COMMENT}, COMMT, [](Ctx& c) { c.commt->xpos = c.num; }},
    {"YORIG", true, {SIZE}, PLOT, [](Ctx& c) { c.e->size.ypos = c.num; }},
    {"YORIG", true, {COMMENT}, COMMT, [](Ctx& c) { c.commt->ypos = c.num; }},
    {"WIDTH", false, {PLOTP, SIZE}, PLOT, [](Ctx& c) { c.e->size.xsize = c.num; }},
    {"WIDTH", false, {CLASS, PEN}, PLOT, [](Ctx& c) { c.e->pclass.pen.width = c.num; }},
    {"WIDTH", false, {SIZE, BORDER}, PLOT, [](Ctx& c) { c.e->size.border.width = c.num; }},
    {"WIDTH", false, {GRID, BORDER}, PLOT, [](Ctx& c) { c.e->grid.border.width = c.num; }},
    {"WIDTH", false, {AXISP, PEN}, AXIS, [](Ctx& c) { c.axis->pen.width = c.num; }},
    {"WIDTH", false, {GRID, SCALE, MAJOR, PEN}, PLOT, [](Ctx& c) { c.e->grid.majorpen.width = c.num; }},
    {"WIDTH", false, {GRID, SCALE, MINOR, PEN}, PLOT, [](Ctx& c) { c.e->grid.minorpen.width = c.num; }},
    {"HEIGHT", true, {SIZE}, PLOT, [](Ctx& c) { c.e->size.ysize = c.num; }},
    {"STYLE", false, {CLASS, PEN}, PLOT, [](Ctx& c) { penStyle(c.e->pclass.pen, c.text); }},
    {"STYLE", false, {AXISP, PEN}, AXIS, [](Ctx& c) { penStyle(c.axis->pen, c.text); }},
    {"STYLE", false, {GRID, SCALE, MAJOR, PEN}, PLOT, [](Ctx& c) { penStyle(c.e->grid.majorpen, c.text); }},
    {"STYLE", false, {GRID, SCALE, MINOR, PEN}, PLOT, [](Ctx& c) { penStyle(c.e->grid.minorpen, c.text); }},
    {"TYPE", true, {CLASS}, PLOT, [](Ctx& c) { c.e->pclass.type = qkplotkwclass(c.text); }},
    {"TYPE", true, {AXISP}, AXIS, [](Ctx& c) { axisType(*c.axis, c.text); }},
    {"INCREMENT", false, {GRID, SCALE, MAJOR}, PLOT, [](Ctx& c) { c.e->grid.incmnt.major = c.num; }},
    {"INCREMENT", false, {GRID, SCALE, MINOR}, PLOT, [](Ctx& c) { c.e->grid.incmnt.minor = c.num; }},
    {"INCREMENT", false, {PLOTP, AXISP}, AXIS, [](Ctx& c) { c.axis->inc = c.num; }},
    {"INCREMENT", true, {CLASS}, PLOT, [](Ctx& c) { c.e->pclass.inc = c.num; }},
    {"ADJUST", false, {PLOTP, AXISP}, AXIS, [](Ctx& c) { c.axis->adj = c.num; }},
    {"TOP", false, {GRID, MARGIN}, PLOT, [](Ctx& c) { c.e->grid.margin.top = c.num; }},
    {"BOTTOM", false, {GRID, MARGIN}, PLOT, [](Ctx& c) { c.e->grid.margin.bottom = c.num; }},
    {"LEFT", false, {GRID, MARGIN}, PLOT, [](Ctx& c) { c.e->grid.margin.left = c.num; }},
    {"RIGHT", false, {GRID, MARGIN}, PLOT, [](Ctx& c) { c.e->grid.margin.right = c.num; }},
    {"FONTID", true, {COMMENT}, COMMT, [](Ctx& c) { c.commt->fontid = c.num; }},
    {"FONTID", true, {AXISP}, AXIS, [](Ctx& c) { c.axis->fontid = c.num; }},
    {"STRING", true, {COMMENT}, COMMT, [](Ctx& c) { qkstrset(c.commt->text, c.text); }},
    // Colours by NAME or RGB.
    {"COLOR", false, {SIZE, COLOR, BG}, PLOT, [](Ctx& c) { c.e->size.color = colour(c); }},
    {"COLOR", false, {AXISP, PEN, COLOR, BG}, AXIS, [](Ctx& c) { c.axis->pen.color = colour(c); }},
    {"COLOR", false, {COMMENT, COLOR, BG}, COMMT,
     [](Ctx& c) {
         c.commt->color.bg.rgb = colour(c);
         if (c.byName) qkstrset(c.commt->color.bg.name, c.text);
     }},
    {"COLOR", false, {COMMENT, COLOR, TEXT}, COMMT,
     [](Ctx& c) {
         c.commt->color.text.rgb = colour(c);
         if (c.byName) qkstrset(c.commt->color.text.name, c.text);
     }},
    {"COLOR", false, {GRID, COLOR, BG}, PLOT, [](Ctx& c) { c.e->grid.bgcolor = colour(c); }},
    {"COLOR", false, {GRID, SCALE, MAJOR, PEN, COLOR, BG}, PLOT, [](Ctx& c) { c.e->grid.majorpen.color = colour(c); }},
    {"COLOR", false, {GRID, SCALE, MINOR, PEN, COLOR, BG}, PLOT, [](Ctx& c) { c.e->grid.minorpen.color = colour(c); }},
    // Colours by NAME only.
    {"NAME", false, {CLASS, PEN, COLOR, BG}, PLOT, [](Ctx& c) { c.e->pclass.pen.color = colour(c); }},
    {"NAME", false, {SIZE, BORDER, COLOR, BG}, PLOT, [](Ctx& c) { c.e->size.border.bgcolor = colour(c); }},
    {"NAME", false, {SIZE, BORDER, COLOR, FG}, PLOT, [](Ctx& c) { c.e->size.border.fgcolor = colour(c); }},
    {"NAME", false, {SIZE, BORDER, COLOR, EDGE}, PLOT, [](Ctx& c) { c.e->size.border.edcolor = colour(c); }},
    {"NAME", false, {GRID, BORDER, COLOR, BG}, PLOT, [](Ctx& c) { c.e->grid.border.bgcolor = colour(c); }},
    {"NAME", false, {GRID, BORDER, COLOR, FG}, PLOT, [](Ctx& c) { c.e->grid.border.fgcolor = colour(c); }},
    {"NAME", false, {GRID, BORDER, COLOR, EDGE}, PLOT, [](Ctx& c) { c.e->grid.border.edcolor = colour(c); }},
    // Files.
    {"NAME", false, {UDEF}, NONE, [](Ctx& c) { userDefinition(c.p, c.text); }},
    {"NAME", false, {RES}, NONE, [](Ctx& c) { resourceFile(c.p, c.text); }},
    {"NAME", false, {INC}, NONE, [](Ctx& c) { includeFile(c.p, c.text); }},
};

int pathLength(const Row& row)
{
    int n = 0;
    while (n < 6 && row.path[n] != 0) ++n;
    return n;
}

// True when the row's packages are the innermost ones of the stack, in order.
// An ellipsis row and an exact row match the same way: the packages named must
// be the innermost ones, whatever encloses them.
bool matches(const qkplotInfo* p, const Row& row)
{
    int n = pathLength(row);
    for (int k = 0; k < n; ++k)
        if (qkplotpkgat(p, k) != row.path[n - 1 - k]) return false;
    return n > 0;
}

// The element's value as a number, widened from the type it was read as.
int number(const qkcfgsrvInfo* r)
{
    const qkcfgsrvArgInfo& a = r->argsPtr[r->ndx];
    switch (a.type) {
    case QKCFG_SHORT: return a.val.sht;
    case QKCFG_LONG: return a.val.lng;
    case QKCFG_BOOL: return a.val.bol;
    default: return 0;
    }
}

// Dispatches the element key to the first row whose path matches.
int dispatch(qkplotInfo* p, const char* key)
{
    const qkcfgsrvInfo* r = p->cfgPtr;
    if (r == nullptr || r->ndx < 0 || r->ndx >= r->numArgs || r->argsPtr == nullptr) return 0;
    if (std::strcmp(r->argsPtr[r->ndx].name, key) != 0) return 0;
    bool colourKey = std::strcmp(key, "NAME") == 0 || std::strcmp(key, "RGB") == 0;
    Ctx c{};
    c.p = p;
    c.e = qkplotcurrent(p);
    c.axis = c.e && c.e->axisidPtr && c.e->axisCnt > 0 ? &c.e->axisidPtr[c.e->axisCnt - 1] : nullptr;
    c.commt = c.e && c.e->commtidPtr && c.e->commtCnt > 0 ? &c.e->commtidPtr[c.e->commtCnt - 1] : nullptr;
    c.byName = std::strcmp(key, "NAME") == 0;
    c.num = number(r);
    c.text = r->data;
    for (const Row& row : kRows) {
        bool keyMatch = std::strcmp(row.key, key) == 0 || (colourKey && std::strcmp(row.key, "COLOR") == 0);
        if (!keyMatch || !matches(p, row)) continue;
        if ((row.need == PLOT && c.e == nullptr) || (row.need == AXIS && c.axis == nullptr) ||
            (row.need == COMMT && c.commt == nullptr))
            return 0;
        row.set(c);
        return 0;
    }
    return 0;
}

}  // namespace

int qkplotkwstyle(const char* text)
{
    qklogTrace("qkplotkwstyle");
    if (text == nullptr) return 0;
    if (std::strcmp(text, "SOLID") == 0) return 1;
    if (std::strcmp(text, "DOT") == 0) return 2;
    if (std::strcmp(text, "DASH") == 0) return 3;
    if (std::strcmp(text, "DASHDOT") == 0) return 4;
    return 0;
}

int qkplotkwclass(const char* text)
{
    qklogTrace("qkplotkwclass");
    if (text != nullptr && std::strcmp(text, "BAR") == 0) return QKPLOT_CLASS_BAR;
    if (text != nullptr && std::strcmp(text, "HIST") == 0) return QKPLOT_CLASS_HIST;
    return QKPLOT_CLASS_LINE;
}

int qkplotkwaxis(const char* text)
{
    qklogTrace("qkplotkwaxis");
    if (text == nullptr) return 0;
    if (std::strcmp(text, "TOP") == 0) return QKPLOT_AXIS_TOP;
    if (std::strcmp(text, "BOTTOM") == 0) return QKPLOT_AXIS_BOTTOM;
    if (std::strcmp(text, "LEFT") == 0) return QKPLOT_AXIS_LEFT;
    if (std::strcmp(text, "RIGHT") == 0) return QKPLOT_AXIS_RIGHT;
    return 0;
}

int qkplotcfgelem(qkplotInfo* plot)
{
    qklogTrace("qkplotcfgelem");
    if (plot == nullptr || plot->cfgPtr == nullptr) return -2;
    const qkcfgsrvInfo* r = plot->cfgPtr;
    if (r->state != 1 || r->ndx < 0 || r->ndx >= r->numArgs || r->argsPtr == nullptr) return 0;
    const char* name = r->argsPtr[r->ndx].name;
    for (int i = 0; i < plot->cpkg.elmCnt && i < QKWIN_PKGSTACK; ++i) {
        const qkcfgfuncInfo& f = plot->cpkg.elmFunc[i];
        if (f.add != nullptr && std::strcmp(f.name, name) == 0) return f.add(plot);
    }
    return 0;
}

int qkplotelmxorig(qkplotInfo* plot) { qklogTrace("qkplotelmxorig"); return dispatch(plot, "XORIG"); }
int qkplotelmyorig(qkplotInfo* plot) { qklogTrace("qkplotelmyorig"); return dispatch(plot, "YORIG"); }
int qkplotelmwidth(qkplotInfo* plot) { qklogTrace("qkplotelmwidth"); return dispatch(plot, "WIDTH"); }
int qkplotelmheight(qkplotInfo* plot) { qklogTrace("qkplotelmheight"); return dispatch(plot, "HEIGHT"); }
int qkplotelmrgb(qkplotInfo* plot) { qklogTrace("qkplotelmrgb"); return dispatch(plot, "RGB"); }
int qkplotelmincrement(qkplotInfo* plot) { qklogTrace("qkplotelmincrement"); return dispatch(plot, "INCREMENT"); }
int qkplotelmtop(qkplotInfo* plot) { qklogTrace("qkplotelmtop"); return dispatch(plot, "TOP"); }
int qkplotelmbottom(qkplotInfo* plot) { qklogTrace("qkplotelmbottom"); return dispatch(plot, "BOTTOM"); }
int qkplotelmleft(qkplotInfo* plot) { qklogTrace("qkplotelmleft"); return dispatch(plot, "LEFT"); }
int qkplotelmright(qkplotInfo* plot) { qklogTrace("qkplotelmright"); return dispatch(plot, "RIGHT"); }
int qkplotelmstyle(qkplotInfo* plot) { qklogTrace("qkplotelmstyle"); return dispatch(plot, "STYLE"); }
int qkplotelmtype(qkplotInfo* plot) { qklogTrace("qkplotelmtype"); return dispatch(plot, "TYPE"); }
int qkplotelmname(qkplotInfo* plot) { qklogTrace("qkplotelmname"); return dispatch(plot, "NAME"); }
int qkplotelmstring(qkplotInfo* plot) { qklogTrace("qkplotelmstring"); return dispatch(plot, "STRING"); }
int qkplotelmfontid(qkplotInfo* plot) { qklogTrace("qkplotelmfontid"); return dispatch(plot, "FONTID"); }
int qkplotelmid(qkplotInfo* plot) { qklogTrace("qkplotelmid"); return dispatch(plot, "ID"); }
int qkplotelmadjust(qkplotInfo* plot) { qklogTrace("qkplotelmadjust"); return dispatch(plot, "ADJUST"); }

int qkplotelmlength(qkplotInfo* plot)
{
    qklogTrace("qkplotelmlength");
    // LENGTH is accepted anywhere and sets nothing.
    (void)plot;
    return 0;
}
