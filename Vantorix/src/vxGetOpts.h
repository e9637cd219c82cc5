// vxGetOpts: the command-line options of the main program (-h, -v, -f, -d).
// Main thread, at start-up.
#pragma once

#include "vxMain.h"

// Registers and evaluates the options; 4 when a help or version text was
// shown and the program is to stop, otherwise the parser's status.
int vxGetOpts(vxInfo* app);
