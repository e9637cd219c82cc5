// qkwinmenu: the menus of a window with their submenu items.
#include "qkwinmenu.h"

#include "qkwintable.h"

int qkwinmenuregister(qkwinInfo* window)
{
    qklogTrace("qkwinmenuregister");
    if (window == nullptr) return -2;
    qkwinMenuInfo& table = window->menu;
    qkwinMenuIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    qkwincolorsetdefault(&rec->color);
    table.ndx = table.cnt - 1;
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinmenuregister", "menu count: %d, idPtr: %x", table.cnt, qkwinptrval(table.idPtr));
    return 0;
}

int qkwinsubmenuregister(qkwinInfo* window)
{
    qklogTrace("qkwinsubmenuregister");
    if (window == nullptr) return -2;
    qkwinMenuIDInfo* menu = qkwintablelast(window->menu.idPtr, window->menu.cnt);
    if (menu == nullptr) return -2;
    qkwinSubMenuIDInfo* rec = qkwintableadd(menu->subidPtr, menu->subCnt);
    qkwincolorsetdefault(&rec->color);
    menu->subNdx = menu->subCnt - 1;
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwinsubmenuregister", "sub menu count: %d, index: %d", menu->subCnt, menu->subNdx);
    return 0;
}

void qkwinmenufreesubs(qkwinInfo* window, int from)
{
    qklogTrace("qkwinmenufreesubs");
    if (window == nullptr || window->menu.idPtr == nullptr) return;
    for (int i = from < 0 ? 0 : from; i < window->menu.cnt; ++i) {
        qkwinMenuIDInfo& rec = window->menu.idPtr[i];
        qkwintablefree(rec.subidPtr, rec.subCnt, rec.subNdx);
    }
}

int qkwinmenufreemem(qkwinInfo* window)
{
    qklogTrace("qkwinmenufreemem");
    if (window == nullptr) return -2;
    qkwinmenufreesubs(window, 0);
    qkwintablefree(window->menu.idPtr, window->menu.cnt, window->menu.ndx);
    return 0;
}
