// vxAnalyzerSrv: identification of the analyzer. Once a serial port is open
// or a TCP connection stands, the program asks the analyzer for its identity
// block over the diagnostic protocol: the older HC12 analyzers (application
// type 6) and the ARM9 analyzers (types 7 and 8) need different sequences.
// The block is parsed into anaDetails.ID and the analyzer version, which then
// selects the profiles (vxLoadDataCfgFiles). Runs on the analyzer-search
// worker or in the connection callbacks; it polls the search's cancel flag
// before every query and keeps the windows responsive while it waits.
#pragma once

#include "vxMain.h"

// Dispatch by connection type and by the application type known so far
// (anaDetails.version.appType; 2 means not yet known): 2 when identified.
int vxAnalyzerGetID(vxInfo* app);
// The three sequences: 2 with the identity block in anaDetails.dataID and
// its length in size; -2 when the search was cancelled; a negative write
// result; or the last read result when no block came.
int vxHC12AnalyzerGetID(vxInfo* app);
int vxARM9AnalyzerAsynGetID(vxInfo* app);
int vxARM9AnalyzerTcpGetID(vxInfo* app);
// Clears the parsed identity anaDetails.ID.
int vxSetAnalyzerID(vxInfo* app);
// Fills anaDetails.ID and the analyzer version (anaVerPtr points at
// anaDetails.version afterwards) from the identity block; the result of the
// last version setter.
int vxParseAnalyzerID(vxInfo* app);
