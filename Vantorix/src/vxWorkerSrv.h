// vxWorkerSrv: the application's worker slots (analyzer search, connection,
// spectra, run diagnostics, ...): starting a worker routine on a slot and
// stopping it. Called on the window thread; a worker itself only reads and
// clears its slot's state.
#pragma once

#include "qkthrdsrv.h"

// Starts routine(argument) on slot, after stopping a worker the slot still
// holds. The slot's state is 1 and its thread is published once the thread
// runs. 0, or -2 when the thread could not be started (logged under label as
// "error, <what> not started: %d", the slot released, state 0).
int vxWorkerStart(vxthreadInfo* slot, qkthrdroutine routine, void* argument, const char* label, const char* what);
// Takes the slot's thread, stops it (never killed: it unwinds at its next
// wait point) and releases it. The stop's status, 0 when the slot held none.
int vxWorkerStop(vxthreadInfo* slot);
