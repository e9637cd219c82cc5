// vxSpectraPage2fSrv: spectra of the 2F analyzers. Stored reference curves are
// loaded while the spectra profile is read (main thread); the curves that
// carry them are drawn like the analyzer's own, but never requested from it.
// A scan runs on the diagnostic-request worker: the page does not redraw while
// its state is 3, and the worker's waits keep the windows served.
#include "vxSpectraPage2fSrv.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinmsgbox.h"
#include "qksyswinsrv.h"
#include "qkwinpalettesrv.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxRunDiagSrv.h"
#include "vxSpectraPageSrv.h"
#include "vxSpectraTreeSrv.h"

namespace {

constexpr int kPlotA = 1460;
constexpr int kPlotB = 1462;
constexpr int kPlotC = 1464;
constexpr int kTrendPlot = 1466;
constexpr int kTrendValues = 10;
constexpr int kCurveAxis = 3;
constexpr int kSpectrumBytes = VX_SPECSAMPLES * 2;
constexpr int kSecondHalf = 512;        // the second half of a 2F spectrum starts here
constexpr int kLeadBytes = 4;           // ahead of the first half of a 2F spectrum
constexpr int32_t kFirstStoredDpid = 400101;   // from here on the program holds the data

// A 2F spectrum curve of plot A or C: its two halves.
void add2FPair(vxInfo* app, const vxSpectraParamInfo& c, int plotid)
{
    // Any other data point in these plots is no 2F spectrum: nothing asked.
    if (c.state != 1) return;
    if (c.dpid == 12) {
        if (vxSPaddRequest(app, 1, 12, "12", 0, nullptr)) vxSPaddRequest(app, 1, 13, "13", plotid, &c);
    } else if (c.dpid == 14) {
        if (vxSPaddRequest(app, 1, 14, "14", 0, nullptr)) vxSPaddRequest(app, 1, 15, "15", plotid, &c);
    }
}

int16_t* storedCurve(vxInfo* app, int32_t dpid)
{
    switch (dpid) {
    case 400101: return app->spData.hc12ach2odp;
    case 400102: return app->spData.hc12ach2osp;
    case 400103: return app->spData.hc12acco2;
    default: return nullptr;
    }
}

// The first half of a spectrum (after its lead bytes) from byte 0; count its bytes.
void storeFirstHalf(const vxDiagProtInfo& dp, vxAnalyzerSpectrumDataHC12* block, int32_t& byteCnt)
{
    const int n = std::clamp(dp.dataCnt - kLeadBytes, 0, kSpectrumBytes);
    byteCnt = n;
    std::memset(block->sdata, 0, sizeof block->sdata);
    if (n > 0) std::memcpy(block->sdata, dp.rspBuf + kLeadBytes, static_cast<size_t>(n));
}

// The second half from byte 512, whatever the length of the first.
void storeSecondHalf(const vxDiagProtInfo& dp, vxAnalyzerSpectrumDataHC12* block, int32_t& byteCnt)
{
    byteCnt = std::clamp(byteCnt + dp.dataCnt, 0, kSpectrumBytes);
    const int n = std::clamp(dp.dataCnt, 0, kSpectrumBytes - kSecondHalf);
    std::memcpy(reinterpret_cast<unsigned char*>(block->sdata) + kSecondHalf, dp.rspBuf, static_cast<size_t>(n));
}

// Stores one 2F response by its data point and lists its curve.
void store2F(vxInfo* app, const vxSpectraReqInfo& r)
{
    vxAnalyzerData2F& f2 = app->dpRequest.f2;
    const vxDiagProtInfo& dp = app->diagProt;
    const int expect = vxSPexpectCnt(app);
    switch (r.dpid) {
    case 10: vxSPstoreHeader(app, f2.diagDataPtr, f2.hdrByteCnt, 0); break;
    case 12: storeFirstHalf(dp, f2.acDataPtr, f2.acByteCnt); break;
    case 13:
        storeSecondHalf(dp, f2.acDataPtr, f2.acByteCnt);
        vxSPappendCurve(app, r, f2.acByteCnt, f2.acDataPtr->sdata, expect);
        break;
    case 14: storeFirstHalf(dp, f2.dcDataPtr, f2.dcByteCnt); break;
    case 15:
        storeSecondHalf(dp, f2.dcDataPtr, f2.dcByteCnt);
        vxSPappendCurve(app, r, f2.dcByteCnt, f2.dcDataPtr->sdata, expect);
        break;
    default:
        if (int16_t* stored = storedCurve(app, r.dpid)) vxSPappendCurve(app, r, VX_REFSAMPLES * 2, stored, 0);
        break;
    }
}

}  // namespace

int vxSPpauseTenths(const vxInfo* app)
{
    qklogTrace("vxSPpauseTenths");
    // The emulator needs longer to compute its spectra than the analyzer.
    return app != nullptr && app->anaDetails.emuFlag == 1 ? 20 : 5;
}

int vxSPexpectCnt(const vxInfo* app)
{
    qklogTrace("vxSPexpectCnt");
    return app != nullptr && app->spData.spectraSize != 0 ? app->spData.spectraSize : 1024;
}

bool vxSPaddRequest(vxInfo* app, int state, int32_t dpid, const char* text, int plotid,
                    const vxSpectraParamInfo* curve)
{
    qklogTrace("vxSPaddRequest");
    vxSpectraPageInfo& sp = app->spData;
    if (sp.diagReqCnt >= VX_MAXREQUESTS) return false;
    vxSpectraReqInfo& r = sp.diagReqList[sp.diagReqCnt++];
    std::memset(&r, 0, sizeof r);
    r.state = state;
    r.dpid = dpid;
    qkstrset(r.dpReq, text);
    r.plotid = plotid;
    if (curve != nullptr) {
        r.axis = kCurveAxis;
        r.overLay = curve->overLay;
        qkstrset(r.colorName, curve->color);
        qkstrset(r.plotName, curve->name);
    }
    return true;
}

void vxSPstartReqList(vxInfo* app)
{
    qklogTrace("vxSPstartReqList");
    vxSpectraPageInfo& sp = app->spData;
    std::memset(sp.diagReqList, 0, sizeof sp.diagReqList);
    sp.diagReqCnt = 0;
    vxSPaddRequest(app, 0, 9, "09", 0, nullptr);
    vxSPaddRequest(app, 0, 10, "10", 0, nullptr);
    // The curve tree's check boxes decide which curves are asked for.
    vxSpectraPageGetTreeViewImages(app);
}

int vxSPbuild2FReqList(vxInfo* app)
{
    qklogTrace("vxSPbuild2FReqList");
    if (app == nullptr) return -2;
    vxSPstartReqList(app);
    const vxSpectraAppInfo& prof = app->spData.f2;
    for (int i = 0; i < prof.plotAcnt && i < VX_MAXCURVES; ++i) add2FPair(app, prof.plotA[i], kPlotA);
    for (int i = 0; i < prof.plotBcnt && i < VX_MAXCURVES; ++i) {
        const vxSpectraParamInfo& c = prof.plotB[i];
        if (c.state != 1 || c.dpid == 0) continue;
        char text[16];
        qkstrfmt(text, sizeof text, "%6.6d", static_cast<int>(c.dpid));
        vxSPaddRequest(app, 1, c.dpid, text, kPlotB, &c);
    }
    for (int i = 0; i < prof.plotCcnt && i < VX_MAXCURVES; ++i) add2FPair(app, prof.plotC[i], kPlotC);
    return 0;
}

void vxSPscanBegin(vxInfo* app, void* store, int (*build)(vxInfo*))
{
    qklogTrace("vxSPscanBegin");
    vxSpectraPageInfo& sp = app->spData;
    app->dpRequest.appPtr = store;
    app->dpRequest.scanCnt.fetch_add(1);
    // A check message of the previous scan goes with the new scan's start.
    if (app->winPtr != nullptr) qkwinmsgstopthred(app->winPtr);
    build(app);
    sp.plots.plotListCnt = 0;
    sp.dataReady.store(0);
    sp.state.store(3);
    std::memset(&sp.plots.plotList[0], 0, sizeof sp.plots.plotList[0]);
}

int vxSPscanRequest(vxInfo* app, vxSpectraReqInfo& r, const char* fmt, int pauseTenths, int& result)
{
    qklogTrace("vxSPscanRequest");
    r.dataFlag = 0;
    vxBuildDiagReqMsg(app, r.dpReq);
    const int sent = vxSendDiagReqMsg(app);
    if (sent < 0) {
        // The line is gone (a port unplugged, a write refused): the scan ends
        // here, nothing of it is checked. The page goes back to idle with no
        // new data ready; left at "scan in progress" it would never scan or
        // redraw again.
        qklogf("vxSPscanRequest", "scan %d ended, request %s not sent: %d",
               static_cast<int>(app->dpRequest.scanCnt.load()), r.dpReq, sent);
        app->spData.state.store(2);
        return sent;
    }
    char msg[64];
    qkstrfmt(msg, sizeof msg, fmt, r.dpReq);
    vxRunDiagSetMsg(app, msg);
    app->refrashPlots.store(1);
    qkwinsleep(app->winPtr, 2, pauseTenths);
    if (r.dpid == 9) {
        // The analyzer takes its scan now; it has nothing to answer.
        qkwinsleep(app->winPtr, 2, app->spData.demandPollRate);
        result = 0;
        return sent;
    }
    result = vxGetDiagRespMsg(app);
    return sent;
}

vxSpectraPlotData* vxSPappendCurve(vxInfo* app, const vxSpectraReqInfo& r, int dataCnt, void* data, int expectCnt)
{
    qklogTrace("vxSPappendCurve");
    vxSpectrPlotsInfo& plots = app->spData.plots;
    if (plots.plotListCnt < 0 || plots.plotListCnt >= VX_MAXPLOTLIST) return nullptr;
    vxSpectraPlotData& e = plots.plotList[plots.plotListCnt];
    std::memset(&e, 0, sizeof e);
    e.state = r.state;
    e.plotid = r.plotid;
    e.axis = r.axis;
    e.overLay = r.overLay;
    e.dataCnt = dataCnt;
    e.expectCnt = expectCnt;
    e.dataPtr = data;
    qkstrset(e.colorName, r.colorName);
    qkstrset(e.plotName, r.plotName);
    e.colorRgb = r.colorName[0] ? qkwinpalettegetvalue(app->winPtr, r.colorName) : 0;
    ++plots.plotListCnt;
    return &e;
}

void vxSPstoreHeader(vxInfo* app, vxAnalyzerDiagnosticDataHC12* hdr, int32_t& hdrByteCnt, int expectCnt)
{
    qklogTrace("vxSPstoreHeader");
    const vxDiagProtInfo& dp = app->diagProt;
    std::memset(hdr->hdata, 0, sizeof hdr->hdata);
    hdrByteCnt = std::clamp(dp.dataCnt, 0, VX_HDRBYTES);
    std::memcpy(hdr->hdata, dp.rspBuf, static_cast<size_t>(hdrByteCnt));
    vxSpectraPageListData(app);
    vxSpectraReqInfo trend{};
    trend.state = 1;
    trend.plotid = kTrendPlot;
    trend.axis = kCurveAxis;
    qkstrset(trend.colorName, "Red");
    vxSPappendCurve(app, trend, kTrendValues, app->spData.plots.conPlotData, expectCnt);
}

void vxSPappendOverlays(vxInfo* app, const vxSpectraReqInfo& r, vxAnalyzerSpectrumDataHC12* ring)
{
    qklogTrace("vxSPappendOverlays");
    vxSpectrPlotsInfo& plots = app->spData.plots;
    if (app->spData.overlayFlag.load() != 1 || r.overLay != 1 || plots.plotListCnt <= 0) return;
    const int scans = app->dpRequest.scanCnt.load();
    int j = (app->dpRequest.scanNdx.load() + VX_SCANSLOTS - 1) % VX_SCANSLOTS;
    for (int m = 0; m < 3; ++m) {
        if (scans > m + 1) {
            if (plots.plotListCnt >= VX_MAXPLOTLIST) return;
            const vxSpectraPlotData& last = plots.plotList[plots.plotListCnt - 1];
            vxSpectraPlotData& copy = plots.plotList[plots.plotListCnt];
            copy = last;
            if (ring != nullptr) copy.dataPtr = ring[j].sdata;
            // Older scans are drawn progressively lighter.
            qkwinpalettedef colour{};
            colour.value = qkwinpalettereftovalue(last.colorRgb);
            vxSpectraGetOvColor(app, &colour);
            copy.colorRgb = qkwinpalettevaluetoref(colour.value);
            ++plots.plotListCnt;
        }
        j = (j + VX_SCANSLOTS - 1) % VX_SCANSLOTS;
    }
}

int vxSPscanEnd(vxInfo* app)
{
    qklogTrace("vxSPscanEnd");
    vxSpectraPageInfo& sp = app->spData;
    vxSpectraCheckScan(app);
    const int status = vxSpectraSetCurveScale(app);
    sp.dataReady.store(1);
    sp.state.store(2);
    // Without overlays every scan reuses the same slot.
    if (sp.overlayFlag.load() == 1) app->dpRequest.scanNdx.store((app->dpRequest.scanNdx.load() + 1) % VX_SCANSLOTS);
    return status;
}

int vxSPget2Fdata(vxInfo* app)
{
    qklogTrace("vxSPget2Fdata");
    if (app == nullptr) return -2;
    const int pause = vxSPpauseTenths(app);
    vxAnalyzereDataInfo& dr = app->dpRequest;
    vxAnalyzerData2F& f2 = dr.f2;
    vxSPscanBegin(app, &f2, vxSPbuild2FReqList);
    const int slot = std::clamp(dr.scanNdx.load(), 0, VX_SCANSLOTS - 1);
    f2.diagDataPtr = &f2.diagData[slot];
    f2.acDataPtr = &f2.acData[slot];
    f2.dcDataPtr = &f2.dcData[slot];

    vxSpectraPageInfo& sp = app->spData;
    for (int i = 0; i < sp.diagReqCnt && i < VX_MAXREQUESTS; ++i) {
        vxSpectraReqInfo& r = sp.diagReqList[i];
        int result = 2;
        if (r.dpid < kFirstStoredDpid) {
            const int sent = vxSPscanRequest(app, r, "HC12 2F request: %s", pause, result);
            if (sent < 0) return sent;
            if (r.dpid == 9) continue;
        }
        // A stored curve goes on with the count of the last response read.
        if (result != 2 || app->diagProt.dataCnt <= 0) continue;
        r.dataFlag = 1;
        store2F(app, r);
        vxSPappendOverlays(app, r, r.dpid == 13 ? f2.acData : r.dpid == 15 ? f2.dcData : nullptr);
    }
    return vxSPscanEnd(app);
}

int vxSPload2FdataFile(vxInfo* app, int32_t dpid, const char* path)
{
    qklogTrace("vxSPload2FdataFile");
    if (app == nullptr) return -2;
    const char* name = path ? path : "";
    int16_t* target = nullptr;
    switch (dpid) {
    case 400101: target = app->spData.hc12ach2odp; break;
    case 400102: target = app->spData.hc12ach2osp; break;
    case 400103: target = app->spData.hc12acco2; break;
    default:
        qklogf("vxSPload2FdataFile", "Unsupported dpid for: %s", name);
        return -2;
    }

    FILE* fp = name[0] ? qkfileopen(name, "r") : nullptr;
    if (fp == nullptr) {
        qklogf("vxSPload2FdataFile", "file read error for: %s", name);
        return -2;
    }

    char rec[1025];   // a record holds up to 1024 characters
    int n = 0;
    while (n < VX_REFSAMPLES) {
        int len = qkfilerdrec(fp, sizeof rec, rec, '\n');
        if (len <= 0) break;
        // The rest of an over-long line is no value of its own.
        bool cut = len == static_cast<int>(sizeof rec) - 1 && rec[len - 1] != '\n';
        if (cut) {
            char skip[256];
            int more;
            do {
                more = qkfilerdrec(fp, sizeof skip, skip, '\n');
            } while (more > 0 && skip[more - 1] != '\n');
        }
        for (char* p = rec; *p; ++p)
            if (*p == '\n' || *p == '\r') *p = '\0';
        // As atoi reads it: leading blanks skipped, no digits give 0; the value
        // is kept to its low 16 bits.
        long value = std::strtol(rec, nullptr, 10);
        target[n++] = static_cast<int16_t>(static_cast<int32_t>(value));
    }
    return qkfileclose(fp);
}
