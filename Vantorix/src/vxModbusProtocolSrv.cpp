// vxModbusProtocolSrv: the Modbus exchange with the analyzer. The analyzer
// keeps its 16-bit integers, 32-bit integers and floats in three register
// ranges, so the address alone tells how to read a value.
// Called from the configuration reader (main thread) and from the page
// workers, one at a time; mbData, the link buffers and g_wbuf are shared
// without a lock.
#include "vxModbusProtocolSrv.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "vxAsynSrv.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxInit.h"

namespace {

constexpr int kFc03 = 3;
constexpr int kReadTries = 10;
constexpr int kReadPauseTenths = 2;
constexpr int kMinFrame = 5;            // address, function, count or code, CRC
constexpr unsigned char kExceptionBit = 0x80;

// Exception texts by code, each in a 32-character field.
constexpr char kExText[9][32] = {"",
                                 "ILLEGAL FUNCTION",
                                 "ILLEGAL DATA ADDRESS",
                                 "ILLEGAL DATA VALUE",
                                 "SLAVE DEVICE FAILURE",
                                 "ACKNOWLEDGE",
                                 "SLAVE DEVICE BUSY",
                                 "NOT DEFINED",
                                 "MEMORY PARITY ERROR"};

bool auditOn(const vxInfo* app)
{
    return (app->diagProt.audit & VX_DIAGAUD_EXCHANGE) != 0;
}

int appTypeOf(const vxInfo* app)
{
    return app->anaVerPtr != nullptr ? app->anaVerPtr->appType : app->anaDetails.version.appType;
}

// The switch is a diagnostic-protocol request to the Modbus address, with
// the code for this analyzer (none for an analyzer of another kind).
int buildModeMsg(vxInfo* app, const char* label, const char* codeHC12, const char* codeARM9)
{
    const int type = appTypeOf(app);
    const char* code = type == VX_APP_PP2F ? codeHC12 : (type == VX_APP_NS || type == VX_APP_FS) ? codeARM9 : "";
    return vxBuildDiagReqMsgTo(app, app->mbData.modbusAddr, code, label);
}

uint32_t bigEndian32(const unsigned char* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// Length of the frame at b once enough of it is there, else 0.
int frameLength(const unsigned char* b, int total)
{
    if (total < kMinFrame) return 0;
    if (b[1] & kExceptionBit) return kMinFrame;
    int length = b[2] + kMinFrame;
    return total >= length ? length : 0;
}

uint16_t crc16(const unsigned char* p, int n)
{
    uint16_t crc = 0xFFFF;
    for (int i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

// The CRC at the end of a frame, low byte first, matches its bytes.
bool crcHolds(const unsigned char* b, int length)
{
    const uint16_t crc = crc16(b, length - 2);
    return b[length - 2] == (crc & 0xFF) && b[length - 1] == (crc >> 8);
}

// Where the first whole frame with a matching CRC starts in the total bytes
// read (its length in *length), -1 while there is none. Noise on the line
// before an answer is no frame: its bytes are passed over one at a time.
int findFrame(const unsigned char* b, int total, int* length)
{
    for (int at = 0; at + kMinFrame <= total; ++at) {
        const int n = frameLength(b + at, total - at);
        if (n > 0 && crcHolds(b + at, n)) {
            *length = n;
            return at;
        }
    }
    return -1;
}

// The first n bytes of msgBuf are dropped; the rest moves to its start.
void dropFront(vxModbusInfo& mb, int* total, int n)
{
    std::memmove(mb.msgBuf, mb.msgBuf + n, static_cast<std::size_t>(*total - n));
    *total -= n;
    std::memset(mb.msgBuf + *total, 0, sizeof mb.msgBuf - static_cast<std::size_t>(*total));
}

}  // namespace

const char* vxMbExceptionText(int code)
{
    qklogTrace("vxMbExceptionText");
    return code >= 1 && code <= 8 ? kExText[code] : "UNKNOWN EXCEPTION";
}

int vxValidateMbReg(vxInfo* app)
{
    qklogTrace("vxValidateMbReg");
    if (app == nullptr) return -2;
    vxModbusInfo& mb = app->mbData;
    if (mb.mbReg >= 3000 && mb.mbReg <= 4999) {
        mb.mbRegType = VX_MBREG_INT16;
    } else if (mb.mbReg >= 5000 && mb.mbReg <= 6999) {
        mb.mbRegType = VX_MBREG_INT32;
    } else if (mb.mbReg >= 7000 && mb.mbReg <= 8999) {
        mb.mbRegType = VX_MBREG_FLOAT;
    } else {
        mb.mbRegType = VX_MBREG_INVALID;
        qklogf("vxValidateMbReg", "Invalid modbus register: %d", mb.mbReg);
        return -2;
    }
    return 0;
}

int vxValidateMbSlaveAddress(vxInfo* app)
{
    qklogTrace("vxValidateMbSlaveAddress");
    if (app == nullptr) return -2;
    const int addr = app->diagProt.modbusAddr;
    if (addr < 0 || addr > 247) {
        char text[64];
        qkstrfmt(text, sizeof text, "Invalid modbus address: %d", addr);
        qklogf("vxValidateMbSlaveAddress", "%s", text);
        vxMsgInfo(text);
        return -2;
    }
    app->mbData.modbusAddr = addr;
    app->mbData.mbSlaveAddr = addr;
    return 0;
}

int vxBuildMbFc03Msg(vxInfo* app)
{
    qklogTrace("vxBuildMbFc03Msg");
    if (app == nullptr) return -2;
    vxModbusInfo& mb = app->mbData;
    const int perValue = (mb.mbRegType == VX_MBREG_INT32 || mb.mbRegType == VX_MBREG_FLOAT) ? 2 : 1;
    const int regs = mb.mbRegCnt * perValue;
    vxModbusFc03Info& f = mb.fc03;
    f.slaveAddr = static_cast<uint8_t>(mb.mbSlaveAddr);
    f.funcCode = kFc03;
    f.startHi = static_cast<uint8_t>(mb.mbReg >> 8);
    f.startLo = static_cast<uint8_t>(mb.mbReg);
    f.countHi = static_cast<uint8_t>(regs >> 8);
    f.countLo = static_cast<uint8_t>(regs);
    mb.fcID = kFc03;
    mb.fcByteCnt = sizeof f;
    mb.fcPtr = reinterpret_cast<unsigned char*>(&f);
    const uint16_t crc = vxCalculateMbCRC(app);
    f.crcLo = static_cast<uint8_t>(crc & 0xFF);
    f.crcHi = static_cast<uint8_t>(crc >> 8);
    return 0;
}

uint16_t vxCalculateMbCRC(vxInfo* app)
{
    qklogTrace("vxCalculateMbCRC");
    if (app == nullptr || app->mbData.fcPtr == nullptr) return 0xFFFF;
    const int n = std::clamp(app->mbData.fcByteCnt - 2, 0, static_cast<int>(sizeof app->mbData.msgBuf));
    return crc16(app->mbData.fcPtr, n);
}

int vxSendMbReqMsg(vxInfo* app)
{
    qklogTrace("vxSendMbReqMsg");
    if (app == nullptr) return -2;
    int result = vxDiagLinkWrite(app);
    if (auditOn(app)) qklogf("vxSendMbReqMsg", "Sent modbus protocol request, byte count: %d", result);
    return result;
}

int vxGetMbReqMsg(vxInfo* app)
{
    qklogTrace("vxGetMbReqMsg");
    if (app == nullptr) return -2;
    int count = vxDiagLinkRead(app);
    if (auditOn(app)) qklogf("vxGetMbReqMsg", "received modbus protocol request, byte count: %d", count);
    return count;
}

int vxGetMbRspMsg(vxInfo* app)
{
    qklogTrace("vxGetMbRspMsg");
    if (app == nullptr) return -2;
    vxModbusInfo& mb = app->mbData;
    vxAnalyzerComInfo& com = app->anaCom;
    std::memset(mb.msgBuf, 0, sizeof mb.msgBuf);
    int total = 0;
    int result = -2;
    for (int reads = 0;; ++reads) {
        if (reads == kReadTries) {
            qklogf("vxGetMbRspMsg", "Modbus response timeout, function code: %d", mb.fcID);
            result = -2;
            break;
        }
        com.ibPtr = mb.msgBuf + total;
        com.maxbyts = static_cast<int>(sizeof mb.msgBuf) - total;
        int n = vxGetMbReqMsg(app);
        if (n > 0) total += n;
        if (vxTakeMbRspFrame(app, &total, &result) == 1) break;
        vxLinkSleep(app, kReadPauseTenths);
    }
    // Later exchanges read into the link's own buffer again.
    com.ibPtr = com.ibuf;
    com.maxbyts = VX_LINKBUFSIZE;
    return result;
}

int vxTakeMbRspFrame(vxInfo* app, int* total, int* result)
{
    qklogTrace("vxTakeMbRspFrame");
    if (app == nullptr || total == nullptr || result == nullptr) return -2;
    vxModbusInfo& mb = app->mbData;
    *total = std::clamp(*total, 0, static_cast<int>(sizeof mb.msgBuf));
    // Only a frame whose CRC holds is taken: bytes of a disturbed line are
    // never read as register values, and the answer behind them is found.
    int length = 0;
    for (int at; (at = findFrame(mb.msgBuf, *total, &length)) >= 0;) {
        if (mb.msgBuf[at] != mb.mbSlaveAddr) {
            // A frame of another slave: dropped, and reading goes on after it.
            dropFront(mb, total, at + length);
            continue;
        }
        if (at > 0) dropFront(mb, total, at);
        mb.fcByteCnt = length;
        mb.fcPtr = mb.msgBuf;
        if ((mb.msgBuf[1] & kExceptionBit) || mb.msgBuf[1] != mb.fcID) {
            mb.mbExCode = mb.msgBuf[2];
            *result = -99;
        } else {
            *result = vxGetMbRspMsgValue(app);
        }
        return 1;
    }
    return 0;
}

int vxGetMbRspMsgValue(vxInfo* app)
{
    qklogTrace("vxGetMbRspMsgValue");
    if (app == nullptr) return -2;
    vxModbusInfo& mb = app->mbData;
    vxModbusValues& v = mb.regVal;
    std::memset(&v, 0, sizeof v);
    const int dataBytes = std::clamp(mb.fcByteCnt - kMinFrame, 0, static_cast<int>(sizeof mb.msgBuf) - kMinFrame);
    const unsigned char* data = mb.msgBuf + 3;
    switch (mb.mbRegType) {
    case VX_MBREG_INT16:
        v.shtCnt = std::min(dataBytes / 2, 126);
        for (int i = 0; i < v.shtCnt; ++i) v.shtVal[i] = (data[2 * i] << 8) | data[2 * i + 1];
        return 0;
    case VX_MBREG_INT32:
        v.lngCnt = std::min(dataBytes / 4, 63);
        for (int i = 0; i < v.lngCnt; ++i) v.lngVal[i] = static_cast<int>(bigEndian32(data + 4 * i));
        return 0;
    case VX_MBREG_FLOAT:
        v.fltCnt = std::min(dataBytes / 4, 63);
        for (int i = 0; i < v.fltCnt; ++i) v.fltVal[i] = std::bit_cast<float>(bigEndian32(data + 4 * i));
        return 0;
    default:
        qklogf("vxGetMbRspMsgValue", "Modbus response value type error, function code: %d", mb.fcID);
        return -2;
    }
}

int vxBuildMbDpOnMsg(vxInfo* app)
{
    qklogTrace("vxBuildMbDpOnMsg");
    if (app == nullptr) return -2;
    return buildModeMsg(app, "vxBuildMbDpOnMsg", "23", "220001");
}

int vxBuildMbDpOffMsg(vxInfo* app)
{
    qklogTrace("vxBuildMbDpOffMsg");
    if (app == nullptr) return -2;
    return buildModeMsg(app, "vxBuildMbDpOffMsg", "24", "220000");
}

int vxGetMbDpOnOkMsg(vxInfo* app)
{
    qklogTrace("vxGetMbDpOnOkMsg");
    if (app == nullptr) return -2;
    int result = vxGetDiagOkMsg(app);
    if (result == 2) return 2;
    qklogf("vxGetMbDpOnOkMsg", "Time out error, Diagnostic protocol OK not received");
    return result;
}

int vxBuildMbFcDbmsg(vxInfo* app)
{
    qklogTrace("vxBuildMbFcDbmsg");
    if (app == nullptr) return -2;
    g_wbuf[0] = '\0';
    const vxModbusInfo& mb = app->mbData;
    if (mb.fcPtr == nullptr) return 0;
    // Three characters a byte: the dump stops where g_wbuf is full.
    const int n = std::clamp(mb.fcByteCnt, 0, static_cast<int>((sizeof g_wbuf - 1) / 3));
    for (int i = 0; i < n; ++i) {
        char hex[4];
        qkstrfmt(hex, sizeof hex, "%2.2x ", mb.fcPtr[i]);
        qkstradd(g_wbuf, hex);
    }
    return 0;
}
