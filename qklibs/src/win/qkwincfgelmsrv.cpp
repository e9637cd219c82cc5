// qkwincfgelmsrv: the element handlers of UI definition files and the element
// dispatch of the read loop. Every handler looks at the package stack, acts on
// the current (last) record of the table the innermost packages select, and
// ignores the element anywhere else.
#include "qkwincfgelmsrv.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "qkfilesrv.h"
#include "qkstrsrv.h"
#include "qkwincfgpkgsrv.h"
#include "qkwincfgsrv.h"
#include "qkwincombo.h"
#include "qkwinfuncsrv.h"
#include "qkwinlist.h"
#include "qkwinpalettesrv.h"
#include "qkwinresfilesrv.h"
#include "qkwintable.h"

qkwincfgelemInfo gqk_wincfgelem;

namespace {

template <int (*F)(qkwinInfo*)> int thunk(void* client)
{
    return F(static_cast<qkwinInfo*>(client));
}

// ---- the stack and the current records ----------------------------------------

int at(const qkwinInfo* w, int k)
{
    return qkwincfgpkgat(w, k);
}

bool is(const qkwinInfo* w, int k, int type)
{
    return qkwincfgpkgis(w, k, type);
}

qkwinbtnIDInfo* btn(qkwinInfo* w) { return qkwintablelast(w->btn.idPtr, w->btn.cnt); }
qkwinstaticIDInfo* stat(qkwinInfo* w) { return qkwintablelast(w->stat.idPtr, w->stat.cnt); }
qkwineditIDInfo* edit(qkwinInfo* w) { return qkwintablelast(w->edit.idPtr, w->edit.cnt); }
qkwinlistIDInfo* list(qkwinInfo* w) { return qkwintablelast(w->list.idPtr, w->list.cnt); }
qkwincomboIDInfo* comb(qkwinInfo* w) { return qkwintablelast(w->comb.idPtr, w->comb.cnt); }
qkwinregionIDInfo* regn(qkwinInfo* w) { return qkwintablelast(w->regn.idPtr, w->regn.cnt); }
qkwinTrVwIDInfo* tv(qkwinInfo* w) { return qkwintablelast(w->tv.idPtr, w->tv.cnt); }
qkwindatepickIDInfo* datepick(qkwinInfo* w) { return qkwintablelast(w->datepick.idPtr, w->datepick.cnt); }
qkwinTabIDInfo* tab(qkwinInfo* w) { return qkwintablelast(w->tab.idPtr, w->tab.cnt); }
qkwinHdrIDInfo* hdr(qkwinInfo* w) { return qkwintablelast(w->hdr.idPtr, w->hdr.cnt); }
qkwindlgIDInfo* dlg(qkwinInfo* w) { return qkwintablelast(w->dlg.idPtr, w->dlg.cnt); }
qkwinmmsgIDInfo* mmsg(qkwinInfo* w) { return qkwintablelast(w->mmsg.idPtr, w->mmsg.cnt); }
qkwinfontIDInfo* font(qkwinInfo* w) { return qkwintablelast(w->font.idPtr, w->font.cnt); }
qkwinMenuIDInfo* menu(qkwinInfo* w) { return qkwintablelast(w->menu.idPtr, w->menu.cnt); }
qkwinPageIDInfo* page(qkwinInfo* w) { return qkwintablelast(w->page.idPtr, w->page.cnt); }
qkwincfgpathIDInfo* path(qkwinInfo* w) { return qkwintablelast(w->cfgpath.idPtr, w->cfgpath.cnt); }

qkwinSubMenuIDInfo* submenu(qkwinInfo* w)
{
    qkwinMenuIDInfo* m = menu(w);
    return m ? qkwintablelast(m->subidPtr, m->subCnt) : nullptr;
}

qkwinSubTabIDInfo* subtab(qkwinInfo* w)
{
    qkwinTabIDInfo* t = tab(w);
    return t ? qkwintablelast(t->subidPtr, t->subCnt) : nullptr;
}

qkwinSubHdrIDInfo* subhdr(qkwinInfo* w)
{
    qkwinHdrIDInfo* h = hdr(w);
    return h ? qkwintablelast(h->subidPtr, h->subCnt) : nullptr;
}

qkwinSubPageIDInfo* subpage(qkwinInfo* w)
{
    qkwinPageIDInfo* p = page(w);
    return p ? qkwintablelast(p->subidPtr, p->subCnt) : nullptr;
}

// The status-bar part being declared, or null (none yet, or one left out).
qkwinstatbarpartInfo* part(qkwinInfo* w)
{
    int n = w->sbar.ndx;
    if (n < 0 || n >= QKWIN_MAXSBARPARTS || n >= w->sbar.numParts) return nullptr;
    return &w->sbar.parts[n];
}

// ---- values ------------------------------------------------------------------------

const qkcfgsrvArgInfo* arg(const qkwinInfo* w)
{
    const qkcfgsrvInfo* r = w->cfgPtr;
    if (r == nullptr || r->argsPtr == nullptr || r->ndx < 0 || r->ndx >= r->numArgs) return nullptr;
    return &r->argsPtr[r->ndx];
}

int clampInt(long long v)
{
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// The element's value as a number, widened from the type it was read as.
int num(const qkwinInfo* w)
{
    const qkcfgsrvArgInfo* a = arg(w);
    if (a == nullptr) return 0;
    switch (a->type) {
    case QKCFG_BOOL: return a->val.bol;
    case QKCFG_SHORT: return a->val.sht;
    case QKCFG_LONG: return a->val.lng;
    case QKCFG_FLOAT: {
        float f = a->val.flt;
        if (!(f == f)) return 0;
        return clampInt(f > 2.0e9f ? INT_MAX : f < -2.0e9f ? INT_MIN : static_cast<long long>(f));
    }
    default: return clampInt(std::strtoll(w->cfgPtr->data, nullptr, 0));
    }
}

// The element's value text (decoded, at most 127 characters).
const char* text(const qkwinInfo* w)
{
    return w->cfgPtr ? w->cfgPtr->data : "";
}

bool eq(const char* a, const char* b)
{
    return std::strcmp(a, b) == 0;
}

// A file name of the definition, converted by the window's path type.
void filename(const qkwinInfo* w, char (&out)[QKWIN_TEXTSIZE])
{
    qkstrset(out, text(w));
    if (w->os.pthTyp != 0) qkfileSetPathType(w->os.pthTyp, out);
}

void registerCallback(qkwinInfo* w, int id)
{
    qkwinfuncregister(w, QKWIN_FUNC_BYNAME, id, text(w));
}

// ---- places shared by several elements -------------------------------------------------

struct Geometry {
    int* x = nullptr;
    int* y = nullptr;
    int* cx = nullptr;
    int* cy = nullptr;
};

template <class T> Geometry geo(T* r)
{
    if (r == nullptr) return {};
    return {&r->xorig, &r->yorig, &r->xsize, &r->ysize};
}

// Position and size of the window or the current record (the places of XORIG).
Geometry geometry(qkwinInfo* w)
{
    switch (at(w, 0)) {
    case QKWIN_PKG_MAINWINDOW: return geo(w);
    case QKWIN_PKG_BUTTON: return is(w, 0, QKWIN_PKG_BUTTON) ? geo(btn(w)) : Geometry{};
    case QKWIN_PKG_STATIC: return is(w, 0, QKWIN_PKG_STATIC) ? geo(stat(w)) : Geometry{};
    case QKWIN_PKG_EDIT: return is(w, 0, QKWIN_PKG_EDIT) ? geo(edit(w)) : Geometry{};
    case QKWIN_PKG_LIST: return is(w, 0, QKWIN_PKG_LIST) ? geo(list(w)) : Geometry{};
    case QKWIN_PKG_COMBO: return is(w, 0, QKWIN_PKG_COMBO) ? geo(comb(w)) : Geometry{};
    case QKWIN_PKG_REGION: return is(w, 0, QKWIN_PKG_REGION) ? geo(regn(w)) : Geometry{};
    case QKWIN_PKG_TREEVIEW: return is(w, 0, QKWIN_PKG_TREEVIEW) ? geo(tv(w)) : Geometry{};
    case QKWIN_PKG_DATEPICK: return is(w, 0, QKWIN_PKG_DATEPICK) ? geo(datepick(w)) : Geometry{};
    case QKWIN_PKG_TAB: return is(w, 0, QKWIN_PKG_TAB) ? geo(tab(w)) : Geometry{};
    case QKWIN_PKG_HDR: return is(w, 0, QKWIN_PKG_HDR) ? geo(hdr(w)) : Geometry{};
    case QKWIN_PKG_DIALOG: return is(w, 0, QKWIN_PKG_DIALOG) ? geo(dlg(w)) : Geometry{};
    default: return {};
    }
}

// The icon or image that an ICON or IMAGE package selects: the window's in
// MAINWINDOW, a button's or static's icon, a sub-tab's icon or image, the tray icon.
qkwinimageInfo* image(qkwinInfo* w)
{
    int t = at(w, 0);
    if (t != QKWIN_PKG_ICON && t != QKWIN_PKG_IMAGE) return nullptr;
    bool icon = t == QKWIN_PKG_ICON;
    if (at(w, 1) == QKWIN_PKG_MAINWINDOW) return icon ? &w->icon : &w->image;
    if (is(w, 1, QKWIN_PKG_SUBTAB)) {
        qkwinSubTabIDInfo* s = subtab(w);
        return s ? (icon ? &s->icon : &s->image) : nullptr;
    }
    if (!icon) return nullptr;
    if (is(w, 1, QKWIN_PKG_BUTTON)) return btn(w) ? &btn(w)->icon : nullptr;
    if (is(w, 1, QKWIN_PKG_STATIC)) return stat(w) ? &stat(w)->icon : nullptr;
    if (is(w, 1, QKWIN_PKG_TRAY)) return &w->tray.icon;
    return nullptr;
}

// The border record of the control around a BORDER package.
qkwinborderInfo* border(qkwinInfo* w)
{
    if (at(w, 0) != QKWIN_PKG_BORDER) return nullptr;
    switch (at(w, 1)) {
    case QKWIN_PKG_BUTTON: return is(w, 1, QKWIN_PKG_BUTTON) && btn(w) ? &btn(w)->bdr : nullptr;
    case QKWIN_PKG_STATIC: return is(w, 1, QKWIN_PKG_STATIC) && stat(w) ? &stat(w)->bdr : nullptr;
    case QKWIN_PKG_EDIT: return is(w, 1, QKWIN_PKG_EDIT) && edit(w) ? &edit(w)->bdr : nullptr;
    case QKWIN_PKG_LIST: return is(w, 1, QKWIN_PKG_LIST) && list(w) ? &list(w)->bdr : nullptr;
    case QKWIN_PKG_COMBO: return is(w, 1, QKWIN_PKG_COMBO) && comb(w) ? &comb(w)->bdr : nullptr;
    case QKWIN_PKG_REGION: return is(w, 1, QKWIN_PKG_REGION) && regn(w) ? &regn(w)->bdr : nullptr;
    default: return nullptr;
    }
}

// The colour record of the window or control that owns the COLOR package at
// level k (the places where colour names are given).
qkwincolorInfo* colorOwner(qkwinInfo* w, int k)
{
    int t = at(w, k);
    if (!is(w, k, t)) return nullptr;
    auto col = [](auto* r) -> qkwincolorInfo* { return r ? &r->color : nullptr; };
    switch (t) {
    case QKWIN_PKG_MAINWINDOW: return &w->color;
    case QKWIN_PKG_MENU: return col(menu(w));
    case QKWIN_PKG_SUBMENU: return col(submenu(w));
    case QKWIN_PKG_BUTTON: return col(btn(w));
    case QKWIN_PKG_STATIC: return col(stat(w));
    case QKWIN_PKG_EDIT: return col(edit(w));
    case QKWIN_PKG_REGION: return col(regn(w));
    case QKWIN_PKG_LIST: return col(list(w));
    case QKWIN_PKG_COMBO: return col(comb(w));
    case QKWIN_PKG_TAB: return col(tab(w));
    case QKWIN_PKG_HDR: return col(hdr(w));
    case QKWIN_PKG_SUBHDR: return col(subhdr(w));
    case QKWIN_PKG_TREEVIEW: return col(tv(w));
    case QKWIN_PKG_STATBAR: return &w->sbar.color;
    default: return nullptr;
    }
}

// Sets a colour entry from a palette name; a name the palette does not know
// keeps the entry's colour (the control keeps what it had).
void paletteColor(qkwinInfo* w, qkwincolordef* c)
{
    qkstrset(c->name, text(w));
    int ref = qkwinpalettegetvalue(w, text(w));
    if (ref >= 0) c->rgb = ref;
}

// NAME inside a colour entry package; true when the element was one.
bool nameColor(qkwinInfo* w)
{
    int t = at(w, 0);
    if (t < QKWIN_PKG_BACKGROUND || t > QKWIN_PKG_TEXT || at(w, 1) != QKWIN_PKG_COLOR) return false;
    // The border of a region: background and foreground.
    if (at(w, 2) == QKWIN_PKG_BORDER) {
        if (!is(w, 3, QKWIN_PKG_REGION) || regn(w) == nullptr) return true;
        qkwincolorInfo& bc = regn(w)->bdr.color;
        if (t == QKWIN_PKG_BACKGROUND) paletteColor(w, &bc.bg);
        else if (t == QKWIN_PKG_FORGROUND) paletteColor(w, &bc.fg);
        return true;
    }
    qkwincolorInfo* c = colorOwner(w, 2);
    if (c == nullptr) return true;
    int owner = at(w, 2);
    if (t == QKWIN_PKG_BACKGROUND) {
        bool mayBeClear = owner == QKWIN_PKG_MAINWINDOW || owner == QKWIN_PKG_BUTTON || owner == QKWIN_PKG_STATIC;
        if (mayBeClear && eq(text(w), "TRANSPARENT")) c->bg.flags = 1;
        else paletteColor(w, &c->bg);
    } else if (t == QKWIN_PKG_TEXT && owner != QKWIN_PKG_TAB) {
        paletteColor(w, &c->text);
    }
    return true;
}

// ---- the element table ----------------------------------------------------------------

struct KeyValue {
    const char* key;
    int value;
};

// Value of text in table, or dflt.
template <size_t N> int keyword(const KeyValue (&table)[N], const char* text, int dflt)
{
    for (const KeyValue& kv : table)
        if (text != nullptr && eq(kv.key, text)) return kv.value;
    return dflt;
}

int enable(const qkwinInfo* w)
{
    return eq(text(w), "ENABLE") ? 1 : 0;
}

// Clamps a decimal coordinate of a POINTS value.
int coordinate(const char* s)
{
    return clampInt(std::strtoll(s, nullptr, 10));
}

}  // namespace

const qkwincfgelmdef gqk_wincfgelmdefs[] = {
    {"TITLE", QKCFG_STRING, thunk<qkwincfgtitleelm>},
    {"CALLBACK", QKCFG_STRING, thunk<qkwincfgcallbackelm>},
    {"USERSTARTFUNCTION", QKCFG_STRING, thunk<qkwincfguserstartfuncelm>},
    {"USERRUNFUNCTION", QKCFG_STRING, thunk<qkwincfguserrunfuncelm>},
    {"USERUPDATEFUNCTION", QKCFG_STRING, thunk<qkwincfguserupdatefuncelm>},
    {"USERCLOSEFUNCTION", QKCFG_STRING, thunk<qkwincfguserclosefuncelm>},
    {"XORIG", QKCFG_SHORT, thunk<qkwincfgxorigelm>},
    {"YORIG", QKCFG_SHORT, thunk<qkwincfgyorigelm>},
    {"WIDTH", QKCFG_SHORT, thunk<qkwincfgwidthelm>},
    {"HEIGHT", QKCFG_SHORT, thunk<qkwincfgheightelm>},
    {"STRING", QKCFG_STRING, thunk<qkwincfgstringelm>},
    {"PATH", QKCFG_STRING, thunk<qkwincfgpathelm>},
    {"NAME", QKCFG_STRING, thunk<qkwincfgnameelm>},
    {"RGB", QKCFG_LONG, thunk<qkwincfgrgbelm>},
    {"ID", QKCFG_SHORT, thunk<qkwincfgidelm>},
    {"INDEX", QKCFG_SHORT, thunk<qkwincfgindexelm>},
    {"FUNCTION", QKCFG_STRING, thunk<qkwincfgfuncelm>},
    {"ALIGN", QKCFG_STRING, thunk<qkwincfgalignelm>},
    {"STYLE", QKCFG_STRING, thunk<qkwincfgstyleelm>},
    {"TYPE", QKCFG_STRING, thunk<qkwincfgtypeelm>},
    {"ITEM", QKCFG_STRING, thunk<qkwincfgitemelm>},
    {"FONTID", QKCFG_SHORT, thunk<qkwincfgfontidelm>},
    {"CHARSET", QKCFG_STRING, thunk<qkwincfgcharsetelm>},
    {"WEIGHT", QKCFG_STRING, thunk<qkwincfgweightelm>},
    {"FAMILY", QKCFG_STRING, thunk<qkwincfgfamilyelm>},
    {"ANGLE", QKCFG_SHORT, thunk<qkwincfgangleelm>},
    {"AUDIT", QKCFG_LONG, thunk<qkwincfgauditelm>},
    {"SCROLLBAR", QKCFG_STRING, thunk<qkwincfgscbarelm>},
    {"VERSION", QKCFG_STRING, thunk<qkwincfghelpverelm>},
    {"CONTACT", QKCFG_STRING, thunk<qkwincfghelpconelm>},
    {"SCALE", QKCFG_SHORT, thunk<qkwincfgscaleelm>},
    {"STARTID", QKCFG_SHORT, thunk<qkwincfgstartidelm>},
    {"CAPTION", QKCFG_STRING, thunk<qkwincfgcaptionelm>},
    {"MESSAGE", QKCFG_STRING, thunk<qkwincfgmessageelm>},
    {"USERACCOUNTS", QKCFG_STRING, thunk<qkwincfgaccountselm>},
    {"DATABASE", QKCFG_STRING, thunk<qkwincfgdbelm>},
    {"TOOLTIP", QKCFG_STRING, thunk<qkwincfgtooltiprelm>},
    {"STOPCHILDS", QKCFG_STRING, thunk<qkwincfgstopchildelm>},
    {"TOPMOST", QKCFG_STRING, thunk<qkwincfgtopmostchildelm>},
    {"MODE", QKCFG_STRING, thunk<qkwincfgmodeelm>},
    {"SHAPE", QKCFG_STRING, thunk<qkwincfgshapeelm>},
    {"POINTS", QKCFG_STRING, thunk<qkwincfgpointselm>},
    {"PAGEID", QKCFG_SHORT, thunk<qkwincfgpageidelm>},
    {"FILLSCREEN", QKCFG_STRING, thunk<qkwincfgfillscreenelm>},
    // Accepted and ignored by the window reader.
    {"SHORT INT", QKCFG_SHORT, nullptr},
    {"LONG INT", QKCFG_LONG, nullptr},
    {"FLOAT", QKCFG_FLOAT, nullptr},
    {"BOOL", QKCFG_BOOL, nullptr},
    {"LEFT", QKCFG_STRING, nullptr},
    {"RIGHT", QKCFG_STRING, nullptr},
    {"CENTER", QKCFG_STRING, nullptr},
    {"TOP", QKCFG_STRING, nullptr},
    {"BOTTOM", QKCFG_STRING, nullptr},
    {"ITALIC", QKCFG_STRING, nullptr},
    {"UNDERLINE", QKCFG_STRING, nullptr},
};
const int gqk_wincfgelmdefcnt = static_cast<int>(sizeof gqk_wincfgelmdefs / sizeof gqk_wincfgelmdefs[0]);

// ---- keyword tables ---------------------------------------------------------------------

int qkwincfgkwbtnstyle(const char* text)
{
    static const KeyValue table[] = {{"PUSHBUTTON", 1},  {"CHECKBUTTON", 2},     {"RADIOBUTTON", 3},    {"GROUPBUTTON", 4},
                                     {"IMAGEBUTTON", 5}, {"AUTOCHECKBUTTON", 6}, {"AUTORADIOBUTTON", 7}};
    return keyword(table, text, 0);
}

int qkwincfgkwborder(const char* text)
{
    static const KeyValue table[] = {{"FLAT", 6}, {"RAISED", 7}, {"SUNKEN", 8}};
    return keyword(table, text, 0);
}

int qkwincfgkwmsgtype(const char* text)
{
    static const KeyValue table[] = {{"QUESTION", QKWIN_MSG_QUESTION},
                                     {"WARN", QKWIN_MSG_WARN},
                                     {"STOP", QKWIN_MSG_STOP},
                                     {"ERROR", QKWIN_MSG_ERROR}};
    return keyword(table, text, QKWIN_MSG_INFO);
}

int qkwincfgkwcharset(const char* text)
{
    static const KeyValue table[] = {{"ANSI", 1}, {"OEM", 2}, {"UNICODE", 3}, {"RUSSIAN", 4}};
    return keyword(table, text, 1);
}

int qkwincfgkwweight(const char* text)
{
    static const KeyValue table[] = {{"BOLD", 1}, {"MEDIUM", 2}, {"LIGHT", 3}, {"THIN", 4}};
    return keyword(table, text, 5);
}

int qkwincfgkwfamily(const char* text)
{
    static const KeyValue table[] = {{"ROMAN", 1}, {"MODERN", 3}};
    return keyword(table, text, 2);
}

int qkwincfgkwshape(const char* text)
{
    static const KeyValue table[] = {
        {"ROUNDEDRECTANGLE", 2}, {"POLYGON", 3}, {"ELLIPTICAL", 4}, {"TRIANGLE", 5}, {"CIRCLE", 6}};
    return keyword(table, text, 1);
}

int qkwincfgkwmode(const char* text)
{
    static const KeyValue table[] = {{"PRODUCTION", 0}, {"DEVELOPMENT", 1}, {"TEST", 3}};
    return keyword(table, text, 0);
}

// ---- dispatch ---------------------------------------------------------------------------

int qkwincfgelem(qkwinInfo* window)
{
    qklogTrace("qkwincfgelem");
    if (window == nullptr || window->cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* r = window->cfgPtr;
    qkwincfgelemInfo& ctx = gqk_wincfgelem;
    ctx.pkgtyp = qkwincfgpkgat(window, 0);
    ctx.pkgndx = window->cpkg.pkgNdx;
    ctx.cfgPtr = r;
    qkstrset(ctx.s1, r->data);
    ctx.pagePtr = &window->page;
    ctx.pageidPtr = page(window);
    ctx.subpageidPtr = subpage(window);
    ctx.colorPtr = colorOwner(window, 0);
    ctx.iconPtr = &window->icon;
    ctx.imagePtr = &window->image;
    ctx.fontPtr = &window->font;
    ctx.menuPtr = &window->menu;
    ctx.menuidPtr = menu(window);
    ctx.submenuidPtr = submenu(window);
    ctx.mndx = window->menu.cnt - 1;
    ctx.smndx = ctx.menuidPtr ? ctx.menuidPtr->subCnt - 1 : -1;
    ctx.btnPtr = btn(window);
    ctx.staticPtr = stat(window);
    ctx.editPtr = edit(window);
    ctx.listPtr = &window->list;
    ctx.listidPtr = list(window);
    ctx.itemidPtr = ctx.listidPtr ? qkwintablelast(ctx.listidPtr->itemidPtr, ctx.listidPtr->itemCnt) : nullptr;
    ctx.combPtr = &window->comb;
    ctx.combidPtr = comb(window);
    ctx.combitemidPtr = ctx.combidPtr ? qkwintablelast(ctx.combidPtr->itemidPtr, ctx.combidPtr->itemCnt) : nullptr;
    ctx.regnPtr = regn(window);
    ctx.bdrPtr = border(window);
    ctx.cfgpathPtr = &window->cfgpath;
    ctx.tabPtr = &window->tab;
    ctx.tabidPtr = tab(window);
    ctx.subtabidPtr = subtab(window);
    ctx.hdrPtr = &window->hdr;
    ctx.hdridPtr = hdr(window);
    ctx.datepickPtr = datepick(window);
    ctx.subhdridPtr = subhdr(window);

    if (window->audit & QKWINCFG_AUD_RECORD) qklogf("qkwincfgelem", "ndx: %d, name: %s", window->cpkg.pkgNdx, r->ename);
    const qkcfgsrvArgInfo* a = arg(window);
    if (a == nullptr) {
        if (window->audit & QKWINCFG_AUD_UNKNOWN) qklogf("qkwincfgelem", "config name: %s", r->ename);
        return 0;
    }
    if (a->type == QKCFG_PACKAGE) return 0;
    const qkcfgpkgInfo& cpkg = window->cpkg;
    for (int i = 0; i < cpkg.elmCnt && i < QKWIN_PKGSTACK; ++i) {
        if (cpkg.elmFunc[i].add == nullptr || !eq(cpkg.elmFunc[i].name, a->name)) continue;
        if (window->audit & QKWINCFG_AUD_TRACE)
            qklogf("qkwincfgelem", "package index: %d type: %d, name: %s", cpkg.pkgNdx, ctx.pkgtyp, a->name);
        cpkg.elmFunc[i].add(window);
        break;
    }
    return 0;
}

// ---- the handlers -------------------------------------------------------------------------

int qkwincfgtitleelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgtitleelm");
    if (at(window, 0) == QKWIN_PKG_MAINWINDOW) qkstrset(window->title, text(window));
    else if (is(window, 0, QKWIN_PKG_DIALOG) && dlg(window)) qkstrset(dlg(window)->name, text(window));
    return 0;
}

int qkwincfgcallbackelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgcallbackelm");
    if (at(window, 0) == QKWIN_PKG_MAINWINDOW) registerCallback(window, window->id);
    return 0;
}

int qkwincfguserstartfuncelm(qkwinInfo* window)
{
    qklogTrace("qkwincfguserstartfuncelm");
    if (at(window, 0) == QKWIN_PKG_MAINWINDOW) {
        registerCallback(window, QKWIN_FUNCID_START);
        window->startcbid = QKWIN_FUNCID_START;
    } else if (is(window, 0, QKWIN_PKG_DIALOG) && dlg(window)) {
        // The dialog takes its start function from this window's table.
        registerCallback(window, QKWIN_FUNCID_START);
        dlg(window)->startcbid = QKWIN_FUNCID_START;
    }
    return 0;
}

int qkwincfguserrunfuncelm(qkwinInfo* window)
{
    qklogTrace("qkwincfguserrunfuncelm");
    if (at(window, 0) != QKWIN_PKG_MAINWINDOW) return 0;
    registerCallback(window, QKWIN_FUNCID_RUN);
    window->runcbid = QKWIN_FUNCID_RUN;
    return 0;
}

int qkwincfguserupdatefuncelm(qkwinInfo* window)
{
    qklogTrace("qkwincfguserupdatefuncelm");
    if (at(window, 0) != QKWIN_PKG_MAINWINDOW) return 0;
    registerCallback(window, QKWIN_FUNCID_UPDATE);
    window->updatecbid = QKWIN_FUNCID_UPDATE;
    return 0;
}

int qkwincfguserclosefuncelm(qkwinInfo* window)
{
    qklogTrace("qkwincfguserclosefuncelm");
    if (at(window, 0) != QKWIN_PKG_MAINWINDOW) return 0;
    registerCallback(window, QKWIN_FUNCID_CLOSE);
    window->closecbid = QKWIN_FUNCID_CLOSE;
    return 0;
}

int qkwincfgxorigelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgxorigelm");
    Geometry g = geometry(window);
    if (g.x) *g.x = num(window);
    return 0;
}

int qkwincfgyorigelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgyorigelm");
    Geometry g = geometry(window);
    if (g.y) *g.y = num(window);
    return 0;
}

int qkwincfgwidthelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgwidthelm");
    int v = num(window);
    Geometry g = geometry(window);
    if (g.cx) {
        *g.cx = v;
    } else if (is(window, 0, QKWIN_PKG_SIZETAB)) {
        if (tab(window)) tab(window)->txsize = v;
    } else if (is(window, 0, QKWIN_PKG_SUBSTATBAR)) {
        if (part(window)) part(window)->width = v;
    } else if (at(window, 0) == QKWIN_PKG_BORDER) {
        if (is(window, 1, QKWIN_PKG_REGION) && regn(window)) regn(window)->bdr.width = v;
    } else if (qkwinimageInfo* img = image(window)) {
        img->xsize = v;
    }
    return 0;
}

int qkwincfgheightelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgheightelm");
    int v = num(window);
    Geometry g = geometry(window);
    if (g.cy) {
        *g.cy = v;
    } else if (is(window, 0, QKWIN_PKG_SIZETAB)) {
        if (tab(window)) tab(window)->tysize = v;
    } else if (is(window, 0, QKWIN_PKG_STATBAR)) {
        window->sbar.hight = v;
    } else if (is(window, 0, QKWIN_PKG_FONT)) {
        if (font(window)) font(window)->height = v;
    } else if (qkwinimageInfo* img = image(window)) {
        img->ysize = v;
    }
    return 0;
}

int qkwincfgstringelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgstringelm");
    if (is(window, 0, QKWIN_PKG_STATIC) && stat(window)) qkstrset(stat(window)->text, text(window));
    else if (is(window, 0, QKWIN_PKG_EDIT) && edit(window)) qkstrset(edit(window)->text, text(window));
    return 0;
}

int qkwincfgpathelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgpathelm");
    char name[QKWIN_TEXTSIZE];
    filename(window, name);
    int t = at(window, 0);
    if (qkwinimageInfo* img = image(window)) {
        qkstrset(img->path, name);
    } else if (is(window, 0, QKWIN_PKG_SUBTAB)) {
        if (subtab(window)) qkstrset(subtab(window)->path, name);
    } else if (is(window, 0, QKWIN_PKG_HDR)) {
        if (hdr(window)) qkstrset(hdr(window)->path, name);
    } else if (is(window, 0, QKWIN_PKG_DIALOG)) {
        if (dlg(window)) qkstrset(dlg(window)->path, name);
    } else if (is(window, 0, t) && path(window) &&
               (t == QKWIN_PKG_PLOT || t == QKWIN_PKG_CHILD || t == QKWIN_PKG_PROCESS || t == QKWIN_PKG_EXTDATA)) {
        qkwincfgpathIDInfo* p = path(window);
        qkstrset(p->path, name);
        p->type = t == QKWIN_PKG_PLOT ? 1 : t == QKWIN_PKG_CHILD ? 2 : t == QKWIN_PKG_PROCESS ? 3 : 4;
    }
    return 0;
}

int qkwincfgnameelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgnameelm");
    const char* s = text(window);
    int t = at(window, 0);
    if (nameColor(window)) return 0;
    switch (t) {
    case QKWIN_PKG_USERDEFINITION: {
        qkcfgsrvInfo* r = window->cfgPtr;
        qkstrset(r->defName, s);
        if (qkwinisregularfile(r->defName)) qkcfggetuserdefs(r);
        else qklogf("qkwincfgnameelm", "no path name");
        return 0;
    }
    case QKWIN_PKG_RESOURCEFILE:
        filename(window, window->resfle.name);
        if (window->resfle.audit) qkwinresflesetaudit(window, window->resfle.audit);
        qkwinresflegetfile(window);
        return 0;
    case QKWIN_PKG_INCLUDEFILE:
        filename(window, window->incfle.name);
        if (window->incfle.audit) qkwinincflesetaudit(window, window->incfle.audit);
        qkwinincflegetfile(window);
        return 0;
    default:
        break;
    }
    if (!is(window, 0, t)) return 0;
    switch (t) {
    case QKWIN_PKG_MENU:
        if (menu(window)) qkstrset(menu(window)->name, s);
        break;
    case QKWIN_PKG_SUBMENU:
        if (submenu(window)) qkstrset(submenu(window)->name, s);
        break;
    case QKWIN_PKG_BUTTON:
        if (btn(window)) qkstrset(btn(window)->name, s);
        break;
    case QKWIN_PKG_LIST:
        if (list(window)) qkstrset(list(window)->name, s);
        break;
    case QKWIN_PKG_COMBO:
        if (comb(window)) qkstrset(comb(window)->name, s);
        break;
    case QKWIN_PKG_TAB:
        if (tab(window)) qkstrset(tab(window)->name, s);
        break;
    case QKWIN_PKG_SUBTAB:
        if (subtab(window)) qkstrset(subtab(window)->name, s);
        break;
    case QKWIN_PKG_HDR:
        if (hdr(window)) qkstrset(hdr(window)->name, s);
        break;
    case QKWIN_PKG_SUBHDR:
        if (subhdr(window)) qkstrset(subhdr(window)->name, s);
        break;
    case QKWIN_PKG_SUBSTATBAR:
        if (part(window)) qkstrset(part(window)->text, s);
        break;
    case QKWIN_PKG_TRAY:
        qkstrset(window->tray.ename, s);
        break;
    case QKWIN_PKG_PAGE:
        if (page(window)) qkstrset(page(window)->name, s);
        break;
    case QKWIN_PKG_FONT:
        if (font(window)) qkstrset(font(window)->name, s);
        break;
    default:
        break;
    }
    return 0;
}

int qkwincfgrgbelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgrgbelm");
    int t = at(window, 0);
    if (at(window, 1) != QKWIN_PKG_COLOR) return 0;
    qkwincolorInfo* c = nullptr;
    bool all = false;   // a static's colour takes all four entries
    if (at(window, 2) == QKWIN_PKG_MAINWINDOW) {
        c = &window->color;
    } else if (is(window, 2, QKWIN_PKG_STATIC) && stat(window)) {
        c = &stat(window)->color;
        all = true;
    }
    if (c == nullptr) return 0;
    qkwincolordef* e = nullptr;
    if (t == QKWIN_PKG_BACKGROUND) e = &c->bg;
    else if (t == QKWIN_PKG_TEXT) e = &c->text;
    else if (all && t == QKWIN_PKG_FORGROUND) e = &c->fg;
    else if (all && t == QKWIN_PKG_EDGE) e = &c->border;
    if (e) e->rgb = qkwinpalettecolorref(window, static_cast<uint32_t>(num(window)));
    return 0;
}

int qkwincfgidelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgidelm");
    int v = num(window);
    int t = at(window, 0);
    if (t == QKWIN_PKG_MAINWINDOW) {
        window->id = v;
        return 0;
    }
    if (!is(window, 0, t)) return 0;
    auto set = [v](auto* r) {
        if (r) r->id = v;
    };
    switch (t) {
    case QKWIN_PKG_MENU: set(menu(window)); break;
    case QKWIN_PKG_SUBMENU: set(submenu(window)); break;
    case QKWIN_PKG_BUTTON: set(btn(window)); break;
    case QKWIN_PKG_STATIC: set(stat(window)); break;
    case QKWIN_PKG_EDIT: set(edit(window)); break;
    case QKWIN_PKG_TREEVIEW: set(tv(window)); break;
    case QKWIN_PKG_DATEPICK: set(datepick(window)); break;
    case QKWIN_PKG_TRAY: window->tray.id = v; break;
    case QKWIN_PKG_TAB: set(tab(window)); break;
    case QKWIN_PKG_SUBTAB: set(subtab(window)); break;
    case QKWIN_PKG_HDR: set(hdr(window)); break;
    case QKWIN_PKG_SUBHDR: set(subhdr(window)); break;
    case QKWIN_PKG_STATBAR: window->sbar.id = v; break;
    case QKWIN_PKG_SUBSTATBAR: set(part(window)); break;
    case QKWIN_PKG_DIALOG: set(dlg(window)); break;
    case QKWIN_PKG_MSGBOX: set(mmsg(window)); break;
    case QKWIN_PKG_LIST: set(list(window)); break;
    case QKWIN_PKG_COMBO: set(comb(window)); break;
    case QKWIN_PKG_PAGE:
        if (page(window)) page(window)->itemid = v;
        break;
    case QKWIN_PKG_FONT:
        if (font(window)) font(window)->itemid = v;
        break;
    case QKWIN_PKG_PLOT:
    case QKWIN_PKG_CHILD:
    case QKWIN_PKG_PROCESS:
    case QKWIN_PKG_EXTDATA:
        if (path(window)) path(window)->itemid = v;
        break;
    default: break;
    }
    return 0;
}

int qkwincfgindexelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgindexelm");
    int v = num(window);
    if (is(window, 0, QKWIN_PKG_MENU) && menu(window)) menu(window)->gid = v;
    else if (is(window, 0, QKWIN_PKG_SUBMENU) && submenu(window)) submenu(window)->gid = v;
    else if (is(window, 0, QKWIN_PKG_HDR) && hdr(window)) hdr(window)->delm = v;
    else if (is(window, 0, QKWIN_PKG_TRAY)) window->tray.eid = v;
    return 0;
}

int qkwincfgfuncelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgfuncelm");
    int t = at(window, 0);
    if (!is(window, 0, t)) return 0;
    const int* id = nullptr;
    auto idOf = [](auto* r) -> const int* { return r ? &r->id : nullptr; };
    switch (t) {
    case QKWIN_PKG_MENU: id = idOf(menu(window)); break;
    case QKWIN_PKG_SUBMENU: id = idOf(submenu(window)); break;
    case QKWIN_PKG_BUTTON: id = idOf(btn(window)); break;
    case QKWIN_PKG_STATIC: id = idOf(stat(window)); break;
    case QKWIN_PKG_EDIT: id = idOf(edit(window)); break;
    case QKWIN_PKG_LIST: id = idOf(list(window)); break;
    case QKWIN_PKG_COMBO: id = idOf(comb(window)); break;
    case QKWIN_PKG_REGION: id = idOf(regn(window)); break;
    case QKWIN_PKG_DATEPICK: id = idOf(datepick(window)); break;
    case QKWIN_PKG_TAB: id = idOf(tab(window)); break;
    case QKWIN_PKG_SUBTAB: id = idOf(subtab(window)); break;
    case QKWIN_PKG_HDR: id = idOf(hdr(window)); break;
    case QKWIN_PKG_SUBHDR: id = idOf(subhdr(window)); break;
    default: break;
    }
    if (id) registerCallback(window, *id);
    return 0;
}

int qkwincfgalignelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgalignelm");
    static const KeyValue table[] = {{"LEFT", 3}, {"RIGHT", 4}, {"CENTER", 5}};
    int v = keyword(table, text(window), 0);
    if (v == 0) return 0;
    if (is(window, 0, QKWIN_PKG_STATIC) && stat(window)) stat(window)->align = v;
    else if (is(window, 0, QKWIN_PKG_EDIT) && edit(window)) edit(window)->align = v;
    return 0;
}

int qkwincfgstyleelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgstyleelm");
    const char* s = text(window);
    if (is(window, 0, QKWIN_PKG_BUTTON) && btn(window)) {
        btn(window)->style = qkwincfgkwbtnstyle(s);
    } else if (is(window, 0, QKWIN_PKG_EDIT) && edit(window)) {
        edit(window)->style = eq(s, "PASSWORD") ? 1 : 0;
    } else if (is(window, 0, QKWIN_PKG_TAB) && tab(window)) {
        if (eq(s, "PUSHBUTTON")) tab(window)->style = 1;
    } else if (is(window, 0, QKWIN_PKG_HDR) && hdr(window)) {
        if (eq(s, "PUSHBUTTON")) hdr(window)->style = 1;
    } else if (is(window, 0, QKWIN_PKG_FONT) && font(window)) {
        if (eq(s, "ITALIC")) font(window)->italicFlag = 1;
        if (eq(s, "UNDERLINE")) font(window)->underlineFlag = 1;
    } else if (is(window, 0, QKWIN_PKG_DATEPICK) && datepick(window)) {
        datepick(window)->style = eq(s, "LONGDATE") ? 1 : eq(s, "LONGTIME") ? 2 : 0;
    }
    return 0;
}

int qkwincfgtypeelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgtypeelm");
    if (qkwinborderInfo* b = border(window)) b->type = qkwincfgkwborder(text(window));
    else if (is(window, 0, QKWIN_PKG_MSGBOX) && mmsg(window)) mmsg(window)->type = qkwincfgkwmsgtype(text(window));
    return 0;
}

int qkwincfgitemelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgitemelm");
    if (is(window, 0, QKWIN_PKG_LIST) && qkwinlistitemregister(window) == 0) {
        qkwinlistIDInfo* l = list(window);
        qkstrset(l->itemidPtr[l->itemCnt - 1].item, text(window));
    } else if (is(window, 0, QKWIN_PKG_COMBO) && qkwincomboitemregister(window) == 0) {
        qkwincomboIDInfo* c = comb(window);
        qkstrset(c->itemidPtr[c->itemCnt - 1].item, text(window));
    }
    return 0;
}

int qkwincfgfontidelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgfontidelm");
    int v = num(window);
    int t = at(window, 0);
    if (t == QKWIN_PKG_MAINWINDOW) {
        window->fontid = v;
        return 0;
    }
    if (!is(window, 0, t)) return 0;
    auto set = [v](auto* r) {
        if (r) r->fontid = v;
    };
    switch (t) {
    case QKWIN_PKG_MENU: set(menu(window)); break;
    case QKWIN_PKG_SUBMENU: set(submenu(window)); break;
    case QKWIN_PKG_STATBAR: window->sbar.fontid = v; break;
    case QKWIN_PKG_MSGBOX: window->mbox.fontid = v; break;
    case QKWIN_PKG_BUTTON: set(btn(window)); break;
    case QKWIN_PKG_STATIC: set(stat(window)); break;
    case QKWIN_PKG_EDIT: set(edit(window)); break;
    case QKWIN_PKG_LIST: set(list(window)); break;
    case QKWIN_PKG_COMBO: set(comb(window)); break;
    case QKWIN_PKG_TAB: set(tab(window)); break;
    case QKWIN_PKG_HDR: set(hdr(window)); break;
    case QKWIN_PKG_DATEPICK: set(datepick(window)); break;
    case QKWIN_PKG_DIALOG: set(dlg(window)); break;
    default: break;
    }
    return 0;
}

int qkwincfgcharsetelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgcharsetelm");
    if (is(window, 0, QKWIN_PKG_FONT) && font(window)) font(window)->charsetID = qkwincfgkwcharset(text(window));
    return 0;
}

int qkwincfgweightelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgweightelm");
    if (is(window, 0, QKWIN_PKG_FONT) && font(window)) font(window)->weight = qkwincfgkwweight(text(window));
    return 0;
}

int qkwincfgfamilyelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgfamilyelm");
    if (is(window, 0, QKWIN_PKG_FONT) && font(window)) font(window)->familyID = qkwincfgkwfamily(text(window));
    return 0;
}

int qkwincfgangleelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgangleelm");
    if (is(window, 0, QKWIN_PKG_FONT) && font(window)) font(window)->angle = num(window);
    return 0;
}

int qkwincfgauditelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgauditelm");
    int t = at(window, 0);
    if (t == QKWIN_PKG_MAINWINDOW) window->audit = num(window);
    else if (t == QKWIN_PKG_RESOURCEFILE) window->resfle.audit = num(window);
    return 0;
}

int qkwincfgscbarelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgscbarelm");
    if (at(window, 0) != QKWIN_PKG_MAINWINDOW) return 0;
    if (eq(text(window), "VERTICAL")) window->sbmask |= 1;
    else if (eq(text(window), "HORIZONTAL")) window->sbmask |= 2;
    return 0;
}

int qkwincfghelpverelm(qkwinInfo* window)
{
    qklogTrace("qkwincfghelpverelm");
    if (at(window, 0) == QKWIN_PKG_HELP) qkstrset(window->help.version, text(window));
    return 0;
}

int qkwincfghelpconelm(qkwinInfo* window)
{
    qklogTrace("qkwincfghelpconelm");
    if (at(window, 0) == QKWIN_PKG_HELP) qkstrset(window->help.contact, text(window));
    return 0;
}

int qkwincfgscaleelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgscaleelm");
    if (at(window, 0) != QKWIN_PKG_MAINWINDOW) return 0;
    window->scale.xval = num(window);
    window->scale.yval = window->scale.xval;
    return 0;
}

int qkwincfgstartidelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgstartidelm");
    if (is(window, 0, QKWIN_PKG_TAB) && tab(window)) tab(window)->startid = num(window);
    else if (is(window, 0, QKWIN_PKG_DIALOG) && dlg(window)) dlg(window)->startid = num(window);
    return 0;
}

int qkwincfgcaptionelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgcaptionelm");
    if (is(window, 0, QKWIN_PKG_MSGBOX) && mmsg(window)) qkstrset(mmsg(window)->caption, text(window));
    else if (is(window, 0, QKWIN_PKG_TRAY)) qkstrset(window->tray.commt, text(window));
    return 0;
}

int qkwincfgmessageelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgmessageelm");
    if (is(window, 0, QKWIN_PKG_MSGBOX) && mmsg(window)) qkstrset(mmsg(window)->msg, text(window));
    return 0;
}

int qkwincfgaccountselm(qkwinInfo* window)
{
    qklogTrace("qkwincfgaccountselm");
    if (at(window, 0) == QKWIN_PKG_OPTIONS) window->opts.useraccts = enable(window);
    return 0;
}

int qkwincfgdbelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgdbelm");
    if (at(window, 0) == QKWIN_PKG_OPTIONS) window->opts.dbreq = enable(window);
    return 0;
}

int qkwincfgtooltiprelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgtooltiprelm");
    if (is(window, 0, QKWIN_PKG_SUBTAB) && subtab(window)) qkstrset(subtab(window)->ttip, text(window));
    return 0;
}

int qkwincfgstopchildelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgstopchildelm");
    if (at(window, 0) == QKWIN_PKG_OPTIONS) window->opts.stopChilds = enable(window);
    return 0;
}

int qkwincfgtopmostchildelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgtopmostchildelm");
    if (at(window, 0) == QKWIN_PKG_OPTIONS) window->opts.topmost = enable(window);
    return 0;
}

int qkwincfgmodeelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgmodeelm");
    if (at(window, 0) == QKWIN_PKG_OPTIONS) window->opts.mode = qkwincfgkwmode(text(window));
    return 0;
}

int qkwincfgshapeelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgshapeelm");
    if (at(window, 0) == QKWIN_PKG_MAINWINDOW) window->shape = qkwincfgkwshape(text(window));
    else if (is(window, 0, QKWIN_PKG_REGION) && regn(window)) regn(window)->shape = qkwincfgkwshape(text(window));
    return 0;
}

// One polygon point "x,y"; a value without a comma adds nothing, and a region
// keeps at most its 32 points.
int qkwincfgpointselm(qkwinInfo* window)
{
    qklogTrace("qkwincfgpointselm");
    if (!is(window, 0, QKWIN_PKG_REGION) || regn(window) == nullptr) return 0;
    const char* s = text(window);
    const char* comma = std::strchr(s, ',');
    if (comma == nullptr) return 0;
    qkwinregionIDInfo* r = regn(window);
    if (r->ptscnt < 0) r->ptscnt = 0;
    if (r->ptscnt >= QKWIN_MAXPOINTS) {
        qklogf("qkwincfgpointselm", "region points: %d, point: %s left out", QKWIN_MAXPOINTS, s);
        return 0;
    }
    char x[QKCFG_TEXTSIZE];
    qkstrlcpy(x, static_cast<size_t>(comma - s) + 1 < sizeof x ? static_cast<size_t>(comma - s) + 1 : sizeof x, s);
    r->points[r->ptscnt].x = coordinate(x);
    r->points[r->ptscnt].y = coordinate(comma + 1);
    r->ptscnt++;
    return 0;
}

int qkwincfgpageidelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgpageidelm");
    int v = num(window);
    int t = at(window, 0);
    if (t == QKWIN_PKG_MAINWINDOW) {
        // The page a window starts on.
        window->page.startpageid = v;
        return 0;
    }
    if (!is(window, 0, t)) return 0;
    auto set = [v](auto* r) {
        if (r) r->pageid = v;
    };
    switch (t) {
    case QKWIN_PKG_MENU: set(menu(window)); break;
    case QKWIN_PKG_BUTTON: set(btn(window)); break;
    case QKWIN_PKG_STATIC: set(stat(window)); break;
    case QKWIN_PKG_EDIT: set(edit(window)); break;
    case QKWIN_PKG_TREEVIEW: set(tv(window)); break;
    case QKWIN_PKG_DATEPICK: set(datepick(window)); break;
    case QKWIN_PKG_TAB: set(tab(window)); break;
    case QKWIN_PKG_HDR: set(hdr(window)); break;
    case QKWIN_PKG_PAGE: set(page(window)); break;
    case QKWIN_PKG_SUBPAGE: set(subpage(window)); break;
    case QKWIN_PKG_LIST: set(list(window)); break;
    case QKWIN_PKG_COMBO: set(comb(window)); break;
    case QKWIN_PKG_REGION: set(regn(window)); break;
    default: break;
    }
    return 0;
}

int qkwincfgfillscreenelm(qkwinInfo* window)
{
    qklogTrace("qkwincfgfillscreenelm");
    if (at(window, 0) == QKWIN_PKG_OPTIONS) window->opts.fillscreen = enable(window);
    return 0;
}
