// vxInit: the main program's lifecycle: clearing the application record, the
// close hook of the main window, the single exit step and the end request by
// SIGTERM. Main thread.
#pragma once

#include "vxMain.h"

int vxInitialize(vxInfo* app);
int vxClose(qkwinInfo* win);
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

// Stand-ins for the main window and transport modules, which arrive later:
// they do nothing yet and report success.
int vxGetResources(vxInfo* app);
int vxWindowDsp(vxInfo* app);
int vxAsynClose(vxInfo* app);
int vxTcpClose(vxInfo* app);
int vxRunDiagSaveDataFile(vxInfo* app);
