// vxDiagPageSrv: the diagnostics page. Its values tab reads the registers
// that the diagnostics profile of the connected analyzer names over Modbus,
// one read per register, lists each value with its name and register number
// under a time stamp (list 1516 of sub-tab 1502) and decodes the analyzer's
// alarm word into the names of the active alarms (list 1574). Its capture
// button runs the run-diagnostics capture (vxRunDiagSrv) without showing the
// records: they only go to the capture data file while the waiting dialog
// 1350 counts them.
//
// Threads: the page functions, the callbacks and the capture drain run on the
// main window's thread; the refresh runs on the worker slot diagdvthrds and
// writes the lists through the framework (callable from any thread).
#pragma once

#include "vxMain.h"

// Page start: tab 1500 active with its sub-tabs shown; when sub-tab 1502 is
// the one selected its window holds the lists (dvData.winPtr) and list 1516
// shows the configured parameters. 0.
int vxDiagPageInit(vxInfo* app);
// Page tick: nothing to do (the capture drain has a slot of its own). 0.
int vxDiagPageUpdate(vxInfo* app);
// Page exit: the refresh worker stops, Modbus mode goes off, the capture
// drain leaves the update table and a capture of this page stops with the
// save offered ("Run Diagnostics complete, recordes saved: %d"). 0, or the
// save's status.
int vxDiagPageExit(vxInfo* app);
// List 1516: one "%-25.25s %5d" line (name, register) per parameter. 0.
int vxDiagPageDvInit(vxInfo* app);

// Starts the refresh (vxGetDiagRefreshData) on the worker slot diagdvthrds,
// the request marked running (runDiag.state 1) until it ends. 0, -2 when it
// could not be started.
int vxRunDiagRefreshData(vxInfo* app);
// The refresh (worker): heading with the time stamp, Modbus mode on, one read
// per parameter with its value or failure line, the alarm word taken from the
// alarm register, the alarm list rebuilt; dialog 1350 closed at the end.
// Modbus mode stays on until the page is left. A cancel (runDiag.state 0)
// ends it before the next register, the alarm list left as it was. 0; -1
// canceled; -2 without a profile or when the analyzer did not acknowledge
// Modbus mode (box "ent analyzer MODBUS ON request timeout").
int vxGetDiagRefreshData(vxInfo* app);
// List 1574: the time stamp, then the name of every alarm whose bit is set
// in the alarm word (alarm id n is bit n + 1). 0.
int vxLoadDiagAlarmsData(vxInfo* app);
// The capture drain, the page's update function while its capture runs: each
// record line is counted and written to the data file, record blocks ("]]")
// drive the capture, the timed capture counts down. 0.
int vxDiagPageDvUpdate(vxInfo* app);

// Refresh button 1518 (a click only): with a connected analyzer of a
// supported version, the refresh runs on its worker while dialog 1350 shows
// its progress. The refusal's status, else 0.
int vxDiagRefreshDataCB(qkwinInfo* window);
// Run-diagnostics button 1678 (a click only): asks for the record stream
// ("06" 2F analyzers, "62" ARM9 analyzers), starts the capture engine with
// the page's drain and shows dialog 1350 until the capture ends. The
// refusal's status, else 0.
int vxDiagCaptureDataCB(qkwinInfo* window);
