// qksyswinmenu: the menu bar of a window on Qt, from the MENU records and
// their SUBMENU items, and the operation the program calls on it. Callable
// from any thread.
#pragma once

#include "qkwinsrv.h"

// State 2 greys and disables the menu or menu item with this id; any other
// state enables it. Returns 0, -2 when no menu or submenu item has the id.
int qkwinmenusetstate(qkwinInfo* window, int id, int state);
