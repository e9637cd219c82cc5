// qksyswinsrv: windows of the framework on Qt. The main window record and its
// platform object, showing a window from its record, the blocking and the
// non-blocking message loops, the framework's sleep that keeps windows
// responsive, ending windows (with and without confirmation), window timers,
// title, cursor, home directory, help boxes, display scale and device-change
// events.
//
// Threads: every widget lives on the GUI thread; a window record belongs to
// the thread that created it (main window: the main thread; child window:
// its own thread; dialog: the thread that opened it). Events of a window
// owned by the GUI thread are dispatched from the Qt event itself; events of
// a window owned by another thread wait in its queue until that thread's
// loops (qksyswinwaitmsg, qksyswinpeekmsg, qkwinsleep, modal waits) take
// them. Functions here may be called from any thread unless noted.
#pragma once

#include <functional>

#include "qkwinsrv.h"

// Audit bits of a window used by the window core.
enum : int {
    QKWIN_AUD_TIMER = 32,         // timer set-up
    QKWIN_AUD_WINDOW = 0x4000,    // window and child life cycle, standard control handlers
    QKWIN_AUD_SUBTAB = 0x10000,   // sub-tab pages created (also on the tab table's own audit)
};

// ---- records ----------------------------------------------------------------
// A zeroed main window record (type 1) with its platform object, OS
// information, default colours, process id, caption "QKWIN message" and the
// window management table; it becomes the current window. The first call
// starts the window layer (the QApplication when none exists yet, on the
// offscreen platform when there is no display; the message-box hook, the
// thread-stop pump and the standard functions).
qkwinInfo* qkwinallocate();
qkwinInfo* qkwingetPtr();
void qkwinsetPtr(qkwinInfo* window);
// Releases a window the caller owns (main window or one it allocated): its
// widgets, children's slots, tables and the record. Owner thread.
int qksyswinfree(qkwinInfo* window);

// ---- showing ----------------------------------------------------------------------
int qksyswinsetstyle(qkwinInfo* window);
// Binds the standard names and picks the class procedure (id 1).
int qksyswinsetclass(qkwinInfo* window);
// Creates the platform window at the scaled position and size with the
// title, shape, tray icon, start page and topmost style; runs the start
// function (a main window's before its controls are created, a child
// window's or dialog's after, so it can fill them), creates the controls and
// timer, sets createFlag and state 1 and shows it. -1 (error box "can not start Window: %s") on failure. Owner thread.
int qksyswindsp(qkwinInfo* window);
// Waits (at most tries steps of 100 ms, looking every 10 ms) until the
// window's running child exists and has created its controls. 0 when it has,
// 1 when the tries ran out.
int qksyswinwaitcreateFlag(qkwinInfo* window, int tries);

// ---- loops (owner thread) ----------------------------------------------------------
// Serves the window's events until its state is 0; then runs the close
// function if the close request the exit queued was not served yet, and
// removes the tray icon.
int qksyswinwaitmsg(qkwinInfo* window);
// Handles what is pending without waiting (at most one queued event of a
// window owned by a non-GUI thread). Returns 1 when something was handled.
int qksyswinpeekmsg(qkwinInfo* window);
// The child loop's step: waits up to about 10 ms for an event, then handles
// what is pending. Returns the number handled.
int qksyswinchildpeekmsg(qkwinInfo* window);
// Calls qksyswinpeekmsg n-1 times.
int qkwinrunwinpeekmsg(qkwinInfo* window, int n);
// The deferred redraw check, run after every message of the window: when the
// tab flag is set (a resize, a sub-tab chosen) every tab's current sub-tab is
// selected again; when the repaint flag is set (a resize) the regions and
// header lists are repainted; then the flags are cleared.
int qksyswinchkflags(qkwinInfo* window);
// Waits n units (1 seconds, 2 tenths, 4 milliseconds) in 100 ms steps while
// the calling thread keeps serving its windows; a worker whose stop was
// requested unwinds here. Returns 0, -2 for another unit.
int qkwinsleep(qkwinInfo* window, int unit, int n);

// ---- calls on a window's own thread ------------------------------------------------
// Runs fn on the thread that owns window (a child window's own thread, the GUI
// thread for the main window and its dialogs) and returns when it has run;
// meanwhile the caller keeps serving its own windows. On the owner it runs at
// once. This is how code on another thread changes a running child's close
// function, timer (qkwintimesetup, qkwintimesetfunc, qkwintimestart) or
// topmost state. 0, or -2 when the window has ended (fn did not run).
int qksyswinOwnerRun(qkwinInfo* window, const std::function<void()>& fn);
// Keeps the window above the others (on non-zero) or not. Owner thread.
int qksyswinsettopmost(qkwinInfo* window, int on);

// ---- ending ------------------------------------------------------------------------
// Main window: close the children when stopChilds is set, state 0, close
// request to itself. Returns 1. The conf variant asks "are you sure" first
// and does nothing (0) unless the answer is Yes.
int qksyswinexit(qkwinInfo* window);
int qksyswinexitconf(qkwinInfo* window);
// Before the process exits: ends every child window started from window
// (their dialogs with them) and joins their threads, closes the waiting
// notice and stops the device watcher, serving the caller's windows while it
// waits (at most 5 s for the children). The window itself stays until
// qksyswinfree. Owner thread. 0, -1 when a child did not end, -2 without a window.
int qksyswinshutdown(qkwinInfo* window);

// ---- title, cursor, home, library, help -----------------------------------------
int qkwinchgtitle(qkwinInfo* window, const char* text);
// Cursor kinds of qkwinchgcursor.
enum : int { QKWIN_CURSOR_ARROW = 0, QKWIN_CURSOR_WAIT = 1, QKWIN_CURSOR_CROSS = 2, QKWIN_CURSOR_IBEAM = 3, QKWIN_CURSOR_HAND = 4 };
int qkwinchgcursor(qkwinInfo* window, int kind);
// Program-wide home directory: path, or the current directory when null.
int qkwinsethomedir(qkwinInfo* window, const char* path);
const char* qkwingethomedir();
// Loads a shared library for the window (unloaded when the window ends).
int qkwinLoadLib(qkwinInfo* window, const char* name);
// HELP texts: longer than 127 characters is refused (-2, text unchanged).
int qkwinhelpsetversion(qkwinInfo* window, const char* text);
int qkwinhelpsetcontact(qkwinInfo* window, const char* text);
// Information boxes with the HELP version / contact text (or the library
// version / the built-in contact text). Standard callbacks; return 0.
int qkwinhelpabout(qkwinInfo* window);
int qkwinhelpcontact(qkwinInfo* window);

// ---- display scale ---------------------------------------------------------------
// FILLSCREEN: the scale from the primary screen's size.
int qkwinfillscrnoptchk(qkwinInfo* window);
// Scale dialog callbacks: qkwinscalecallback stores the percentage selected
// in list 9874 in the user resource file ("Restart for new scale" follows,
// the dialog closes); qkdspcurrentscale shows the current scale in static 9872.
int qkwinscalecallback(qkwinInfo* window);
int qkdspcurrentscale(qkwinInfo* window);

// ---- timers -------------------------------------------------------------------------
int qkwintimesetup(qkwinInfo* window, int eventID, int elapseTime);
int qkwintimestart(qkwinInfo* window);
int qkwintimestop(qkwinInfo* window);
int qkwintimesetfunc(qkwinInfo* window, qkwincallback function);
