// vxCallBacks: the main program's callbacks that the window framework calls
// for the main window itself: the window timer (clock, link counters, the
// current page's refresh, the end request by SIGTERM) and the repaint hook.
// The callbacks of the page controls belong to their pages. Main window's
// thread (the GUI thread).
#pragma once

#include "vxMain.h"

// Every tick of the main window timer: date and time in status-bar part 1,
// "Data In/Out: %d / %d, scan: %d" in part 3, then the current page's update
// functions (their last result). An end request by SIGTERM closes the main
// window the way its close button does, once.
int vxWindowTimerCB(qkwinInfo* window);

// The main window's repaint hook: refreshes the title area when asked
// (refreashFlag) and the spectra plots on the first paint after new spectra
// arrived (refrashPlots with syspaintCnt back at 0).
int vxPageRefreashCB(qkwinInfo* window);
