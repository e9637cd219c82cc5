// qkwinmenu (win): the menu bar of a window: menus declared by MENU packages, each
// with the submenu items of its SUBMENU packages. Portable: the platform layer
// builds the native menu bar when the window is created.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed menu with the default colours; it becomes the current menu.
int qkwinmenuregister(qkwinInfo* window);
// Appends one zeroed submenu item to the current menu. -2 without a menu.
int qkwinsubmenuregister(qkwinInfo* window);
int qkwinmenufreemem(qkwinInfo* window);
// Releases the submenus of menus from..cnt-1.
void qkwinmenufreesubs(qkwinInfo* window, int from);
