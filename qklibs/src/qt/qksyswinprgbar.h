// qksyswinprgbar: a progress bar shown in a window (the analyzer search shows
// one while it walks the ports). The program keeps the record
// (qkwinprgbarInfo: position, size, range, position, step) and may advance
// pos from any thread; these operations show it. Callable from any thread.
#pragma once

#include "qkwinsrv.h"

// Shows the bar of record bar (the window's pbarPtr when bar is null) in
// window at the record's position and size (scaled as the window's controls),
// with range minval..maxval, position pos, title shown as the bar's text
// (may be null), style (the platform's smooth or segmented look; Qt draws
// one kind), and the chunk in the palette colour named colour (may be null). A bar already shown is replaced.
// Sets the record's winPtr and state 1 and the window's pbarPtr. Returns 0,
// -2 without a window or record, or when the window has no canvas.
int qkwinCreatePrgBar(qkwinInfo* window, qkwinprgbarInfo* bar, const char* title, int style, const char* colour);
// Moves the bar to the record's pos (kept within minval..maxval). Returns 0,
// -2 when the record's bar is not shown.
int qkwinUpdatePrgBar(qkwinprgbarInfo* bar);
// Removes the bar and sets the record's state 0. Returns 0 (also when it was
// not shown), -2 without a record.
int qkwinDestroyPrgBar(qkwinprgbarInfo* bar);
