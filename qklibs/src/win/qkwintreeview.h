// qkwintreeview (win): the tree view table of a window, declared by TREEVIEW
// packages or appended by the program (qkwinTrWvCheckByID). Portable: the
// table, ids, trace bits, the pick callback and the text picked last. The
// platform layer (qksyswintreeview) creates the native trees and keeps their
// item bookkeeping (capacity, base and parent index, items by tree index and
// by list position) in the platform object of each record (systvPtr).
#pragma once

#include <cstddef>

#include "qkwinsrv.h"

// Appends one zeroed tree record with the default colours; it carries its own
// position in ndx.
int qkwinregisterTrVw(qkwinInfo* window);
// Releases the table (not the platform trees: qkwinFreeTrVw does both).
int qkwintrvwfreemem(qkwinInfo* window);

// Audit bit of a tree record and of the table: traces the tree operations.
constexpr int QKWIN_TRVWAUD_TRACE = 1;

// Appends one record like qkwinregisterTrVw (its platform object is made when
// the tree is first used). Returns the new record's position.
int qkwinallocateTrVw(qkwinInfo* window);
// The first position whose record does not carry its own position in ndx;
// the count of records when every one does.
int qkwinsetTrVwNdx(qkwinInfo* window);
// The position of the tree with this id, or -2.
int qkwingetTrVwNdxbyID(qkwinInfo* window, int id);
// The record of the tree with this id, or null.
qkwinTrVwIDInfo* qkwingetTrVwbyID(qkwinInfo* window, int id);
// Gives the record at position the id. Returns 0, -2 when there is no such
// position.
int qkwinsetTrVwIDbyNdx(qkwinInfo* window, int position, int id);
// Trace bits of the table, and of one tree (-2 for an unknown id).
int qkwinSetTrVwAudit(qkwinInfo* window, int audit);
int qkwinSetTrVwIDaudit(qkwinInfo* window, int id, int audit);
// The function called when an item of the tree is picked. Returns 0, -2.
int qkwinSetTrVwUserCB(qkwinInfo* window, int id, qkwincallback function);
// Copies the text of the item picked last (selectedItem, at most 63
// characters) into buffer of size bytes. Returns 0, -2 for an unknown id or no
// buffer.
int qkwinGetTrVwUserSelItem(qkwinInfo* window, int id, char* buffer, size_t size = 64);
