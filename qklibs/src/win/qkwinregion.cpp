// qkwinregion: the region table of a window: drawn shapes with border and image,
// declared by REGION packages.
#include "qkwinregion.h"

#include "qkwintable.h"

int qkwinregionregister(qkwinInfo* window)
{
    qklogTrace("qkwinregionregister");
    if (window == nullptr) return -2;
    qkwinregionInfo& table = window->regn;
    qkwinregionIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->ndx = table.cnt - 1;
    table.ndx = table.cnt - 1;
    qkwincolorsetdefault(&rec->color);
    qkwincolorsetdefault(&rec->bdr.color);
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinregionregister", "region count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
    return 0;
}

int qkwinregionfreemem(qkwinInfo* window)
{
    qklogTrace("qkwinregionfreemem");
    if (window == nullptr) return -2;
    qkwintablefree(window->regn.idPtr, window->regn.cnt, window->regn.ndx);
    return 0;
}
