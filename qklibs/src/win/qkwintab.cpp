// qkwintab: the tab controls of a window with their sub-tabs.
#include "qkwintab.h"

#include "qkwintable.h"

int qkwintabregister(qkwinInfo* window)
{
    qklogTrace("qkwintabregister");
    if (window == nullptr) return -2;
    qkwinTabInfo& table = window->tab;
    qkwinTabIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->ndx = table.cnt - 1;
    table.ndx = table.cnt - 1;
    qkwincolorsetdefault(&rec->color);
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwintabregister", "tab count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
    return 0;
}

int qkwinsubtabregister(qkwinInfo* window)
{
    qklogTrace("qkwinsubtabregister");
    if (window == nullptr) return -2;
    qkwinTabIDInfo* tab = qkwintablelast(window->tab.idPtr, window->tab.cnt);
    if (tab == nullptr) return -2;
    qkwinSubTabIDInfo* rec = qkwintableadd(tab->subidPtr, tab->subCnt);
    rec->ndx = tab->subCnt - 1;
    tab->subNdx = tab->subCnt - 1;
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinsubtabregister", "sub tab count: %d, index: %d", tab->subCnt, tab->subNdx);
    return 0;
}

int qkwintabfreemem(qkwinInfo* window)
{
    qklogTrace("qkwintabfreemem");
    if (window == nullptr) return -2;
    for (int i = 0; window->tab.idPtr != nullptr && i < window->tab.cnt; ++i) {
        qkwinTabIDInfo& rec = window->tab.idPtr[i];
        qkwintablefree(rec.subidPtr, rec.subCnt, rec.subNdx);
    }
    qkwintablefree(window->tab.idPtr, window->tab.cnt, window->tab.ndx);
    window->tab.cid = 0;
    window->tab.csid = 0;
    window->tab.ccldPtr = nullptr;
    return 0;
}
