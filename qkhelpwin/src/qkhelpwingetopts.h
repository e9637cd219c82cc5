// qkhelpwingetopts: the help launcher's command-line options. -h and -v show
// their texts and stop the program before its window opens; -f names the
// configuration file; -d copies every log line to standard output.
// Main thread, at start-up, before the log is open.
#pragma once

#include "qkhelpwininit.h"

// Registers h, v, f, d and evaluates them in that order. 99 (state 99) when a
// help or version text was shown, otherwise the parser's status.
int qkhelpwinGetOpts(qkhelpwinInfo* app);
