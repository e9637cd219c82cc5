// qkwincfgpathsrv (win): the path table of a window: one record per PLOT, CHILD,
// PROCESS or EXTDATA package of its definition file, naming the plot file,
// child window definition, program or data file that a control id refers to.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed path record; its id is its 1-based position.
int qkwincfgpathregister(qkwinInfo* window);
// The record at 1-based position id, or null when id is not in 1..cnt.
qkwincfgpathIDInfo* qkwincfgpathgetIDptrByID(qkwinInfo* window, int id);
// The first record whose itemid equals itemid, or null.
qkwincfgpathIDInfo* qkwincfgpathgetIDptrByItemID(qkwinInfo* window, int itemid);
// The path table of the window whose definition file was read last (null
// before any was read).
qkwincfgpathInfo* qkcfgpathgetPtr();
// Remembers the table for qkcfgpathgetPtr (set when a window's file is read).
void qkcfgpathsetPtr(qkwincfgpathInfo* table);
int qkwincfgpathfreemem(qkwinInfo* window);
