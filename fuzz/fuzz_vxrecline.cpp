// Fuzzer of the record-line splitter: the analyzer's record stream arrives in
// chunks as the link delivers them (at most its buffer), the splitter turns it
// into lines (carriage returns and line feeds become blanks, a line longer
// than the line buffer is cut) and hands each complete line to the capture
// ring, which the page drains at once. No link is chosen, so the splitter's
// read for the next chunk finds nothing, as on a silent link. Besides the
// sanitizers' checks it traps when a line is not ended inside its slot or a
// line of the stream is lost although the page keeps up.
//
// Input: chunk size (1-256, 0 the whole link buffer), then the stream.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vxRunDiagSrv.h"

namespace {

vxInfo* gApp = nullptr;

void check(bool ok)
{
    if (!ok) __builtin_trap();
}

// The page's side: takes every published line and frees its slot.
void drain(vxModeDatanfo& md)
{
    while (char* line = vxRunDiagGetDataReadyFlag(gApp)) {
        check(strnlen(line, sizeof md.dataLine[0]) < sizeof md.dataLine[0]);
        line[0] = '\0';
        const int rd = md.dataLineRdNdx.load();
        md.dataLineRdNdx.store(rd + 1 < VX_RINGLINES ? rd + 1 : 0);
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
    if (size < 1) return 0;
    const size_t chunk = data[0] == 0 ? static_cast<size_t>(VX_LINKBUFSIZE) : data[0];
    ++data;
    --size;
    vxInfo& app = *gApp;
    app.anaCom.connectType = 0;
    vxModeDatanfo& md = app.runDiag.modeData;
    md.byteCnt = md.dataNdx = md.dataFlag = 0;
    md.dataBuf[0] = '\0';
    md.dataLineWtNdx.store(0);
    md.dataLineRdNdx.store(0);
    md.lostCnt.store(0);

    while (size > 0) {
        const size_t n = size < chunk ? size : chunk;
        std::memcpy(app.anaCom.ibuf, data, n);
        app.anaCom.rdByteCnt = static_cast<int>(n);
        md.byteCnt = static_cast<int>(n);
        data += n;
        size -= n;
        // Lines until the chunk is used up and the next read finds nothing.
        while (vxAnalyzerGetMode1(gApp) == 1) {
            check(md.dataFlag == 1 && md.dataNdx < static_cast<int>(sizeof md.dataBuf));
            vxRunDiagPutLine(gApp, 0);
            drain(md);
        }
        check(md.byteCnt == 0);
    }
    check(md.lostCnt.load() == 0);
    return 0;
}
