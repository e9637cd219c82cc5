// qkwinedit: the edit field table of a window, declared by EDIT packages.
#include "qkwinedit.h"

#include "qkwintable.h"

int qkwineditregister(qkwinInfo* window)
{
    qklogTrace("qkwineditregister");
    if (window == nullptr) return -2;
    qkwineditInfo& table = window->edit;
    qkwineditIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->ndx = table.cnt - 1;
    table.ndx = table.cnt - 1;
    qkwincolorsetdefault(&rec->color);
    qkwincolorsetdefault(&rec->bdr.color);
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwineditregister", "edit count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
    return 0;
}

int qkwineditfreemem(qkwinInfo* window)
{
    qklogTrace("qkwineditfreemem");
    if (window == nullptr) return -2;
    qkwintablefree(window->edit.idPtr, window->edit.cnt, window->edit.ndx);
    return 0;
}
