// qkhelpwinsrv: the help launcher's window: display, the viewer paths of the
// path files under ../usercfg, the viewer kinds of the documents and the
// document list. Main thread (the window's thread).
#pragma once

#include <cstddef>

#include "qkhelpwininit.h"

// True when the document is in use (its name does not contain "NOTUSED").
bool qkhelpwinDocUsed(const qkhelpdocIdInfo* doc);
// The viewer path of a path file's text (name="path"): the text from two
// characters after the first "=" to the next double quote (or the line's end).
// False, out untouched, when the text has no "=".
bool qkhelpwinPathValue(const char* text, char* out, size_t size);
// The part of a document name after its last backslash, else its last slash.
const char* qkhelpwinFileName(const char* name);

// Shows the window, loads the viewers, fills the list and runs the window
// until it ends. 0; -1 when the window cannot be shown.
int qkhelpwinDsp(qkhelpwinInfo* app);
// Reads the three path files into the viewer settings, then puts the viewers
// in place of the documents' viewer kinds. 0.
int qkhelpwinLoadViewers(qkhelpwinInfo* app);
// Fills list 1000 with the used documents and the row table. The number of rows.
int qkhelpwinFillList(qkhelpwinInfo* app);
