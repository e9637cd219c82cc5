// qkwindlg: the dialog table of a window.
#include "qkwindlg.h"

#include "qkwintable.h"

int qkwindlgregister(qkwinInfo* window)
{
    qklogTrace("qkwindlgregister");
    if (window == nullptr) return -2;
    qkwindlgInfo& table = window->dlg;
    qkwindlgIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->ndx = table.cnt - 1;
    table.ndx = table.cnt - 1;
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwindlgregister", "dlg count: %d, index: %d, size: %d, idPtr: %x", table.cnt, table.ndx,
               static_cast<int>(sizeof(qkwindlgIDInfo)), qkwinptrval(table.idPtr));
    return 0;
}

int qkwindlgfreemem(qkwinInfo* window)
{
    qklogTrace("qkwindlgfreemem");
    if (window == nullptr) return -2;
    qkwintablefree(window->dlg.idPtr, window->dlg.cnt, window->dlg.ndx);
    return 0;
}
