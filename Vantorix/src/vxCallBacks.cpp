// vxCallBacks: the main window's timer and repaint callbacks (see the header).
#include "vxCallBacks.h"

#include <cstdlib>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswinbutton.h"
#include "qksyswindlg.h"
#include "qksyswinedit.h"
#include "qksyswinsrv.h"
#include "qksyswinstatbar.h"
#include "qksyswinstatic.h"
#include "vxAnaPasswordSrv.h"
#include "vxInit.h"
#include "vxRunDiagSrv.h"
#include "vxSpectraPlotSrv.h"
#include "vxWinSrv.h"

namespace {

// The title static refreshed on request.
constexpr int kTitleStatic = 1184;
// Update calls before the spectra plots are redrawn again after a repaint.
constexpr int kPlotsRefreshCount = 15;
constexpr int kClickEvent = 6;
// The capture dialog's cancel button.
constexpr int kRunDiagCancel = 1354;
// The capture dialog's status text and the first static of its running light.
constexpr int kRunDiagStatus = 1360;
constexpr int kRunDiagLight = 1356;
// The user-level dialog of the parameters page and its password edit.
constexpr int kUserLevelDialog = 1640;
constexpr int kUserPasswordEdit = 1645;

// SIGTERM (the stop tool) only sets a flag; the first tick that sees it ends
// the main window like its close button, so the close hook runs as usual.
void serveEndRequest(qkwinInfo* window)
{
    static bool served = false;
    if (served || !vxTermRequested() || window->state.load() == 0) return;
    served = true;
    qklogf("vxWindowTimerCB", "End requested");
    qksyswinexit(window);
}

}  // namespace

int vxWindowTimerCB(qkwinInfo* window)
{
    qklogTrace("vxWindowTimerCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    serveEndRequest(window);
    if (window->state.load() == 0) return 0;

    qksysTSInfo now{};
    qksysdatetime(&now);
    char text[128];
    qkstrfmt(text, sizeof text, "%4.4d/%2.2d/%2.2d %2.2d:%2.2d:%2.2d", now.year, now.mon, now.day, now.hr, now.min,
             now.sec);
    qkwinUpdateStatBarItem(window, VX_SBAR_CLOCK, text);
    qkstrfmt(text, sizeof text, "Data In/Out: %d / %d, scan: %d", static_cast<int>(app->inDataCnt.load()),
             static_cast<int>(app->outDataCnt.load()), static_cast<int>(app->dpRequest.scanCnt.load()));
    qkwinUpdateStatBarItem(window, VX_SBAR_DATA, text);
    return vxPageUpdateFuncTionsCB(window);
}

int vxPageRefreashCB(qkwinInfo* window)
{
    qklogTrace("vxPageRefreashCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (app->refreashFlag.load() != 0) {
        qkwinstaticdsp(window, kTitleStatic, 0);
        qkwinstaticdsp(window, kTitleStatic, 1);
        app->refreashFlag.store(0);
    }
    if (app->refrashPlots.load() != 0) {
        if (app->syspaintCnt == 0) {
            vxSpectraPageRefreashPlots(app);
            app->spData.plotsRefCnt = kPlotsRefreshCount;
        }
        ++app->syspaintCnt;
    }
    return 0;
}

int vxRunDiagCancelCB(qkwinInfo* window)
{
    qklogTrace("vxRunDiagCancelCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    app->runDiag.state.store(0);
    qkstrset(app->runDiag.msg, "Request canceled");
    qklogf("vxRunDiagCancelCB", "Run Diagnostics Requesed canceled");
    qkwinbtnsetstate(window, kRunDiagCancel, 0);
    return 0;
}

int vxParamsSetUserCB(qkwinInfo* window)
{
    qklogTrace("vxParamsSetUserCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    app->refreashFlag.store(1);
    // The parameter list stops its periodic update while the user changes
    // level, and takes it up again once the dialog has closed, so that the tree
    // of the new level is loaded.
    const int slot = app->ppData.plData.updateNdx;
    const bool known = slot >= 0 && slot < app->page.update.funcCnt;
    vxPageFunc update = known ? app->page.update.func[slot].address.exchange(nullptr) : nullptr;
    const int result = qkwindlgdspbyID(window, kUserLevelDialog);
    if (known && update != nullptr) {
        vxPageFunc none = nullptr;
        app->page.update.func[slot].address.compare_exchange_strong(none, update);
    }
    return result;
}

int vxParamsSetUserOkCB(qkwinInfo* window)
{
    qklogTrace("vxParamsSetUserOkCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    char text[32] = "";
    qkwineditgettext(window, kUserPasswordEdit, sizeof text, text);
    app->userPW = std::atoi(text);
    app->ppData.plData.tvLoadFlag.store(vxValidatePassword(app) == 0 ? 1 : 0);
    qksyswindlgexit(window);
    app->refreashFlag.store(1);
    return 0;
}

int vxMonCaptureDataCB(qkwinInfo* window)
{
    qklogTrace("vxMonCaptureDataCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    // The ARM9 analyzers send their records as parameter blocks, the others a
    // mode 6 stream.
    const int appType = app->anaDetails.version.appType;
    if (appType == VX_APP_NS || appType == VX_APP_FS)
        return vxRunDiagCaptureStart(app, "62", "Parameters Request pending");
    return vxRunDiagCaptureStart(app, "06", "Mode 6 Request pending");
}

int vxMonSaveDataCB(qkwinInfo* window)
{
    qklogTrace("vxMonSaveDataCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    return vxRunDiagSave(app);
}

int vxRunDiagStatusUpdateCB(qkwinInfo* window)
{
    qklogTrace("vxRunDiagStatusUpdateCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr || window == nullptr) return -2;
    qkwinstaticsettext(window, kRunDiagStatus, app->runDiag.msg);
    // The running light takes every static of the dialog but the last (the
    // status text), one after the other.
    const int lights = window->stat.cnt - 1;
    for (int i = 0; i < lights; ++i)
        qkwinstatchgcolor(window, kRunDiagLight + i, 1, i == app->rdUpdateNdx ? "Red" : "Black");
    if (++app->rdUpdateNdx >= lights) app->rdUpdateNdx = 0;
    // The dialog is kept between requests: a cancel greyed its button.
    if (app->runDiag.state.load() == 1) qkwinbtnsetstate(window, kRunDiagCancel, 1);
    // The spectra page rebuilds its plot background meanwhile.
    if (app->refrashPlots.load() != 0) {
        vxSpectraPageBuildPlotBG(app);
        app->spData.plotsRefCnt = 24;
    }
    return 0;
}
