// qkwinbutton: the button table of a window: push, check, radio, group and image buttons
// declared by BUTTON packages.
#include "qkwinbutton.h"

#include "qkwintable.h"

int qkwinbuttonregister(qkwinInfo* window)
{
    qklogTrace("qkwinbuttonregister");
    if (window == nullptr) return -2;
    qkwinbtnInfo& table = window->btn;
    qkwinbtnIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->ndx = table.cnt - 1;
    table.ndx = table.cnt - 1;
    qkwincolorsetdefault(&rec->color);
    qkwincolorsetdefault(&rec->bdr.color);
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinbuttonregister", "button count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
    return 0;
}

int qkwinbuttonfreemem(qkwinInfo* window)
{
    qklogTrace("qkwinbuttonfreemem");
    if (window == nullptr) return -2;
    qkwintablefree(window->btn.idPtr, window->btn.cnt, window->btn.ndx);
    return 0;
}
