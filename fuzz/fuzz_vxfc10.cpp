// Fuzzer of the FC10 header decoder: the spectra page's profile lists the
// header's parameters with their TYPE words; a scan brings the 128-byte
// diagnostic header (or fewer bytes) into its ring slot, and the decoder
// turns it into one FC10 row, each parameter's value text, the trend values
// and the NS fit ratio. Besides the sanitizers' checks it traps when a value
// text is not ended inside its field or the trend index leaves its array.
//
// Input: application (2F, NS, FS) with the emulator bit, ring slot (4 and
// above lie outside the ring), the parameter count (at most 32) and as many
// TYPE words, the count of header bytes that came in, then the header.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vxSpectraTreeSrv.h"

namespace {

constexpr int kApps[] = {VX_APP_PP2F, VX_APP_NS, VX_APP_FS};

vxInfo* gApp = nullptr;

void check(bool ok)
{
    if (!ok) __builtin_trap();
}

unsigned char* headerOf(vxAnalyzereDataInfo& dp, int app, int slot)
{
    switch (app) {
    case VX_APP_PP2F: return dp.f2.diagData[slot].hdata;
    case VX_APP_NS: return dp.ns.diagData[slot].hdata;
    default: return dp.fs.diagData[slot].hdata;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gApp = new vxInfo{};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4) return 0;
    const int appType = kApps[(data[0] & 0x7F) % 3];
    const int slot = data[1] % 6;
    const int count = data[2] % (VX_MAXFC10 + 1);
    data += 3;
    size -= 3;
    if (size < static_cast<size_t>(count) + 1) return 0;

    vxInfo& app = *gApp;
    app.anaDetails.version.appType = appType;
    app.anaDetails.emuFlag = data[-3] >> 7;
    vxSpectraAppInfo* profile = appType == VX_APP_PP2F ? &app.spData.f2 : appType == VX_APP_NS ? &app.spData.ns : &app.spData.fs;
    profile->digHdrCnt = count;
    for (int i = 0; i < count; ++i) profile->digHdr[i].type = data[i] % 9;   // 8: a word no type has
    data += count;
    size -= static_cast<size_t>(count);
    app.spData.appPtr = profile;
    app.spData.plots.conPlotDataNdx = 0;

    vxAnalyzereDataInfo& dp = app.dpRequest;
    dp.scanNdx.store(slot);
    const int32_t received = data[0];
    ++data;
    --size;
    const int s = slot < VX_SCANSLOTS ? slot : 0;
    unsigned char* header = headerOf(dp, appType, s);
    std::memset(header, 0, VX_HDRBYTES);
    std::memcpy(header, data, size < VX_HDRBYTES ? size : VX_HDRBYTES);
    dp.f2.hdrByteCnt = dp.ns.hdrByteCnt = dp.fs.hdrByteCnt = received;

    vxSpectraPageListData(gApp);
    for (int i = 0; i < count; ++i) check(strnlen(profile->digHdr[i].value, sizeof profile->digHdr[i].value) < sizeof profile->digHdr[i].value);
    const int trend = app.spData.plots.conPlotDataNdx;
    check(trend >= 0 && trend <= static_cast<int>(sizeof app.spData.plots.conPlotData / sizeof(float)));
    return 0;
}
