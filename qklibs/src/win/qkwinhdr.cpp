// qkwinhdr: the header controls of a window with their columns.
#include "qkwinhdr.h"

#include "qkwintable.h"

int qkwinhdrregister(qkwinInfo* window)
{
    qklogTrace("qkwinhdrregister");
    if (window == nullptr) return -2;
    qkwinHdrInfo& table = window->hdr;
    qkwinHdrIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->ndx = table.cnt - 1;
    table.ndx = table.cnt - 1;
    qkwincolorsetdefault(&rec->color);
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinhdrregister", "hdr count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
    return 0;
}

int qkwinsubhdrregister(qkwinInfo* window)
{
    qklogTrace("qkwinsubhdrregister");
    if (window == nullptr) return -2;
    qkwinHdrIDInfo* hdr = qkwintablelast(window->hdr.idPtr, window->hdr.cnt);
    if (hdr == nullptr) return -2;
    qkwinSubHdrIDInfo* rec = qkwintableadd(hdr->subidPtr, hdr->subCnt);
    rec->ndx = hdr->subCnt - 1;
    qkwincolorsetdefault(&rec->color);
    hdr->subNdx = hdr->subCnt - 1;
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinsubhdrregister", "sub hdr count: %d, index: %d", hdr->subCnt, hdr->subNdx);
    return 0;
}

int qkwinhdrfreemem(qkwinInfo* window)
{
    qklogTrace("qkwinhdrfreemem");
    if (window == nullptr) return -2;
    for (int i = 0; window->hdr.idPtr != nullptr && i < window->hdr.cnt; ++i) {
        qkwinHdrIDInfo& rec = window->hdr.idPtr[i];
        qkwintablefree(rec.subidPtr, rec.subCnt, rec.subNdx);
    }
    qkwintablefree(window->hdr.idPtr, window->hdr.cnt, window->hdr.ndx);
    return 0;
}
