// qkwincfgpkgsrv: the package handlers of UI definition files and the opening
// and closing of packages during the read loop. Runs on the thread that reads
// the definition file.
#include "qkwincfgpkgsrv.h"

#include <cstring>

#include "qkstrsrv.h"
#include "qkwinbutton.h"
#include "qkwincfgpathsrv.h"
#include "qkwincfgsrv.h"
#include "qkwincombo.h"
#include "qkwindatepick.h"
#include "qkwindlg.h"
#include "qkwinedit.h"
#include "qkwinfont.h"
#include "qkwinhdr.h"
#include "qkwinlist.h"
#include "qkwinmenu.h"
#include "qkwinmsg.h"
#include "qkwinpage.h"
#include "qkwinregion.h"
#include "qkwinstatic.h"
#include "qkwintab.h"
#include "qkwintray.h"
#include "qkwintreeview.h"

namespace {

// The read loop hands the window record as the client.
template <int (*F)(qkwinInfo*)> int thunk(void* client)
{
    return F(static_cast<qkwinInfo*>(client));
}

// Pushes type; a full stack pushes nothing.
void push(qkwinInfo* w, int type)
{
    qkcfgstackpush(w->cpkg.pkgTyp, &w->cpkg.pkgNdx, QKWIN_PKGSTACK, type);
}

// Type of the parent of the package just pushed.
int parent(const qkwinInfo* w)
{
    return qkwincfgpkgat(w, 1);
}

// A package that declares a widget: push its type, and in MAINWINDOW create
// the record and work on the table.
int widget(qkwinInfo* w, int type, int (*reg)(qkwinInfo*), void* table)
{
    push(w, type);
    if (parent(w) == QKWIN_PKG_MAINWINDOW) {
        reg(w);
        w->cpkg.pkgPtr = table;
    }
    return 0;
}

// A package that opens a level only directly inside MAINWINDOW and declares a
// path record there.
int pathpkg(qkwinInfo* w, int type)
{
    if (qkwincfgpkgat(w, 0) != QKWIN_PKG_MAINWINDOW) return 0;
    push(w, type);
    qkwincfgpathregister(w);
    w->cpkg.pkgPtr = &w->cfgpath;
    return 0;
}

bool recognised(const qkwinInfo* w, int k)
{
    int t = qkwincfgpkgat(w, k);
    int p = qkwincfgpkgat(w, k + 1);
    switch (t) {
    case QKWIN_PKG_MAINWINDOW:
    case QKWIN_PKG_OPTIONS:
    case QKWIN_PKG_HELP:
    case QKWIN_PKG_BORDER:
    case QKWIN_PKG_COLOR:
    case QKWIN_PKG_BACKGROUND:
    case QKWIN_PKG_FORGROUND:
    case QKWIN_PKG_EDGE:
    case QKWIN_PKG_TEXT:
    case QKWIN_PKG_ICON:
    case QKWIN_PKG_IMAGE:
    case QKWIN_PKG_RESOURCEFILE:
    case QKWIN_PKG_INCLUDEFILE:
    case QKWIN_PKG_ACTION:
    case QKWIN_PKG_VALUE:
    case QKWIN_PKG_USERDEFINITION:
        return true;
    case QKWIN_PKG_FONT:
    case QKWIN_PKG_MENU:
    case QKWIN_PKG_BUTTON:
    case QKWIN_PKG_STATIC:
    case QKWIN_PKG_EDIT:
    case QKWIN_PKG_LIST:
    case QKWIN_PKG_COMBO:
    case QKWIN_PKG_REGION:
    case QKWIN_PKG_TREEVIEW:
    case QKWIN_PKG_DATEPICK:
    case QKWIN_PKG_TRAY:
    case QKWIN_PKG_TAB:
    case QKWIN_PKG_HDR:
    case QKWIN_PKG_STATBAR:
    case QKWIN_PKG_DIALOG:
    case QKWIN_PKG_MSGBOX:
    case QKWIN_PKG_PAGE:
    case QKWIN_PKG_PLOT:
    case QKWIN_PKG_CHILD:
    case QKWIN_PKG_PROCESS:
    case QKWIN_PKG_EXTDATA:
        return p == QKWIN_PKG_MAINWINDOW;
    case QKWIN_PKG_SUBMENU:
        return p == QKWIN_PKG_MENU && recognised(w, k + 1);
    case QKWIN_PKG_SIZETAB:
    case QKWIN_PKG_SUBTAB:
        return p == QKWIN_PKG_TAB && recognised(w, k + 1);
    case QKWIN_PKG_SUBHDR:
        return p == QKWIN_PKG_HDR && recognised(w, k + 1);
    case QKWIN_PKG_SUBSTATBAR:
        return p == QKWIN_PKG_STATBAR && recognised(w, k + 1);
    case QKWIN_PKG_SUBPAGE:
        return p == QKWIN_PKG_PAGE && recognised(w, k + 1);
    default:
        return false;
    }
}

}  // namespace

const qkwincfgpkgdef gqk_wincfgpkgdefs[] = {
    {"MAINWINDOW", QKWIN_PKG_MAINWINDOW, thunk<qkwincfgmainpkg>},
    {"OPTIONS", QKWIN_PKG_OPTIONS, thunk<qkwincfgoptspkg>},
    {"BORDER", QKWIN_PKG_BORDER, thunk<qkwincfgbordpkg>},
    {"COLOR", QKWIN_PKG_COLOR, thunk<qkwincfgcolorpkg>},
    {"BACKGROUND", QKWIN_PKG_BACKGROUND, thunk<qkwincfgbgcolorpkg>},
    {"FORGROUND", QKWIN_PKG_FORGROUND, thunk<qkwincfgfgcolorpkg>},
    {"EDGE", QKWIN_PKG_EDGE, thunk<qkwincfgedcolorpkg>},
    {"TEXT", QKWIN_PKG_TEXT, thunk<qkwincfgtxcolorpkg>},
    {"ICON", QKWIN_PKG_ICON, thunk<qkwincfgiconpkg>},
    {"IMAGE", QKWIN_PKG_IMAGE, thunk<qkwincfgimagepkg>},
    {"FONT", QKWIN_PKG_FONT, thunk<qkwincfgfontpkg>},
    {"MENU", QKWIN_PKG_MENU, thunk<qkwincfgmenupkg>},
    {"SUBMENU", QKWIN_PKG_SUBMENU, thunk<qkwincfgsubmenupkg>},
    {"BUTTON", QKWIN_PKG_BUTTON, thunk<qkwincfgbtnpkg>},
    {"STATIC", QKWIN_PKG_STATIC, thunk<qkwincfgstatpkg>},
    {"EDIT", QKWIN_PKG_EDIT, thunk<qkwincfgeditpkg>},
    {"LIST", QKWIN_PKG_LIST, thunk<qkwincfglistpkg>},
    {"COMBO", QKWIN_PKG_COMBO, thunk<qkwincfgcombpkg>},
    {"REGION", QKWIN_PKG_REGION, thunk<qkwincfgregnpkg>},
    {"TREEVIEW", QKWIN_PKG_TREEVIEW, thunk<qkwincfgtreeviewpkg>},
    {"DATEPICK", QKWIN_PKG_DATEPICK, thunk<qkwincfgdatepickpkg>},
    // Registered so that its records are recognised; it declares nothing yet.
    {"TIMEPICK", 0, nullptr},
    {"TRAY", QKWIN_PKG_TRAY, thunk<qkwincfgtraypkg>},
    {"TAB", QKWIN_PKG_TAB, thunk<qkwincfgtabpkg>},
    {"SIZETAB", QKWIN_PKG_SIZETAB, thunk<qkwincfgtabsizepkg>},
    {"SUBTAB", QKWIN_PKG_SUBTAB, thunk<qkwincfgsubtabpkg>},
    {"HDR", QKWIN_PKG_HDR, thunk<qkwincfghdrpkg>},
    {"SUBHDR", QKWIN_PKG_SUBHDR, thunk<qkwincfgsubhdrpkg>},
    {"STATBAR", QKWIN_PKG_STATBAR, thunk<qkwincfgsbarpkg>},
    {"SUBSTATBAR", QKWIN_PKG_SUBSTATBAR, thunk<qkwincfgsubsbarpkg>},
    {"DIALOG", QKWIN_PKG_DIALOG, thunk<qkwincfgdlgpkg>},
    {"MSGBOX", QKWIN_PKG_MSGBOX, thunk<qkwincfgmsgboxpkg>},
    {"HELP", QKWIN_PKG_HELP, thunk<qkwincfghelppkg>},
    {"RESOURCEFILE", QKWIN_PKG_RESOURCEFILE, thunk<qkwincfgresfilepkg>},
    {"INCLUDEFILE", QKWIN_PKG_INCLUDEFILE, thunk<qkwincfgincfilepkg>},
    {"PLOT", QKWIN_PKG_PLOT, thunk<qkwincfgplotpkg>},
    {"PAGE", QKWIN_PKG_PAGE, thunk<qkwincfgpagepkg>},
    {"SUBPAGE", QKWIN_PKG_SUBPAGE, thunk<qkwincfgsubpagepkg>},
    {"CHILD", QKWIN_PKG_CHILD, thunk<qkwincfgchildpkg>},
    {"PROCESS", QKWIN_PKG_PROCESS, thunk<qkwincfgprocpkg>},
    {"ACTION", QKWIN_PKG_ACTION, thunk<qkwincfgactionpkg>},
    {"EXTDATA", QKWIN_PKG_EXTDATA, thunk<qkwincfgexdatapkg>},
    {"VALUE", QKWIN_PKG_VALUE, thunk<qkwincfgvaluepkg>},
    {"USERDEFINITION", QKWIN_PKG_USERDEFINITION, thunk<qkwincfgudefpkg>},
};
const int gqk_wincfgpkgdefcnt = static_cast<int>(sizeof gqk_wincfgpkgdefs / sizeof gqk_wincfgpkgdefs[0]);

int qkwincfgpkgtype(const char* name)
{
    qklogTrace("qkwincfgpkgtype");
    if (name == nullptr) return 0;
    for (int i = 0; i < gqk_wincfgpkgdefcnt; ++i)
        if (std::strcmp(gqk_wincfgpkgdefs[i].name, name) == 0) return gqk_wincfgpkgdefs[i].type;
    return 0;
}

int qkwincfgpkgat(const qkwinInfo* window, int k)
{
    qklogTrace("qkwincfgpkgat");
    if (window == nullptr || k < 0) return -1;
    int lvl = window->cpkg.pkgNdx - k;
    if (lvl < 0 || lvl >= QKWIN_PKGSTACK) return -1;
    return window->cpkg.pkgTyp[lvl];
}

bool qkwincfgpkgis(const qkwinInfo* window, int k, int type)
{
    qklogTrace("qkwincfgpkgis");
    return qkwincfgpkgat(window, k) == type && recognised(window, k);
}

// ---- opening and closing ------------------------------------------------------

int qkwincfgpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgpkg");
    if (window == nullptr || window->cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* r = window->cfgPtr;
    if (r->ndx < 0 || r->ndx >= r->numArgs || r->argsPtr == nullptr) return 0;
    // The tag opens a package when the name is registered as one, even if a
    // key of another type with the same name matched first.
    int k = r->argsPtr[r->ndx].type == QKCFG_PACKAGE ? r->ndx : qkcfgfindpkg(r, r->argsPtr[r->ndx].name);
    if (k < 0) return 0;
    const qkcfgsrvArgInfo& arg = r->argsPtr[k];
    qkcfgpkgInfo& cpkg = window->cpkg;
    for (int i = 0; i < cpkg.pkgCnt && i < QKWIN_PKGSTACK; ++i) {
        if (cpkg.pkgFunc[i].add == nullptr || std::strcmp(cpkg.pkgFunc[i].name, arg.name) != 0) continue;
        cpkg.pkgFunc[i].add(window);
        if (window->audit & QKWINCFG_AUD_TRACE)
            qklogf("qkwincfgpkg", "package index: %d type: %d, name: %s", cpkg.pkgNdx, qkwincfgpkgat(window, 0), arg.name);
        break;
    }
    return 0;
}

// A closing tag closes the innermost open package of its type, and with it
// any package inside that was left unterminated. A package that opened no
// level (one refused outside MAINWINDOW, a name without handler) closes
// nothing, so the packages around it keep their levels.
int qkwincfgpkgend(qkwinInfo* window)
{
    qklogTrace("qkwincfgpkgend");
    if (window == nullptr || window->cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* r = window->cfgPtr;
    qkcfgpkgInfo& cpkg = window->cpkg;
    if (window->audit & QKWINCFG_AUD_RECORD) qklogf("qkwincfgpkgend", "ndx: %d, name: %s", cpkg.pkgNdx, r->ename);
    if (qkcfgpkgclose(r) < 0) return 0;
    int type = qkwincfgpkgtype(r->ename + 1);
    if (type == 0) return 0;
    int lvl = cpkg.pkgNdx < QKWIN_PKGSTACK ? cpkg.pkgNdx : QKWIN_PKGSTACK - 1;
    while (lvl >= 1 && cpkg.pkgTyp[lvl] != type) --lvl;
    if (lvl < 1) return 0;
    while (cpkg.pkgNdx >= lvl) qkcfgstackpop(cpkg.pkgTyp, &cpkg.pkgNdx, 0);
    if (window->audit & QKWINCFG_AUD_TRACE) qklogf("qkwincfgpkgend", "package index: %d, name: %s", cpkg.pkgNdx, r->ename);
    return 0;
}

// ---- the handlers -------------------------------------------------------------------

int qkwincfgmainpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgmainpkg");
    push(window, QKWIN_PKG_MAINWINDOW);
    window->cpkg.pkgPtr = window;
    return 0;
}

int qkwincfgoptspkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgoptspkg");
    push(window, QKWIN_PKG_OPTIONS);
    window->cpkg.pkgPtr = window;
    return 0;
}

int qkwincfgbordpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgbordpkg");
    push(window, QKWIN_PKG_BORDER);
    if (qkwincfgpkgis(window, 1, QKWIN_PKG_REGION)) window->cpkg.pkgPtr = &window->regn;
    return 0;
}

int qkwincfgcolorpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgcolorpkg");
    push(window, QKWIN_PKG_COLOR);
    if (parent(window) == QKWIN_PKG_MAINWINDOW) window->cpkg.pkgPtr = &window->color;
    else if (qkwincfgpkgis(window, 1, QKWIN_PKG_STATIC)) window->cpkg.pkgPtr = &window->stat;
    return 0;
}

int qkwincfgbgcolorpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgbgcolorpkg");
    push(window, QKWIN_PKG_BACKGROUND);
    return 0;
}

int qkwincfgfgcolorpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgfgcolorpkg");
    push(window, QKWIN_PKG_FORGROUND);
    return 0;
}

int qkwincfgedcolorpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgedcolorpkg");
    push(window, QKWIN_PKG_EDGE);
    return 0;
}

int qkwincfgtxcolorpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgtxcolorpkg");
    push(window, QKWIN_PKG_TEXT);
    return 0;
}

int qkwincfgiconpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgiconpkg");
    push(window, QKWIN_PKG_ICON);
    if (parent(window) == QKWIN_PKG_MAINWINDOW) window->cpkg.pkgPtr = &window->icon;
    else if (qkwincfgpkgis(window, 1, QKWIN_PKG_BUTTON)) window->cpkg.pkgPtr = &window->btn;
    else if (qkwincfgpkgis(window, 1, QKWIN_PKG_SUBTAB)) window->cpkg.pkgPtr = &window->tab;
    else if (qkwincfgpkgis(window, 1, QKWIN_PKG_TRAY)) window->cpkg.pkgPtr = &window->tray;
    return 0;
}

int qkwincfgimagepkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgimagepkg");
    push(window, QKWIN_PKG_IMAGE);
    if (parent(window) == QKWIN_PKG_MAINWINDOW) window->cpkg.pkgPtr = &window->image;
    else if (qkwincfgpkgis(window, 1, QKWIN_PKG_SUBTAB)) window->cpkg.pkgPtr = &window->tab;
    return 0;
}

int qkwincfgfontpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgfontpkg");
    return widget(window, QKWIN_PKG_FONT, qkwinfontregister, &window->font);
}

int qkwincfgmenupkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgmenupkg");
    widget(window, QKWIN_PKG_MENU, qkwinmenuregister, &window->menu);
    gqk_wincfgelem.mndx = window->menu.cnt - 1;
    return 0;
}

int qkwincfgsubmenupkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgsubmenupkg");
    push(window, QKWIN_PKG_SUBMENU);
    if (qkwincfgpkgis(window, 1, QKWIN_PKG_MENU) && qkwinsubmenuregister(window) == 0) {
        window->cpkg.pkgPtr = &window->menu;
        gqk_wincfgelem.smndx = window->menu.idPtr[window->menu.cnt - 1].subCnt - 1;
    }
    return 0;
}

int qkwincfgbtnpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgbtnpkg");
    return widget(window, QKWIN_PKG_BUTTON, qkwinbuttonregister, &window->btn);
}

int qkwincfgstatpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgstatpkg");
    return widget(window, QKWIN_PKG_STATIC, qkwinstaticregister, &window->stat);
}

int qkwincfgeditpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgeditpkg");
    return widget(window, QKWIN_PKG_EDIT, qkwineditregister, &window->edit);
}

int qkwincfglistpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfglistpkg");
    return widget(window, QKWIN_PKG_LIST, qkwinlistregister, &window->list);
}

int qkwincfgcombpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgcombpkg");
    return widget(window, QKWIN_PKG_COMBO, qkwincomboregister, &window->comb);
}

int qkwincfgregnpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgregnpkg");
    if (qkwincfgpkgat(window, 0) != QKWIN_PKG_MAINWINDOW) return 0;
    return widget(window, QKWIN_PKG_REGION, qkwinregionregister, &window->regn);
}

int qkwincfgtreeviewpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgtreeviewpkg");
    return widget(window, QKWIN_PKG_TREEVIEW, qkwinregisterTrVw, &window->tv);
}

int qkwincfgdatepickpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgdatepickpkg");
    return widget(window, QKWIN_PKG_DATEPICK, qkwindatepickregister, &window->datepick);
}

int qkwincfgtraypkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgtraypkg");
    return widget(window, QKWIN_PKG_TRAY, qkwintraycreate, &window->tray);
}

int qkwincfgtabpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgtabpkg");
    return widget(window, QKWIN_PKG_TAB, qkwintabregister, &window->tab);
}

int qkwincfgtabsizepkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgtabsizepkg");
    push(window, QKWIN_PKG_SIZETAB);
    if (qkwincfgpkgis(window, 1, QKWIN_PKG_TAB)) window->cpkg.pkgPtr = &window->tab;
    return 0;
}

int qkwincfgsubtabpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgsubtabpkg");
    push(window, QKWIN_PKG_SUBTAB);
    if (qkwincfgpkgis(window, 1, QKWIN_PKG_TAB) && qkwinsubtabregister(window) == 0) window->cpkg.pkgPtr = &window->tab;
    return 0;
}

int qkwincfghdrpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfghdrpkg");
    return widget(window, QKWIN_PKG_HDR, qkwinhdrregister, &window->hdr);
}

int qkwincfgsubhdrpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgsubhdrpkg");
    push(window, QKWIN_PKG_SUBHDR);
    if (qkwincfgpkgis(window, 1, QKWIN_PKG_HDR) && qkwinsubhdrregister(window) == 0) window->cpkg.pkgPtr = &window->hdr;
    return 0;
}

int qkwincfgsbarpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgsbarpkg");
    push(window, QKWIN_PKG_STATBAR);
    if (parent(window) == QKWIN_PKG_MAINWINDOW) {
        window->sbarPtr = &window->sbar;
        window->sbar.numParts = 0;
        window->sbar.ndx = -1;
        // Like every widget record: no colour chosen until a NAME picks one.
        qkwincolorsetdefault(&window->sbar.color);
        window->cpkg.pkgPtr = &window->sbar;
    }
    return 0;
}

// A status bar holds 16 parts; a further SUBSTATBAR opens its level but is
// left out, and its elements change nothing (ndx stands past the last part).
int qkwincfgsubsbarpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgsubsbarpkg");
    push(window, QKWIN_PKG_SUBSTATBAR);
    if (!qkwincfgpkgis(window, 1, QKWIN_PKG_STATBAR)) return 0;
    qkwinstatbarInfo& sbar = window->sbar;
    window->cpkg.pkgPtr = &sbar;
    if (sbar.numParts >= QKWIN_MAXSBARPARTS || sbar.numParts < 0) {
        sbar.ndx = QKWIN_MAXSBARPARTS;
        qklogf("qkwincfgsubsbarpkg", "status bar parts: %d, part left out", QKWIN_MAXSBARPARTS);
        return 0;
    }
    sbar.ndx = sbar.numParts;
    sbar.numParts++;
    std::memset(&sbar.parts[sbar.ndx], 0, sizeof sbar.parts[sbar.ndx]);
    return 0;
}

int qkwincfgdlgpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgdlgpkg");
    return widget(window, QKWIN_PKG_DIALOG, qkwindlgregister, &window->dlg);
}

int qkwincfgmsgboxpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgmsgboxpkg");
    return widget(window, QKWIN_PKG_MSGBOX, qkwinmmsgregister, &window->mmsg);
}

int qkwincfghelppkg(qkwinInfo* window)
{
    qklogTrace("qkwincfghelppkg");
    push(window, QKWIN_PKG_HELP);
    if (parent(window) == QKWIN_PKG_MAINWINDOW) window->cpkg.pkgPtr = &window->help;
    return 0;
}

int qkwincfgresfilepkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgresfilepkg");
    push(window, QKWIN_PKG_RESOURCEFILE);
    return 0;
}

int qkwincfgincfilepkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgincfilepkg");
    push(window, QKWIN_PKG_INCLUDEFILE);
    return 0;
}

int qkwincfgplotpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgplotpkg");
    return pathpkg(window, QKWIN_PKG_PLOT);
}

int qkwincfgpagepkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgpagepkg");
    return widget(window, QKWIN_PKG_PAGE, qkwinpageregister, &window->page);
}

int qkwincfgsubpagepkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgsubpagepkg");
    push(window, QKWIN_PKG_SUBPAGE);
    if (qkwincfgpkgis(window, 1, QKWIN_PKG_PAGE) && qkwinsubpageregister(window) == 0)
        window->cpkg.pkgPtr = &window->page;
    return 0;
}

int qkwincfgchildpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgchildpkg");
    return pathpkg(window, QKWIN_PKG_CHILD);
}

int qkwincfgprocpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgprocpkg");
    return pathpkg(window, QKWIN_PKG_PROCESS);
}

int qkwincfgactionpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgactionpkg");
    if (qkwincfgpkgat(window, 0) == QKWIN_PKG_MAINWINDOW) push(window, QKWIN_PKG_ACTION);
    return 0;
}

int qkwincfgexdatapkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgexdatapkg");
    return pathpkg(window, QKWIN_PKG_EXTDATA);
}

int qkwincfgvaluepkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgvaluepkg");
    push(window, QKWIN_PKG_VALUE);
    return 0;
}

int qkwincfgudefpkg(qkwinInfo* window)
{
    qklogTrace("qkwincfgudefpkg");
    push(window, QKWIN_PKG_USERDEFINITION);
    return 0;
}
