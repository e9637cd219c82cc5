// Fuzzer of the diagnostic data-block reader: the analyzer's answer arrives in
// reads (of the link's buffer size at most) and each read is scanned for the
// payload between "[" and "]]" until the block ends. Besides the sanitizers'
// checks it traps when the payload count leaves the response buffer.
//
// Input: read size (1-256, 0 the whole link buffer), then the bytes the
// analyzer sends.
#include <cstddef>
#include <cstdint>

#include "vxDiagnosticProtocolSrv.h"

namespace {

vxInfo* gApp = nullptr;

void check(bool ok)
{
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gApp = new vxInfo{};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const size_t chunk = data[0] == 0 ? static_cast<size_t>(VX_LINKBUFSIZE) : data[0];
    ++data;
    --size;
    vxDiagProtInfo& dp = gApp->diagProt;
    dp.dataCnt = 0;
    vxDiagBlockScanInfo scan{};
    while (size > 0) {
        const size_t n = size < chunk ? size : chunk;
        const bool ended = vxDiagScanBlock(&dp, &scan, data, static_cast<int>(n));
        check(dp.dataCnt >= 0 && dp.dataCnt <= static_cast<int>(sizeof dp.rspBuf));
        if (ended) break;
        data += n;
        size -= n;
    }
    return 0;
}
