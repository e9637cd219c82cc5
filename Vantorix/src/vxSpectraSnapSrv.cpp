// vxSpectraSnapSrv: the snapshot windows of the spectra plots (see the header).
#include "vxSpectraSnapSrv.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "qkdrawsurface.h"
#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkplotsrv.h"
#include "qkstrsrv.h"
#include "qksysplotsrv.h"
#include "qksyswinbutton.h"
#include "qksyswinfiledlg.h"
#include "qksyswinmsgbox.h"
#include "qksyswinsrv.h"
#include "qksyswinstatic.h"
#include "qkwincfgpathsrv.h"
#include "qkwinscale.h"
#include "qkwintext.h"
#include "vxInit.h"
#include "vxSpectraPageSrv.h"
#include "vxSpectraPlotSrv.h"
#include "vxWinSrv.h"

namespace {

constexpr int kClickEvent = 6;
constexpr int kCurvePoints = 512;
constexpr int kPointStatic = 1712;
constexpr int kValueStatic = 1716;
constexpr int kSaveImageStatic = 1718;
constexpr int kSaveDataStatic = 1720;
constexpr int kFc10Font = 318;
constexpr int kFc10LineStep = 30;
constexpr int kSaving = 5;
constexpr int kScanWaitSteps = 200;   // tenths of a second a snapshot waits for a running scan
constexpr int kOpenWaitTenths = 3;

struct SnapKind {
    int window;      // the snapshot window and the button that opens it
    int plotItem;    // the window's plot
    int pagePlot;    // the page plot it shows
    char letter;
    const char* image;
};
constexpr SnapKind kKinds[] = {
    {1467, 1472, 1460, 'A', "snapPlotA.bmp"},
    {1468, 1474, 1462, 'B', "snapPlotB.bmp"},
    {1469, 1476, 1464, 'C', "snapPlotC.bmp"},
};

const SnapKind* kindOf(int window)
{
    for (const SnapKind& k : kKinds)
        if (k.window == window) return &k;
    return nullptr;
}

vxSpectrWinPlotInfo* recordOf(vxInfo* app, int window)
{
    switch (window) {
    case 1467: return &app->spData.winPlotA;
    case 1468: return &app->spData.winPlotB;
    case 1469: return &app->spData.winPlotC;
    default: return nullptr;
    }
}

std::atomic<qkwinInfo*>* openWindowOf(vxInfo* app, int window)
{
    switch (window) {
    case 1467: return &app->spData.winPlotPtrA;
    case 1468: return &app->spData.winPlotPtrB;
    case 1469: return &app->spData.winPlotPtrC;
    default: return nullptr;
    }
}

// The record of a snapshot window, null for any other window.
vxSpectrWinPlotInfo* snapOf(qkwinInfo* window, vxInfo** appOut = nullptr)
{
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return nullptr;
    if (appOut != nullptr) *appOut = app;
    return recordOf(app, window->id);
}

// Copies what the snapshot shows from the page: the plot list, the samples
// of the curves of its plot (each cut to the samples its buffer holds, the
// rest of the copy zero) and the FC10 values. Runs on the main window's
// thread while no scan writes them.
void takeFromPage(vxInfo* app, vxSpectrWinPlotInfo& snap, const SnapKind& kind)
{
    const vxSpectraPageInfo& sp = app->spData;
    snap.actitemid = kind.window;
    snap.plotID = kind.plotItem;
    snap.ploListID = kind.pagePlot;
    snap.plotListCnt = std::clamp(sp.plots.plotListCnt, 0, VX_MAXPLOTLIST);
    std::memcpy(snap.plotList, sp.plots.plotList, sizeof snap.plotList);
    std::memset(snap.samples, 0, sizeof snap.samples);
    for (int i = 0; i < VX_MAXPLOTLIST; ++i) {
        vxSpectraPlotData& e = snap.plotList[i];
        if (i >= snap.plotListCnt || e.plotid != snap.ploListID || e.dataPtr == nullptr) {
            e.dataPtr = nullptr;   // nothing of this snapshot points into the page
            continue;
        }
        const int own = std::clamp(e.dataCnt / 2, 0, vxSpectraCurveCapacity(sp, e.dataPtr));
        std::memcpy(snap.samples[i], e.dataPtr, static_cast<size_t>(own) * sizeof(int16_t));
        e.dataPtr = snap.samples[i];
        e.dataCnt = own * 2;
    }
    snap.fc10Cnt = 0;
    if (const vxSpectraAppInfo* profile = sp.appPtr) {
        snap.fc10Cnt = std::clamp(profile->digHdrCnt, 0, VX_MAXFC10);
        std::memcpy(snap.fc10, profile->digHdr, sizeof snap.fc10);
    }
    app->spData.winPlotPtr.store(&snap);
}

// The range of the snapshot's curves (including 0); the last curve's sample
// count is taken for all.
void setScale(vxSpectrWinPlotInfo& snap)
{
    std::memset(&snap.scale, 0, sizeof snap.scale);
    snap.dataPtr = nullptr;
    for (int i = 0; i < snap.plotListCnt; ++i) {
        vxSpectraPlotData& e = snap.plotList[i];
        if (e.plotid != snap.ploListID || e.dataPtr == nullptr) continue;
        snap.scale.dataCnt = e.dataCnt / 2;
        snap.dataPtr = e.dataPtr;
        snap.scale.list[snap.scale.listCnt++] = static_cast<int16_t*>(e.dataPtr);
    }
    vxSpectraGetCurveScale(&snap.scale);
}

// The snapshot's plot record bound to this opening of its window; the
// definition file is read on the first opening.
void bindPlot(qkwinInfo* window, vxSpectrWinPlotInfo& snap)
{
    if (snap.plotPtr == nullptr) snap.plotPtr = qkwinplotcreate(window);
    qkplotInfo* plot = snap.plotPtr;
    window->plotPtr = plot;
    plot->winPtr = window;
    qksysplotsetinfo(plot, window);
    snap.plotNdx = 0;
    const qkwincfgpathIDInfo* item = qkwincfgpathgetIDptrByItemID(window, snap.plotID);
    if (item == nullptr || item->path[0] == '\0') {
        qklogf("vxSpectraSnapPlotInit", "no plot item %d in window %d", snap.plotID, window->id);
        return;
    }
    if (plot->cfgrdflg == 0) {
        qkstrset(plot->path, item->path);
        if (qkplotcfgread(plot) != 0) {
            qklogf("vxSpectraSnapPlotInit", "cannot read plot definition: %s", item->path);
            return;
        }
        plot->cfgrdflg = 1;
    }
    snap.plotNdx = std::max(qkplotgetIDbyItemID(plot, snap.plotID), 0);
}

void drawAll(qkwinInfo* window)
{
    vxSpectraSnapPlotWinDsp(window);
    vxSpectraSnapDspFC10Params(window);
}

// The texts of the read-out are cut to 8 characters.
void showReadout(qkwinInfo* window, int id, const char* text)
{
    char cut[9];
    qkstrset(cut, text);
    qkwinstaticsettext(window, id, cut);
}

}  // namespace

// ---- opening ---------------------------------------------------------------------------------

int vxSpectraSnapShotWinCB(qkwinInfo* window)
{
    qklogTrace("vxSpectraSnapShotWinCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    const SnapKind* kind = kindOf(window->actitemid);
    if (kind == nullptr) return -2;
    std::atomic<qkwinInfo*>* open = openWindowOf(app, kind->window);
    if (open->load() != nullptr) return 0;   // already open
    vxSpectraPageInfo& sp = app->spData;
    // A scan writes the page's curves until it ends: the snapshot takes the
    // finished scan.
    for (int step = 0; sp.state.load() == 3 && step < kScanWaitSteps; ++step) qkwinsleep(window, 2, 1);
    if (sp.state.load() == 3) {
        qkwinmsginfo(window, "A spectra scan is still running.\nOpen the snapshot when it has ended.");
        return 0;
    }
    vxSpectrWinPlotInfo* snap = recordOf(app, kind->window);
    takeFromPage(app, *snap, *kind);
    qkwinInfo* child = vxStartChildWindow(window, kind->window, [open](qkwinInfo* w) {
        open->store(w);   // before its close function can clear it
        w->userCloseFunc = vxSpectraSnapPlotExit;
    });
    if (child == nullptr) {
        qklogf("vxSpectraSnapShotWinCB", "could not open snapshot window %d", kind->window);
        return -1;
    }
    qkwinsleep(window, 2, kOpenWaitTenths);
    qksyswinOwnerRun(child, [child] { vxSpectraSnapPlotInit(child); });
    // Disabled once the snapshot is drawn (a second press meanwhile finds it open).
    qkwinbtnsetstate(window, kind->window, 0);
    return 0;
}

int vxSpectraSnapPlotInit(qkwinInfo* window)
{
    qklogTrace("vxSpectraSnapPlotInit");
    vxInfo* app = nullptr;
    vxSpectrWinPlotInfo* snap = window != nullptr ? snapOf(window, &app) : nullptr;
    if (snap == nullptr) return -2;
    app->spData.winPlotPtr.store(snap);
    window->userUpdateFunc = vxWinPlotRefreashCB;
    window->cursor.mvfuncPtr = vxSpectraSnapPlotXYposCB;
    snap->xyPos.state = 0;
    snap->cursorInside = 0;
    setScale(*snap);
    bindPlot(window, *snap);
    drawAll(window);
    return 0;
}

// ---- drawing ---------------------------------------------------------------------------------

int vxSpectraSnapPlotWinDsp(qkwinInfo* window)
{
    qklogTrace("vxSpectraSnapPlotWinDsp");
    vxSpectrWinPlotInfo* snap = window != nullptr ? snapOf(window) : nullptr;
    if (snap == nullptr) return -2;
    qkplotInfo* plot = snap->plotPtr;
    const int id = snap->plotNdx;
    if (plot == nullptr || id == 0) return 0;
    std::unique_ptr<qkdrawSurface> surface = qkdrawopen(window);
    plot->surfPtr = surface.get();
    plot->drawing++;
    qksysplotsetinfo(plot, window);
    qkplotsetdatasrc(plot, id, QKPLOT_SRC_MEMORY);
    // The static parts take the range of the last curve (a flat line without one).
    static const int16_t kFlat[kCurvePoints] = {};
    vxSpectraBindCurve(plot, id, snap->dataPtr != nullptr ? snap->dataPtr : kFlat, &snap->scale);
    int status = qksysplotcreateregion(plot, id);
    qksysplotgrid(plot, id);
    qksysplotcomment(plot, id);
    const qkplotIDInfo* entry = qkplotgetIDpointer(plot, id);
    vxSpectraSnapPlotSetXYpos(window, snap, entry);
    for (int i = 0; i < snap->plotListCnt && entry != nullptr; ++i) {
        const vxSpectraPlotData& c = snap->plotList[i];
        if (c.plotid != snap->ploListID || c.dataPtr == nullptr) continue;
        if (vxSpectraBindCurve(plot, id, c.dataPtr, &snap->scale) != 0) continue;
        qksysplotaxis(plot, id, QKPLOT_AXIS_BOTTOM);
        qksysplotaxis(plot, id, QKPLOT_AXIS_LEFT);
        qksysplotlabel(plot, id, QKPLOT_AXIS_LEFT);
        qksysplotlabel(plot, id, QKPLOT_AXIS_BOTTOM);
        qkplotsetcurvepen(plot, id, entry->pclass.pen.type, entry->pclass.pen.width, c.colorRgb);
        status = qksysplotdata(plot, id);
    }
    plot->drawing--;
    plot->surfPtr = nullptr;
    return status;
}

int vxSpectraSnapPlotSetXYpos(qkwinInfo* window, vxSpectrWinPlotInfo* snap, const qkplotIDInfo* entry)
{
    qklogTrace("vxSpectraSnapPlotSetXYpos");
    if (window == nullptr || snap == nullptr || entry == nullptr) return -2;
    vxSpectraXYposInfo& r = snap->xyPos;
    const qkplotInfo* plot = snap->plotPtr;
    const int xval = plot != nullptr ? plot->scale.xval : 0;
    const int yval = plot != nullptr ? plot->scale.yval : 0;
    const qkplotMarginInfo& m = entry->grid.margin;
    r.xpos = qkwinsetscale(xval, entry->size.xpos + m.left);
    r.ypos = qkwinsetscale(yval, entry->size.ypos + m.top);
    r.xsize = qkwinsetscale(xval, entry->size.xsize - m.right - m.left);
    r.ysize = qkwinsetscale(yval, entry->size.ysize - m.bottom - m.top);
    r.xfactor = r.xsize;
    r.yfactor = r.ysize;
    r.xcnt = entry->data.cnt > 0 ? entry->data.cnt : kCurvePoints;
    r.yabsv = static_cast<float>(snap->scale.absval);
    r.yfval = static_cast<float>(qkwinsetscale(yval, static_cast<int>(entry->yfval)));
    r.min = snap->scale.min;
    r.max = snap->scale.max;
    r.plotPtr = snap->plotPtr;
    r.idPtr = const_cast<qkplotIDInfo*>(entry);
    r.scalePtr = &snap->scale;
    r.state = 1;
    return 0;
}

int vxSpectraSnapPlotXYposCB(qkwinInfo* window)
{
    qklogTrace("vxSpectraSnapPlotXYposCB");
    vxSpectrWinPlotInfo* snap = window != nullptr ? snapOf(window) : nullptr;
    if (snap == nullptr) return -2;
    const vxSpectraXYposInfo& r = snap->xyPos;
    if (r.state != 1 || r.xsize <= 0 || r.ysize <= 0) return 0;
    const int x = window->cursor.xpos;
    const int y = window->cursor.ypos;
    const bool inside = x > r.xpos && y >= r.ypos && x <= r.xpos + r.xsize && y < r.ypos + r.ysize;
    // The shape changes only when the cursor crosses the grid's edge.
    if (inside != (snap->cursorInside == 1)) {
        qkwinchgcursor(window, inside ? QKWIN_CURSOR_CROSS : QKWIN_CURSOR_ARROW);
        snap->cursorInside = inside ? 1 : 0;
    }
    if (!inside) return 0;
    char text[64];
    const int point = static_cast<int>(static_cast<double>(x - r.xpos) * r.xcnt / r.xsize);
    qkstrfmt(text, sizeof text, "%-3.3d", point);
    showReadout(window, kPointStatic, text);
    const float value = static_cast<float>(r.min) + (r.yabsv / static_cast<float>(r.ysize)) *
                                                        static_cast<float>(r.ypos + r.ysize - y);
    qkstrfmt(text, sizeof text, "%10.4f", static_cast<double>(value));
    showReadout(window, kValueStatic, text);
    return 0;
}

int vxWinPlotRefreashCB(qkwinInfo* window)
{
    qklogTrace("vxWinPlotRefreashCB");
    vxInfo* app = nullptr;
    vxSpectrWinPlotInfo* snap = window != nullptr ? snapOf(window, &app) : nullptr;
    if (snap == nullptr) return -2;
    app->spData.winPlotPtr.store(snap);
    drawAll(window);
    return 0;
}

int vxSpectraSnapDspFC10Params(qkwinInfo* window)
{
    qklogTrace("vxSpectraSnapDspFC10Params");
    vxSpectrWinPlotInfo* snap = window != nullptr ? snapOf(window) : nullptr;
    if (snap == nullptr) return -2;
    if (snap->fc10Cnt == 0 || snap->plotPtr == nullptr || snap->plotNdx == 0) return 0;
    const qkplotIDInfo* entry = qkplotgetIDpointer(snap->plotPtr, snap->plotNdx);
    if (entry == nullptr) return 0;
    if (snap->txtStr == nullptr) snap->txtStr = qkwintextallocate();
    qkwinTextInfo* text = snap->txtStr;
    qkwinsettextfontid(window, text, kFc10Font);
    qkwinsettextcolor(window, text, "White", "Black");
    qkwinsettextalign(window, text, QKWIN_TEXT_LEFT);
    const int x = entry->size.xsize + entry->size.xpos + 20 - entry->grid.margin.right;
    int y = entry->size.ypos + 20;
    const int maxLines = entry->size.ysize / kFc10LineStep + 1;
    int lines = 0;
    for (int i = 0; i < snap->fc10Cnt && lines < maxLines; ++i) {
        const vxSpectraFC10Data& p = snap->fc10[i];
        if (p.dspFlag != 1) continue;
        char line[96];
        qkstrfmt(line, sizeof line, "%s:     %s", p.name, p.value);
        qkwinsettextpos(window, text, x, y);
        qkwinsendtext(window, text, line);
        y += kFc10LineStep;
        ++lines;
    }
    return 0;
}

// ---- saving ----------------------------------------------------------------------------------

int vxSpectraSaveWinImageCB(qkwinInfo* window)
{
    qklogTrace("vxSpectraSaveWinImageCB");
    vxInfo* app = nullptr;
    vxSpectrWinPlotInfo* snap = window != nullptr ? snapOf(window, &app) : nullptr;
    if (snap == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    const SnapKind* kind = kindOf(window->id);
    vxSpectraPageInfo& sp = app->spData;
    // The page neither redraws nor saves while the flag is set; its own
    // request (1) would start the page's image save, so the snapshot marks
    // the save as running at once.
    int idle = 0;
    if (!sp.saveImageFlag.compare_exchange_strong(idle, kSaving)) {
        qklogf("vxSpectraSaveWinImageCB", "an image save is already running");
        return 0;
    }
    qkwinstatchgcolor(window, kSaveImageStatic, 1, "Red");
    char name[256];
    qkstrset(name, kind->image);
    int status = 0;
    if (qksyswinfiledlg(window, 1, "*.bmp", name, sizeof name) == 1 && name[0] != '\0') {
        drawAll(window);
        if (snap->plotPtr != nullptr && snap->plotNdx != 0) {
            qkplotsetBMPpath(snap->plotPtr, snap->plotNdx, name);
            status = qksysplotcopyBMP(snap->plotPtr, snap->plotNdx);
        } else {
            status = -2;
        }
        if (status != 0) {
            char text[320];
            qkstrfmt(text, sizeof text, "Could not save the image as:\n%s", name);
            qkwinmsgerror(window, text);
        }
    }
    if (app->homeDir[0] != '\0') qkfilechgdir(app->homeDir);
    qkwinstatchgcolor(window, kSaveImageStatic, 1, "DodgerBlue2");
    sp.saveImageFlag.store(0);
    return status;
}

int vxSpectraSaveWinDataCB(qkwinInfo* window)
{
    qklogTrace("vxSpectraSaveWinDataCB");
    vxInfo* app = nullptr;
    vxSpectrWinPlotInfo* snap = window != nullptr ? snapOf(window, &app) : nullptr;
    if (snap == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    const SnapKind* kind = kindOf(window->id);
    // The data go through the program's data file, which a running capture
    // writes: a save now would mix them into the capture.
    if (app->runDiag.state.load() == 1) {
        qkwinmsginfo(window, "A data capture is running.\nSave the snapshot's data when the capture has ended.");
        return 0;
    }
    vxSpectraPageInfo& sp = app->spData;
    int idle = 0;
    if (!sp.saveDataFlag.compare_exchange_strong(idle, kSaving)) {
        qklogf("vxSpectraSaveWinDataCB", "a data save is already running");
        return 0;
    }
    qkwinstatchgcolor(window, kSaveDataStatic, 1, "Red");
    int status = -2;
    // The data file belongs to the main window's thread.
    qksyswinOwnerRun(app->winPtr != nullptr ? app->winPtr : window, [&] {
        vxFileInfo& data = app->dataFile;
        if (data.fdp == nullptr && data.path[0] != '\0') data.fdp = qkfileopen(data.path, "w+");
        if (data.fdp == nullptr) {
            qklogf("vxSpectraSaveWinDataCB", "Unable to open data file: %s", data.path);
            return;
        }
        char heading[64];
        qkstrfmt(heading, sizeof heading, "Vantorix Spectra Snap Window %c Data", kind->letter);
        status = vxSpectraWriteCurves(app, data.fdp, heading, snap->plotList, snap->plotListCnt, snap->ploListID);
        const int saved = vxRunDiagSaveDataFileFrom(app, window);
        if (status == 0) status = saved;
    });
    if (status == -2 || status == -1) {
        char text[200];
        qkstrfmt(text, sizeof text, "Could not write the data file:\n%s", app->dataFile.path);
        qkwinmsgerror(window, text);
    }
    if (app->homeDir[0] != '\0') qkfilechgdir(app->homeDir);
    qkwinstatchgcolor(window, kSaveDataStatic, 1, "DodgerBlue2");
    sp.saveDataFlag.store(0);
    return status;
}

// ---- closing ---------------------------------------------------------------------------------

int vxSpectraSnapPlotExit(qkwinInfo* window)
{
    qklogTrace("vxSpectraSnapPlotExit");
    vxInfo* app = nullptr;
    vxSpectrWinPlotInfo* snap = window != nullptr ? snapOf(window, &app) : nullptr;
    if (snap == nullptr) return 1;
    snap->xyPos.state = 0;
    window->cursor.mvfuncPtr = nullptr;
    window->userUpdateFunc = nullptr;
    // The record outlives the window.
    if (snap->plotPtr != nullptr && snap->plotPtr->winPtr == window) snap->plotPtr->winPtr = nullptr;
    window->plotPtr = nullptr;
    vxSpectrWinPlotInfo* expected = snap;
    app->spData.winPlotPtr.compare_exchange_strong(expected, nullptr);
    if (window->prntPtr != nullptr) qkwinbtnsetstate(window->prntPtr, window->id, 1);
    if (std::atomic<qkwinInfo*>* open = openWindowOf(app, window->id)) open->store(nullptr);
    return 1;
}

int vxSpectraSnapFreePlots(vxInfo* app)
{
    qklogTrace("vxSpectraSnapFreePlots");
    if (app == nullptr) return -2;
    for (const SnapKind& k : kKinds) {
        if (openWindowOf(app, k.window)->load() != nullptr) continue;   // still drawn by its window
        vxSpectrWinPlotInfo* snap = recordOf(app, k.window);
        if (snap->plotPtr != nullptr) qkplotdestroy(snap->plotPtr);
        snap->plotPtr = nullptr;
        if (snap->txtStr != nullptr) qkwintextfree(snap->txtStr);
        snap->txtStr = nullptr;
        snap->plotNdx = 0;
    }
    return 0;
}
