// qkwintreeview: the tree view table of a window.
#include "qkwintreeview.h"

#include "qkwincfgsrv.h"
#include "qkwintable.h"

int qkwinregisterTrVw(qkwinInfo* window)
{
    qklogTrace("qkwinregisterTrVw");
    if (window == nullptr) return -2;
    qkwinTrVwInfo& table = window->tv;
    qkwinTrVwIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->ndx = table.cnt - 1;
    table.ndx = table.cnt - 1;
    qkwincolorsetdefault(&rec->color);
    if (window->audit & QKWINCFG_AUD_RECORD) {
        qklogf("qkwinregisterTrVw", "tree view count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
        qklogf("qkwinregisterTrVw", "count: %d, index: %d", table.cnt, table.ndx);
    }
    return 0;
}

int qkwintrvwfreemem(qkwinInfo* window)
{
    qklogTrace("qkwintrvwfreemem");
    if (window == nullptr) return -2;
    qkwintablefree(window->tv.idPtr, window->tv.cnt, window->tv.ndx);
    return 0;
}
