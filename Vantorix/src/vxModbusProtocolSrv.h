// vxModbusProtocolSrv: the Modbus exchange with the analyzer (function code 3,
// read holding registers). The working record is the application record's
// mbData.
#pragma once

#include "vxMain.h"

// Classifies mbData.mbReg (0-based address) into mbData.mbRegType:
// 3000-4999 16-bit integer (1), 5000-6999 32-bit integer (2), 7000-8999
// float (3). Any other address: type 0, "Invalid modbus register: %d", -2.
int vxValidateMbReg(vxInfo* app);
