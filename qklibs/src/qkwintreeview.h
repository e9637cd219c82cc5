// qkwintreeview: the tree view table of a window, declared by TREEVIEW
// packages. Portable: the platform layer creates the native trees and their
// item bookkeeping.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed tree record with the default colours; it carries its own
// position in ndx.
int qkwinregisterTrVw(qkwinInfo* window);
// Releases the table (not the platform trees).
int qkwintrvwfreemem(qkwinInfo* window);
