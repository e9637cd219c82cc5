// vxParamModbusTestSrv: the Modbus test tab of the parameters page (see the header).
#include "vxParamModbusTestSrv.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinbutton.h"
#include "qksyswincombo.h"
#include "qksyswinedit.h"
#include "qksyswinlist.h"
#include "qksyswinstatic.h"
#include "vxAsynSrv.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxInit.h"
#include "vxModbusProtocolSrv.h"
#include "vxParamFrontPanelSrv.h"
#include "vxWinSrv.h"
#include "vxWorkerSrv.h"

namespace {

constexpr int kClickEvent = 6;
constexpr int kStartCombo = 1656;
constexpr int kCountEdit = 1660;
constexpr int kAddrEdit = 1666;
constexpr int kModeButton = 1657;
constexpr int kTypeStatic = 1652;
constexpr int kFrameList = 1670;
constexpr int kValueList = 1668;
constexpr int kStatus = 1674;
constexpr int kFrameListExtent = 2046;
// Profile register numbers count from 40001; the analyzer wants the 0-based address.
constexpr int kRegisterBase = 40001;
// A poll asked to stop ends after the request in flight (at most ten reads
// 200 ms apart) and its Modbus-mode switch; one that takes longer is stopped
// at its next wait.
constexpr int kStopWaitTenths = 50;

// The number in a field; -1 when it is no number (refused by the checks
// that follow, as an address or count out of range would be).
int fieldNumber(const char* text)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    while (end != nullptr && (*end == ' ' || *end == '\t')) ++end;
    if (end == text || end == nullptr || *end != '\0' || errno != 0 || value < 0 || value > 1000000) return -1;
    return static_cast<int>(value);
}

bool blank(const char* text)
{
    return text[std::strspn(text, " \t")] == '\0';
}

void frameLine(qkwinInfo* tab, const char* text)
{
    qkwinlistadditem(tab, kFrameList, text);
}

template <typename... Args> void frameLinef(qkwinInfo* tab, const char* format, Args... args)
{
    char line[128];
    qkstrfmt(line, sizeof line, format, args...);
    frameLine(tab, line);
}

// The frame at fcPtr as hex.
void frameHex(vxInfo* app, qkwinInfo* tab)
{
    vxBuildMbFcDbmsg(app);
    char line[sizeof g_wbuf];
    qkstrset(line, g_wbuf);
    frameLine(tab, line);
}

// The diagnostic-protocol command just built in obuf (the Modbus-mode switch).
void commandText(vxInfo* app, qkwinInfo* tab)
{
    char line[64];
    qkstrset(line, reinterpret_cast<const char*>(app->anaCom.obuf));
    frameLine(tab, line);
}

// Sets up request reg (profile number) of perRequest values: its class shown
// in static 1652, its number in combo 1656, the count checked. 0 or -2.
int prepareRequest(vxInfo* app, qkwinInfo* tab, int reg, int perRequest)
{
    vxModbusInfo& mb = app->mbData;
    mb.mbReg = reg - kRegisterBase;
    mb.mbRegCnt = perRequest;
    vxValidateMbReg(app);
    qkwinstaticsettext(tab, kTypeStatic, vxParamMbTestTypeName(mb.mbRegType));
    char number[16];
    qkstrfmt(number, sizeof number, "%d", mb.mbReg + kRegisterBase);
    qkwincombosetedit(tab, kStartCombo, number);
    return vxParamMbTestValidatePollCnt(app);
}

// One read request as prepared: sent, both frames logged, the values (or the
// exception) listed; a response that does not come is logged and the poll
// goes on with the next request.
void readRequest(vxInfo* app, qkwinInfo* tab)
{
    vxModbusInfo& mb = app->mbData;
    vxAnalyzerComInfo& com = app->anaCom;
    vxBuildMbFc03Msg(app);
    std::memcpy(com.obuf, &mb.fc03, sizeof mb.fc03);
    com.obPtr = com.obuf;
    com.wrtByteCnt = sizeof mb.fc03;
    vxSendMbReqMsg(app);
    frameLinef(tab, "Sent MODBUS request for register: %d", mb.mbReg);
    frameHex(app, tab);

    const int rslt = vxGetMbRspMsg(app);
    frameLinef(tab, "Get MODBUS response for register: %d", mb.mbReg);
    if (rslt != 0 && rslt != -99) {
        frameLinef(tab, "Modbus response timeout, function code: %d", mb.fcID);
        return;
    }
    frameHex(app, tab);   // fcPtr is the response now
    char line[128];
    if (rslt == -99) {
        qkstrfmt(line, sizeof line, "\t%d\t\tException code: %d, %s", mb.mbReg, mb.mbExCode,
                 vxMbExceptionText(mb.mbExCode));
        qkwinlistadditem(tab, kValueList, line);
        return;
    }
    // 16-bit values take one register each, the 32-bit ones two.
    const vxModbusValues& v = mb.regVal;
    const int step = mb.mbRegType == VX_MBREG_INT16 ? 1 : 2;
    const int count = mb.mbRegType == VX_MBREG_FLOAT ? v.fltCnt : mb.mbRegType == VX_MBREG_INT32 ? v.lngCnt : v.shtCnt;
    for (int k = 0; k < count; ++k) {
        const int address = mb.mbReg + step * k;
        if (mb.mbRegType == VX_MBREG_FLOAT)
            qkstrfmt(line, sizeof line, "\t%d\t\t%.4f", address, static_cast<double>(v.fltVal[k]));
        else
            qkstrfmt(line, sizeof line, "\t%d\t\t%d", address,
                     mb.mbRegType == VX_MBREG_INT32 ? v.lngVal[k] : v.shtVal[k]);
        qkwinlistadditem(tab, kValueList, line);
    }
}

void pollWorker(void* argument)
{
    vxInfo* app = static_cast<vxInfo*>(argument);
    vxParamPageMbPollAna(app);
    app->parammbthrds.state.store(0);
}

}  // namespace

const char* vxParamMbTestTypeName(int regType)
{
    qklogTrace("vxParamMbTestTypeName");
    switch (regType) {
    case VX_MBREG_INT16: return "short integer";
    case VX_MBREG_INT32: return "long integer";
    case VX_MBREG_FLOAT: return "float";
    default: return "invalid";
    }
}

int vxParamMbTestValidatePollCnt(vxInfo* app)
{
    qklogTrace("vxParamMbTestValidatePollCnt");
    if (app == nullptr) return -2;
    const vxModbusInfo& mb = app->mbData;
    // A response holds at most 252 data bytes: 126 registers.
    int limit = 0;
    if (mb.mbRegType == VX_MBREG_INT16) limit = 127;
    if (mb.mbRegType == VX_MBREG_INT32 || mb.mbRegType == VX_MBREG_FLOAT) limit = 64;
    if (mb.mbRegCnt >= 1 && mb.mbRegCnt < limit) return 0;
    char text[64];
    qkstrfmt(text, sizeof text, "Invalid poll request: %d", mb.mbRegCnt);
    qklogf("vxParamMbTestValidatePollCnt", "%s", text);
    vxMsgInfo(text);
    return -2;
}

int vxParamPageMbPollAnaExit(vxInfo* app)
{
    qklogTrace("vxParamPageMbPollAnaExit");
    if (app == nullptr) return -2;
    vxMbTestInfo& mt = app->ppData.mbData;
    if (qkwinInfo* tab = mt.winPtr.load()) {
        qkwinstaticsetstate(tab, kStatus, 1);
        qkwinstatchgcolor(tab, kStatus, 1, "DodgerBlue2");
    }
    mt.pollAnaFlg.store(0);
    return 0;
}

int vxParamPageMbPollAna(vxInfo* app)
{
    qklogTrace("vxParamPageMbPollAna");
    if (app == nullptr) return -2;
    vxMbTestInfo& mt = app->ppData.mbData;
    qkwinInfo* tab = mt.winPtr.load();
    if (tab == nullptr) {
        mt.pollAnaFlg.store(0);
        return -2;
    }
    qkwinstatchgcolor(tab, kStatus, 1, "Red");
    qkwinstaticsetstate(tab, kStatus, 0);
    qkwinlistsethscroll(tab, kFrameList, kFrameListExtent);
    int mark = 0;
    qkwinbtngetstate(tab, kModeButton, &mark);
    mt.pollMode.store(mark);

    char startText[32] = "", countText[32] = "", addrText[32] = "";
    qkwincombogetedit(tab, kStartCombo, sizeof startText, startText);
    qkwineditgettext(tab, kCountEdit, sizeof countText, countText);
    qkwineditgettext(tab, kAddrEdit, sizeof addrText, addrText);
    if (blank(startText) || blank(countText) || blank(addrText)) return vxParamPageMbPollAnaExit(app);

    app->diagProt.modbusAddr = fieldNumber(addrText);
    if (vxValidateMbSlaveAddress(app) != 0) {
        vxParamPageMbPollAnaExit(app);
        return -2;
    }
    const int start = fieldNumber(startText);
    const int count = fieldNumber(countText);
    const bool perValue = mark != 0;
    const int requests = perValue ? count : 1;
    const int perRequest = perValue ? std::min(count, 1) : count;
    // A refused first request sends nothing, not even the Modbus-mode switch.
    if (prepareRequest(app, tab, start, perRequest) != 0) {
        vxParamPageMbPollAnaExit(app);
        return -2;
    }

    vxAnalyzerComInfo& com = app->anaCom;
    vxAsynFlush(app);
    com.ibPtr = com.ibuf;
    com.obPtr = com.obuf;
    com.maxbyts = VX_LINKBUFSIZE;
    vxBuildMbDpOnMsg(app);
    if (vxSendMbReqMsg(app) < 0) {
        vxParamPageMbPollAnaExit(app);
        return -2;
    }
    frameLine(tab, "Sent analyzer MODBUS ON request");
    commandText(app, tab);
    if (vxGetMbDpOnOkMsg(app) != 2) {
        frameLine(tab, "Analyzer MODBUS OK message not received");
        vxParamPageMbPollAnaExit(app);
        return -2;
    }
    frameLine(tab, "Received analyzer MODBUS OK message");

    // Each request starts where the previous one's value ended: one register
    // further for a 16-bit value, two for the others.
    int status = 0;
    int reg = start;
    int step = 0;
    for (int i = 0; i < requests && mt.pollAnaFlg.load() == 1; ++i) {
        reg += step;
        if (prepareRequest(app, tab, reg, perRequest) != 0) {
            // Past the end of a class: the analyzer still leaves Modbus mode.
            status = -2;
            break;
        }
        step = app->mbData.mbRegType == VX_MBREG_INT16 ? 1 : 2;
        readRequest(app, tab);
    }

    vxBuildMbDpOffMsg(app);
    if (vxSendMbReqMsg(app) < 0) {
        vxParamPageMbPollAnaExit(app);
        return -2;
    }
    frameLine(tab, "Sent analyzer MODBUS OFF request");
    commandText(app, tab);
    vxGetDiagOkMsg(app);   // the analyzer is back in its text protocol either way
    frameLine(tab, "Received analyzer OK message");
    vxParamPageMbPollAnaExit(app);
    return status;
}

int vxParamPageMBinit(vxInfo* app)
{
    qklogTrace("vxParamPageMBinit");
    if (app == nullptr) return -2;
    if (app->parammbthrds.state.load() == 1) return 0;
    // The poll reads the link alone: the front-panel reader ends first.
    vxParamPageFPstop(app);
    if (vxWorkerStart(&app->parammbthrds, pollWorker, app, "vxParamPageMBinit", "Modbus test poll") != 0) {
        vxParamPageMbPollAnaExit(app);
        return -2;
    }
    return 0;
}

int vxParamPageMBstop(vxInfo* app)
{
    qklogTrace("vxParamPageMBstop");
    if (app == nullptr) return -2;
    vxMbTestInfo& mt = app->ppData.mbData;
    mt.pollAnaFlg.store(0);
    int status = 0;
    if (app->parammbthrds.thrdPtr.load() != nullptr) {
        // The caller uses the link next: the poll has ended before it returns.
        for (int tenth = 0; tenth < kStopWaitTenths && app->parammbthrds.state.load() == 1; ++tenth)
            vxLinkSleep(app, 1);
        status = vxWorkerStop(&app->parammbthrds);
        app->parammbthrds.state.store(0);
    }
    vxParamPageMbPollAnaExit(app);
    return status;
}

// ---- callbacks -----------------------------------------------------------------------

int vxParamMbTestModeCB(qkwinInfo* window)
{
    qklogTrace("vxParamMbTestModeCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr || window == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    vxMbTestInfo& mt = app->ppData.mbData;
    mt.winPtr.store(window);
    int mark = 0;
    qkwinbtngetstate(window, kModeButton, &mark);
    mark = mark != 0 ? 0 : 1;
    qkwinbtnsetstate(window, kModeButton, mark);
    mt.pollMode.store(mark);
    return 0;
}

int vxParamMbTestPollAnaCB(qkwinInfo* window)
{
    qklogTrace("vxParamMbTestPollAnaCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr || window == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    // A poll still ending after a cancel is not taken up again by this click.
    if (app->parammbthrds.state.load() == 1) return 0;
    if (const int status = vxCheckStatus(app, 10); status != 0) return status;
    vxMbTestInfo& mt = app->ppData.mbData;
    mt.winPtr.store(window);
    mt.pollAnaFlg.store(1);
    return vxParamPageMBinit(app);
}

int vxParamMbTestClearListCB(qkwinInfo* window)
{
    qklogTrace("vxParamMbTestClearListCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr || window == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    app->ppData.mbData.winPtr.store(window);
    qkwinlistclear(window, kValueList);
    qkwinlistclear(window, kFrameList);
    return 0;
}

int vxParamMbTestCancelCB(qkwinInfo* window)
{
    qklogTrace("vxParamMbTestCancelCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr || window == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    vxMbTestInfo& mt = app->ppData.mbData;
    mt.winPtr.store(window);
    mt.pollAnaFlg.store(0);
    qkwinlistclear(window, kValueList);
    qkwinlistclear(window, kFrameList);
    return 0;
}
