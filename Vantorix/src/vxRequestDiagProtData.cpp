// vxRequestDiagProtData: start, stop and end of the spectra worker on its
// thread slot. The window thread starts and stops it; the worker reads the
// slot's run flag.
#include "vxRequestDiagProtData.h"

#include "qklogsrv.h"
#include "qkthrdsrv.h"

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
    vxthreadInfo& slot = app->getdpdatathrds;
    // A worker of an earlier scan is let go first (it has ended or is asked to).
    if (qkthrdInfo* old = slot.thrdPtr.load()) {
        qkthrdstop(old, slot.thrdid);
        qkthrdfreemem(old, slot.thrdid);
    }
    slot.thrd = qkthrdInfo{};
    slot.thrdPtr = &slot.thrd;
    slot.state = 1;
    qkthrdsetndx(&slot.thrd);
    int id = qkthrdallocate(&slot.thrd);
    slot.thrdid = id;
    qkthrdloadadd(&slot.thrd, id, vxDiagProtReqDataThrd);
    qkthrdloadarg(&slot.thrd, id, app);
    qkthrdstart(&slot.thrd, id);
    const int rslt = slot.thrd.routinePtr != nullptr ? slot.thrd.routinePtr[0].rslt : -2;
    if (rslt != 0) {
        qklogf("vxRunDiagProtReqData", "error, spectra worker not started: %d", rslt);
        slot.state = 0;
        return -2;
    }
    return 0;
}

int vxStopDiagProtReqData(vxInfo* app)
{
    qklogTrace("vxStopDiagProtReqData");
    if (app == nullptr) return -2;
    vxthreadInfo& slot = app->getdpdatathrds;
    slot.state = 0;
    qkthrdInfo* thrd = slot.thrdPtr.exchange(nullptr);
    if (thrd == nullptr) return 0;
    int status = qkthrdstop(thrd, slot.thrdid);
    qkthrdfreemem(thrd, slot.thrdid);
    return status;
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
