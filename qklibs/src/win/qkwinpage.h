// qkwinpage (win): the pages of a window (PAGE packages) and their sub-pages
// (SUBPAGE packages): which control shows which page, and which widgets belong
// to it (their pageid).
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed page; its pageNdx is its 1-based position.
int qkwinpageregister(qkwinInfo* window);
// Appends one zeroed sub-page to the current page. -2 without a page.
int qkwinsubpageregister(qkwinInfo* window);
int qkwinpagefreemem(qkwinInfo* window);
