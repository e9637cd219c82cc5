// vxWorkerSrv: starting and stopping workers on the application's thread slots.
#include "vxWorkerSrv.h"

#include "qklogsrv.h"

int vxWorkerStart(vxthreadInfo* slot, qkthrdroutine routine, void* argument, const char* label, const char* what)
{
    qklogTrace("vxWorkerStart");
    if (slot == nullptr || routine == nullptr) return -2;
    vxWorkerStop(slot);   // a worker of an earlier run ends first (it has ended or is asked to)
    slot->thrd = qkthrdInfo{};
    slot->state = 1;
    qkthrdsetndx(&slot->thrd);
    const int id = qkthrdallocate(&slot->thrd);
    slot->thrdid = id;
    qkthrdloadadd(&slot->thrd, id, routine);
    qkthrdloadarg(&slot->thrd, id, argument);
    qkthrdstart(&slot->thrd, id);
    const int rslt = slot->thrd.routinePtr != nullptr ? slot->thrd.routinePtr[0].rslt : -2;
    if (rslt != 0) {
        qklogf(label, "error, %s not started: %d", what, rslt);
        qkthrdfreemem(&slot->thrd, id);
        slot->state = 0;
        return -2;
    }
    // Published once it runs: whoever takes it from the slot may stop it.
    slot->thrdPtr = &slot->thrd;
    return 0;
}

int vxWorkerStop(vxthreadInfo* slot)
{
    qklogTrace("vxWorkerStop");
    if (slot == nullptr) return -2;
    qkthrdInfo* thrd = slot->thrdPtr.exchange(nullptr);
    if (thrd == nullptr) return 0;
    const int status = qkthrdstop(thrd, slot->thrdid);
    qkthrdfreemem(thrd, slot->thrdid);
    return status;
}
