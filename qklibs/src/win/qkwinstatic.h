// qkwinstatic (win): the static text table of a window, declared by STATIC packages.
// Portable: the records carry their platform objects as opaque pointers, which
// the platform layer fills when the window is created.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed static record with the default colours; it becomes the
// current one. Returns 0, -2 without a window.
int qkwinstaticregister(qkwinInfo* window);
// Releases the table.
int qkwinstaticfreemem(qkwinInfo* window);
