// qkwinstatic: the static text table of a window, declared by STATIC packages.
#include "qkwinstatic.h"

#include "qkwintable.h"

int qkwinstaticregister(qkwinInfo* window)
{
    qklogTrace("qkwinstaticregister");
    if (window == nullptr) return -2;
    qkwinstaticInfo& table = window->stat;
    qkwinstaticIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->ndx = table.cnt - 1;
    table.ndx = table.cnt - 1;
    qkwincolorsetdefault(&rec->color);
    qkwincolorsetdefault(&rec->bdr.color);
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinstaticregister", "static count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
    return 0;
}

int qkwinstaticfreemem(qkwinInfo* window)
{
    qklogTrace("qkwinstaticfreemem");
    if (window == nullptr) return -2;
    qkwintablefree(window->stat.idPtr, window->stat.cnt, window->stat.ndx);
    return 0;
}
