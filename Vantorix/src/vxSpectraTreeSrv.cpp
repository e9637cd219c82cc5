// vxSpectraTreeSrv: the curve tree and the FC10 list of the spectra page.
#include "vxSpectraTreeSrv.h"

#include <cstring>

#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswinlist.h"
#include "qksyswintreeview.h"
#include "qkwintreeview.h"

namespace {

constexpr int kTree = 1430;
constexpr int kList = 1444;
constexpr int kTreeCapacity = 100;
constexpr int kTreeFont = 318;
constexpr int kListExtent = 7168;
constexpr int kFieldWidth = 22;
constexpr int kTrendCnt = 10;
constexpr int kRowSize = 1024;

// The three plots of a profile with their curve counts, bounded by the record.
struct PlotRef {
    const char* group;
    vxSpectraParamInfo* curves;
    int cnt;
};

int bounded(int cnt, int max) { return cnt < 0 ? 0 : cnt > max ? max : cnt; }

void plotsOf(vxSpectraAppInfo* p, PlotRef (&out)[3])
{
    out[0] = {"plot A", p->plotA, bounded(p->plotAcnt, VX_MAXCURVES)};
    out[1] = {"plot B", p->plotB, bounded(p->plotBcnt, VX_MAXCURVES)};
    out[2] = {"plot C", p->plotC, bounded(p->plotCcnt, VX_MAXCURVES)};
}

vxSpectraAppInfo* profileOf(vxInfo* app)
{
    switch (app->anaDetails.version.appType) {
    case VX_APP_PP2F: return &app->spData.f2;
    case VX_APP_NS: return &app->spData.ns;
    case VX_APP_FS: return &app->spData.fs;
    default: return nullptr;
    }
}

// A curve's check box exists once the tree has been built for the profile in
// use; the root (position 0) is never a curve.
bool treeReady(vxInfo* app)
{
    return app->winPtr != nullptr && app->spData.appPtr != nullptr && app->spData.tvBuildFlag == 1;
}

int setBox(vxInfo* app, const vxSpectraParamInfo& c)
{
    if (c.tvNdx <= 0) return -2;
    return qksyswinTrVwSetChkBoxByID(app->winPtr, kTree, c.tvNdx, c.state == 1 ? 1 : 0);
}

// The open data-capture file gets the row as one line ended by CR LF.
void captureRow(vxInfo* app, const char* row)
{
    FILE* fdp = app->dataFile.fdp;
    if (fdp == nullptr) return;
    char line[kRowSize + 2];
    const int length = qkstrfmt(line, sizeof line, "%s\r\n", row);
    const int size = length < static_cast<int>(sizeof line) ? length : static_cast<int>(sizeof line) - 1;
    qkfilewrrec(fdp, size, line);
}

void trim(char* text)
{
    size_t len = std::strlen(text);
    while (len > 0 && text[len - 1] == ' ') text[--len] = '\0';
    size_t lead = 0;
    while (text[lead] == ' ') ++lead;
    if (lead > 0) std::memmove(text, text + lead, len - lead + 1);
}

// How one application lays out its header.
struct HeaderLayout {
    const unsigned char* data;
    int limit;        // bytes of the header that came in
    bool swap;        // fields go through the byte-order conversion
    int dateNdx;      // FC10 indexes, -1 when the application has none
    int timeNdx;
    int trendNdx;
    int fitNdx;
};

bool layoutOf(vxInfo* app, HeaderLayout& h)
{
    vxAnalyzereDataInfo& dp = app->dpRequest;
    const int slot = dp.scanNdx.load();
    if (slot < 0 || slot >= VX_SCANSLOTS) return false;
    int count = 0;
    switch (app->anaDetails.version.appType) {
    case VX_APP_PP2F:
        // The 2F analyzer sends its header in the computer's order; only the
        // emulator sends it most significant byte first.
        h = {dp.f2.diagData[slot].hdata, 0, app->anaDetails.emuFlag == 1, -1, -1, 6, -1};
        count = dp.f2.hdrByteCnt;
        break;
    case VX_APP_NS:
        h = {dp.ns.diagData[slot].hdata, 0, true, 0, 1, 2, 7};
        count = dp.ns.hdrByteCnt;
        break;
    case VX_APP_FS:
        h = {dp.fs.diagData[slot].hdata, 0, true, 0, 1, 2, -1};
        count = dp.fs.hdrByteCnt;
        break;
    default: return false;
    }
    h.limit = count < 0 ? 0 : count > VX_HDRBYTES ? VX_HDRBYTES : count;
    return true;
}

void addTrend(vxSpectrPlotsInfo& plots, float value)
{
    int& n = plots.conPlotDataNdx;
    if (n < 0) n = 0;
    if (n < kTrendCnt) {
        plots.conPlotData[n++] = value;
        return;
    }
    n = kTrendCnt;
    std::memmove(plots.conPlotData, plots.conPlotData + 1, (kTrendCnt - 1) * sizeof(float));
    plots.conPlotData[kTrendCnt - 1] = value;
}

// Decodes FC10 parameter i at pos into text. Returns the bytes it takes, 0
// for a type that takes none, -1 when the field lies past the received bytes.
int decodeField(vxInfo* app, const HeaderLayout& h, int i, int type, int pos, char* text, size_t size)
{
    const int width = type == VX_FC10_INT16 || type == VX_FC10_UINT16 ? 2
                      : type >= VX_FC10_INT32 && type <= VX_FC10_FLOAT32 ? 4
                                                                          : 0;
    if (width == 0) return 0;
    if (pos + width > h.limit) return -1;
    const unsigned char* at = h.data + pos;
    if (width == 2) {
        int16_t v;
        std::memcpy(&v, at, sizeof v);
        if (h.swap) v = qksysShtIntEndian(v);
        if (type == VX_FC10_INT16)
            qkstrfmt(text, size, "%5.5d", static_cast<int>(v));
        else
            qkstrfmt(text, size, "%5.5u", static_cast<unsigned>(static_cast<uint16_t>(v)));
        return 2;
    }
    if (type == VX_FC10_FLOAT32) {
        float v;
        // The conversion hands back its own copy: take it at once.
        std::memcpy(&v, h.swap ? qksysFltEndian(at) : at, sizeof v);
        qkstrfmt(text, size, "%12.4f", static_cast<double>(v));
        if (i == h.trendNdx) addTrend(app->spData.plots, v);
        if (i == h.fitNdx) app->dpRequest.ns.fitRation = v;
        return 4;
    }
    int32_t v;
    std::memcpy(&v, at, sizeof v);
    if (h.swap) v = qksysLngIntEndian(v);
    if (i == h.dateNdx)
        qkstrfmt(text, size, "%4.4d/%2.2d/%2.2d", v / 10000, v / 100 % 100, v % 100);
    else if (i == h.timeNdx)
        qkstrfmt(text, size, "%2.2d:%2.2d:%2.2d", v / 10000, v / 100 % 100, v % 100);
    else
        qkstrfmt(text, size, "%10.10d", v);
    return 4;
}

}  // namespace

// ---- the curve tree ----------------------------------------------------------------

int vxSpectraPageBuildTreeView(vxInfo* app)
{
    qklogTrace("vxSpectraPageBuildTreeView");
    if (app == nullptr) return -2;
    vxSpectraPageInfo& sp = app->spData;
    if (sp.tvBuildFlag == 1) return 0;
    qkwinInfo* win = app->winPtr;
    if (win == nullptr || qkwingetTrVwNdxbyID(win, kTree) < 0) return -2;
    vxSpectraAppInfo* profile = profileOf(app);
    if (profile == nullptr) return -2;
    sp.appPtr = profile;

    qkwinTrWvCheckByID(win, kTree);
    if (qkwinCreateTrVw(win, kTree, QKWIN_TRVW_CHECKBOXES) != 0) return -2;
    if (qkwinTrVwIDInfo* rec = qkwingetTrVwbyID(win, kTree)) {
        qkwinSetTrVwSize(win, kTree, rec->xorig, rec->yorig, rec->xsize, rec->ysize);
        qksyswinSetTrVwColor(win, kTree, rec->color.bg.rgb, rec->color.text.rgb);
    }
    qksyswinSetTrVwFont(win, kTree, kTreeFont);
    qkwinSetTrVwMaxCnt(win, kTree, kTreeCapacity);

    // Positions count the items in the order they are added; the curves keep
    // theirs, the items without a check box are listed in tvImageNdx.
    int position = 0;
    sp.tvImageCnt = 0;
    auto noBox = [&sp](int at) {
        if (sp.tvImageCnt < static_cast<int>(sizeof sp.tvImageNdx / sizeof sp.tvImageNdx[0]))
            sp.tvImageNdx[sp.tvImageCnt++] = at;
    };
    qkwinInitTrVw(win, kTree, "Spectra");
    noBox(position++);
    PlotRef plots[3];
    plotsOf(profile, plots);
    for (const PlotRef& plot : plots) {
        // A group hangs from the root (tree index 1); each curve is a node
        // under it (index 2) with its colour name under the curve (index 3).
        qkwinSetTrVwPrtndx(win, kTree, 0);
        qkwinAddTrVwIndex(win, kTree, plot.group);
        noBox(position++);
        for (int c = 0; c < plot.cnt; ++c) {
            qkwinSetTrVwPrtndx(win, kTree, 1);
            qkwinAddTrVwIndex(win, kTree, plot.curves[c].name);
            plot.curves[c].tvNdx = position++;
            qkwinAddTrVwItem(win, kTree, plot.curves[c].color);
            noBox(position++);
        }
    }
    qksyswintvdsp(win, kTree, 1);
    qksyswinTrVwExpandAll(win, kTree);   // every curve and its check box in sight
    sp.state.store(1);
    sp.tvBuildFlag = 1;
    return 0;
}

int vxSpectraPageSetTreeViewImages(vxInfo* app)
{
    qklogTrace("vxSpectraPageSetTreeViewImages");
    if (app == nullptr || !treeReady(app)) return -2;
    vxSpectraPageInfo& sp = app->spData;
    const int cnt = bounded(sp.tvImageCnt, static_cast<int>(sizeof sp.tvImageNdx / sizeof sp.tvImageNdx[0]));
    for (int i = 0; i < cnt; ++i) qksyswinsetTrVwState(app->winPtr, kTree, sp.tvImageNdx[i], 0);
    PlotRef plots[3];
    plotsOf(sp.appPtr, plots);
    for (const PlotRef& plot : plots)
        for (int c = 0; c < plot.cnt; ++c) {
            // The colour item follows its curve; a profile with more items
            // than tvImageNdx holds still shows no box on it.
            if (plot.curves[c].tvNdx > 0) qksyswinsetTrVwState(app->winPtr, kTree, plot.curves[c].tvNdx + 1, 0);
            setBox(app, plot.curves[c]);
        }
    return 0;
}

int vxSpectraPageGetTreeViewImages(vxInfo* app)
{
    qklogTrace("vxSpectraPageGetTreeViewImages");
    if (app == nullptr || !treeReady(app)) return -2;
    PlotRef plots[3];
    plotsOf(app->spData.appPtr, plots);
    for (const PlotRef& plot : plots)
        for (int c = 0; c < plot.cnt; ++c) {
            vxSpectraParamInfo& curve = plot.curves[c];
            if (curve.tvNdx <= 0) continue;
            const int ticked = qksyswinTrVwGetChkBoxByID(app->winPtr, kTree, curve.tvNdx);
            if (ticked >= 0) curve.state = ticked;
        }
    return 0;
}

int vxSpectraPageSetUserTreeView(vxInfo* app)
{
    qklogTrace("vxSpectraPageSetUserTreeView");
    if (app == nullptr || !treeReady(app)) return -2;
    PlotRef plots[3], saved[3];
    plotsOf(app->spData.appPtr, plots);
    plotsOf(&app->spData.user, saved);
    for (int p = 0; p < 3; ++p) {
        const int cnt = plots[p].cnt < saved[p].cnt ? plots[p].cnt : saved[p].cnt;
        for (int c = 0; c < cnt; ++c) {
            plots[p].curves[c].state = saved[p].curves[c].state;
            setBox(app, plots[p].curves[c]);
        }
    }
    return 0;
}

int vxSpectraPageSetH2OTreeView(vxInfo* app)
{
    qklogTrace("vxSpectraPageSetH2OTreeView");
    if (app == nullptr || app->spData.appPtr == nullptr) return -2;
    if (app->anaDetails.version.appType != VX_APP_PP2F) return 0;
    // The analyzer's type names the reference its spectra are compared with.
    static const char* const kReference[] = {"single", "dual", "CO2"};
    const int type = app->anaDetails.ID.type;
    if (type < 1 || type > 3) return 0;
    vxSpectraAppInfo* p = app->spData.appPtr;
    for (int c = 0; c < bounded(p->plotBcnt, VX_MAXCURVES); ++c) {
        char name[sizeof p->plotB[c].name + 1];
        qkstrset(name, p->plotB[c].name);
        if (std::strstr(name, kReference[type - 1]) != nullptr) {
            p->plotB[c].state = 1;
            break;
        }
    }
    return 0;
}

// ---- the FC10 list -----------------------------------------------------------------

int vxSpectraPageListField(char* row, size_t size, const char* text)
{
    qklogTrace("vxSpectraPageListField");
    if (row == nullptr || size == 0) return -2;
    char field[kRowSize];
    int len = qkstrfmt(field, sizeof field, "  %s", text != nullptr ? text : "");
    if (len >= static_cast<int>(sizeof field) - 1) len = static_cast<int>(sizeof field) - 2;
    while (len < kFieldWidth) field[len++] = ' ';
    field[len++] = '|';
    field[len] = '\0';
    qkstrlcat(row, size, field);
    return 0;
}

int vxSpectraPageListUpdate(vxInfo* app)
{
    qklogTrace("vxSpectraPageListUpdate");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    qkwinInfo* win = app->winPtr;
    int rows = qkwinlistgetcount(win, kList);
    if (rows < 0) return -2;
    if (app->spData.overlayFlag.load() != 1) {
        while (rows > 1 && qkwinlistdeleteitem(win, kList, --rows) == 0) {}
        return 0;
    }
    // Overlay mode keeps the last four scans under the header row.
    if (app->dpRequest.scanCnt.load() > 4)
        while (rows > 4 && qkwinlistdeleteitem(win, kList, 1) == 0) --rows;
    return 0;
}

int vxSpectraPageSetListHdr(vxInfo* app)
{
    qklogTrace("vxSpectraPageSetListHdr");
    if (app == nullptr || app->winPtr == nullptr || app->spData.appPtr == nullptr) return -2;
    qkwinInfo* win = app->winPtr;
    const vxSpectraAppInfo* p = app->spData.appPtr;
    qkwinlistsethscroll(win, kList, kListExtent);
    char row[kRowSize] = "";
    vxSpectraPageListField(row, sizeof row, "Scan");
    if (app->anaDetails.version.appType == VX_APP_PP2F) vxSpectraPageListField(row, sizeof row, "Date & Time");
    for (int i = 0; i < bounded(p->digHdrCnt, VX_MAXFC10); ++i) {
        char name[sizeof p->digHdr[i].name + 1];
        qkstrset(name, p->digHdr[i].name);
        vxSpectraPageListField(row, sizeof row, name);
    }
    qkwinlistclear(win, kList);
    qkwinlistadditem(win, kList, row);
    qksyswinlistsetndx(win, kList, 0);
    captureRow(app, row);
    return 0;
}

int vxSpectraPageListData(vxInfo* app)
{
    qklogTrace("vxSpectraPageListData");
    if (app == nullptr || app->spData.appPtr == nullptr) return -2;
    vxSpectraAppInfo* p = app->spData.appPtr;
    vxSpectraPageListUpdate(app);
    HeaderLayout h;
    if (!layoutOf(app, h)) return -2;

    char row[kRowSize] = "";
    char text[64];
    qkstrfmt(text, sizeof text, "%d", app->dpRequest.scanNdx.load() + 1);
    vxSpectraPageListField(row, sizeof row, text);
    if (app->anaDetails.version.appType == VX_APP_PP2F) {
        qksysTSInfo now{};
        qksysdatetime(&now);
        qkstrfmt(text, sizeof text, "%4.4d/%2.2d/%2.2d %2.2d:%2.2d:%2.2d", now.year, now.mon, now.day, now.hr,
                 now.min, now.sec);
        vxSpectraPageListField(row, sizeof row, text);
    }

    int pos = 0;
    for (int i = 0; i < bounded(p->digHdrCnt, VX_MAXFC10); ++i) {
        // A type without a width takes no bytes and repeats the field before;
        // a field past the received bytes stays empty.
        const int used = decodeField(app, h, i, p->digHdr[i].type, pos, text, sizeof text);
        if (used < 0) text[0] = '\0';
        if (used > 0) pos += used;
        trim(text);
        qkstrset(p->digHdr[i].value, text);
        vxSpectraPageListField(row, sizeof row, text);
    }

    if (app->winPtr != nullptr) {
        qkwinlistadditem(app->winPtr, kList, row);
        qksyswinlistsetndx(app->winPtr, kList, 0);
    }
    captureRow(app, row);
    return 0;
}
