// qkwinlist: the list table of a window with the lines each list declares.
#include "qkwinlist.h"

#include "qkwintable.h"

int qkwinlistregister(qkwinInfo* window)
{
    qklogTrace("qkwinlistregister");
    if (window == nullptr) return -2;
    qkwinlistInfo& table = window->list;
    qkwinlistIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->ndx = table.cnt - 1;
    table.ndx = table.cnt - 1;
    qkwincolorsetdefault(&rec->color);
    qkwincolorsetdefault(&rec->bdr.color);
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinlistregister", "list count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
    return 0;
}

int qkwinlistitemregister(qkwinInfo* window)
{
    qklogTrace("qkwinlistitemregister");
    if (window == nullptr) return -2;
    qkwinlistIDInfo* list = qkwintablelast(window->list.idPtr, window->list.cnt);
    if (list == nullptr) return -2;
    qkwinlistItemIDInfo* item = qkwintableadd(list->itemidPtr, list->itemCnt);
    item->id = list->itemCnt;
    list->itemNdx = list->itemCnt - 1;
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinlistitemregister", "list item count: %d, index: %d", list->itemCnt, list->itemNdx);
    return 0;
}

void qkwinlistfreeitems(qkwinInfo* window, int from)
{
    qklogTrace("qkwinlistfreeitems");
    if (window == nullptr || window->list.idPtr == nullptr) return;
    for (int i = from < 0 ? 0 : from; i < window->list.cnt; ++i) {
        qkwinlistIDInfo& rec = window->list.idPtr[i];
        qkwintablefree(rec.itemidPtr, rec.itemCnt, rec.itemNdx);
    }
}

int qkwinlistfreemem(qkwinInfo* window)
{
    qklogTrace("qkwinlistfreemem");
    if (window == nullptr) return -2;
    qkwinlistfreeitems(window, 0);
    qkwintablefree(window->list.idPtr, window->list.cnt, window->list.ndx);
    return 0;
}
