// qkwintray (win): the tray icon record of a main window, declared by a TRAY
// package (icon, tooltip, menu exit item). Portable: the platform layer shows
// the icon when the window is displayed.
#pragma once

#include "qkwinsrv.h"

// Clears the window's tray record, marks it declared and links trayPtr to it.
int qkwintraycreate(qkwinInfo* window);
