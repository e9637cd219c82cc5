// qkwinregion (win): the region table of a window: drawn shapes with border and image,
// declared by REGION packages.
// Portable: the records carry their platform objects as opaque pointers, which
// the platform layer fills when the window is created.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed region record with the default colours; it becomes the
// current one. Returns 0, -2 without a window.
int qkwinregionregister(qkwinInfo* window);
// Releases the table.
int qkwinregionfreemem(qkwinInfo* window);
