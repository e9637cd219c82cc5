// Fuzzer of the identity block parser: the payload of the analyzer's identity
// answer as the search stores it (at most the 64 bytes of the block) is split
// at its commas into version, type, temperature, pressure and concentration
// fields and the version text into hardware, application, revision and build.
// Besides the sanitizers' checks it traps when a parsed text is not ended
// inside its field or the type leaves 0-3.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vxAnalyzerSrv.h"

namespace {

vxInfo* gApp = nullptr;

void check(bool ok)
{
    if (!ok) __builtin_trap();
}

template <size_t N> void ended(const char (&text)[N])
{
    check(strnlen(text, N) < N);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gApp = new vxInfo{};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vxAnalyzerInfo& ana = gApp->anaDetails;
    ana = vxAnalyzerInfo{};
    ana.size = static_cast<int>(size < sizeof ana.dataID ? size : sizeof ana.dataID);
    std::memcpy(ana.dataID, data, static_cast<size_t>(ana.size));
    vxSetAnalyzerID(gApp);
    vxParseAnalyzerID(gApp);
    const vxAnalyzerID& id = ana.ID;
    check(id.type >= 0 && id.type <= 3);
    ended(id.version);
    ended(id.presUnit);
    ended(id.concUnit);
    const vxAnalyzerVersion& v = ana.version;
    ended(v.hwName);
    ended(v.appName);
    ended(v.revName);
    ended(v.bldName);
    return 0;
}
