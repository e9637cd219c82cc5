// vxSpectraPlotSrv: the spectra page itself: its periodic step (first display,
// saves, automatic scans, periodic redraw), the four plots A-D (1460, 1462,
// 1464 and the trend 1466) with one plot record each, the image and data
// saves, the H2O peak-type inquiry of 2F analyzers, and the page's buttons.
//
// Threads: everything runs on the main window's thread except the image save
// and the H2O inquiry, which run on the page's thread slot savedatathrd. The
// scans run on the diagnostic-request worker; while one runs (state 3) or a
// save is requested or running the plots are not redrawn.
#pragma once

#include <cstdio>

#include "qkwinsrv.h"
#include "vxMain.h"

// Page table entries (page 5): the tree builder of the curve tree is the
// start step; these are the init, update and exit steps.
int vxSpectraPageInit(vxInfo* app);
int vxSpectraPageUpdate(vxInfo* app);
// Ends a scan still running (its worker stopped within the thread table's
// bounded wait, the page idle again, the request dialog closed, the answer in
// flight read and dropped), reads the check boxes into the profile, keeps a
// copy of it in user, sets userFlg and stops the plot refresh of the repaint
// (refrashPlots 0).
int vxSpectraPageExit(vxInfo* app);

// Clears every scan slot of the three stores (headers, the first 1024 bytes
// of every spectrum), the trend values and plot-list entry 0.
int vxSpectraPageSetDataBufs(vxInfo* app);

// Drawing, on the window thread. BuildPlotBG creates the plot records when
// missing and draws A, B, C, D; DspPlotBG draws the plot plots.plotid of
// record plot (static parts, then its curves); DspPlots draws the curves of
// plots.plotid; GetPlotData binds the current curve (plots.dataPtr) or the
// trend. RefreashPlots redraws the four plots unless held (screen save, scan
// in progress, a save) and clears dataReady.
int vxSpectraPageBuildPlotBG(vxInfo* app);
int vxSpectraPageDspPlotBG(vxInfo* app, qkplotInfo* plot);
int vxSpectraPageDspPlots(vxInfo* app, qkplotInfo* plot);
int vxSpectraGetPlotData(vxInfo* app, qkplotInfo* plot);
// Binds 512 samples of a curve to plot entry id with the left range of scale
// (a flat range becomes one unit high). 0, -2 without samples.
int vxSpectraBindCurve(qkplotInfo* plot, int id, const void* samples, const vxSpectraCurveScale* scale);
int vxSpectraPageRefreashPlots(vxInfo* app);
// Ends the page's save thread (when called on the window's thread) and
// releases the four plot records; the program's exit and the release of the
// main window call it, and a second call finds nothing left to release.
int vxSpectraPageFreePlots(vxInfo* app);

// Saves plots A, B and C as 24-bit bitmaps (the name chosen for A, then
// plotB.bmp and plotC.bmp beside it), each also put on the clipboard. Runs on
// savedatathrd; saveImageFlag 5 while it runs, 0 after.
int vxSpectraSaveImage(vxInfo* app);
// Writes the named curves of the plot list as tab-separated text into the
// data file and offers to save it. 0, -2 when the file cannot be opened.
int vxSpectraSaveData(vxInfo* app);
// Writes heading, "Index" with the names and one row per point of the named
// curves of list (those of plotid, or all but the trend for 0), tab
// separated, each line ended by CR LF; a curve's rows past its own samples
// stay empty. 0, -1 when the file could not be written, -2 without a file.
int vxSpectraWriteCurves(vxInfo* app, FILE* f, const char* heading, const vxSpectraPlotData* list, int listCnt,
                         int plotid);
// Asks a 2F analyzer of ID type 2 for its H2O peak type (holding register
// 43307): 290 makes it type 1. Link buffers are reset in any case.
int vxSpectraGetH2OpeakType(vxInfo* app);

// Buttons of the page: demand scan 1410, automatic scan 1414, overlay 1420,
// save image 1424 and save data 1422.
int vxSpectraDemandScanCB(qkwinInfo* window);
int vxSpectraAutoScanCB(qkwinInfo* window);
int vxSpectraOverlayScanCB(qkwinInfo* window);
int vxSpectraSaveImageCB(qkwinInfo* window);
int vxSpectraSaveDataCB(qkwinInfo* window);
