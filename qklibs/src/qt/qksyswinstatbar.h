// qksyswinstatbar: the status bar of a window on Qt, from the STATBAR record
// with up to 16 parts (SUBSTATBAR), and the operation the program calls on
// it. Callable from any thread.
#pragma once

#include "qkwinsrv.h"

// Replaces the text of part (0 is the first) and redraws the bar; the part's
// text in the record is cut to 127 characters. Returns 0, -2 when the window
// has no status bar or no such part.
int qkwinUpdateStatBarItem(qkwinInfo* window, int part, const char* text);
