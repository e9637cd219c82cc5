// qkwincombo: the combo box table of a window with the entries each combo box declares.
#include "qkwincombo.h"

#include "qkwintable.h"

int qkwincomboregister(qkwinInfo* window)
{
    qklogTrace("qkwincomboregister");
    if (window == nullptr) return -2;
    qkwincomboInfo& table = window->comb;
    qkwincomboIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->ndx = table.cnt - 1;
    table.ndx = table.cnt - 1;
    qkwincolorsetdefault(&rec->color);
    qkwincolorsetdefault(&rec->bdr.color);
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwincomboregister", "combo count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
    return 0;
}

int qkwincomboitemregister(qkwinInfo* window)
{
    qklogTrace("qkwincomboitemregister");
    if (window == nullptr) return -2;
    qkwincomboIDInfo* combo = qkwintablelast(window->comb.idPtr, window->comb.cnt);
    if (combo == nullptr) return -2;
    qkwincomboItemIDInfo* item = qkwintableadd(combo->itemidPtr, combo->itemCnt);
    item->id = combo->itemCnt;
    combo->itemNdx = combo->itemCnt - 1;
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwincomboitemregister", "combo item count: %d, index: %d", combo->itemCnt, combo->itemNdx);
    return 0;
}

void qkwincombofreeitems(qkwinInfo* window, int from)
{
    qklogTrace("qkwincombofreeitems");
    if (window == nullptr || window->comb.idPtr == nullptr) return;
    for (int i = from < 0 ? 0 : from; i < window->comb.cnt; ++i) {
        qkwincomboIDInfo& rec = window->comb.idPtr[i];
        qkwintablefree(rec.itemidPtr, rec.itemCnt, rec.itemNdx);
    }
}

int qkwincombofreemem(qkwinInfo* window)
{
    qklogTrace("qkwincombofreemem");
    if (window == nullptr) return -2;
    qkwincombofreeitems(window, 0);
    qkwintablefree(window->comb.idPtr, window->comb.cnt, window->comb.ndx);
    return 0;
}
