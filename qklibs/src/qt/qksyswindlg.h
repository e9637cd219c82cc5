// qksyswindlg: dialogs of a window. A DIALOG package of the parent's file
// declares the dialog (id, title, definition file, startid); the first
// display reads its file into a window record of type 3 (a slot of the
// management table, the parent's palette, links and scale), binds the
// standard names, inherits the parent's callbacks and picks its start
// function. Displaying a dialog opens it modally: the call returns when the
// dialog has been closed, and meanwhile the opening thread serves the
// dialog's events (the dialog belongs to the thread that opened it).
#pragma once

#include "qkwinsrv.h"

// Reads the dialog's definition file (first display). 0, or -2 ("qkwincfgread
// error for path: %st"; "Max window count reached: %d").
int qkwindlgcfg(qkwinInfo* window, qkwindlgIDInfo* dialog);
// Opens the dialog with this id and returns when it is closed. -2 with
// "DIALOG ID: %d, not found".
int qkwindlgdspbyID(qkwinInfo* window, int id);
// Standard callback: opens the dialog whose startid is actitemid. -2 with
// "DIALOG start ID: %d, not found".
int qkwindlgstart(qkwinInfo* window);
// Closes the dialog: its timer stops, its window ends (from any thread). A
// dialog on its way up (given a timer, or its display called, but not yet
// on screen) closes as soon as it shows.
int qkwindlgExitByID(qkwinInfo* window, int id);
// Closes every open dialog of the window (its own table only): a window that
// ends leaves no dialog waiting for it. The number closed.
int qkwindlgExitAll(qkwinInfo* window);
// A timer of the dialog calling function every elapse ms while it is open.
int qkwindlgSetTimerByID(qkwinInfo* window, int id, int eventID, int elapse, qkwincallback function);
// The function called when the dialog is created (before any other choice).
// -2 with "DIALOG id: %d, not found".
int qkwindlgsetstartfunc(qkwinInfo* window, int id, qkwincallback function);
// The function called when the dialog has closed.
int qkwindlgsetexitfuncbyID(qkwinInfo* window, int id, qkwincallback function);

// Look-ups in the window's dialog table (a dialog or sub-tab page looks in
// its parent's table as well).
qkwindlgIDInfo* qkwindlggetIDPtrbyID(qkwinInfo* window, int id);
qkwindlgIDInfo* qkwindlggetIDPtrbyNdx(qkwinInfo* window, int ndx);
int qkwindlggetndxbyID(qkwinInfo* window, int id);
qkwinInfo* qkwinDLGgetwinPtr(qkwinInfo* window, int id);
// Releases the dialog's window record (it is read again on the next display).
int qkwindlgfreemembyID(qkwinInfo* window, int id);

// Standard callbacks: close the dialog the window is (or the open dialog of
// a main or child window); the conf variant asks "are you sure" first.
// Return 1 (0 when nothing was closed).
int qksyswindlgexit(qkwinInfo* window);
int qksyswindlgexitconf(qkwinInfo* window);
