// vxRequestDiagProtData: start, stop and end of the spectra worker on its
// thread slot. The window thread starts and stops it; the worker reads the
// slot's run flag.
#include "vxRequestDiagProtData.h"

#include "qklogsrv.h"
#include "qkthrdsrv.h"
#include "vxWorkerSrv.h"

namespace {

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

// Stand-in until the spectra acquisition exists: the scan of the analyzer's
// application type (2F, NS, FS) will be made here; for now it returns at once.
int vxGetDiagProtReqData(vxInfo* app)
{
    qklogTrace("vxGetDiagProtReqData");
    if (app == nullptr) return -2;
    return 0;
}
