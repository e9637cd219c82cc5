// vxCfgSrv: reading the main configuration file of the main program.
#pragma once

#include "vxMain.h"

// Reads the main configuration file (cfg.path) and opens the log; 0 or -2.
int vxCfgRead(vxInfo* app);
