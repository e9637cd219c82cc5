// vxSpectraSnapSrv: the snapshot windows of spectra plots A, B and C (windows
// 1467, 1468, 1469 with plots 1472, 1474, 1476). A snapshot shows the curves
// of its page plot as they were when it opened, the FC10 values marked for
// display beside the plot, the point and value under the cursor (statics
// 1712 and 1716), and saves its plot as a bitmap (1718) or its curves as
// tab-separated text (1720).
//
// Threads: the snapshot button runs on the main window's thread and copies
// the page's curves there (no scan writes them meanwhile); every other
// function runs on the snapshot window's own thread. The data save writes
// the program's data file on the main window's thread, where the captures
// write it too.
#pragma once

#include "qkwinsrv.h"
#include "vxMain.h"

// Snapshot button 1467, 1468 or 1469: copies the page's curves, opens the
// window, disables the button and prepares the snapshot (vxSpectraSnapPlotInit).
int vxSpectraSnapShotWinCB(qkwinInfo* window);
// Prepares an opened snapshot window: picks its record by window id, sets its
// refresh and cursor callbacks, computes the range of its curves, reads its
// plot definition once, draws it and the FC10 read-out. -2 for a window id
// other than 1467-1469.
int vxSpectraSnapPlotInit(qkwinInfo* window);
// Draws the snapshot's plot (when its plot was found).
int vxSpectraSnapPlotWinDsp(qkwinInfo* window);
// Points the cursor read-out at the snapshot's grid area and range.
int vxSpectraSnapPlotSetXYpos(qkwinInfo* window, vxSpectrWinPlotInfo* snap, const qkplotIDInfo* entry);
// Cursor moves: point number "%-3.3d" into 1712 and value "%10.4f" into 1716
// (each cut to 8 characters) while the cursor is over the grid.
int vxSpectraSnapPlotXYposCB(qkwinInfo* window);
// The window's refresh: draws the snapshot and its FC10 read-out.
int vxWinPlotRefreashCB(qkwinInfo* window);
// The FC10 values marked for display, one line per 30 pixels beside the plot.
int vxSpectraSnapDspFC10Params(qkwinInfo* window);
// Buttons 1718 (bitmap "snapPlotA.bmp"...) and 1720 (data, heading
// "Vantorix Spectra Snap Window A Data"...).
int vxSpectraSaveWinImageCB(qkwinInfo* window);
int vxSpectraSaveWinDataCB(qkwinInfo* window);
// The window's close function: enables the button that opened it again.
int vxSpectraSnapPlotExit(qkwinInfo* window);
// Releases the three snapshot plot records once no snapshot window is open
// (the program's exit and the release of the main window).
int vxSpectraSnapFreePlots(vxInfo* app);
