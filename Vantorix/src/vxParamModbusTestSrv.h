// vxParamModbusTestSrv: the Modbus test tab of the parameters page: any block
// of analyzer registers read by hand, every frame shown as hex and the values
// listed by register. The poll runs on the worker slot parammbthrds, the
// callbacks on the main window's thread.
#pragma once

#include "vxMain.h"

// Stops a running poll (before its next request) and restores the status list
// 1674 (active, "DodgerBlue2"). 0 when nothing ran.
int vxParamPageMBstop(vxInfo* app);
