// vxSpectraArm9Srv: NS and FS spectra (see the header). Runs on the
// diagnostic-request worker; the page does not redraw while its state is 3.
#include "vxSpectraArm9Srv.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "vxSpectraPage2fSrv.h"

namespace {

constexpr int kPlotA = 1460;
constexpr int kPlotB = 1462;
constexpr int kPlotC = 1464;
constexpr int kSpectrumBytes = VX_SPECSAMPLES * 2;
constexpr int32_t kFirstStoredDpid = 400101;   // from here on never asked for
constexpr int32_t kWet2f = 400041;
constexpr int32_t kRef1 = 400051;
constexpr int32_t kDry2fRef = 400056;

// Where a data point's spectrum goes: its byte count and its ring (the
// current-scan pointer follows the ring in the store).
struct Ring {
    int32_t* byteCnt = nullptr;
    vxAnalyzerSpectrumDataFS* data = nullptr;
    vxAnalyzerSpectrumDataFS** current = nullptr;
};

template <typename Store> Ring ringOf(Store& s, int32_t dpid)
{
    switch (dpid) {
    case 400041: return {&s.w2fByteCnt, s.wet2fData, &s.wet2fDataPtr};
    case 400042: return {&s.d2fByteCnt, s.dry2fData, &s.dry2fDataPtr};
    case 400043: return {&s.wdcByteCnt, s.wetdcData, &s.wetdcDataPtr};
    case 400044: return {&s.ddcByteCnt, s.drydcData, &s.drydcDataPtr};
    case 400045: return {&s.dff2fByteCnt, s.diff2fData, &s.diff2fDataPtr};
    case 400051: return {&s.rf1ByteCnt, s.ref1Data, &s.ref1DataPtr};
    case 400056: return {&s.d2frByteCnt, s.dry2frefData, &s.dry2frefDataPtr};
    case 400057: return {&s.w2frByteCnt, s.wet2frefData, &s.wet2frefDataPtr};
    case 400058: return {&s.ddcrByteCnt, s.drydcrefData, &s.drydcrefDataPtr};
    case 400059: return {&s.wdcrByteCnt, s.wetdcrefData, &s.wetdcrefDataPtr};
    default: return {};
    }
}

constexpr int32_t kSpectrumDpids[] = {400041, 400042, 400043, 400044, 400045,
                                      400051, 400056, 400057, 400058, 400059};

template <typename Store> void pointAtSlot(Store& s, int slot)
{
    s.diagDataPtr = &s.diagData[slot];
    for (int32_t dpid : kSpectrumDpids) {
        Ring r = ringOf(s, dpid);
        *r.current = &r.data[slot];
    }
}

int buildList(vxInfo* app, const vxSpectraAppInfo& prof, bool ns)
{
    vxSPstartReqList(app);
    const struct {
        const vxSpectraParamInfo* curves;
        int count;
        int plotid;
    } plots[] = {{prof.plotA, prof.plotAcnt, kPlotA}, {prof.plotB, prof.plotBcnt, kPlotB},
                 {prof.plotC, prof.plotCcnt, kPlotC}};
    for (const auto& p : plots) {
        for (int i = 0; i < p.count && i < VX_MAXCURVES; ++i) {
            const vxSpectraParamInfo& c = p.curves[i];
            if (c.state != 1 || c.dpid == 0) continue;
            // A derived curve is made from a spectrum that must come in first.
            if (ns && p.plotid == kPlotA && c.dpid == 400202) vxSPaddRequest(app, 0, kDry2fRef, "400056", 0, nullptr);
            if (ns && p.plotid == kPlotA && c.dpid == 400201) vxSPaddRequest(app, 0, kRef1, "400051", 0, nullptr);
            char text[16];
            qkstrfmt(text, sizeof text, "%6.6d", static_cast<int>(c.dpid));
            vxSPaddRequest(app, 1, c.dpid, text, p.plotid, &c);
        }
    }
    return 0;
}

// One scan of an ARM9 analyzer. Returns the scan's status; refCnt gets the
// byte count of the dry 2f reference curve appended (0 when none).
template <typename Store>
int scanArm9(vxInfo* app, Store& s, int (*build)(vxInfo*), const char* fmt, bool ns, int& refCnt)
{
    const int pause = vxSPpauseTenths(app);
    vxSPscanBegin(app, &s, build);
    pointAtSlot(s, std::clamp(app->dpRequest.scanNdx.load(), 0, VX_SCANSLOTS - 1));
    refCnt = 0;
    vxSpectraPageInfo& sp = app->spData;
    const vxDiagProtInfo& dp = app->diagProt;
    for (int i = 0; i < sp.diagReqCnt && i < VX_MAXREQUESTS; ++i) {
        vxSpectraReqInfo& r = sp.diagReqList[i];
        int result = 2;
        // Derived curves (400201, 400202) are never asked for: they go on with
        // the count of the last response read.
        if (r.dpid < kFirstStoredDpid) {
            const int sent = vxSPscanRequest(app, r, fmt, pause, result);
            if (sent < 0) return sent;
            if (r.dpid == 9) continue;
        }
        if (result != 2 || dp.dataCnt <= 0) continue;
        r.dataFlag = 1;
        const int expect = vxSPexpectCnt(app);
        Ring ring = ringOf(s, r.dpid);
        if (r.dpid == 10) {
            vxSPstoreHeader(app, s.diagDataPtr, s.hdrByteCnt, expect);
        } else if (ring.data != nullptr && !(ns && r.dpid == kWet2f)) {
            // Each spectrum comes whole: no lead bytes, no second half.
            const int n = std::clamp(dp.dataCnt, 0, kSpectrumBytes);
            *ring.byteCnt = n;
            std::memcpy((*ring.current)->sdata, dp.rspBuf, static_cast<size_t>(n));
            if (vxSPappendCurve(app, r, n, (*ring.current)->sdata, expect) != nullptr && r.dpid == kDry2fRef)
                refCnt = n;
        }
        vxSPappendOverlays(app, r, ring.data);
    }
    return 1;
}

}  // namespace

void vxSPcombineNSref(int16_t* dry, int16_t* ref, int n, float fit)
{
    qklogTrace("vxSPcombineNSref");
    if (dry == nullptr || ref == nullptr) return;
    n = std::clamp(n, 0, VX_SPECSAMPLES);
    int16_t old[VX_SPECSAMPLES];
    std::memcpy(old, dry, static_cast<size_t>(n) * sizeof *dry);
    for (int i = 0; i < n; ++i) {
        // Truncated toward zero, then kept to 16 bits. A product beyond the
        // 32-bit range (a damaged header's fit ratio) gives the processor's
        // "integer indefinite", whose low 16 bits are 0.
        const double v = static_cast<double>(dry[i]) * static_cast<double>(fit);
        const bool fits = std::isfinite(v) && v > -2147483649.0 && v < 2147483648.0;
        const auto scaled = fits ? static_cast<uint16_t>(static_cast<int32_t>(v)) : uint16_t{0};
        dry[i] = static_cast<int16_t>(static_cast<uint16_t>(scaled + static_cast<uint16_t>(ref[i])));
    }
    for (int i = 0; i < n; ++i)
        ref[i] = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint16_t>(ref[i]) + static_cast<uint16_t>(old[i])));
}

int vxSPbuildNSReqList(vxInfo* app)
{
    qklogTrace("vxSPbuildNSReqList");
    if (app == nullptr) return -2;
    return buildList(app, app->spData.ns, true);
}

int vxSPbuildFSReqList(vxInfo* app)
{
    qklogTrace("vxSPbuildFSReqList");
    if (app == nullptr) return -2;
    return buildList(app, app->spData.fs, false);
}

int vxSPgetNSdata(vxInfo* app)
{
    qklogTrace("vxSPgetNSdata");
    if (app == nullptr) return -2;
    vxAnalyzerDataNS& ns = app->dpRequest.ns;
    int refCnt = 0;
    const int status = scanArm9(app, ns, vxSPbuildNSReqList, "ARM9 NS request: %s", true, refCnt);
    if (status < 0) return status;
    // The dry 2f reference is scaled by this scan's fit ratio and offset by
    // reference 1.
    if (refCnt != 0) vxSPcombineNSref(ns.dry2frefDataPtr->sdata, ns.ref1DataPtr->sdata, refCnt / 2, ns.fitRation);
    return vxSPscanEnd(app);
}

int vxSPgetFSdata(vxInfo* app)
{
    qklogTrace("vxSPgetFSdata");
    if (app == nullptr) return -2;
    int refCnt = 0;
    const int status = scanArm9(app, app->dpRequest.fs, vxSPbuildFSReqList, "ARM9 FS request: %s", false, refCnt);
    if (status < 0) return status;
    return vxSPscanEnd(app);
}
