// vxParamPageSrv: the parameters page. Its tree sub-tab shows the analyzer's
// configurable parameters as tree view 1634: one node per group of the
// parameters profile, under it the parameters the current user level may
// see, and under each parameter its value read from the analyzer over Modbus.
// Picking a parameter opens dialog 1680 with its name, prompt, value and
// limits (nothing is written back). The page also carries a run-diagnostics
// capture like the diagnostics page, and hosts the front-panel and Modbus-test
// tabs, which it stops when it opens and closes.
//
// Threads: the page functions, the callbacks and the capture drain run on the
// main window's thread; the tree load runs on plData.loadTvParamThrd and the
// detail dialog on plData.uodateParamThrd. Only one of them uses the link at a
// time: the tick starts neither while the page's capture runs, and the tree
// load runs while the waiting dialog 1350 holds the window.
#pragma once

#include "vxMain.h"

// Page start: tab 1610 active with its sub-tabs shown; a Modbus-test poll
// ends; with sub-tab 1612 selected the tree is due to be built; the page tick
// takes the parameter list's update slot, the capture drain's slot is
// cleared. 0.
int vxParamPageInit(vxInfo* app);
// Page tick: builds the tree control once, shows it only on its sub-tab,
// starts a requested tree load (waiting dialog 1350, 1000 ms status timer)
// and the detail dialog of a picked parameter. Nothing while the page's
// capture runs. 0.
int vxParamPageUpdate(vxInfo* app);
// Page exit: the page's workers, the Modbus-test poll and the front panel
// stop, Modbus mode goes off, both update slots are cleared, the tree is
// forgotten, and a capture of this page stops with the save offered ("Run
// Diagnostics complete, recordes saved: %d"). 0, or the save's status.
int vxParamPageExit(vxInfo* app);

// Tree view 1634 on the tree tab window (plData.winPtr) with the size,
// colours and font of its definition, at most 1000 items, root "Parameters".
// 0, -2 without the tab window.
int vxParamPageBuildTreeView(vxInfo* app);
// The tree load (worker): root only, Modbus mode on, every visible
// parameter's value read, then one node per group with its visible
// parameters and their values; the selection callback installed; dialog 1350
// closed. 0; -2 when Modbus mode was refused (the tree keeps its root only).
int vxParamPageLoadTreeView(vxInfo* app);
// Whether plData.tvItemPtr may be seen by the user (userPW) on the connected
// analyzer's application type: 0 visible, -2 hidden.
int vxParamPageCheckValidTvItem(vxInfo* app);
// The parameter whose name is the text of the tree item picked last becomes
// plData.tvItemPtr. 0, -2 when no parameter has that name.
int vxParamPageGetUserTvItem(vxInfo* app);
// Reads the value of every visible parameter, one register a request, 16-bit
// integers first, then 32-bit integers, then floats, into paramValue ("     %d",
// "     %.4f", or "     Exception code: %d, %s"; a time-out keeps the text).
// The number of requests sent.
int vxParamPlGetMbRegValue(vxInfo* app);
// The detail dialog (thread): dialog 1680 of plData.tvItemPtr, with its 500 ms
// status timer, shown until it is closed; runUpdateFlg is 5 meanwhile, then 0.
int vxParamPlRunUpdateDlg(vxInfo* app);
// Start function of dialog 1680: name, prompt, value and limits ("max: %d,
// min: %d" for integers, "max: %7.2f, min: %7.2f" for floats). 0.
int vxParamPlUpdateInit(qkwinInfo* window);
// The capture drain of the page while its capture runs: a cancelled capture
// ends, then the diagnostics page's drain stores the records. 0.
int vxParamPagePLupdate(vxInfo* app);

// Tree view selection: the tick opens the detail dialog of the picked
// parameter. 0.
int vxParamPlTvSelectedItemCB(qkwinInfo* window);
// OK and Cancel of dialog 1680: the dialog closes (and the waiting dialog, if
// it is open); nothing is sent to the analyzer. 0.
int vxParamPlUpdateOkCB(qkwinInfo* window);
int vxParamPlUpdateCancelCB(qkwinInfo* window);
// Run-diagnostics button 1620 (a click only): the record stream is asked for
// ("06" 2F analyzers, "62" ARM9 analyzers) and captured into the data file by
// the page's drain while dialog 1350 counts the records. The refusal's
// status, else 0.
int vxParamsCaptureDataCB(qkwinInfo* window);
