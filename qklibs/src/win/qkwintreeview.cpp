// qkwintreeview: the tree view table of a window.
#include "qkwintreeview.h"

#include "qkstrsrv.h"
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

int qkwinallocateTrVw(qkwinInfo* window)
{
    qklogTrace("qkwinallocateTrVw");
    if (qkwinregisterTrVw(window) != 0) return -2;
    return window->tv.cnt - 1;
}

int qkwinsetTrVwNdx(qkwinInfo* window)
{
    qklogTrace("qkwinsetTrVwNdx");
    if (window == nullptr) return -2;
    for (int i = 0; i < window->tv.cnt; ++i)
        if (window->tv.idPtr[i].ndx != i) return i;
    return window->tv.cnt;
}

int qkwingetTrVwNdxbyID(qkwinInfo* window, int id)
{
    qklogTrace("qkwingetTrVwNdxbyID");
    if (window == nullptr || window->tv.idPtr == nullptr) return -2;
    for (int i = 0; i < window->tv.cnt; ++i)
        if (window->tv.idPtr[i].id == id) return i;
    return -2;
}

qkwinTrVwIDInfo* qkwingetTrVwbyID(qkwinInfo* window, int id)
{
    qklogTrace("qkwingetTrVwbyID");
    const int ndx = qkwingetTrVwNdxbyID(window, id);
    return ndx < 0 ? nullptr : &window->tv.idPtr[ndx];
}

int qkwinsetTrVwIDbyNdx(qkwinInfo* window, int position, int id)
{
    qklogTrace("qkwinsetTrVwIDbyNdx");
    if (window == nullptr || position < 0 || position >= window->tv.cnt) return -2;
    window->tv.idPtr[position].id = id;
    return 0;
}

int qkwinSetTrVwAudit(qkwinInfo* window, int audit)
{
    qklogTrace("qkwinSetTrVwAudit");
    if (window == nullptr) return -2;
    window->tv.audit = audit;
    return 0;
}

int qkwinSetTrVwIDaudit(qkwinInfo* window, int id, int audit)
{
    qklogTrace("qkwinSetTrVwIDaudit");
    qkwinTrVwIDInfo* rec = qkwingetTrVwbyID(window, id);
    if (rec == nullptr) return -2;
    rec->audit = audit;
    return 0;
}

int qkwinSetTrVwUserCB(qkwinInfo* window, int id, qkwincallback function)
{
    qklogTrace("qkwinSetTrVwUserCB");
    qkwinTrVwIDInfo* rec = qkwingetTrVwbyID(window, id);
    if (rec == nullptr) return -2;
    rec->userCallback = function;
    return 0;
}

int qkwinGetTrVwUserSelItem(qkwinInfo* window, int id, char* buffer, size_t size)
{
    qklogTrace("qkwinGetTrVwUserSelItem");
    qkwinTrVwIDInfo* rec = qkwingetTrVwbyID(window, id);
    if (rec == nullptr || buffer == nullptr || size == 0) return -2;
    qkstrlcpy(buffer, size, rec->selectedItem);
    return 0;
}
