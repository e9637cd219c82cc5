// vxMonitorPageSrv: the monitor page and its monitor profiles (the column
// names of each application's record stream). The page shows the analyzer's
// records as they stream in, under a header line, in list 1312 (the newest
// 1024 lines) and appends every one to the capture data file; its capture
// button runs the run-diagnostics capture (vxRunDiagSrv). The page functions
// run on the main window's thread, called by the page table: start when the
// page opens, update on every service tick, exit when it closes.
#pragma once

#include "vxMain.h"

// Adds a monitor profile at the start of each MONITORPROFILE block of the
// configuration: idPtr grows by one cleared entry, which becomes the one
// being filled (ndx); its id is the new count. Returns 0.
int vxMonProfileRegister(vxMonitorMode1Info* mode1);

// Page start: "Started Run Diagnostics"; the link flushed and Modbus mode
// switched off so that the analyzer streams text; the capture engine started
// (data file emptied, reader running); the header line written. 0, or -2
// when the reader could not be started.
int vxMonPageInit(vxInfo* app);
// Page tick: the lines the reader has published go to the list and the data
// file for at most srvrate - 5 ms; record blocks ("]]") drive the capture;
// the timed capture counts down. Never waits. 0.
int vxMonPageUpdate(vxInfo* app);
// Page exit: the capture stops, the save is offered, and "Run Diagnostics
// complete, recordes saved: %d" is logged with the lines shown. The save's
// status.
int vxMonPageExit(vxInfo* app);
// The header line: the column names of the monitor profiles of the connected
// analyzer's application ("  name\t" each; "  name, " for 2F analyzers), the
// first line of the cleared list, selected, and the first line of the data
// file when it is open (nothing is written for an empty header). 0.
int vxMonPageBuildListHdr(vxInfo* app);
