// qkwinmgr (win): the window management table of a program. One table of 128 slots
// is shared by the main window and every child window and dialog started from
// it; each slot names the control that started a window, its parent record,
// its own record and its platform handle. A slot is free while its child
// record is empty.
//
// Threads: children and dialogs take and free slots on their own threads, so
// every operation here runs under one program-wide lock (the table itself is
// the system's plain record).
#pragma once

#include <cstdint>
#include <functional>

#include "qkwinsrv.h"

// Field kinds of a slot.
enum : int {
    QKWINMGR_PARENT = 1,   // prtwinhdl
    QKWINMGR_CHILD = 2,    // cldwinhdl
    QKWINMGR_SYSWIN = 3,   // syswinhdl
    QKWINMGR_ITEM = 4,     // itemID
};

// Audit bits of a table.
enum : int {
    QKWINMGR_AUD_SET = 1,     // every field stored
    QKWINMGR_AUD_GET = 2,     // every field found
    QKWINMGR_AUD_SLOT = 4,    // slots taken and fields cleared
    QKWINMGR_AUD_ALL = QKWINMGR_AUD_SET | QKWINMGR_AUD_GET | QKWINMGR_AUD_SLOT,
};

// A zeroed table (the counted allocator; release with qkwinmgrfreemem).
qkwinmanagementInfo* qkwinmgrallocate();
int qkwinmgrfreemem(qkwinmanagementInfo* table);
// Makes the first free slot from index 0 the current slot (ndx); cnt grows
// when the slot lies at or past it. Returns the slot, or -2 with "Max window
// count reached: %d" when all 128 slots are taken.
int qkwinmgrsetndx(qkwinmanagementInfo* table);
// Stores value into the field of the kind in the current slot. 0, or -2.
int qkwinmgrsethdl(qkwinmanagementInfo* table, int kind, intptr_t value);
// The field of kind rtype of the first slot whose field of kind stype equals
// value; 0 when no slot has it.
intptr_t qkwinmgrgethdl(qkwinmanagementInfo* table, int stype, int rtype, intptr_t value);
// Clears the field of the kind in every slot where it equals value. Returns
// the number of fields cleared.
int qkwinmgrclrhdl(qkwinmanagementInfo* table, int kind, intptr_t value);
// Frees the slot (all four fields). 0, or -2 for an index outside the table.
int qkwinmgrclrndx(qkwinmanagementInfo* table, int ndx);
// The index of the first slot whose field of the kind equals value, or -2.
int qkwinmgrsrchhdl(qkwinmanagementInfo* table, int kind, intptr_t value);
// One log line per slot in use.
int qkwinmgrloglist(qkwinmanagementInfo* table);
// Takes the first free slot and fills it in one step (under the lock, so two
// threads never share a slot). The slot, or -2 when the table is full.
int qkwinmgrtakeslot(qkwinmanagementInfo* table, int itemID, qkwinInfo* parent, qkwinInfo* child, void* syswin);
// Calls fn for every slot in use, under the lock: fn must not take or free
// slots. Returns the number of slots visited.
int qkwinmgrforeach(qkwinmanagementInfo* table, const std::function<void(int ndx, qkwinhandInfo& slot)>& fn);
// Standard callback: control 9352 logs the list, 9356 sets the table's audit
// to QKWINMGR_AUD_ALL (7), 9358 sets it to 0. Returns 0.
int qkwinmgrcallback(qkwinInfo* window);
