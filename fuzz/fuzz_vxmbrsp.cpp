// Fuzzer of the Modbus response reader: the page builds its function-code-3
// request as it does before every exchange, then the analyzer's bytes arrive
// in reads of up to the room left in the response buffer, and after each read
// the reader looks for this slave's frame (frames of other slaves dropped).
// Besides the sanitizers' checks it traps when the decoded value counts leave
// their arrays or the frame leaves the buffer.
//
// Input: register range (0 16-bit integers, 1 32-bit integers, 2 floats,
// 3 an invalid address), slave address, read size (1-64), then the bytes the
// analyzer sends.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vxModbusProtocolSrv.h"

namespace {

constexpr int kReads = 10;   // the reader gives up after ten reads
constexpr int kFirstReg[] = {3000, 5000, 7000, 9000};

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
    if (size < 3) return 0;
    vxModbusInfo& mb = gApp->mbData;
    mb = vxModbusInfo{};
    mb.mbSlaveAddr = data[1];
    mb.mbReg = kFirstReg[data[0] & 3] + data[0] / 4;
    mb.mbRegCnt = 1 + data[0] % 63;
    vxValidateMbReg(gApp);
    vxBuildMbFc03Msg(gApp);
    const size_t chunk = 1 + data[2] % 64;
    data += 3;
    size -= 3;

    int total = 0;
    int result = -2;
    for (int read = 0; read < kReads; ++read) {
        const size_t room = sizeof mb.msgBuf - static_cast<size_t>(total);
        const size_t n = size < chunk ? size : chunk < room ? chunk : room;
        std::memcpy(mb.msgBuf + total, data, n);
        data += n;
        size -= n;
        total += static_cast<int>(n);
        if (vxTakeMbRspFrame(gApp, &total, &result) == 1) {
            check(mb.fcPtr == mb.msgBuf && mb.fcByteCnt >= 5 && mb.fcByteCnt <= total);
            check(result == 0 || result == -99 || result == -2);
            const vxModbusValues& v = mb.regVal;
            check(v.shtCnt >= 0 && v.shtCnt <= 126 && v.lngCnt >= 0 && v.lngCnt <= 63 && v.fltCnt >= 0 &&
                  v.fltCnt <= 63);
            vxBuildMbFcDbmsg(gApp);
            break;
        }
        check(total >= 0 && total <= static_cast<int>(sizeof mb.msgBuf));
    }
    return 0;
}
