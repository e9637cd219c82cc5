// qkwinfont (win): the font table of a window, declared by FONT packages; other
// records refer to a font by its fontid. Portable: the platform layer creates
// the native fonts when the window is created.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed font record; its id is its 1-based position.
int qkwinfontregister(qkwinInfo* window);
int qkwinfontfreemem(qkwinInfo* window);
