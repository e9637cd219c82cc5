// qkwindatepick (win): the date picker table of a window, declared by DATEPICK packages.
// Portable: the records carry their platform objects as opaque pointers, which
// the platform layer fills when the window is created.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed datepick record with the default colours; it becomes the
// current one. Returns 0, -2 without a window.
int qkwindatepickregister(qkwinInfo* window);
// Releases the table.
int qkwindatepickfreemem(qkwinInfo* window);
