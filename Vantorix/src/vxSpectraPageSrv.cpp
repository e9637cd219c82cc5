// vxSpectraPageSrv: the spectra page (see the header). These steps run on the
// diagnostic-request worker at the end of a scan, while the page does not
// redraw (its state is 3).
#include "vxSpectraPageSrv.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinmsgbox.h"

namespace {

constexpr int kOverlayStep = 70;
constexpr int kDefaultCurveBytes = 1024;
constexpr int kTrendPlot = 1466;

void setScale(vxSpectraPageInfo& sp, vxSpectraCurveScale& scale, int plotid)
{
    std::memset(&scale, 0, sizeof scale);
    const vxSpectrPlotsInfo& plots = sp.plots;
    int capacity = VX_SPECSAMPLES;
    for (int i = 0; i < plots.plotListCnt && scale.listCnt < VX_MAXPLOTLIST; ++i) {
        const vxSpectraPlotData& e = plots.plotList[i];
        if (e.plotid != plotid || e.dataPtr == nullptr) continue;
        scale.dataCnt = e.dataCnt / 2;
        scale.list[scale.listCnt++] = static_cast<int16_t*>(e.dataPtr);
        capacity = std::min(capacity, vxSpectraCurveCapacity(sp, e.dataPtr));
    }
    // The last curve's count is taken for all; it never reads past the
    // shortest buffer of the plot.
    scale.dataCnt = std::clamp(scale.dataCnt, 0, capacity);
    vxSpectraGetCurveScale(&scale);
}

}  // namespace

int vxSpectraCurveCapacity(const vxSpectraPageInfo& sp, const void* data)
{
    for (const int16_t* ref : {sp.hc12ach2odp, sp.hc12ach2osp, sp.hc12acco2})
        if (data == ref) return VX_REFSAMPLES;
    return VX_SPECSAMPLES;
}

int vxSpectraGetOvColor(vxInfo* app, qkwinpalettedef* colour)
{
    qklogTrace("vxSpectraGetOvColor");
    (void)app;
    if (colour == nullptr) return -2;
    const auto lighter = [](uint32_t part) { return std::min<uint32_t>(part + kOverlayStep, 255); };
    colour->rgb.red = static_cast<uint16_t>(lighter((colour->value >> 16) & 0xFF));
    colour->rgb.green = static_cast<uint16_t>(lighter((colour->value >> 8) & 0xFF));
    colour->rgb.blue = static_cast<uint16_t>(lighter(colour->value & 0xFF));
    colour->value = (uint32_t{colour->rgb.red} << 16) | (uint32_t{colour->rgb.green} << 8) | colour->rgb.blue;
    return 0;
}

int vxSpectraCheckScan(vxInfo* app)
{
    qklogTrace("vxSpectraCheckScan");
    if (app == nullptr) return -2;
    vxSpectraPageInfo& sp = app->spData;
    const int scan = app->dpRequest.scanCnt.load();
    char line[96];

    std::string missing = "No data received for: \n";
    bool anyMissing = false;
    for (int i = 0; i < sp.diagReqCnt && i < VX_MAXREQUESTS; ++i) {
        const vxSpectraReqInfo& r = sp.diagReqList[i];
        if ((r.plotid == 0 && r.dpid != 10) || r.dataFlag != 0) continue;
        qkstrfmt(line, sizeof line, " request: %d\n", static_cast<int>(r.dpid));
        missing += line;
        anyMissing = true;
    }
    if (anyMissing) {
        qklogf("vxSpectraCheckScan", "detected no data error for scan: %d", scan);
        qkwinmsgrunthred(app->winPtr, missing.c_str());
        return -2;
    }

    std::string wrong = "Incorrect byte count for: \n";
    bool anyWrong = false;
    for (int i = 0; i < sp.plots.plotListCnt && i < VX_MAXPLOTLIST; ++i) {
        const vxSpectraPlotData& e = sp.plots.plotList[i];
        if (e.plotid == 0) continue;
        int expect = e.expectCnt > 0 ? e.expectCnt : kDefaultCurveBytes;
        if (e.plotid == kTrendPlot) expect = e.dataCnt;
        if (e.dataCnt == expect) continue;
        qkstrfmt(line, sizeof line, " curve: %s received %d bytes\n", e.plotName, e.dataCnt);
        wrong += line;
        anyWrong = true;
    }
    if (anyWrong) {
        qklogf("vxSpectraCheckScan", "detected data size error for scan: %d", scan);
        qkwinmsgrunthred(app->winPtr, wrong.c_str());
        return -2;
    }
    return 0;
}

int vxSpectraSetCurveScale(vxInfo* app)
{
    qklogTrace("vxSpectraSetCurveScale");
    if (app == nullptr) return -2;
    vxSpectraPageInfo& sp = app->spData;
    setScale(sp, sp.plots.scaleA, 1460);
    setScale(sp, sp.plots.scaleB, 1462);
    setScale(sp, sp.plots.scaleC, 1464);
    return 0;
}

int vxSpectraGetCurveScale(vxSpectraCurveScale* scale)
{
    qklogTrace("vxSpectraGetCurveScale");
    if (scale == nullptr) return -2;
    // The range always includes 0.
    scale->max = scale->min = 0;
    for (int c = 0; c < scale->listCnt && c < VX_MAXPLOTLIST; ++c) {
        const int16_t* s = scale->list[c];
        if (s == nullptr) continue;
        for (int i = 0; i < scale->dataCnt; ++i) {
            scale->max = std::max<int32_t>(scale->max, s[i]);
            scale->min = std::min<int32_t>(scale->min, s[i]);
        }
    }
    scale->absval = scale->max - scale->min;
    return 0;
}
