// qkplotelmsrv (plot): the element handlers of plot definition files. What a key
// sets depends on the packages around it: each key has a table of package
// paths (outermost first). A path written with a leading ellipsis matches when
// its packages are the innermost ones whatever encloses them; the other paths
// need exactly those packages as the innermost ones, in that order, so that a
// WIDTH in PLOT/SIZE is the plot's width while a WIDTH in COMMENT/SIZE is not.
// A key in a place no path names changes nothing. The current plot is the one
// opened last (actid); the current axis and comment are its last ones.
// Runs on the thread that reads the definition file.
#pragma once

#include "qkplotsrv.h"

// The read loop's element handler: dispatches the matched key.
int qkplotcfgelem(qkplotInfo* plot);

// Keyword values.
int qkplotkwstyle(const char* text);     // SOLID 1, DOT 2, DASH 3, DASHDOT 4, else 0 (leave)
int qkplotkwclass(const char* text);     // BAR 2, HIST 3, any other word 1
int qkplotkwaxis(const char* text);      // TOP 1, BOTTOM 2, LEFT 3, RIGHT 4, else 0 (leave)

// The element handlers.
int qkplotelmxorig(qkplotInfo* plot);
int qkplotelmyorig(qkplotInfo* plot);
int qkplotelmwidth(qkplotInfo* plot);
int qkplotelmheight(qkplotInfo* plot);
int qkplotelmrgb(qkplotInfo* plot);
int qkplotelmincrement(qkplotInfo* plot);
int qkplotelmtop(qkplotInfo* plot);
int qkplotelmbottom(qkplotInfo* plot);
int qkplotelmleft(qkplotInfo* plot);
int qkplotelmright(qkplotInfo* plot);
int qkplotelmstyle(qkplotInfo* plot);
int qkplotelmtype(qkplotInfo* plot);
int qkplotelmlength(qkplotInfo* plot);
int qkplotelmname(qkplotInfo* plot);
int qkplotelmstring(qkplotInfo* plot);
int qkplotelmfontid(qkplotInfo* plot);
int qkplotelmid(qkplotInfo* plot);
int qkplotelmadjust(qkplotInfo* plot);
