// vxRequestDiagProtData: the worker that fetches spectra through the
// diagnostic protocol for the spectra page. It runs on the thread slot
// getdpdatathrds of the application record; the spectra page starts it on a
// scan and stops it when it leaves or starts another exchange.
#pragma once

#include "vxMain.h"

// Starts the worker on getdpdatathrds (slot state 1): 0, -2 when it could not
// be started (or still runs).
int vxRunDiagProtReqData(vxInfo* app);
// Clears the run flag and stops the worker's thread; the slot is released.
int vxStopDiagProtReqData(vxInfo* app);
// Clears the run flag; the worker ends at its next check.
int vxExitDiagProtReqData(vxInfo* app);
// The worker's body: one acquisition for the analyzer's application type.
int vxGetDiagProtReqData(vxInfo* app);
