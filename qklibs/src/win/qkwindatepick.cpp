// qkwindatepick: the date picker table of a window, declared by DATEPICK packages.
#include "qkwindatepick.h"

#include "qkwintable.h"

int qkwindatepickregister(qkwinInfo* window)
{
    qklogTrace("qkwindatepickregister");
    if (window == nullptr) return -2;
    qkwindatepickInfo& table = window->datepick;
    qkwindatepickIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->ndx = table.cnt - 1;
    table.ndx = table.cnt - 1;
    qkwincolorsetdefault(&rec->color);
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwindatepickregister", "datepick count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
    return 0;
}

int qkwindatepickfreemem(qkwinInfo* window)
{
    qklogTrace("qkwindatepickfreemem");
    if (window == nullptr) return -2;
    qkwintablefree(window->datepick.idPtr, window->datepick.cnt, window->datepick.ndx);
    return 0;
}
