// qkwindlg (win): the dialog table of a window. A DIALOG package declares a dialog
// by its id, title and definition file; the dialog's own window record is made
// when it is first opened.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed dialog record (the current dialog).
int qkwindlgregister(qkwinInfo* window);
// Releases the table (dialog windows are released by their owner first).
int qkwindlgfreemem(qkwinInfo* window);
