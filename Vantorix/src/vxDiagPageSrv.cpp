// vxDiagPageSrv: the diagnostics page (see the header).
#include "vxDiagPageSrv.h"

#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswindlg.h"
#include "qksyswinlist.h"
#include "qksyswinsrv.h"
#include "qksyswintab.h"
#include "vxAsynSrv.h"
#include "vxCallBacks.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxInit.h"
#include "vxMbModeSrv.h"
#include "vxModbusProtocolSrv.h"
#include "vxRunDiagSrv.h"
#include "vxWinSrv.h"
#include "vxWorkerSrv.h"

namespace {

constexpr int kClickEvent = 6;
constexpr int kDiagTab = 1500;
constexpr int kValuesSubTab = 1502;
constexpr int kValueList = 1516;
constexpr int kAlarmList = 1574;
constexpr int kCaptureDialog = 1350;
constexpr int kStatusTimerEvent = 9;
constexpr int kStatusTimerMs = 500;
// Profile register numbers count from 40001; the analyzer wants the 0-based address.
constexpr int kRegisterBase = 40001;
// Records of a capture before a block end counts: the first block may have
// started before the capture did.



void listAdd(vxInfo* app, int list, const char* line)
{
    if (qkwinInfo* tab = app->dpData.dvData.winPtr) qkwinlistadditem(tab, list, line);
}

void listClear(vxInfo* app, int list)
{
    if (qkwinInfo* tab = app->dpData.dvData.winPtr) qkwinlistclear(tab, list);
}

// The first value of the last response as an integer (16-bit or 32-bit register).
int intValue(const vxModbusInfo& mb)
{
    return mb.mbRegType == VX_MBREG_INT16 ? mb.regVal.shtVal[0] : mb.regVal.lngVal[0];
}

// One parameter's line for the result of its read (0, -99 exception, else
// no answer). A register outside the three classes is never sent, so a
// success always has a value type.
void addValueLine(vxInfo* app, const vxDiagParamInfo& param, int rslt)
{
    const vxModbusInfo& mb = app->mbData;
    char line[128];
    if (rslt == 0 && mb.mbRegType == VX_MBREG_FLOAT) {
        qkstrfmt(line, sizeof line, "%-25.25s %5d       %.4f", param.name, param.mbReg,
                 static_cast<double>(mb.regVal.fltVal[0]));
    } else if (rslt == 0) {
        qkstrfmt(line, sizeof line, "%-25.25s %5d       %8d", param.name, param.mbReg, intValue(mb));
    } else if (rslt == -99) {
        qkstrfmt(line, sizeof line, "%-25.25s %5d       Exception code: %d, %s", param.name, param.mbReg, mb.mbExCode,
                 vxMbExceptionText(mb.mbExCode));
    } else {
        qkstrfmt(line, sizeof line, "%-25.25s %5d       Modbus response timeout", param.name, param.mbReg);
    }
    listAdd(app, kValueList, line);
}

// One register read, one value a request: 0, -99 exception, -2 no answer or
// a register the analyzer does not have in any of its classes.
int readRegister(vxInfo* app, int mbReg)
{
    vxModbusInfo& mb = app->mbData;
    vxAnalyzerComInfo& com = app->anaCom;
    mb.mbReg = mbReg - kRegisterBase;
    mb.mbRegCnt = 1;
    char text[64];
    qkstrfmt(text, sizeof text, "MODBUS reqister: %d", mb.mbReg);
    vxRunDiagSetMsg(app, text);
    if (vxValidateMbReg(app) != 0) return -2;
    vxBuildMbFc03Msg(app);
    std::memcpy(com.obuf, &mb.fc03, sizeof mb.fc03);
    com.obPtr = com.obuf;
    com.wrtByteCnt = sizeof mb.fc03;
    vxSendMbReqMsg(app);
    return vxGetMbRspMsg(app);
}

void refreshWorker(void* argument)
{
    vxInfo* app = static_cast<vxInfo*>(argument);
    // The request is over however the worker ends (a page left stops it
    // inside a wait): a request left marked running would hold other pages.
    struct Done {
        vxInfo* app;
        ~Done() { app->runDiag.state.store(0); }
    } done{app};
    vxGetDiagRefreshData(app);
    app->diagdvthrds.state.store(0);
}

// The page's capture gives way: its reader stops, so that it does not take
// the Modbus answers of a refresh, and a capture still counting down ends.
void stopCaptureReader(vxInfo* app)
{
    vxDiagValueInfo& dv = app->dpData.dvData;
    if (dv.runDiagFlag != 1) return;
    vxRunDiagStop(app);
    if (dv.state.exchange(0) == 1) vxRunDiagFinish(app);
}

// One record line of the capture: counted and stored, never shown.
void captureLine(vxInfo* app, const char* line)
{
    vxRunDiagCountRecord(app);
    vxRunDiagWriteLine(app, line);
    if (std::strstr(line, "]]") != nullptr) vxRunDiagBlockEnd(app, false);
}

}  // namespace

// ---- page functions ------------------------------------------------------------------

int vxDiagPageInit(vxInfo* app)
{
    qklogTrace("vxDiagPageInit");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    qkwinInfo* win = app->winPtr;
    vxDiagValueInfo& dv = app->dpData.dvData;
    qksyswinSetActiveTabID(win, kDiagTab);
    qksyswinsubtabdsp(win);
    if (qkwintabgetactivesubID(win, kDiagTab) != kValuesSubTab) return 0;
    dv.winPtr = qkwintabgetactivecldPtr(win);
    return vxDiagPageDvInit(app);
}

int vxDiagPageUpdate(vxInfo* app)
{
    qklogTrace("vxDiagPageUpdate");
    return app != nullptr ? 0 : -2;
}

int vxDiagPageExit(vxInfo* app)
{
    qklogTrace("vxDiagPageExit");
    if (app == nullptr) return -2;
    vxDiagValueInfo& dv = app->dpData.dvData;
    // Only one thread uses the link: a refresh still running and the
    // capture's reader end before Modbus mode goes off.
    app->diagdvthrds.state.store(0);
    vxWorkerStop(&app->diagdvthrds);
    if (dv.runDiagFlag == 1) vxRunDiagStop(app);
    vxParamPageSetMbMode(app, "DISABLED");
    if (dv.updateNdx >= 0 && dv.updateNdx < app->page.update.funcCnt)
        app->page.update.func[dv.updateNdx].address.store(nullptr);
    dv.state.store(0);
    if (dv.runDiagFlag != 1) return 0;
    dv.runDiagFlag = 0;
    const int status = vxRunDiagExit(app);
    qklogf("vxDiagPageExit", "Run Diagnostics complete, recordes saved: %d", app->runDiag.recCnt);
    return status;
}

int vxDiagPageDvInit(vxInfo* app)
{
    qklogTrace("vxDiagPageDvInit");
    if (app == nullptr) return -2;
    const vxDiagAppInfo* diag = app->dpData.dvData.appPtr;
    listClear(app, kValueList);
    for (int i = 0; diag != nullptr && i < diag->paramCnt && i < VX_MAXDIAGPARAMS; ++i) {
        char line[64];
        qkstrfmt(line, sizeof line, "%-25.25s %5d", diag->param[i].name, diag->param[i].mbReg);
        listAdd(app, kValueList, line);
    }
    return 0;
}

// ---- refresh -------------------------------------------------------------------------

int vxRunDiagRefreshData(vxInfo* app)
{
    qklogTrace("vxRunDiagRefreshData");
    if (app == nullptr) return -2;
    // Running until the worker ends: the dialog's Cancel ends the refresh
    // before the next register (an analyzer that does not answer costs
    // seconds a register), from the moment the dialog opens.
    app->runDiag.state.store(1);
    if (vxWorkerStart(&app->diagdvthrds, refreshWorker, app, "vxRunDiagRefreshData", "diagnostics refresh") != 0) {
        app->runDiag.state.store(0);
        return -2;
    }
    return 0;
}

int vxGetDiagRefreshData(vxInfo* app)
{
    qklogTrace("vxGetDiagRefreshData");
    if (app == nullptr) return -2;
    vxDiagAppInfo* diag = app->dpData.dvData.appPtr;
    int status = -2;
    if (diag == nullptr) {
        qklogf("vxGetDiagRefreshData", "No diagnostic profile loaded");
    } else {
        qksysTSInfo ts{};
        qksysdatetime(&ts);
        qkstrfmt(diag->timestamp, sizeof diag->timestamp, "%4.4d/%2.2d/%2.2d %2.2d:%2.2d:%2.2d", ts.year, ts.mon,
                 ts.day, ts.hr, ts.min, ts.sec);
        listClear(app, kValueList);
        listAdd(app, kValueList, diag->timestamp);

        vxMbPrepareLink(app);
        const vxModbusInfo& mb = app->mbData;
        vxRunDiagInfo& rd = app->runDiag;

        vxRunDiagSetMsg(app, "Sent analyzer MODBUS ON request");
        vxBuildMbDpOnMsg(app);
        vxSendMbReqMsg(app);
        if (vxGetMbDpOnOkMsg(app) != 2) {
            qklogf("vxGetDiagRefreshData", "ent analyzer MODBUS ON request timeout");
            vxMsgInfo("ent analyzer MODBUS ON request timeout");
        } else {
            vxRunDiagSetMsg(app, "Received analyzer OK message");
            bool canceled = false;
            for (int i = 0; i < diag->paramCnt && i < VX_MAXDIAGPARAMS; ++i) {
                if (rd.state.load() == 0) {
                    qklogf("vxGetDiagRefreshData", "Refresh canceled after %d of %d registers", i, diag->paramCnt);
                    canceled = true;
                    break;
                }
                const vxDiagParamInfo& param = diag->param[i];
                const int rslt = readRegister(app, param.mbReg);
                if (mb.mbRegType == VX_MBREG_INVALID) continue;   // never sent
                addValueLine(app, param, rslt);
                if (param.mbReg == diag->alarmRegister && rslt == 0) diag->alarmData = intValue(mb);
            }
            // A canceled refresh may not have read the alarm word: the alarm
            // list keeps its last reading, with that reading's time.
            if (!canceled) vxLoadDiagAlarmsData(app);
            status = canceled ? -1 : 0;
        }
    }
    if (app->winPtr != nullptr) qkwindlgExitByID(app->winPtr, kCaptureDialog);
    return status;
}

int vxLoadDiagAlarmsData(vxInfo* app)
{
    qklogTrace("vxLoadDiagAlarmsData");
    if (app == nullptr) return -2;
    const vxDiagAppInfo* diag = app->dpData.dvData.appPtr;
    if (diag == nullptr) return -2;
    listClear(app, kAlarmList);
    listAdd(app, kAlarmList, diag->timestamp);
    // Bit 0 of the word is the analyzer's summary alarm: alarm n is bit n + 1.
    const uint32_t word = static_cast<uint32_t>(diag->alarmData);
    for (int i = 0; i < diag->alarmCnt && i < VX_MAXDIAGALARMS; ++i) {
        const int shift = static_cast<int>((diag->alarm[i].id % 32 + 32) % 32);
        if ((word & (2u << shift)) != 0) listAdd(app, kAlarmList, diag->alarm[i].name);
    }
    return 0;
}

// ---- capture -------------------------------------------------------------------------

int vxDiagPageDvUpdate(vxInfo* app)
{
    qklogTrace("vxDiagPageDvUpdate");
    if (app == nullptr) return -2;
    vxRunDiagInfo& rd = app->runDiag;
    vxDiagValueInfo& dv = app->dpData.dvData;
    // Cancelled: the capture ends now, whether or not a block end comes.
    if (dv.state.load() == 1 && rd.state.load() == 0) {
        if (rd.recCnt == 0) qkstrset(rd.msg, "Request complete");
        vxRunDiagFinish(app);
    }
    vxRunDiagDrain(app, captureLine);
    if (rd.mode1TimeStart != 0) vxRunDiagMode1CountDown(app);
    // Once ended the capture closes its dialog no more: a later refresh has
    // the dialog to itself.
    if (rd.state.load() == 0) dv.state.store(0);
    return 0;
}

// ---- callbacks -----------------------------------------------------------------------

int vxDiagRefreshDataCB(qkwinInfo* window)
{
    qklogTrace("vxDiagRefreshDataCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr || app->winPtr == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    int status = vxCheckStatus(app, 10);
    if (status == 0) status = vxCheckStatus(app, 20);
    if (status != 0) return status;

    qkwinInfo* win = app->winPtr;
    stopCaptureReader(app);
    // The dialog gets its timer before the worker starts: a refresh that is
    // over before the dialog shows still closes it.
    app->rdUpdateNdx = 0;
    if (qkwindlgSetTimerByID(win, kCaptureDialog, kStatusTimerEvent, kStatusTimerMs, vxRunDiagStatusUpdateCB) != 0)
        return -2;
    if (vxRunDiagRefreshData(app) != 0) return -2;
    app->refreashFlag.store(1);
    qkwindlgdspbyID(win, kCaptureDialog);
    return 0;
}

int vxDiagCaptureDataCB(qkwinInfo* window)
{
    qklogTrace("vxDiagCaptureDataCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr || app->winPtr == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    int status = vxCheckStatus(app, 10);
    if (status == 0) status = vxCheckStatus(app, 20);
    if (status != 0) return status;

    vxRunDiagInfo& rd = app->runDiag;
    vxDiagValueInfo& dv = app->dpData.dvData;
    qklogf("vxDiagCaptureDataCB", "Started Run Diagnostics");
    dv.runDiagFlag = 1;
    rd.appID = 2;
    // The reader runs before the request goes out, so it has the stream
    // from its first line.
    if (vxRunDiagInit(app) != 0) return -2;
    vxBuildDiagReqMsg(app, vxIsArm9(app) ? VX_DP_PARAMS : VX_DP_MODE6);
    vxSendDiagReqMsg(app);
    if (dv.updateNdx >= 0 && dv.updateNdx < app->page.update.funcCnt)
        app->page.update.func[dv.updateNdx].address.store(vxDiagPageDvUpdate);
    rd.recCnt = 0;
    rd.modeEndCnt = 0;
    rd.mode1TimeStart = 0;
    rd.modeData.capDataFlag.store(1);
    rd.state.store(1);
    dv.state.store(1);
    qkstrset(rd.msg, "Mode 6 Request pending");
    app->refreashFlag.store(1);
    app->rdUpdateNdx = 0;

    qkwinInfo* win = app->winPtr;
    if (qkwindlgSetTimerByID(win, kCaptureDialog, kStatusTimerEvent, kStatusTimerMs, vxRunDiagStatusUpdateCB) != 0)
        return -2;
    qkwindlgdspbyID(win, kCaptureDialog);
    return 0;
}
