// qkplotpkgsrv: the vocabulary of plot definition files and the package
// handlers (see the header).
#include "qkplotpkgsrv.h"

#include <cstring>

#include "qkplotelmsrv.h"

namespace {

// Pushes type; a full stack pushes nothing.
int push(qkplotInfo* p, int type)
{
    if (p == nullptr) return -2;
    qkcfgstackpush(p->cpkg.pkgTyp, &p->cpkg.pkgNdx, QKWIN_PKGSTACK, type);
    return 0;
}

}  // namespace

const qkplotvocabdef gqk_plotpkgdefs[] = {
    {"PLOT", QKCFG_PACKAGE, QKPLOT_PKG_PLOT, qkplotthunk<qkplotpkgplot>},
    {"CLASS", QKCFG_PACKAGE, QKPLOT_PKG_CLASS, qkplotthunk<qkplotpkgclass>},
    {"SIZE", QKCFG_PACKAGE, QKPLOT_PKG_SIZE, qkplotthunk<qkplotpkgsize>},
    {"GRID", QKCFG_PACKAGE, QKPLOT_PKG_GRID, qkplotthunk<qkplotpkggrid>},
    {"AXIS", QKCFG_PACKAGE, QKPLOT_PKG_AXIS, qkplotthunk<qkplotpkgaxis>},
    {"COLOR", QKCFG_PACKAGE, QKPLOT_PKG_COLOR, qkplotthunk<qkplotpkgcolor>},
    {"BACKGROUND", QKCFG_PACKAGE, QKPLOT_PKG_BACKGROUND, qkplotthunk<qkplotpkgbackground>},
    {"FORGROUND", QKCFG_PACKAGE, QKPLOT_PKG_FORGROUND, qkplotthunk<qkplotpkgforground>},
    {"EDGE", QKCFG_PACKAGE, QKPLOT_PKG_EDGE, qkplotthunk<qkplotpkgedge>},
    {"TEXT", QKCFG_PACKAGE, QKPLOT_PKG_TEXT, qkplotthunk<qkplotpkgtext>},
    {"MARGIN", QKCFG_PACKAGE, QKPLOT_PKG_MARGIN, qkplotthunk<qkplotpkgmargin>},
    {"SCALE", QKCFG_PACKAGE, QKPLOT_PKG_SCALE, qkplotthunk<qkplotpkgscale>},
    {"MAJOR", QKCFG_PACKAGE, QKPLOT_PKG_MAJOR, qkplotthunk<qkplotpkgmajor>},
    {"MINOR", QKCFG_PACKAGE, QKPLOT_PKG_MINOR, qkplotthunk<qkplotpkgminor>},
    {"PEN", QKCFG_PACKAGE, QKPLOT_PKG_PEN, qkplotthunk<qkplotpkgpen>},
    {"COMMENT", QKCFG_PACKAGE, QKPLOT_PKG_COMMENT, qkplotthunk<qkplotpkgcomment>},
    {"BORDER", QKCFG_PACKAGE, QKPLOT_PKG_BORDER, qkplotthunk<qkplotpkgborder>},
    {"RESOURCEFILE", QKCFG_PACKAGE, QKPLOT_PKG_RESOURCEFILE, qkplotthunk<qkplotpkgresfile>},
    {"INCLUDEFILE", QKCFG_PACKAGE, QKPLOT_PKG_INCLUDEFILE, qkplotthunk<qkplotpkgincfile>},
    // Registered a second time: they take two more places in the list, the
    // first registration is the one a record matches.
    {"RESOURCEFILE", QKCFG_PACKAGE, QKPLOT_PKG_RESOURCEFILE, qkplotthunk<qkplotpkgresfile>},
    {"INCLUDEFILE", QKCFG_PACKAGE, QKPLOT_PKG_INCLUDEFILE, qkplotthunk<qkplotpkgincfile>},
    {"USERDEFINITION", QKCFG_PACKAGE, QKPLOT_PKG_USERDEFINITION, qkplotthunk<qkplotpkgudef>},
};
const int gqk_plotpkgdefcnt = sizeof gqk_plotpkgdefs / sizeof gqk_plotpkgdefs[0];

const qkplotvocabdef gqk_plotelmdefs[] = {
    {"XORIG", QKCFG_SHORT, 0, qkplotthunk<qkplotelmxorig>},
    {"YORIG", QKCFG_SHORT, 0, qkplotthunk<qkplotelmyorig>},
    {"WIDTH", QKCFG_SHORT, 0, qkplotthunk<qkplotelmwidth>},
    {"HEIGHT", QKCFG_SHORT, 0, qkplotthunk<qkplotelmheight>},
    {"RGB", QKCFG_LONG, 0, qkplotthunk<qkplotelmrgb>},
    {"INCREMENT", QKCFG_SHORT, 0, qkplotthunk<qkplotelmincrement>},
    {"TOP", QKCFG_SHORT, 0, qkplotthunk<qkplotelmtop>},
    {"BOTTOM", QKCFG_SHORT, 0, qkplotthunk<qkplotelmbottom>},
    {"LEFT", QKCFG_SHORT, 0, qkplotthunk<qkplotelmleft>},
    {"RIGHT", QKCFG_SHORT, 0, qkplotthunk<qkplotelmright>},
    {"STYLE", QKCFG_STRING, 0, qkplotthunk<qkplotelmstyle>},
    {"TYPE", QKCFG_STRING, 0, qkplotthunk<qkplotelmtype>},
    {"LENGTH", QKCFG_SHORT, 0, qkplotthunk<qkplotelmlength>},
    {"NAME", QKCFG_STRING, 0, qkplotthunk<qkplotelmname>},
    {"STRING", QKCFG_STRING, 0, qkplotthunk<qkplotelmstring>},
    {"FONTID", QKCFG_SHORT, 0, qkplotthunk<qkplotelmfontid>},
    {"ID", QKCFG_SHORT, 0, qkplotthunk<qkplotelmid>},
    {"ADJUST", QKCFG_SHORT, 0, qkplotthunk<qkplotelmadjust>},
};
const int gqk_plotelmdefcnt = sizeof gqk_plotelmdefs / sizeof gqk_plotelmdefs[0];

int qkplotpkgat(const qkplotInfo* plot, int k)
{
    qklogTrace("qkplotpkgat");
    if (plot == nullptr || k < 0) return -1;
    int level = plot->cpkg.pkgNdx - k;
    if (level < 1 || level >= QKWIN_PKGSTACK) return -1;
    return plot->cpkg.pkgTyp[level];
}

int qkplotcfgpkg(qkplotInfo* plot)
{
    qklogTrace("qkplotcfgpkg");
    if (plot == nullptr || plot->cfgPtr == nullptr) return -2;
    const qkcfgsrvInfo* r = plot->cfgPtr;
    if (r->state != 1 || r->ndx < 0 || r->ndx >= r->numArgs || r->argsPtr == nullptr) return 0;
    const char* name = r->argsPtr[r->ndx].name;
    for (int i = 0; i < plot->cpkg.pkgCnt && i < QKWIN_PKGSTACK; ++i) {
        const qkcfgfuncInfo& f = plot->cpkg.pkgFunc[i];
        if (f.add != nullptr && std::strcmp(f.name, name) == 0) return f.add(plot);
    }
    return 0;
}

int qkplotcfgpkgend(qkplotInfo* plot)
{
    qklogTrace("qkplotcfgpkgend");
    if (plot == nullptr || plot->cfgPtr == nullptr) return -2;
    if (qkcfgpkgclose(plot->cfgPtr) < 0) return 0;
    int type = qkplotpkgat(plot, 0);
    qkcfgstackpop(plot->cpkg.pkgTyp, &plot->cpkg.pkgNdx, 0);
    if (plot->cfgPtr->audit & QKPLOT_CFGAUD_PKGEND)
        qklogf("qkplotcfgpkgend", "package index: %d type: %d", plot->cpkg.pkgNdx, type);
    return 0;
}

int qkplotpkgplot(qkplotInfo* plot)
{
    qklogTrace("qkplotpkgplot");
    push(plot, QKPLOT_PKG_PLOT);
    qkplotsetndx(plot);
    return qkplotallocate(plot);
}

int qkplotpkgaxis(qkplotInfo* plot)
{
    qklogTrace("qkplotpkgaxis");
    push(plot, QKPLOT_PKG_AXIS);
    return qkplotaxisallocate(plot);
}

int qkplotpkgcomment(qkplotInfo* plot)
{
    qklogTrace("qkplotpkgcomment");
    push(plot, QKPLOT_PKG_COMMENT);
    return qkplotcommentallocate(plot);
}

int qkplotpkgclass(qkplotInfo* plot) { qklogTrace("qkplotpkgclass"); return push(plot, QKPLOT_PKG_CLASS); }
int qkplotpkgsize(qkplotInfo* plot) { qklogTrace("qkplotpkgsize"); return push(plot, QKPLOT_PKG_SIZE); }
int qkplotpkggrid(qkplotInfo* plot) { qklogTrace("qkplotpkggrid"); return push(plot, QKPLOT_PKG_GRID); }
int qkplotpkgcolor(qkplotInfo* plot) { qklogTrace("qkplotpkgcolor"); return push(plot, QKPLOT_PKG_COLOR); }
int qkplotpkgbackground(qkplotInfo* plot) { qklogTrace("qkplotpkgbackground"); return push(plot, QKPLOT_PKG_BACKGROUND); }
int qkplotpkgforground(qkplotInfo* plot) { qklogTrace("qkplotpkgforground"); return push(plot, QKPLOT_PKG_FORGROUND); }
int qkplotpkgedge(qkplotInfo* plot) { qklogTrace("qkplotpkgedge"); return push(plot, QKPLOT_PKG_EDGE); }
int qkplotpkgtext(qkplotInfo* plot) { qklogTrace("qkplotpkgtext"); return push(plot, QKPLOT_PKG_TEXT); }
int qkplotpkgmargin(qkplotInfo* plot) { qklogTrace("qkplotpkgmargin"); return push(plot, QKPLOT_PKG_MARGIN); }
int qkplotpkgscale(qkplotInfo* plot) { qklogTrace("qkplotpkgscale"); return push(plot, QKPLOT_PKG_SCALE); }
int qkplotpkgmajor(qkplotInfo* plot) { qklogTrace("qkplotpkgmajor"); return push(plot, QKPLOT_PKG_MAJOR); }
int qkplotpkgminor(qkplotInfo* plot) { qklogTrace("qkplotpkgminor"); return push(plot, QKPLOT_PKG_MINOR); }
int qkplotpkgpen(qkplotInfo* plot) { qklogTrace("qkplotpkgpen"); return push(plot, QKPLOT_PKG_PEN); }
int qkplotpkgborder(qkplotInfo* plot) { qklogTrace("qkplotpkgborder"); return push(plot, QKPLOT_PKG_BORDER); }
int qkplotpkgresfile(qkplotInfo* plot) { qklogTrace("qkplotpkgresfile"); return push(plot, QKPLOT_PKG_RESOURCEFILE); }
int qkplotpkgincfile(qkplotInfo* plot) { qklogTrace("qkplotpkgincfile"); return push(plot, QKPLOT_PKG_INCLUDEFILE); }
int qkplotpkgudef(qkplotInfo* plot) { qklogTrace("qkplotpkgudef"); return push(plot, QKPLOT_PKG_USERDEFINITION); }
