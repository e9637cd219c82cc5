// qksyswinregstdfunc (win): binds the framework's standard callback names (window
// procedures, exits, dialogs, common dialogs, standard control handlers, help
// boxes, screen capture, display scale) in a window's callback table, so a
// definition file can name them exactly like program callbacks.
//
// The table of standard names lives here. Portable functions are entered in it
// directly; the platform layer enters the functions it owns with
// qksyswinstdfuncset when it starts, before the first window is created. A
// name whose function does not exist (yet) binds nothing.
#pragma once

#include "qkwinsrv.h"

// Binds the standard names for window: the main-window names for a window of
// type 1, the child names for type 2 and higher; inheritable names are also
// marked. Returns 0 (-2 without a window).
int qksyswinregstdfunc(qkwinInfo* window);

// Enters address as the function of the standard name. Returns 0, or -2 for a
// name that is not a standard name. Called on the main thread at start-up.
int qksyswinstdfuncset(const char* name, qkwincallback address);
// The function entered for a standard name, or null.
qkwincallback qksyswinstdfuncget(const char* name);

// The standard handler that does nothing. Returns 0.
int qksyswinstdnullproc(qkwinInfo* window);
