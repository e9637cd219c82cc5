// qksyswinstatic: the static texts of a window on Qt, from the STATIC records,
// and the operations the program calls on them. Callable from any thread.
#pragma once

#include "qkwinsrv.h"

// Replaces the text (the record's text too, cut to 127 characters). Returns 0,
// -2 when the window has no static with this id.
int qkwinstaticsettext(qkwinInfo* window, int id, const char* text);
// 0 disables (greys) the text, 1 enables it. Returns 0, -2 when there is none.
int qkwinstaticsetstate(qkwinInfo* window, int id, int state);
// which 1 sets the background, 3 the text colour, to the palette colour named
// colour, and redraws. Returns 0, -2 for an unknown static, colour or which.
int qkwinstatchgcolor(qkwinInfo* window, int id, int which, const char* colour);
// Shows (show non-zero) or hides the static. Returns 0, -2 when there is none.
int qkwinstaticdsp(qkwinInfo* window, int id, int show);
