// qkwinmsg: the declared messages of a window.
#include "qkwinmsg.h"

#include "qkwintable.h"

int qkwinmmsgregister(qkwinInfo* window)
{
    qklogTrace("qkwinmmsgregister");
    if (window == nullptr) return -2;
    qkwinmmsgInfo& table = window->mmsg;
    qkwintableadd(table.idPtr, table.cnt);
    table.ndx = table.cnt - 1;
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinmmsgregister", "mmsg count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
    return 0;
}

int qkwinmmsgfreemem(qkwinInfo* window)
{
    qklogTrace("qkwinmmsgfreemem");
    if (window == nullptr) return -2;
    qkwintablefree(window->mmsg.idPtr, window->mmsg.cnt, window->mmsg.ndx);
    return 0;
}
