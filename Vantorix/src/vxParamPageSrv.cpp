// vxParamPageSrv: the parameters page (see the header).
#include "vxParamPageSrv.h"

#include <chrono>
#include <cstring>
#include <string>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswindlg.h"
#include "qksyswinedit.h"
#include "qksyswinsrv.h"
#include "qksyswinstatic.h"
#include "qksyswintab.h"
#include "qksyswintreeview.h"
#include "qkwintreeview.h"
#include "vxCallBacks.h"
#include "vxDiagPageSrv.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxMbModeSrv.h"
#include "vxModbusProtocolSrv.h"
#include "vxParamFrontPanelSrv.h"
#include "vxParamModbusTestSrv.h"
#include "vxRunDiagSrv.h"
#include "vxWorkerSrv.h"

namespace {

constexpr int kClickEvent = 6;
constexpr int kParamTab = 1610;
constexpr int kTreeSubTab = 1612;
constexpr int kTree = 1634;
constexpr int kTreeCapacity = 1000;
constexpr int kDetailDialog = 1680;
constexpr int kNameStatic = 1685;
constexpr int kPromptStatic = 1687;
constexpr int kValueEdit = 1689;
constexpr int kLimitsStatic = 1691;
constexpr int kCaptureDialog = 1350;
constexpr int kStatusTimerEvent = 9;
constexpr int kLoadTimerMs = 1000;
constexpr int kDetailTimerEvent = 10;
constexpr int kDetailTimerMs = 500;
// Profile register numbers count from 40001; the analyzer wants the 0-based address.
constexpr int kRegisterBase = 40001;
// runUpdateFlg: a parameter was picked; its dialog is open.
constexpr int kItemPicked = 1;
constexpr int kDialogOpen = 5;

// The user passwords of an application type from the lowest level up: a user
// sees the parameters of his own level and of every level below it.
struct LevelTable {
    int appType;
    int paramApp;   // the profile's application code for that type
    int levels[3];
    int levelCnt;
};
constexpr LevelTable kLevels[] = {
    {VX_APP_PP2F, 3, {5206, 4931, 0}, 2},
    {VX_APP_NS, 2, {5206, 8374, 6059}, 3},
    {VX_APP_FS, 1, {5206, 8374, 6059}, 3},
};

int levelOf(const LevelTable& t, int password)
{
    for (int i = 0; i < t.levelCnt; ++i)
        if (t.levels[i] == password) return i;
    return -1;
}



void setSlot(vxInfo* app, int ndx, vxPageFunc function)
{
    if (ndx >= 0 && ndx < app->page.update.funcCnt) app->page.update.func[ndx].address.store(function);
}

// Calls fn(item) for every parameter of the profile, groups and items in order.
template <class Fn> void forEachParam(vxParamTvInfo& tv, Fn fn)
{
    for (int g = 0; g < tv.groupCnt && g < VX_MAXPARAMGROUPS; ++g) {
        vxParamTvGroupInfo& group = tv.group[g];
        for (int i = 0; i < group.itemCnt && i < VX_MAXGROUPPARAMS; ++i) fn(group, group.items[i]);
    }
}

bool visible(vxInfo* app, vxParamTvItemInfo* item)
{
    app->ppData.plData.tvItemPtr = item;
    return vxParamPageCheckValidTvItem(app) == 0;
}

// One register read, one value a request, of the item's own register class:
// 0, -99 exception, -2 no answer.
int readRegister(vxInfo* app, const vxParamTvItemInfo& item)
{
    vxModbusInfo& mb = app->mbData;
    vxAnalyzerComInfo& com = app->anaCom;
    mb.mbReg = item.paramMbReg - kRegisterBase;
    mb.mbRegCnt = 1;
    mb.mbRegType = item.paramType;
    char text[64];
    qkstrfmt(text, sizeof text, "MODBUS reqister: %d", mb.mbReg);
    vxRunDiagSetMsg(app, text);
    vxBuildMbFc03Msg(app);
    std::memcpy(com.obuf, &mb.fc03, sizeof mb.fc03);
    com.obPtr = com.obuf;
    com.wrtByteCnt = sizeof mb.fc03;
    vxSendMbReqMsg(app);
    return vxGetMbRspMsg(app);
}

void storeValue(vxInfo* app, vxParamTvItemInfo& item, int rslt)
{
    const vxModbusInfo& mb = app->mbData;
    if (rslt == 0 && item.paramType == VX_MBREG_FLOAT) {
        qkstrfmt(item.paramValue, sizeof item.paramValue, "     %.4f", static_cast<double>(mb.regVal.fltVal[0]));
    } else if (rslt == 0) {
        const int value = item.paramType == VX_MBREG_INT16 ? mb.regVal.shtVal[0] : mb.regVal.lngVal[0];
        qkstrfmt(item.paramValue, sizeof item.paramValue, "     %d", value);
    } else if (rslt == -99) {
        qkstrfmt(item.paramValue, sizeof item.paramValue, "     Exception code: %d, %s", mb.mbExCode,
                 vxMbExceptionText(mb.mbExCode));
    }
    // No answer: the value shown before stays.
}

void closeWaitingDialog(vxInfo* app)
{
    if (app->winPtr != nullptr) qkwindlgExitByID(app->winPtr, kCaptureDialog);
}

void loadWorker(void* argument)
{
    vxInfo* app = static_cast<vxInfo*>(argument);
    vxParamPageLoadTreeView(app);
    app->ppData.plData.loadTvParamThrd.state.store(0);
}

void detailWorker(void* argument)
{
    vxInfo* app = static_cast<vxInfo*>(argument);
    vxParamPlRunUpdateDlg(app);
    app->ppData.plData.uodateParamThrd.state.store(0);
}

// The tick's part once the tree control exists.
void treeTick(vxInfo* app, bool onTreeTab)
{
    vxParamListInfo& pl = app->ppData.plData;
    qkwinInfo* win = app->winPtr;
    if (pl.winPtr != nullptr) qksyswintvdsp(pl.winPtr, kTree, onTreeTab ? 1 : 0);
    if (pl.tvLoadFlag.exchange(0) != 1) return;
    // The dialog gets its timer before the worker starts: a load that is
    // over before the dialog shows still closes it.
    app->rdUpdateNdx = 0;
    if (qkwindlgSetTimerByID(win, kCaptureDialog, kStatusTimerEvent, kLoadTimerMs, vxRunDiagStatusUpdateCB) != 0)
        return;
    if (vxWorkerStart(&pl.loadTvParamThrd, loadWorker, app, "vxParamPageUpdate", "parameter tree load") != 0) return;
    app->refreashFlag.store(1);
    qkwindlgdspbyID(win, kCaptureDialog);
}

}  // namespace

// ---- page functions ------------------------------------------------------------------

int vxParamPageInit(vxInfo* app)
{
    qklogTrace("vxParamPageInit");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    qkwinInfo* win = app->winPtr;
    vxParamListInfo& pl = app->ppData.plData;
    qksyswinSetActiveTabID(win, kParamTab);
    qksyswinsubtabdsp(win);
    // The tree reads the link and the Modbus record: a poll of the Modbus test ends first.
    vxParamPageMBstop(app);
    if (qkwintabgetactivesubID(win, kParamTab) == kTreeSubTab) pl.state.store(1);
    setSlot(app, pl.updateNdx, vxParamPageUpdate);
    setSlot(app, pl.digUpdateNdx, nullptr);
    return 0;
}

int vxParamPageUpdate(vxInfo* app)
{
    qklogTrace("vxParamPageUpdate");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    vxParamListInfo& pl = app->ppData.plData;
    // The capture's reader has the link to itself while the capture runs.
    // Once it has ended (complete or cancelled) the page works again: a tree
    // load takes the link back from the reader, which otherwise would keep
    // it until the page closes and the tree could not be loaded meanwhile.
    if (pl.runDiagFlag == 1) {
        const vxRunDiagInfo& rd = app->runDiag;
        if (rd.state.load() != 0 || rd.modeData.capDataFlag.load() != 0) return 0;
        if (pl.tvLoadFlag.load() == 1) vxRunDiagStop(app);
    }
    qkwinInfo* win = app->winPtr;
    const bool onTreeTab = qkwintabgetactivesubID(win, kParamTab) == kTreeSubTab;
    if (onTreeTab) pl.state.store(1);
    if (pl.state.load() == 1) {
        // Written only when it changes: a tree load may be reading it.
        qkwinInfo* tab = qkwintabgetactivecldPtr(win);
        if (pl.winPtr != tab) pl.winPtr = tab;
        if (pl.tvBuildFlag != 1) vxParamPageBuildTreeView(app);
        pl.state.store(2);
    }
    if (pl.state.load() == 2) treeTick(app, onTreeTab);

    int picked = kItemPicked;
    if (pl.runUpdateFlg.load() == kItemPicked) {
        if (vxParamPageGetUserTvItem(app) != 0) {
            pl.runUpdateFlg.store(0);
        } else if (pl.runUpdateFlg.compare_exchange_strong(picked, kDialogOpen)) {
            if (vxWorkerStart(&pl.uodateParamThrd, detailWorker, app, "vxParamPageUpdate", "parameter dialog") != 0)
                pl.runUpdateFlg.store(0);
        }
    }
    return 0;
}

int vxParamPageExit(vxInfo* app)
{
    qklogTrace("vxParamPageExit");
    if (app == nullptr) return -2;
    vxParamListInfo& pl = app->ppData.plData;
    // Only one thread uses the link: the page's workers, the Modbus-test poll,
    // the front panel and the capture reader end before Modbus mode goes off.
    vxWorkerStop(&pl.loadTvParamThrd);
    if (app->winPtr != nullptr) qkwindlgExitByID(app->winPtr, kDetailDialog);
    vxWorkerStop(&pl.uodateParamThrd);
    pl.runUpdateFlg.store(0);
    vxParamPageMBstop(app);
    vxParamPageFPstop(app);
    if (pl.runDiagFlag == 1) vxRunDiagStop(app);
    vxParamPageSetMbMode(app, "DISABLED");
    setSlot(app, pl.updateNdx, nullptr);
    setSlot(app, pl.digUpdateNdx, nullptr);
    pl.state.store(0);
    pl.winPtr = nullptr;
    if (pl.runDiagFlag != 1) return 0;
    pl.runDiagFlag = 0;
    const int status = vxRunDiagExit(app);
    qklogf("vxParamPageExit", "Run Diagnostics complete, recordes saved: %d", app->runDiag.recCnt);
    return status;
}

// ---- the tree ------------------------------------------------------------------------

int vxParamPageBuildTreeView(vxInfo* app)
{
    qklogTrace("vxParamPageBuildTreeView");
    if (app == nullptr) return -2;
    vxParamListInfo& pl = app->ppData.plData;
    qkwinInfo* tab = pl.winPtr;
    if (tab == nullptr) return -2;
    qkwinTrWvCheckByID(tab, kTree);
    // The definition of the tab gives the tree its place, colours and font.
    if (qkwinCreateTrVw(tab, kTree, 0) != 0) return -2;
    if (qkwinTrVwIDInfo* rec = qkwingetTrVwbyID(tab, kTree)) {
        qkwinSetTrVwSize(tab, kTree, rec->xorig, rec->yorig, rec->xsize, rec->ysize);
        qksyswinSetTrVwColor(tab, kTree, rec->color.bg.rgb, rec->color.text.rgb);
    }
    qksyswinSetTrVwFont(tab, kTree, tab->fontid);
    qkwinSetTrVwMaxCnt(tab, kTree, kTreeCapacity);
    qkwinInitTrVw(tab, kTree, "Parameters");
    pl.tvBuildFlag = 1;
    return 0;
}

int vxParamPageLoadTreeView(vxInfo* app)
{
    qklogTrace("vxParamPageLoadTreeView");
    if (app == nullptr) return -2;
    vxParamListInfo& pl = app->ppData.plData;
    qkwinInfo* tab = pl.winPtr;
    if (tab != nullptr) {
        qksyswinDelAllTrVwItemsByID(tab, kTree);
        qkwinInitTrVw(tab, kTree, "Parameters");
    }
    vxRunDiagSetMsg(app, "Setting MODBUS mode");
    if (vxParamPageSetMbMode(app, "ENABLED") != 0) {
        closeWaitingDialog(app);
        return -2;
    }

    vxRunDiagSetMsg(app, "Reading MODBUS values");
    const auto start = std::chrono::steady_clock::now();
    const int requests = vxParamPlGetMbRegValue(app);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    qklogf("vxParamPageLoadTreeView", "Read %d parameter registers in %d ms", requests, static_cast<int>(ms));

    vxRunDiagSetMsg(app, "Building MODBUS Tree View");
    for (int g = 0; tab != nullptr && g < pl.tvMenu.groupCnt && g < VX_MAXPARAMGROUPS; ++g) {
        vxParamTvGroupInfo& group = pl.tvMenu.group[g];
        // Each group hangs from the root (tree index 0) and lands at index 1;
        // a parameter is a group-like node under it (index 2) so that its value
        // can hang from it (index 3).
        qkwinSetTrVwPrtndx(tab, kTree, 0);
        qkwinAddTrVwIndex(tab, kTree, group.name);
        for (int i = 0; i < group.itemCnt && i < VX_MAXGROUPPARAMS; ++i) {
            vxParamTvItemInfo& item = group.items[i];
            if (!visible(app, &item)) continue;
            qkwinSetTrVwPrtndx(tab, kTree, 1);
            qkwinAddTrVwIndex(tab, kTree, item.paramName);
            qkwinAddTrVwItem(tab, kTree, item.paramValue);
        }
    }
    if (tab != nullptr) qkwinSetTrVwUserCB(tab, kTree, vxParamPlTvSelectedItemCB);
    pl.tvLoadFlag.store(0);
    closeWaitingDialog(app);
    return 0;
}

int vxParamPageCheckValidTvItem(vxInfo* app)
{
    qklogTrace("vxParamPageCheckValidTvItem");
    if (app == nullptr) return -2;
    const vxParamTvItemInfo* item = app->ppData.plData.tvItemPtr;
    if (item == nullptr) return -2;
    const int appType = app->anaDetails.version.appType;
    for (const LevelTable& t : kLevels) {
        if (t.appType != appType) continue;
        if (item->paramApp != t.paramApp) return -2;
        const int user = levelOf(t, app->userPW);
        const int needed = levelOf(t, item->paramPwId);
        return user >= 0 && needed >= 0 && needed <= user ? 0 : -2;
    }
    return -2;
}

int vxParamPageGetUserTvItem(vxInfo* app)
{
    qklogTrace("vxParamPageGetUserTvItem");
    if (app == nullptr) return -2;
    vxParamListInfo& pl = app->ppData.plData;
    char picked[64] = "";
    if (pl.winPtr == nullptr || qkwinGetTrVwUserSelItem(pl.winPtr, kTree, picked, sizeof picked) != 0) return -2;
    vxParamTvItemInfo* found = nullptr;
    forEachParam(pl.tvMenu, [&](vxParamTvGroupInfo&, vxParamTvItemInfo& item) {
        if (found == nullptr && std::strcmp(item.paramName, picked) == 0) found = &item;
    });
    if (found == nullptr) return -2;
    pl.tvItemPtr = found;
    return 0;
}

int vxParamPlGetMbRegValue(vxInfo* app)
{
    qklogTrace("vxParamPlGetMbRegValue");
    if (app == nullptr) return -2;
    int requests = 0;
    for (int pass = VX_MBREG_INT16; pass <= VX_MBREG_FLOAT; ++pass) {
        forEachParam(app->ppData.plData.tvMenu, [&](vxParamTvGroupInfo&, vxParamTvItemInfo& item) {
            if (item.paramType != pass || !visible(app, &item)) return;
            storeValue(app, item, readRegister(app, item));
            ++requests;
        });
    }
    return requests;
}

// ---- the detail dialog ---------------------------------------------------------------

int vxParamPlRunUpdateDlg(vxInfo* app)
{
    qklogTrace("vxParamPlRunUpdateDlg");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    vxParamListInfo& pl = app->ppData.plData;
    qkwinInfo* win = app->winPtr;
    pl.runUpdateFlg.store(kDialogOpen);
    qkwindlgSetTimerByID(win, kDetailDialog, kDetailTimerEvent, kDetailTimerMs, vxRunDiagStatusUpdateCB);
    qkwindlgsetstartfunc(win, kDetailDialog, vxParamPlUpdateInit);
    qkwindlgdspbyID(win, kDetailDialog);
    pl.runUpdateFlg.store(0);
    return 0;
}

int vxParamPlUpdateInit(qkwinInfo* window)
{
    qklogTrace("vxParamPlUpdateInit");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr || window == nullptr) return -2;
    const vxParamTvItemInfo* item = app->ppData.plData.tvItemPtr;
    if (item == nullptr) return -2;
    qkwinstaticsettext(window, kNameStatic, item->paramName);
    qkwinstaticsettext(window, kPromptStatic, item->paramPrompt);
    qkwineditsettext(window, kValueEdit, item->paramValue);
    char limits[96];
    if (item->paramType == VX_MBREG_FLOAT)
        qkstrfmt(limits, sizeof limits, "max: %7.2f, min: %7.2f", static_cast<double>(item->paramMax),
                 static_cast<double>(item->paramMin));
    else
        qkstrfmt(limits, sizeof limits, "max: %d, min: %d", static_cast<int>(item->paramMax),
                 static_cast<int>(item->paramMin));
    qkwinstaticsettext(window, kLimitsStatic, limits);
    return 0;
}

// ---- capture -------------------------------------------------------------------------

int vxParamPagePLupdate(vxInfo* app)
{
    qklogTrace("vxParamPagePLupdate");
    if (app == nullptr) return -2;
    vxRunDiagInfo& rd = app->runDiag;
    // Cancelled: the capture ends now, whether or not a block end comes.
    if (rd.state.load() == 0 && rd.modeData.capDataFlag.load() == 1) {
        if (rd.recCnt == 0) qkstrset(rd.msg, "Request complete");
        vxRunDiagFinish(app);
    }
    return vxDiagPageDvUpdate(app);
}

// ---- callbacks -----------------------------------------------------------------------

int vxParamPlTvSelectedItemCB(qkwinInfo* window)
{
    qklogTrace("vxParamPlTvSelectedItemCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    // A dialog already open keeps its parameter.
    int idle = 0;
    app->ppData.plData.runUpdateFlg.compare_exchange_strong(idle, kItemPicked);
    app->refreashFlag.store(1);
    return 0;
}

int vxParamPlUpdateOkCB(qkwinInfo* window)
{
    qklogTrace("vxParamPlUpdateOkCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    closeWaitingDialog(app);
    qksyswindlgexit(window);
    return 0;
}

// The parameter dialog shows values only: its Cancel does what OK does.
int vxParamPlUpdateCancelCB(qkwinInfo* window)
{
    qklogTrace("vxParamPlUpdateCancelCB");
    return vxParamPlUpdateOkCB(window);
}

int vxParamsCaptureDataCB(qkwinInfo* window)
{
    qklogTrace("vxParamsCaptureDataCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr || app->winPtr == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    vxParamListInfo& pl = app->ppData.plData;
    qklogf("vxParamsCaptureDataCB", "Started Run Diagnostics");
    pl.runDiagFlag = 1;
    app->runDiag.appID = 3;
    // The reader runs before the request goes out, so it has the stream
    // from its first line; the start returns when the dialog has closed.
    if (vxRunDiagInit(app) != 0) return -2;
    setSlot(app, pl.digUpdateNdx, vxParamPagePLupdate);
    const int status =
        vxRunDiagCaptureStart(app, vxIsArm9(app) ? VX_DP_PARAMS : VX_DP_MODE6, "Mode 6 Request pending");
    if (status != 0 && app->runDiag.state.load() != 1) {
        // Refused before anything was asked: the page goes on as before.
        setSlot(app, pl.digUpdateNdx, nullptr);
        vxRunDiagStop(app);
        pl.runDiagFlag = 0;
    }
    return status;
}
