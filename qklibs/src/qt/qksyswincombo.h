// qksyswincombo: the combo boxes of a window on Qt, from the COMBO records
// (with the entries their ITEM elements declare), and the operations the
// program calls on them. Callable from any thread.
#pragma once

#include "qkwinsrv.h"

// Sets the text of the combo box's edit field (the chosen entry). Returns 0,
// -2 when the window has no combo box with this id.
int qkwincombosetedit(qkwinInfo* window, int id, const char* text);
// Copies the text of the edit field into buffer, which holds size bytes (at
// most size-1 characters and the terminator). Returns 0, -2 for an unknown
// combo box or no buffer.
int qkwincombogetedit(qkwinInfo* window, int id, int size, char* buffer);
// Empties the entry list and the edit field. Returns 0, -2 for an unknown combo box.
int qkwincomboclear(qkwinInfo* window, int id);
// Appends an entry; the edit field keeps its text. Returns 0, -2 for an
// unknown combo box.
int qkwincomboadditem(qkwinInfo* window, int id, const char* text);
// The number of entries, -2 for an unknown combo box.
int qkwincombogetcount(qkwinInfo* window, int id);
// 0 disables the combo box, 1 enables it. Returns 0, -2 when there is none.
int qkwincombosetstate(qkwinInfo* window, int id, int state);
// Shows (show non-zero) or hides the combo box. Returns 0, -2 when there is none.
int qkwincombodsp(qkwinInfo* window, int id, int show);
