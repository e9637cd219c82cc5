// qksyswinlist: the lists of a window on Qt, from the LIST records (with the
// lines their ITEM elements declare), and the operations the program calls on
// them. Lines are numbered from 0. Callable from any thread.
#pragma once

#include "qkwinsrv.h"

// Appends a line. Returns 0, -2 when the window has no list with this id.
int qkwinlistadditem(qkwinInfo* window, int id, const char* text);
// Removes the line at index, or every line when index is -1. Returns 0, -2
// for an unknown list or an index that is not a line.
int qkwinlistdeleteitem(qkwinInfo* window, int id, int index);
// Removes every line. Returns 0, -2 for an unknown list.
int qkwinlistclear(qkwinInfo* window, int id);
// The number of lines, -2 for an unknown list.
int qkwinlistgetcount(qkwinInfo* window, int id);
// The index of the selected line, -1 when none is selected, -2 for an unknown list.
int qkwinlistgetcursel(qkwinInfo* window, int id);
// Copies the text of the line at index into buffer, which holds size bytes
// (at most size-1 characters and the terminator). Returns 0, -2 for an
// unknown list, a bad index or no buffer.
int qkwinlistgetitem(qkwinInfo* window, int id, int index, int size, char* buffer);
// Sets the horizontal scroll extent to width pixels (0: none). Returns 0, -2
// for an unknown list.
int qkwinlistsethscroll(qkwinInfo* window, int id, int width);
// 0 disables the list, 1 enables it. Returns 0, -2 for an unknown list.
int qkwinlistsetstate(qkwinInfo* window, int id, int state);
// Selects the line at index (-1 clears the selection) without notifying.
// Returns 0, -2 for an unknown list or an index that is not a line.
int qksyswinlistsetndx(qkwinInfo* window, int id, int index);
// Shows (show non-zero) or hides the list. Returns 0, -2 for an unknown list.
int qkwinlistdsp(qkwinInfo* window, int id, int show);
