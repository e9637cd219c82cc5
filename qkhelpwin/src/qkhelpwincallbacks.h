// qkhelpwincallbacks: opening the document the user picks in the list. The
// document is looked for below its folder, and its viewer is started with its
// full path as a process of its own. On this platform a viewer that is not
// installed gives way to the desktop's default opener, xdg-open.
// Main thread (the list's notification).
#pragma once

#include <cstddef>

#include "qkhelpwininit.h"

// The list's callback (id 1000): on a selection change (event 7) opens the
// selected row's document. The start status (above 31 when started), 0 for
// other events, -2 when no document fits the row or its file is missing.
int qkhelpwinlistcb(qkwinInfo* window);

// The full path of the document's file into out: found below its folder,
// else its name as configured (made absolute). -2 when no such file exists.
int qkhelpwinFindDocument(const qkhelpdocIdInfo* doc, char* out, size_t size);
// True when the first word of a viewer command line names a program that is
// there: a path (with a slash) to an executable file, or a name on PATH.
bool qkhelpwinViewerExists(const char* exec);
// The command line that opens path with the document's viewer, or with
// xdg-open when that viewer is not there. -2 when it does not fit.
int qkhelpwinBuildCommand(const qkhelpdocIdInfo* doc, const char* path, char* out, size_t size);
