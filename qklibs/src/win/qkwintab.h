// qkwintab (win): the tab controls of a window (TAB packages) with their sub-tabs
// (SUBTAB packages); each sub-tab names the definition file of its own page
// window. Portable: the platform layer builds the controls and page windows.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed tab control with the default colours (the current tab).
int qkwintabregister(qkwinInfo* window);
// Appends one zeroed sub-tab to the current tab. -2 without a tab.
int qkwinsubtabregister(qkwinInfo* window);
int qkwintabfreemem(qkwinInfo* window);
