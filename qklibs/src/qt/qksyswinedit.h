// qksyswinedit: the edit fields of a window on Qt, from the EDIT records, and
// the operations the program calls on them. Callable from any thread.
#pragma once

#include "qkwinsrv.h"

// Replaces the field's text. Returns 0, -2 when the window has no edit with this id.
int qkwineditsettext(qkwinInfo* window, int id, const char* text);
// Copies the field's text into buffer, which holds size bytes: at most size-1
// characters and the terminator. Returns 0, -2 when there is no such edit.
int qkwineditgettext(qkwinInfo* window, int id, int size, char* buffer);
// 0 disables the field, 1 enables it. Returns 0, -2 when there is none.
int qkwineditsetstate(qkwinInfo* window, int id, int state);
// Shows (show non-zero) or hides the field. Returns 0, -2 when there is none.
int qkwineditdsp(qkwinInfo* window, int id, int show);
