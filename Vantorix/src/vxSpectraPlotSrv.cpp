// vxSpectraPlotSrv: the spectra page (see the header).
#include "vxSpectraPlotSrv.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

#include "qkdrawsurface.h"
#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkplotsrv.h"
#include "qkstrsrv.h"
#include "qksysplotsrv.h"
#include "qksyswinbutton.h"
#include "qksyswindlg.h"
#include "qksyswinfiledlg.h"
#include "qksyswinlist.h"
#include "qksyswinmsgbox.h"
#include "qksyswinstatic.h"
#include "qksyswinsrv.h"
#include "qksyswinthread.h"
#include "qkwincfgpathsrv.h"
#include "vxAsynSrv.h"
#include "vxCallBacks.h"
#include "vxInit.h"
#include "vxModbusProtocolSrv.h"
#include "vxRequestDiagProtData.h"
#include "vxSpectraPage2fSrv.h"
#include "vxSpectraPageSrv.h"
#include "vxSpectraSnapSrv.h"
#include "vxSpectraTreeSrv.h"
#include "vxTcpSrv.h"
#include "vxWinSrv.h"
#include "vxWorkerSrv.h"

namespace {

constexpr int kPlotItems[4] = {1460, 1462, 1464, 1466};
constexpr int kTrendPlot = 1466;
constexpr int kCurvePoints = 512;
constexpr int kTrendPoints = 10;
constexpr int kDemandStatic = 1410;
constexpr int kSaveDataStatic = 1422;
constexpr int kSaveImageStatic = 1424;
constexpr int kAutoButton = 1414;
constexpr int kOverlayButton = 1420;
constexpr int kFc10List = 1444;
constexpr int kRequestDialog = 1350;
constexpr int kStatusTimerEvent = 9;
constexpr int kStatusTimerMs = 500;
constexpr int kRedrawCalls = 25;
constexpr int kClickEvent = 6;
constexpr int kClearedBytes = 1024;
constexpr int kH2OPeakRegister = 3306;   // holding register 43307
constexpr int kSingleH2OPeak = 290;
constexpr int kLeaveWaitSeconds = 30;       // longest wait for the inquiry when the page is left
constexpr int kIdTypeInquired = 2;
constexpr int kSaving = 5;
constexpr int kQuietTenths = 5;   // a line quiet this long after a stopped scan has no answer left
constexpr std::chrono::seconds kDrainLimit{5};   // the longest a stopped scan's answer is waited out

// Set while the page is being left (window thread only): the waits of the
// leaving pump window messages, and neither a timer tick nor a click may
// start another scan meanwhile.
bool gLeaving = false;

// A plot without a curve yet (or while a scan fills the list and the trend)
// is drawn over a flat line at 0.
const int16_t kNoCurve[VX_SPECSAMPLES] = {};
const float kNoTrend[kTrendPoints] = {};

int64_t nowSeconds()
{
    return static_cast<int64_t>(std::time(nullptr));
}

qkplotInfo** recordOf(vxSpectrPlotsInfo& plots, int k)
{
    qkplotInfo** records[] = {&plots.plotA, &plots.plotB, &plots.plotC, &plots.plotD};
    return records[k];
}

const vxSpectraCurveScale* scaleOf(const vxSpectrPlotsInfo& plots, int plotid)
{
    switch (plotid) {
    case 1460: return &plots.scaleA;
    case 1462: return &plots.scaleB;
    case 1464: return &plots.scaleC;
    default: return nullptr;
    }
}

bool redrawHeld(const vxInfo* app)
{
    const vxSpectraPageInfo& sp = app->spData;
    return app->winPtr == nullptr || app->winPtr->scrnSaveFlag != 0 || sp.state.load() == 3 ||
           sp.saveImageFlag.load() != 0 || sp.saveDataFlag.load() != 0;
}

// The four plots on one opening of the window's picture; records are made
// only when create is set.
int drawAll(vxInfo* app, bool create)
{
    qkwinInfo* win = app->winPtr;
    vxSpectrPlotsInfo& plots = app->spData.plots;
    std::unique_ptr<qkdrawSurface> surface = qkdrawopen(win);
    int status = 0;
    for (int k = 0; k < 4; ++k) {
        qkplotInfo** record = recordOf(plots, k);
        if (*record == nullptr) {
            if (!create) continue;
            *record = qkwinplotcreate(win);
        }
        qkplotInfo* p = *record;
        win->plotPtr = p;
        p->winPtr = win;
        p->surfPtr = surface.get();
        p->drawing++;
        plots.plotid = kPlotItems[k];
        status = vxSpectraPageDspPlotBG(app, p);
        p->drawing--;
        p->surfPtr = nullptr;
    }
    return status;
}

void saveImageThrd(void* argument)
{
    vxInfo* app = static_cast<vxInfo*>(argument);
    vxSpectraSaveImage(app);
    app->spData.savedatathrd.state = 0;
}

void h2oThrd(void* argument)
{
    vxInfo* app = static_cast<vxInfo*>(argument);
    vxSpectraGetH2OpeakType(app);
    app->spData.savedatathrd.state = 0;
}

// Starts the H2O inquiry: on the page's thread for an analyzer that is asked,
// else at once (it only resets the link then).
void startH2O(vxInfo* app)
{
    vxSpectraPageInfo& sp = app->spData;
    if (app->anaDetails.version.appType != VX_APP_PP2F || app->anaDetails.ID.type != kIdTypeInquired) {
        vxSpectraGetH2OpeakType(app);
        return;
    }
    if (sp.savedatathrd.state != 0) return;
    sp.getH2OFlag.store(1);
    if (vxWorkerStart(&sp.savedatathrd, h2oThrd, app, "vxSpectraGetH2OpeakType", "H2O inquiry") != 0)
        sp.getH2OFlag.store(0);
}

// One scan as the demand button and the automatic step start it: the request
// dialog gets its timer before the worker starts, so a quick scan still
// closes it.
int startScan(vxInfo* app)
{
    qkwinInfo* win = app->winPtr;
    app->rdUpdateNdx = 0;
    if (qkwindlgSetTimerByID(win, kRequestDialog, kStatusTimerEvent, kStatusTimerMs, vxRunDiagStatusUpdateCB) != 0)
        return -2;
    if (vxRunDiagProtReqData(app) != 0) return -2;
    app->refreashFlag.store(1);
    qkwindlgdspbyID(win, kRequestDialog);
    return 0;
}

void firstDisplay(vxInfo* app)
{
    vxSpectraPageInfo& sp = app->spData;
    vxAnalyzereDataInfo& dr = app->dpRequest;
    qkwinInfo* win = app->winPtr;
    startH2O(app);
    qkwinstaticsetstate(win, kDemandStatic, 1);
    sp.autoScanFlag.store(0);
    qkwinbtnsetstate(win, kAutoButton, 0);
    sp.overlayFlag.store(0);
    dr.scanNdx.store(0);
    qkwinbtnsetstate(win, kOverlayButton, 0);
    sp.dataReady.store(0);
    app->syspaintCnt = 0;
    sp.plotsRefCnt = 0;
    if (sp.userFlg != 0) {
        if (dr.scanCnt.load() > 0) vxSpectraPageListData(app);
        vxSpectraPageRefreashPlots(app);
    } else {
        sp.plots.dataPtr = nullptr;
        sp.plots.dataCnt = 0;
        sp.plots.plotNdx = 0;
        sp.plots.plotListCnt = 0;
        dr.scanNdx.store(0);
        dr.scanCnt.store(0);
        vxSpectraPageSetDataBufs(app);
        vxSpectraPageSetListHdr(app);
    }
    vxSpectraPageBuildPlotBG(app);
    vxSpectraPageSetTreeViewImages(app);
    if (sp.userFlg != 0) vxSpectraPageSetUserTreeView(app);
    app->refrashPlots.store(1);
    sp.state.store(2);
}

void autoScanStep(vxInfo* app)
{
    vxSpectraPageInfo& sp = app->spData;
    sp.autoTimeCount = nowSeconds();
    // The interval counts from the end of a scan. The window's timer ticks on
    // under the request dialog of a running scan: stopping that scan here
    // would restart every scan that lasts longer than the interval, and none
    // would ever end. It finishes first.
    if (app->getdpdatathrds.state != 0) return;
    if (sp.autoTimeCount - sp.autoTimeStart.load() <= sp.autoPollRate) return;
    sp.autoTimeStart.store(nowSeconds());
    startScan(app);
    sp.autoTimeStart.store(nowSeconds());
}

// Reads and drops what the analyzer still sends for a request of a stopped
// scan, until the line has stayed quiet for a while (bounded), so that the
// next page's first exchange gets its own answer.
void drainLink(vxInfo* app)
{
    using Clock = std::chrono::steady_clock;
    vxAnalyzerComInfo& com = app->anaCom;
    // The analyzer starts its answer within the pause that follows a request.
    const auto quiet = std::chrono::milliseconds(100 * std::max(kQuietTenths, vxSPpauseTenths(app)));
    const auto start = Clock::now();
    auto lastByte = start;
    while (Clock::now() - lastByte < quiet && Clock::now() - start < kDrainLimit) {
        com.ibPtr = com.ibuf;
        com.maxbyts = VX_LINKBUFSIZE;
        int got = 0;
        if (com.connectType == 2) {
            got = vxTcpRead(app);
            if (got <= 0) vxLinkSleep(app, 1);
        } else {
            got = vxAsynRead(app);
            if (got < 0) break;   // the line is gone: nothing left to wait for
        }
        if (got > 0) lastByte = Clock::now();
    }
    vxAsynFlush(app);
    com.ibPtr = com.ibuf;
    com.obPtr = com.obuf;
    com.maxbyts = VX_LINKBUFSIZE;
}

// A scan still running when the page is left ends with the page: its worker
// talks to the analyzer, and the next page needs the link to itself. The
// worker unwinds at its next wait; what its end would have done is done here
// (page idle again, request dialog closed, the answer in flight dropped).
void stopScan(vxInfo* app)
{
    vxthreadInfo& slot = app->getdpdatathrds;
    const bool running = slot.state.load() != 0;
    if (!running && slot.thrdPtr.load() == nullptr) return;
    vxStopDiagProtReqData(app);
    if (!running) return;
    vxSpectraPageInfo& sp = app->spData;
    qklogf("vxSpectraPageExit", "scan %d stopped: page left while it ran",
           static_cast<int>(app->dpRequest.scanCnt.load()));
    int scanning = 3;
    sp.state.compare_exchange_strong(scanning, 2);
    if (app->winPtr != nullptr) qkwindlgExitByID(app->winPtr, kRequestDialog);
    drainLink(app);
}

vxInfo* pageApp(qkwinInfo* window)
{
    vxInfo* app = vxAppOf(window);
    if (app == nullptr || app->winPtr == nullptr || window->actitemevent != kClickEvent) return nullptr;
    return app;
}

}  // namespace

// ---- page steps ----------------------------------------------------------------------------

int vxSpectraPageInit(vxInfo*)
{
    return 0;
}

int vxSpectraPageUpdate(vxInfo* app)
{
    qklogTrace("vxSpectraPageUpdate");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    vxSpectraPageInfo& sp = app->spData;
    if (gLeaving) return 0;
    // The inquiry owns the link until it is over.
    if (sp.getH2OFlag.load() != 0) {
        if (sp.getH2OFlag.load() == 1 && sp.savedatathrd.state == 0) startH2O(app);
        return 0;
    }
    if (sp.state.load() == 1) firstDisplay(app);
    int expected = 1;
    if (sp.saveImageFlag.compare_exchange_strong(expected, kSaving) &&
        vxWorkerStart(&sp.savedatathrd, saveImageThrd, app, "vxSpectraPageUpdate", "image save") != 0)
        sp.saveImageFlag.store(0);
    // The data are saved once no scan writes the curves any more.
    if (sp.saveDataFlag.load() == 1 && sp.state.load() != 3) {
        vxSpectraSaveData(app);
        sp.saveDataFlag.store(0);
    }
    if (sp.autoScanFlag.load() == 1) autoScanStep(app);
    if (sp.saveImageFlag.load() == 0 && sp.saveDataFlag.load() == 0 && ++sp.plotsRefCnt > kRedrawCalls) {
        vxSpectraPageRefreashPlots(app);
        sp.plotsRefCnt = 0;
        app->syspaintCnt = 0;
    }
    return 0;
}

int vxSpectraPageExit(vxInfo* app)
{
    qklogTrace("vxSpectraPageExit");
    if (app == nullptr) return -2;
    if (gLeaving) return 0;   // a second leave while the first one waits
    gLeaving = true;
    stopScan(app);
    vxSpectraPageInfo& sp = app->spData;
    // An H2O inquiry (or an image save) under way ends its exchange first:
    // the next page would talk on the link at the same time, and an inquiry
    // cut short would leave the analyzer in Modbus mode. Its reply timeouts
    // bound the wait; the window is served meanwhile.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(kLeaveWaitSeconds);
    while (sp.savedatathrd.state.load() != 0 && sp.savedatathrd.thrdPtr.load() != nullptr &&
           std::chrono::steady_clock::now() < giveUp)
        qkwinsleep(app->winPtr, 2, 1);
    vxWorkerStop(&sp.savedatathrd);
    gLeaving = false;
    if (sp.appPtr != nullptr) {
        vxSpectraPageGetTreeViewImages(app);
        sp.user = *sp.appPtr;
        sp.userFlg = 1;
    }
    app->refrashPlots.store(0);
    return 0;
}

int vxSpectraPageSetDataBufs(vxInfo* app)
{
    qklogTrace("vxSpectraPageSetDataBufs");
    if (app == nullptr) return -2;
    vxAnalyzereDataInfo& dr = app->dpRequest;
    auto clearHeaders = [](vxAnalyzerDiagnosticDataHC12* ring) {
        for (int s = 0; s < VX_SCANSLOTS; ++s) std::memset(ring[s].hdata, 0, VX_HDRBYTES);
    };
    auto clearSpectra = [](vxAnalyzerSpectrumDataHC12* ring) {
        for (int s = 0; s < VX_SCANSLOTS; ++s) std::memset(ring[s].sdata, 0, kClearedBytes);
    };
    clearHeaders(dr.f2.diagData);
    clearSpectra(dr.f2.acData);
    clearSpectra(dr.f2.dcData);
    auto clearArm9 = [&](auto& st) {
        clearHeaders(st.diagData);
        for (vxAnalyzerSpectrumDataFS* ring : {st.diff2fData, st.ref1Data, st.dry2fData, st.drydcData,
                                               st.dry2frefData, st.drydcrefData, st.wet2fData, st.wetdcData,
                                               st.wet2frefData, st.wetdcrefData})
            clearSpectra(ring);
    };
    clearArm9(dr.ns);
    clearArm9(dr.fs);
    vxSpectrPlotsInfo& plots = app->spData.plots;
    std::memset(plots.conPlotData, 0, sizeof plots.conPlotData);
    plots.conPlotDataNdx = 0;
    std::memset(&plots.plotList[0], 0, sizeof plots.plotList[0]);
    return 0;
}

// ---- drawing -----------------------------------------------------------------------------------

int vxSpectraPageBuildPlotBG(vxInfo* app)
{
    qklogTrace("vxSpectraPageBuildPlotBG");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    // The image save copies the window's picture meanwhile; a scan writes the
    // curves and their scales until it has ended.
    if (app->spData.saveImageFlag.load() != 0 || app->spData.state.load() == 3) return 0;
    return drawAll(app, true);
}

int vxSpectraPageFreePlots(vxInfo* app)
{
    qklogTrace("vxSpectraPageFreePlots");
    if (app == nullptr) return -2;
    // The image save draws into the records: it ends before they go.
    if (qksyswinIsGuiThread()) vxWorkerStop(&app->spData.savedatathrd);
    vxSpectrPlotsInfo& plots = app->spData.plots;
    for (int k = 0; k < 4; ++k) {
        qkplotInfo** record = recordOf(plots, k);
        if (*record == nullptr) continue;
        if (app->winPtr != nullptr && app->winPtr->plotPtr == *record) app->winPtr->plotPtr = nullptr;
        qkplotdestroy(*record);
        *record = nullptr;
    }
    return vxSpectraSnapFreePlots(app);
}

int vxSpectraPageRefreashPlots(vxInfo* app)
{
    qklogTrace("vxSpectraPageRefreashPlots");
    if (app == nullptr || redrawHeld(app)) return 0;
    const int status = drawAll(app, false);
    app->spData.dataReady.store(0);
    return status;
}

int vxSpectraPageDspPlotBG(vxInfo* app, qkplotInfo* plot)
{
    qklogTrace("vxSpectraPageDspPlotBG");
    if (app == nullptr || plot == nullptr || app->winPtr == nullptr) return -2;
    vxSpectrPlotsInfo& plots = app->spData.plots;
    const int item = plots.plotid;
    if (plot->cfgrdflg == 0) {
        const qkwincfgpathIDInfo* rec = qkwincfgpathgetIDptrByItemID(app->winPtr, item);
        if (rec == nullptr || rec->path[0] == '\0') return -2;
        qkstrset(plot->path, rec->path);
        plot->cfgrdflg = 1;
        qkplotcfgread(plot);
    }
    const int id = qkplotgetIDbyItemID(plot, item);
    if (id <= 0) return -2;
    plots.plotNdx = id;
    qksysplotsetinfo(plot, app->winPtr);
    qkplotsetdatasrc(plot, id, QKPLOT_SRC_MEMORY);
    // The static parts take the range of the plot's first curve (a flat line
    // without one); during a scan the worker fills the list, so only they are drawn.
    const bool scanning = app->spData.state.load() == 3;
    plots.dataPtr = nullptr;
    if (!scanning)
        for (int i = 0; i < plots.plotListCnt && i < VX_MAXPLOTLIST; ++i)
            if (plots.plotList[i].state != 0 && plots.plotList[i].plotid == item) {
                plots.dataPtr = plots.plotList[i].dataPtr;
                break;
            }
    if (plots.dataPtr == nullptr && item != kTrendPlot) plots.dataPtr = const_cast<int16_t*>(kNoCurve);
    vxSpectraGetPlotData(app, plot);
    int status = qksysplotcreateregion(plot, id);
    qksysplotgrid(plot, id);
    qksysplotaxis(plot, id, QKPLOT_AXIS_BOTTOM);
    qksysplotlabel(plot, id, QKPLOT_AXIS_BOTTOM);
    qksysplotaxis(plot, id, QKPLOT_AXIS_LEFT);
    qksysplotlabel(plot, id, QKPLOT_AXIS_LEFT);
    qksysplotcomment(plot, id);
    if (!scanning) status = vxSpectraPageDspPlots(app, plot);
    return status;
}

int vxSpectraPageDspPlots(vxInfo* app, qkplotInfo* plot)
{
    qklogTrace("vxSpectraPageDspPlots");
    if (app == nullptr || plot == nullptr) return -2;
    vxSpectrPlotsInfo& plots = app->spData.plots;
    const int id = plots.plotNdx;
    const qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    int status = 0;
    for (int i = 0; i < plots.plotListCnt && i < VX_MAXPLOTLIST; ++i) {
        const vxSpectraPlotData& c = plots.plotList[i];
        if (c.state == 0 || c.plotid != plots.plotid || c.dataPtr == nullptr) continue;
        plots.dataCnt = c.dataCnt;
        plots.dataPtr = c.dataPtr;
        if (vxSpectraGetPlotData(app, plot) != 0) continue;
        qksysplotaxis(plot, id, QKPLOT_AXIS_BOTTOM);
        qksysplotlabel(plot, id, QKPLOT_AXIS_BOTTOM);
        if (c.axis == QKPLOT_AXIS_LEFT || c.axis == QKPLOT_AXIS_RIGHT) {
            qksysplotaxis(plot, id, c.axis);
            qksysplotlabel(plot, id, c.axis);
        }
        qkplotsetcurvepen(plot, id, e->pclass.pen.type, e->pclass.pen.width, c.colorRgb);
        status = qksysplotdata(plot, id);
    }
    return status;
}

int vxSpectraGetPlotData(vxInfo* app, qkplotInfo* plot)
{
    qklogTrace("vxSpectraGetPlotData");
    if (app == nullptr || plot == nullptr) return -2;
    vxSpectrPlotsInfo& plots = app->spData.plots;
    const int id = plots.plotNdx;
    if (plots.plotid == kTrendPlot) {
        // A scan's header decoding moves the trend values meanwhile.
        const bool scanning = app->spData.state.load() == 3;
        qkplotsetdatacnt(plot, id, kTrendPoints);
        qkplotsetdatatype(plot, id, QKPLOT_DATA_FLOAT);
        qkplotsetdataptr(plot, id, scanning ? kNoTrend : plots.conPlotData);
        if (qkplotgetdata(plot, id) != 0) return -2;
        const qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
        if (e == nullptr) return -2;
        qkplotsetscaletype(plot, id, 1);
        qkplotsetdatascale(plot, id, 1, 2.0f * e->data.max + 1.0f, -1.0f);
        qkplotsetdatascalendx(plot, id, 1);
        return 0;
    }
    return vxSpectraBindCurve(plot, id, plots.dataPtr, scaleOf(plots, plots.plotid));
}

int vxSpectraBindCurve(qkplotInfo* plot, int id, const void* samples, const vxSpectraCurveScale* scale)
{
    qklogTrace("vxSpectraBindCurve");
    if (plot == nullptr || samples == nullptr) return -2;
    qkplotsetdatacnt(plot, id, kCurvePoints);
    qkplotsetdatatype(plot, id, QKPLOT_DATA_SHORT);
    qkplotsetdataptr(plot, id, samples);
    if (qkplotgetdata(plot, id) != 0) return -2;
    qkplotsetscalenormstate(plot, id, 0);
    qkplotsetscaletype(plot, id, 1);
    float max = scale != nullptr ? static_cast<float>(scale->max) : 0.0f;
    const float min = scale != nullptr ? static_cast<float>(scale->min) : 0.0f;
    // A plot of flat curves still needs a range to draw its labels.
    if (max <= min) max = min + 1.0f;
    qkplotsetdatascale(plot, id, 1, max, min);
    qkplotsetdatascalendx(plot, id, 1);
    return 0;
}

// ---- saving -------------------------------------------------------------------------------------

int vxSpectraSaveImage(vxInfo* app)
{
    qklogTrace("vxSpectraSaveImage");
    if (app == nullptr) return -2;
    vxSpectraPageInfo& sp = app->spData;
    sp.saveImageFlag.store(kSaving);
    qkwinInfo* win = app->winPtr;
    char name[256] = "plotA.bmp";
    int status = 0;
    if (win != nullptr && qksyswinfiledlg(win, 1, "*.bmp", name, sizeof name) == 1 && name[0] != '\0') {
        // Plots B and C go beside the file chosen for A.
        const char* slash = std::strrchr(name, '/');
        const int dirLen = slash != nullptr ? static_cast<int>(slash - name + 1) : 0;
        const char* const others[] = {"plotB.bmp", "plotC.bmp"};
        for (int k = 0; k < 3; ++k) {
            char file[sizeof name];
            if (k == 0)
                qkstrset(file, name);
            else
                qkstrfmt(file, sizeof file, "%.*s%s", dirLen, name, others[k - 1]);
            qkplotInfo* p = *recordOf(sp.plots, k);
            const int id = p != nullptr ? qkplotgetIDbyItemID(p, kPlotItems[k]) : 0;
            if (id <= 0) {
                status = -2;
                continue;
            }
            qkplotsetBMPpath(p, id, file);
            if (qksysplotcopyBMP(p, id) != 0) status = -2;
        }
    }
    if (app->homeDir[0] != '\0') qkfilechgdir(app->homeDir);
    if (win != nullptr) qkwinstatchgcolor(win, kSaveImageStatic, 1, "DodgerBlue2");
    sp.saveImageFlag.store(0);
    return status;
}

int vxSpectraSaveData(vxInfo* app)
{
    qklogTrace("vxSpectraSaveData");
    if (app == nullptr) return -2;
    vxSpectraPageInfo& sp = app->spData;
    sp.saveDataFlag.store(kSaving);
    vxFileInfo& data = app->dataFile;
    if (data.fdp == nullptr && data.path[0] != '\0') data.fdp = qkfileopen(data.path, "w+");
    if (data.fdp == nullptr) {
        qklogf("vxSpectraSaveData", "Unable to open data file: %s", data.path);
        if (app->winPtr != nullptr) qkwinstatchgcolor(app->winPtr, kSaveDataStatic, 1, "DodgerBlue2");
        return -2;
    }
    vxSpectraWriteCurves(app, data.fdp, "Vantorix Spectra Data", sp.plots.plotList, sp.plots.plotListCnt, 0);
    const int status = vxRunDiagSaveDataFile(app);
    if (app->winPtr != nullptr) qkwinstatchgcolor(app->winPtr, kSaveDataStatic, 1, "DodgerBlue2");
    return status;
}

int vxSpectraWriteCurves(vxInfo* app, FILE* f, const char* heading, const vxSpectraPlotData* list, int listCnt,
                         int plotid)
{
    qklogTrace("vxSpectraWriteCurves");
    if (app == nullptr || f == nullptr || list == nullptr || heading == nullptr) return -2;
    // The named curves in list order, each with the samples that are its own.
    struct Column {
        const vxSpectraPlotData* curve;
        int count;
    };
    Column cols[VX_MAXPLOTLIST];
    int colCnt = 0, rows = 0;
    for (int i = 0; i < listCnt && i < VX_MAXPLOTLIST; ++i) {
        const vxSpectraPlotData& c = list[i];
        if (c.state != 1 || c.plotName[0] == '\0' || c.plotid == kTrendPlot) continue;
        if (plotid != 0 && c.plotid != plotid) continue;
        const int own =
            c.dataPtr != nullptr ? std::clamp(c.dataCnt / 2, 0, vxSpectraCurveCapacity(app->spData, c.dataPtr)) : 0;
        cols[colCnt++] = {&c, own};
        rows = std::max(rows, c.dataCnt / 2);
    }
    std::fprintf(f, "%s\r\n", heading);
    std::fputs("Index", f);
    for (int k = 0; k < colCnt; ++k) std::fprintf(f, "\t%s", cols[k].curve->plotName);
    std::fputs("\r\n", f);
    for (int i = 0; i < rows; ++i) {
        std::fprintf(f, "%d", i);
        for (int k = 0; k < colCnt; ++k) {
            if (i < cols[k].count)
                std::fprintf(f, "\t%d", static_cast<const int16_t*>(cols[k].curve->dataPtr)[i]);
            else
                std::fputc('\t', f);
        }
        std::fputs("\r\n", f);
    }
    return std::fflush(f) == 0 ? 0 : -1;
}

int vxSpectraGetH2OpeakType(vxInfo* app)
{
    qklogTrace("vxSpectraGetH2OpeakType");
    if (app == nullptr) return -2;
    vxSpectraPageInfo& sp = app->spData;
    if (sp.getH2OFlag.load() == 2) return 0;
    sp.getH2OFlag.store(2);
    vxAnalyzerComInfo& com = app->anaCom;
    qkwinInfo* win = app->winPtr;
    if (app->anaDetails.ID.type == kIdTypeInquired && win != nullptr) {
        qkwinmsgrunthred(win, "Inquiring H2O peak type, Please wait");
        vxAsynFlush(app);
        vxModbusInfo& mb = app->mbData;
        if (vxValidateMbSlaveAddress(app) == 0) {
            com.ibPtr = com.ibuf;
            com.obPtr = com.obuf;
            com.maxbyts = VX_LINKBUFSIZE;
            vxBuildMbDpOnMsg(app);
            if (vxSendMbReqMsg(app) >= 0 && vxGetMbDpOnOkMsg(app) == 2) {
                mb.mbReg = kH2OPeakRegister;
                mb.mbRegCnt = 1;
                vxValidateMbReg(app);
                vxBuildMbFc03Msg(app);
                std::memcpy(com.obuf, &mb.fc03, sizeof mb.fc03);
                com.obPtr = com.obuf;
                com.wrtByteCnt = sizeof mb.fc03;
                vxSendMbReqMsg(app);
                if (vxGetMbRspMsg(app) == 0) {
                    const int peak = mb.regVal.shtVal[0];
                    qklogf("vxSpectraGetH2OpeakType", "peak type: %d", peak);
                    if (peak == kSingleH2OPeak) app->anaDetails.ID.type = 1;
                    vxSpectraPageSetH2OTreeView(app);
                }
            }
            vxBuildMbDpOffMsg(app);
            vxSendMbReqMsg(app);
        }
        qkwinmsgstopthred(win);
    }
    sp.getH2OFlag.store(0);
    com.maxbyts = VX_LINKBUFSIZE;
    com.ibPtr = com.ibuf;
    com.obPtr = com.obuf;
    return 0;
}

// ---- buttons ----------------------------------------------------------------------------------

int vxSpectraDemandScanCB(qkwinInfo* window)
{
    qklogTrace("vxSpectraDemandScanCB");
    vxInfo* app = pageApp(window);
    if (app == nullptr) return vxAppOf(window) == nullptr ? -2 : 0;
    int status = vxCheckStatus(app, 10);
    if (status == 0) status = vxCheckStatus(app, 20);
    if (status != 0) return status;
    // One exchange at a time: a scan, the inquiry or a save still running
    // waits, and so does a page being left.
    const vxSpectraPageInfo& sp = app->spData;
    if (gLeaving || sp.state.load() == 3 || sp.getH2OFlag.load() != 0 || app->getdpdatathrds.state != 0 ||
        sp.saveImageFlag.load() != 0 || sp.saveDataFlag.load() != 0)
        return 0;
    return startScan(app);
}

int vxSpectraAutoScanCB(qkwinInfo* window)
{
    qklogTrace("vxSpectraAutoScanCB");
    vxInfo* app = pageApp(window);
    if (app == nullptr) return vxAppOf(window) == nullptr ? -2 : 0;
    vxSpectraPageInfo& sp = app->spData;
    qkwinInfo* win = app->winPtr;
    if (sp.autoScanFlag.load() == 1) {
        sp.autoScanFlag.store(0);
        sp.autoTimeStart.store(0);
        sp.autoTimeCount = 0;
        qkwinstaticsetstate(win, kDemandStatic, 1);
        qkwinbtnsetstate(win, kAutoButton, 0);
    } else {
        // The first automatic scan comes one poll interval from now.
        sp.autoTimeStart.store(nowSeconds());
        sp.autoTimeCount = 0;
        sp.autoScanFlag.store(1);
        qkwinstaticsetstate(win, kDemandStatic, 0);
        qkwinbtnsetstate(win, kAutoButton, 1);
    }
    return 0;
}

int vxSpectraOverlayScanCB(qkwinInfo* window)
{
    qklogTrace("vxSpectraOverlayScanCB");
    vxInfo* app = pageApp(window);
    if (app == nullptr) return vxAppOf(window) == nullptr ? -2 : 0;
    vxSpectraPageInfo& sp = app->spData;
    qkwinInfo* win = app->winPtr;
    if (sp.overlayFlag.load() == 1) {
        sp.overlayFlag.store(0);
        app->dpRequest.scanNdx.store(0);
        qkwinbtnsetstate(win, kOverlayButton, 0);
    } else {
        sp.overlayFlag.store(1);
        app->dpRequest.scanNdx.store(0);
        app->dpRequest.scanCnt.store(0);
        qkwinbtnsetstate(win, kOverlayButton, 1);
        qkwinlistdeleteitem(win, kFc10List, 1);
    }
    return 0;
}

int vxSpectraSaveImageCB(qkwinInfo* window)
{
    qklogTrace("vxSpectraSaveImageCB");
    vxInfo* app = pageApp(window);
    if (app == nullptr) return vxAppOf(window) == nullptr ? -2 : 0;
    int idle = 0;
    if (app->spData.saveImageFlag.compare_exchange_strong(idle, 1))
        qkwinstatchgcolor(app->winPtr, kSaveImageStatic, 1, "Red");
    return 0;
}

int vxSpectraSaveDataCB(qkwinInfo* window)
{
    qklogTrace("vxSpectraSaveDataCB");
    vxInfo* app = pageApp(window);
    if (app == nullptr) return vxAppOf(window) == nullptr ? -2 : 0;
    int idle = 0;
    if (app->spData.saveDataFlag.compare_exchange_strong(idle, 1))
        qkwinstatchgcolor(app->winPtr, kSaveDataStatic, 1, "Red");
    return 0;
}
