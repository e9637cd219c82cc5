// vxMonitorPageSrv: the monitor page and its monitor profiles (the column
// names of each application's record stream).
#pragma once

#include "vxMain.h"

// Adds a monitor profile at the start of each MONITORPROFILE block of the
// configuration: idPtr grows by one cleared entry, which becomes the one
// being filled (ndx); its id is the new count. Returns 0.
int vxMonProfileRegister(vxMonitorMode1Info* mode1);
