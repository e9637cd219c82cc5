// vxInit: the main program's lifecycle: clearing the application record, the
// close hook of the main window, the single exit step and the end request by
// SIGTERM. Main thread.
#pragma once

#include "vxMain.h"

int vxInitialize(vxInfo* app);
int vxClose(qkwinInfo* win);
// Stops everything that reads or writes the link (the capture reader, whose
// remaining lines go to the data file, and the page workers) before the link
// closes: a worker left running would use a closed or reused descriptor.
// Workers are only stopped from the GUI thread.
void vxStopLinkUsers(vxInfo* app);
[[noreturn]] void vxExit();

// Installs the SIGTERM handler: the signal only records the request, and the
// program then leaves through its normal exit step.
int vxTermInit();
// 1 once SIGTERM has arrived; the message loop polls it.
int vxTermRequested();

// Information message box (the help and version texts).
int vxMsgInfo(const char* text);
// Yes/No question box; answers 121 OK, 122 Cancel, 123 Yes, 124 No.
int vxMsgQuestion(const char* text);

// Creates the main window record (winPtr; its appPtr is the application
// record, its standard serial and TCP records are the analyzer link's), the
// colour palette and the message caption "Vantorix Message". A record made
// before is released first. 0, -2 without an application record.
int vxGetResources(vxInfo* app);
// Releases the main window record with every table its definition filled,
// the configuration reader (cfg.cfgPtr becomes null) and the palette, for
// callers that go on after the window (tests, tools). 0.
int vxFreeResources(vxInfo* app);

// The exit step closes both transports (vxAsynSrv, vxTcpSrv).
int vxAsynClose(vxInfo* app);
int vxTcpClose(vxInfo* app);

// Offers to keep a copy of the capture file: the save-file dialog proposes
// its name with "Copy" before the extension; a chosen file gets the copy
// ("Saved data file as: %s") and the capture starts afresh, otherwise it goes
// on appending. Back in the home folder afterwards. 0, or the copy's status.
int vxRunDiagSaveDataFile(vxInfo* app);
// The same with the dialog over owner (a window in front of the main window).
int vxRunDiagSaveDataFileFrom(vxInfo* app, qkwinInfo* owner);
