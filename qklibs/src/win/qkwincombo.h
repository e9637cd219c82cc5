// qkwincombo (win): the combo box table of a window with the entries each combo box declares by
// ITEM elements. Portable: the platform layer creates the native combo boxes.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed combo record with the default colours (the current combo box).
int qkwincomboregister(qkwinInfo* window);
// Appends one zeroed entry to the current combo box; its id is its 1-based position.
// -2 when the window has no combo box.
int qkwincomboitemregister(qkwinInfo* window);
// Releases every combo box's entries and the table.
int qkwincombofreemem(qkwinInfo* window);
// Releases the entries of records from..cnt-1 (records that a new read replaces).
void qkwincombofreeitems(qkwinInfo* window, int from);
