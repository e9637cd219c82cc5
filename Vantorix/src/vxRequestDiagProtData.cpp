// vxRequestDiagProtData: start, stop and end of the spectra worker on its
// thread slot, and its body: one scan of the analyzer's application. The
// window thread starts and stops it; the worker reads the slot's run flag.
#include "vxRequestDiagProtData.h"

#include <ctime>

#include "qklogsrv.h"
#include "qksyswindlg.h"
#include "qkthrdsrv.h"
#include "vxAsynSrv.h"
#include "vxSpectraArm9Srv.h"
#include "vxSpectraPage2fSrv.h"
#include "vxWorkerSrv.h"

namespace {

constexpr int kRequestDialog = 1350;   // the request-pending dialog of the main window

void vxDiagProtReqDataThrd(void* argument)
{
    qklogTrace("vxDiagProtReqDataThrd");
    vxInfo* app = static_cast<vxInfo*>(argument);
    vxGetDiagProtReqData(app);
    // The worker has finished its scan: the slot may be started again.
    app->getdpdatathrds.state = 0;
}

}  // namespace

int vxRunDiagProtReqData(vxInfo* app)
{
    qklogTrace("vxRunDiagProtReqData");
    if (app == nullptr) return -2;
    return vxWorkerStart(&app->getdpdatathrds, vxDiagProtReqDataThrd, app, "vxRunDiagProtReqData", "spectra worker");
}

int vxStopDiagProtReqData(vxInfo* app)
{
    qklogTrace("vxStopDiagProtReqData");
    if (app == nullptr) return -2;
    app->getdpdatathrds.state = 0;
    return vxWorkerStop(&app->getdpdatathrds);
}

int vxExitDiagProtReqData(vxInfo* app)
{
    qklogTrace("vxExitDiagProtReqData");
    if (app == nullptr) return -2;
    app->getdpdatathrds.state = 0;
    return 0;
}

int vxGetDiagProtReqData(vxInfo* app)
{
    qklogTrace("vxGetDiagProtReqData");
    if (app == nullptr) return -2;
    // A scan owns the link: no record capture reads it meanwhile.
    app->runDiag.modeData.capDataFlag.store(0);
    vxAnalyzerComInfo& com = app->anaCom;
    vxAsynFlush(app);
    com.ibPtr = com.ibuf;
    com.obPtr = com.obuf;
    com.maxbyts = VX_LINKBUFSIZE;

    int status = -2;
    switch (app->anaDetails.version.appType) {
    case VX_APP_PP2F: status = vxSPget2Fdata(app); break;
    case VX_APP_NS: status = vxSPgetNSdata(app); break;
    case VX_APP_FS: status = vxSPgetFSdata(app); break;
    default:
        qklogf("vxGetDiagProtReqData", "no spectra for application type: %d", app->anaDetails.version.appType);
        break;
    }
    // The next automatic scan is due one poll interval after this one.
    if (app->spData.autoScanFlag.load() == 1) app->spData.autoTimeStart.store(static_cast<int64_t>(std::time(nullptr)));
    if (app->winPtr != nullptr) qkwindlgExitByID(app->winPtr, kRequestDialog);
    return status;
}
