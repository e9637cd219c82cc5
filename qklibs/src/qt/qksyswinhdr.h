// qksyswinhdr: the header controls of a window on Qt: column headers (SUBHDR
// titles) over a list of rows read from the header's file (PATH), each line
// of the file one row split into columns at the header's delimiter character
// (INDEX). Callable from any thread.
#pragma once

#include "qkwinsrv.h"

// The standard function "qksyswinstdhdrdsplist": reads every header list of
// the window again from its file and redraws it. Returns 0, -2 without a window.
int qksyswinhdrdsplist(qkwinInfo* window);
