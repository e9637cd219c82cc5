// qkwinresfilesrv (win): resource and include files of UI definition (and plot
// definition) files. A resource file defines text replacements "QKD$name",
// tab, value for the rest of the definition file being read; an include file
// is read in place with the same handlers and the same package stack.
// Runs on the thread that reads the definition file.
#pragma once

#include "qkwinsrv.h"

// Audit bit of resfle: every replacement applied.
constexpr int QKWINRES_AUD_REPLACE = 1;

// Applies the resource file named in resfle to the text not read yet.
// 0, or -2 for a missing name or a file that cannot be read.
int qkwinresflegetfile(qkwinInfo* window);
// Reads the include file named in incfle in place. 0 (also for a file that
// holds nothing), or -2 for a missing name or an include that is refused (one
// that is being read already, or nested too deep).
int qkwinincflegetfile(qkwinInfo* window);
int qkwinresflesetaudit(qkwinInfo* window, int bits);
int qkwinincflesetaudit(qkwinInfo* window, int bits);

// True when name is a regular file (devices, pipes and folders are not read as
// definition text).
bool qkwinisregularfile(const char* name);
