// qkwinfuncsrv (win): the callback table of a window and the dispatch of control
// events to it. Definition files name callbacks by text (kind-2 entries with
// the control's id); the framework and the program bind addresses to those
// names later, by name prefix; the window procedures of the platform layer hand
// every fired control (window, control id, notification code) to
// qkwinfuncdispatch, which finds the entry and calls it.
//
// Threads: a window's table is used by the thread that runs the window's loop;
// it is filled before that loop starts, and a child copies what it inherits at
// its start-up. No locks.
#pragma once

#include "qkwinsrv.h"

// Fixed callback ids of a window's own functions.
enum : int {
    QKWIN_FUNCID_START = 199,
    QKWIN_FUNCID_RUN = 198,
    QKWIN_FUNCID_UPDATE = 197,
    QKWIN_FUNCID_CLOSE = 196,
};

// Kinds of look-up (and of entries: entries are created with kind 2).
enum : int {
    QKWIN_FUNC_BYID = 1,     // the first entry with the id that has an address
    QKWIN_FUNC_BYNAME = 2,   // the first entry whose name begins with the name
};

// Audit bits of the window (window->audit) used here.
enum : int {
    QKWIN_AUD_FUNCREG = 2,          // registrations
    QKWIN_AUD_FUNCLOOKUP = 0x4000,  // look-ups and bindings
    QKWIN_AUD_FUNCDLG = 0x8000,     // dialog and sub-tab dispatch
};

// The window procedures that dispatch control events.
enum : int {
    QKWIN_PROC_MAIN = 1,     // main window procedure
    QKWIN_PROC_CHILD = 2,    // child window procedure
    QKWIN_PROC_DLG = 3,      // dialog procedure
    QKWIN_PROC_SUBTAB = 4,   // sub-tab page procedure
};

// Event number of a control whose notification code did not map.
constexpr int QKWIN_EVENT_NONE = -99;

// Appends the entry {kind, gflag 0, id, no address, name}; a name of 64
// characters or more is cut to 63. Returns 0 (-2 without a window).
int qkwinfuncregister(qkwinInfo* window, int kind, int id, const char* name);
// Binds address to every entry whose name begins with name. A null address or
// an empty name binds nothing. Returns -2 (callers ignore it).
int qkwinfuncloadaddr(qkwinInfo* window, const char* name, qkwincallback address);
// Kind 1: the address of the first entry with id that has one; kind 2: the
// address of the first entry whose name begins with name. Null when not found.
qkwincallback qkwinfuncgetaddr(qkwinInfo* window, int kind, int id, const char* name);
// Marks every entry whose name begins with name as inherited. Returns -2.
int qkwinfuncsetgflag(qkwinInfo* window, const char* name);
// The program's one-call binding: register (kind 2), bind by name, and mark as
// inherited when inherit is non-zero. Returns 0 (-2 without a window).
int qkwinfuncsetcallback(qkwinInfo* window, int id, const char* name, qkwincallback address, int inherit);
// Logs the whole table. Returns 0.
int qkwinfuncloglist(qkwinInfo* window);
// Releases the table. Returns 0.
int qkwinfuncfreemem(qkwinInfo* window);

// What a child window (or dialog, or sub-tab page) takes over from the window
// that starts it: every parent entry marked as inherited (registered, bound and
// marked again in the child), and the child's start, run, update and close
// functions for its startcbid, runcbid, updatecbid and closecbid (ids of 0 take
// nothing): the function the child's own definition names under that id when
// that name is bound (in the child after inheriting, else in the parent), else
// the address of the last parent entry with that id.
// Returns 0, -2 without both records.
int qkwinfuncinherit(qkwinInfo* child, const qkwinInfo* parent);

// Framework event number of a control's notification code (-99 when unknown).
int qkwinfuncgetevent(int code);

// A control, menu item or accelerator of window fired: the procedure proc
// (QKWIN_PROC_...) looks up the callback of control id and calls it after
// storing actitemid and actitemevent. The main and child procedures take the
// first entry with the id; the dialog and sub-tab procedures call the first
// entry with the id that has an address. An entry without an address shows
// the error box, an id without any entry is logged. The platform layer keeps
// its own window handle before it calls. Returns 0 when a callback was called
// (its own status is not passed on), -2 when none was.
int qkwinfuncdispatch(qkwinInfo* window, int proc, int id, int code);
