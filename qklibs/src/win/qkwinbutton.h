// qkwinbutton (win): the button table of a window: push, check, radio, group and image buttons
// declared by BUTTON packages.
// Portable: the records carry their platform objects as opaque pointers, which
// the platform layer fills when the window is created.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed button record with the default colours; it becomes the
// current one. Returns 0, -2 without a window.
int qkwinbuttonregister(qkwinInfo* window);
// Releases the table.
int qkwinbuttonfreemem(qkwinInfo* window);
