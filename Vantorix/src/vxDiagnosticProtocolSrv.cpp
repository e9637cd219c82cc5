// vxDiagnosticProtocolSrv: requests, data blocks and acknowledgements of the
// analyzer's text protocol.
#include "vxDiagnosticProtocolSrv.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "vxAsynSrv.h"
#include "vxTcpSrv.h"

namespace {

constexpr int kIdleReads = 2;
constexpr int kOkReads = 9;
constexpr int kCheckAbove = 32;   // reads longer than this are tested for readable text

bool auditOn(const vxInfo* app)
{
    return (app->diagProt.audit & VX_DIAGAUD_EXCHANGE) != 0;
}

void store(vxDiagProtInfo& dp, unsigned char c)
{
    // Beyond the buffer the payload is dropped; the end marker still counts.
    if (dp.dataCnt < static_cast<int>(sizeof dp.rspBuf)) dp.rspBuf[dp.dataCnt++] = c;
}

// The text in ibuf, and at least the bytes of the last read (n): noise on
// the line before the acknowledgement may hold NUL bytes, which must not
// hide the "OK" behind them.
bool ibufHoldsOk(const vxAnalyzerComInfo& com, int n)
{
    std::size_t length = strnlen(reinterpret_cast<const char*>(com.ibuf), sizeof com.ibuf);
    if (n > 0 && com.ibPtr == com.ibuf) length = std::max(length, std::min(static_cast<std::size_t>(n), sizeof com.ibuf));
    std::string_view text(reinterpret_cast<const char*>(com.ibuf), length);
    return text.find("OK") != std::string_view::npos;
}

}  // namespace

bool vxDiagScanBlock(vxDiagProtInfo* dp, vxDiagBlockScanInfo* s, const unsigned char* bytes, int n)
{
    qklogTrace("vxDiagScanBlock");
    if (dp == nullptr || s == nullptr || bytes == nullptr) return false;
    for (int i = 0; i < n; ++i) {
        const unsigned char c = bytes[i];
        if (!s->started) {
            s->started = c == '[';
            continue;
        }
        if (s->bracket) {
            if (c == ']') return true;
            store(*dp, ']');
            s->bracket = false;
        }
        if (c == ']') {
            s->bracket = true;   // the end, if the next byte is "]" too
            continue;
        }
        store(*dp, c);
    }
    return false;
}

int vxDiagLinkRead(vxInfo* app)
{
    qklogTrace("vxDiagLinkRead");
    if (app == nullptr) return -2;
    switch (app->anaCom.connectType) {
    case 1: return vxAsynRead(app);
    case 2: return vxTcpRead(app);
    default: return -2;
    }
}

int vxDiagLinkWrite(vxInfo* app)
{
    qklogTrace("vxDiagLinkWrite");
    if (app == nullptr) return -2;
    switch (app->anaCom.connectType) {
    case 1: return vxAsynWrite(app);
    case 2: return vxTcpWrite(app);
    default: return -2;
    }
}

int vxBuildDiagReqMsg(vxInfo* app, const char* code)
{
    qklogTrace("vxBuildDiagReqMsg");
    if (app == nullptr) return -2;
    return vxBuildDiagReqMsgTo(app, app->diagProt.modbusAddr, code, "vxBuildDiagReqMsg");
}

int vxBuildDiagReqMsgTo(vxInfo* app, int addr, const char* code, const char* label)
{
    qklogTrace("vxBuildDiagReqMsgTo");
    if (app == nullptr || code == nullptr || label == nullptr) return -2;
    vxAnalyzerComInfo& com = app->anaCom;
    char* obuf = reinterpret_cast<char*>(com.obuf);
    qkstrfmt(obuf, sizeof com.obuf, "%s%3.3d%s", "\\\\", addr, code);
    com.obPtr = com.obuf;
    com.wrtByteCnt = 0;   // sent as text
    if (auditOn(app))
        qklogf(label, "Diagnostic protocol request, byte count: %d, request: %s", static_cast<int>(std::strlen(obuf)),
               obuf);
    return 0;
}

int vxSendDiagReqMsg(vxInfo* app)
{
    qklogTrace("vxSendDiagReqMsg");
    if (app == nullptr) return -2;
    int result = vxDiagLinkWrite(app);
    if (auditOn(app))
        qklogf("vxSendDiagReqMsg", "Sent Diagnostic protocol request, byte count: %d, request: %s", result,
               reinterpret_cast<const char*>(app->anaCom.obuf));
    return result;
}

int vxGetDiagRespMsg(vxInfo* app)
{
    qklogTrace("vxGetDiagRespMsg");
    if (app == nullptr) return -2;
    vxDiagProtInfo& dp = app->diagProt;
    vxAnalyzerComInfo& com = app->anaCom;
    dp.dataCnt = 0;
    std::memset(dp.rspBuf, 0, sizeof dp.rspBuf);
    vxDiagBlockScanInfo s{};
    bool readable = false;
    for (int idle = kIdleReads; idle > 0;) {
        int n = vxDiagLinkRead(app);
        if (n <= 0) {
            --idle;
        } else {
            if (n > kCheckAbove && com.checkBaud == 1 && vxAsynBaudDetection(app) == 0) readable = true;
            const unsigned char* bytes = com.ibPtr != nullptr ? com.ibPtr : com.ibuf;
            if (vxDiagScanBlock(&dp, &s, bytes, n)) return 2;
        }
        vxLinkSleep(app, 1);
    }
    if (auditOn(app)) qklogf("vxGetDiagRespMsg", "Diagnostic protocol response byte count: %d", dp.dataCnt);
    return readable ? 2 : 0;
}

int vxGetDiagOkMsg(vxInfo* app)
{
    qklogTrace("vxGetDiagOkMsg");
    if (app == nullptr) return -2;
    vxDiagProtInfo& dp = app->diagProt;
    dp.dataCnt = 0;
    std::memset(dp.rspBuf, 0, sizeof dp.rspBuf);
    int total = 0;
    for (int read = 1; read <= kOkReads; ++read) {
        int n = vxDiagLinkRead(app);
        if (n > 0) total += n;
        if (total > 0 && ibufHoldsOk(app->anaCom, n)) return 2;
        if (read < kOkReads) vxLinkSleep(app, 1);
    }
    if (auditOn(app)) qklogf("vxGetDiagOkMsg", "Diagnostic protocol response byte count: %d", total);
    return -2;
}
