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

// The monitor page's capture button: with a connected analyzer of a
// supported version, asks for the record stream ("62" for the ARM9
// analyzers, "06" for the others) and shows the capture dialog 1350 until
// the capture ends.
int vxMonCaptureDataCB(qkwinInfo* window);
// The monitor page's save button: offers to keep a copy of the data file.
int vxMonSaveDataCB(qkwinInfo* window);
// Timer of the capture dialog (every 500 ms): the capture message in static
// 1360 and one step of the running light over statics 1356 and on.
int vxRunDiagStatusUpdateCB(qkwinInfo* window);

// Cancel of the capture dialog 1354: the capture stops ("Request canceled" in
// the dialog) and the button is greyed.
int vxRunDiagCancelCB(qkwinInfo* window);

// The parameters page's user button: the parameter list's periodic update
// stops while the user-level dialog 1640 is open, and goes on afterwards.
int vxParamsSetUserCB(qkwinInfo* window);
// OK of dialog 1640: the password of edit 1645 becomes the user's when valid
// (the parameter tree is then loaded again at the next tick; otherwise the
// box "Invalid Password"); the dialog closes.
int vxParamsSetUserOkCB(qkwinInfo* window);
