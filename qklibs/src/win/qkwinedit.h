// qkwinedit (win): the edit field table of a window, declared by EDIT packages.
// Portable: the records carry their platform objects as opaque pointers, which
// the platform layer fills when the window is created.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed edit record with the default colours; it becomes the
// current one. Returns 0, -2 without a window.
int qkwineditregister(qkwinInfo* window);
// Releases the table.
int qkwineditfreemem(qkwinInfo* window);
