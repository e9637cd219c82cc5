// qkwinfont: the font table of a window, declared by FONT packages.
#include "qkwinfont.h"

#include "qkwintable.h"

int qkwinfontregister(qkwinInfo* window)
{
    qklogTrace("qkwinfontregister");
    if (window == nullptr) return -2;
    qkwinfontInfo& table = window->font;
    qkwinfontIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->id = table.cnt;
    table.ndx = table.cnt - 1;
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinfontregister", "font count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
    return 0;
}

int qkwinfontfreemem(qkwinInfo* window)
{
    qklogTrace("qkwinfontfreemem");
    if (window == nullptr) return -2;
    qkwintablefree(window->font.idPtr, window->font.cnt, window->font.ndx);
    return 0;
}
