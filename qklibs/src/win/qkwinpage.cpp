// qkwinpage: the pages of a window and their sub-pages.
#include "qkwinpage.h"

#include "qkwintable.h"

int qkwinpageregister(qkwinInfo* window)
{
    qklogTrace("qkwinpageregister");
    if (window == nullptr) return -2;
    qkwinPageInfo& table = window->page;
    qkwinPageIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->pageNdx = table.cnt;
    table.ndx = table.cnt - 1;
    if (window->audit & QKWINCFG_AUD_RECORD) qklogf("qkwinpageregister", "page count: %d, index: %d", table.cnt, table.ndx);
    return 0;
}

int qkwinsubpageregister(qkwinInfo* window)
{
    qklogTrace("qkwinsubpageregister");
    if (window == nullptr) return -2;
    qkwinPageIDInfo* page = qkwintablelast(window->page.idPtr, window->page.cnt);
    if (page == nullptr) return -2;
    qkwintableadd(page->subidPtr, page->subCnt);
    page->subNdx = page->subCnt - 1;
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinsubpageregister", "sub page count: %d, index: %d", page->subCnt, page->subNdx);
    return 0;
}

int qkwinpagefreemem(qkwinInfo* window)
{
    qklogTrace("qkwinpagefreemem");
    if (window == nullptr) return -2;
    for (int i = 0; window->page.idPtr != nullptr && i < window->page.cnt; ++i) {
        qkwinPageIDInfo& rec = window->page.idPtr[i];
        qkwintablefree(rec.subidPtr, rec.subCnt, rec.subNdx);
    }
    qkwintablefree(window->page.idPtr, window->page.cnt, window->page.ndx);
    return 0;
}
