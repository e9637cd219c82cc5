// qkwinlist (win): the list table of a window with the lines each list declares by
// ITEM elements. Portable: the platform layer creates the native lists.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed list record with the default colours (the current list).
int qkwinlistregister(qkwinInfo* window);
// Appends one zeroed line to the current list; its id is its 1-based position.
// -2 when the window has no list.
int qkwinlistitemregister(qkwinInfo* window);
// Releases every list's lines and the table.
int qkwinlistfreemem(qkwinInfo* window);
// Releases the lines of records from..cnt-1 (records that a new read replaces).
void qkwinlistfreeitems(qkwinInfo* window, int from);
