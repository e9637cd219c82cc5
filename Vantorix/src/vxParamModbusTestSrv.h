// vxParamModbusTestSrv: the Modbus test tab of the parameters page: any block
// of analyzer registers read by hand, every frame shown as hex and the values
// listed by register. The poll runs on the worker slot parammbthrds, the
// callbacks on the main window's thread.
//
// Controls of the tab: combo 1656 start register (4nnnn), edit 1660 count,
// edit 1666 Modbus address, check button 1657 poll mode (checked: one request
// per value), static 1652 value type, list 1670 frames, list 1668 values,
// static 1674 the poll control and its status (grey and "Red" while polling).
#pragma once

#include "vxMain.h"

// Stops a running poll (before its next request) and restores the status list
// 1674 (active, "DodgerBlue2"). 0 when nothing ran.
int vxParamPageMBstop(vxInfo* app);

// Starts the poll: the front panel is stopped first (the poll needs the link
// alone), then vxParamPageMbPollAna runs on parammbthrds. The caller sets
// pollAnaFlg and the tab window. 0; -2 when it could not be started (status
// restored); 0 without a new start while a poll still runs.
int vxParamPageMBinit(vxInfo* app);
// The poll (worker): Modbus mode on, one request for the block or one per
// value while pollAnaFlg stays set, each frame logged as hex in list 1670 and
// the values (or the exception) in list 1668, Modbus mode off, status
// restored. 0; -2 for an invalid address or count, a failed send or a missing
// "OK" after Modbus mode on.
int vxParamPageMbPollAna(vxInfo* app);
// The number of values one request may ask for, by the register class in
// mbData.mbRegType: 1..126 16-bit values, 1..63 32-bit values or floats;
// anything else (and any count for an invalid register) logs and shows
// "Invalid poll request: %d" with mbData.mbRegCnt and gives -2. 0 otherwise.
int vxParamMbTestValidatePollCnt(vxInfo* app);
// Status 1674 active and "DodgerBlue2"; pollAnaFlg cleared. 0.
int vxParamPageMbPollAnaExit(vxInfo* app);
// Text shown in static 1652 for a register class ("invalid", "short integer",
// "long integer", "float").
const char* vxParamMbTestTypeName(int regType);

// Poll-mode check button 1657 (a click only): its mark flips, pollMode follows. 0.
int vxParamMbTestModeCB(qkwinInfo* window);
// Poll control 1674 (a click only): with a connected analyzer, pollAnaFlg = 1
// and the poll starts. The refusal's status, else vxParamPageMBinit's.
int vxParamMbTestPollAnaCB(qkwinInfo* window);
// Clear button (a click only): lists 1668 and 1670 emptied. 0.
int vxParamMbTestClearListCB(qkwinInfo* window);
// Cancel button (a click only): the poll stops before its next request and
// lists 1668 and 1670 are emptied. 0.
int vxParamMbTestCancelCB(qkwinInfo* window);
