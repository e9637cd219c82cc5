// qkwincfgsrv (win): reads UI definition files into a window record. It registers
// the framework's package and element names with the configuration reader,
// installs the package and element handlers (qkwincfgpkgsrv, qkwincfgelmsrv)
// and drives the record loop. The main program uses the same entry points for
// its second pass over the main configuration file, on the reader record that
// its own first pass used.
//
// Runs on the thread that creates the window; only one definition file is read
// at a time in a program (the element context is program-wide).
#pragma once

#include "qkwinsrv.h"

// The element context of the program.
extern qkwincfgelemInfo gqk_wincfgelem;

// Creates a zeroed reader record for path (converted by the window's path type
// when os.pthTyp is set; the record keeps its own copy of the name) and stores
// it in cfgPtr; the window owns it (cfgOwnPtr). A reader the window created
// before is released; one it only shares (a dialog's parent's) is left alone.
// Returns the conversion's status (0 when none was needed), -2 for a missing
// window or path.
int qkwincfgsetpath(qkwinInfo* window, const char* path);
int qkwincfgsetaudit(qkwinInfo* window, int bits);
// Reads the definition file named by qkwincfgsetpath into the window; releases
// the reader's text and keys afterwards. 0, or -2 when reading fails.
int qkwincfgread(qkwinInfo* window);
// The same for a definition text of len bytes already in memory; the reader
// of qkwincfgsetpath names it (in the log and in the include checks).
int qkwincfgreadtext(qkwinInfo* window, const char* text, size_t len);
// Registers every package and element name with its value type on cfgPtr.
int qkwincfgregister(qkwinInfo* window);
int qkwincfgsetpkgfunc(qkwinInfo* window);
int qkwincfgsetelmfunc(qkwinInfo* window);
// The read loop over the file of cfgPtr. 0, or -2 when the file cannot be read.
int qkwincfgload(qkwinInfo* window);
// Zeroes the counts of the tables that every file read starts afresh (fonts,
// menus, buttons, statics, edits, lists, combos, comments, regions); the item
// tables of the records dropped are released.
int qkwincfgclrcnt(qkwinInfo* window);
// Releases every table a definition file filled, the callback table and the
// reader record the window owns. The window record itself stays.
int qkwincfgfreetables(qkwinInfo* window);

// Called by the read loop.
int qkwincfgpkg(qkwinInfo* window);
int qkwincfgpkgend(qkwinInfo* window);
int qkwincfgelem(qkwinInfo* window);

// The loop description that reads records into window (also for include files).
void qkwincfgloopinit(qkwinInfo* window, qkcfgloopInfo* loop, const char* label);
