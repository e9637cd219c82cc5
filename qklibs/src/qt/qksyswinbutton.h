// qksyswinbutton: the buttons of a window on Qt: push, check, radio, group,
// image and auto check/radio buttons from the BUTTON records, and the
// operations the program calls on them. Callable from any thread.
#pragma once

#include "qkwinsrv.h"

// Push, image and group buttons: 0 disables, 1 enables; check and radio
// buttons: 0 clears, 1 checks; other states are ignored. Returns 0, -2 when
// the window has no button with this id.
int qkwinbtnsetstate(qkwinInfo* window, int id, int state);
// Check and radio buttons report 1 when checked, else 0; other buttons 0.
// Returns 0, -2 when there is no such button.
int qkwinbtngetstate(qkwinInfo* window, int id, int* state);
// Shows (show non-zero) or hides the button. Returns 0, -2 when there is none.
int qkwinbtndsp(qkwinInfo* window, int id, int show);
// Replaces the caption (the record's name too). Returns 0, -2 when there is none.
int qkwinbtnsettext(qkwinInfo* window, int id, const char* text);
// Sets the background (which 1) or text (which 3) colour from the palette
// and redraws. Returns 0, -2 for an unknown button, colour or which.
int qkwinbtnchgcolor(qkwinInfo* window, int id, int which, const char* colour);
