// vxWinSrv: the main program's shell around the window framework. Displays
// the main window with the program's defaults and callbacks, runs the
// analyzer search and the first connection, then the message loop until the
// window closes; owns page navigation (the page functions run when a page is
// entered, refreshed and left, the navigation markers, the "SCREEN ID" text
// of the status bar) and the reaction to a serial port being unplugged.
//
// Everything here runs on the main window's thread (the GUI thread).
#pragma once

#include <functional>

#include "vxMain.h"

// Status-bar parts of the main window.
enum : int {
    VX_SBAR_SCREEN = 0,    // "SCREEN ID: ..."
    VX_SBAR_CLOCK = 1,     // date and time
    VX_SBAR_ANALYZER = 2,  // the connection or identity line
    VX_SBAR_DATA = 3,      // bytes in and out, spectra scans
};

// The display and run sequence: defaults, callbacks, page table, display,
// search, connection, message loop. 0 when the window has closed, -2 when
// the configuration declares no main window or the database or log-on
// start-up check fails, -1 when the window cannot be shown.
int vxWindowDsp(vxInfo* app);

// Start-up steps of vxWindowDsp.
int vxSetPaths(vxInfo* app);
int vxSetDefaults(vxInfo* app);
int vxDefineCallbacks(vxInfo* app);
// The program's callbacks as vxDefineCallbacks binds them (each inheritable):
// the definition id and the name the UI definitions use.
struct vxCallbackRow {
    int id;
    const char* name;
};
const vxCallbackRow* vxCallbackTable(size_t* count);
int vxBuildPageFunctions(vxInfo* app);

// Database and user log-on start-up checks. This program keeps no database
// and no user accounts: both answer 0 and leave no database pointer.
int qkwindboptchk(qkwinInfo* window);
int qkuserwinpwoptchk(qkwinInfo* window);

// The callback of every page-select control (a click only).
int vxDisplayPageCB(qkwinInfo* window);
// The page functions: exit of the page left, start of the page entered,
// update of the current page (the last result).
int vxPageInitFuncTionsCB(qkwinInfo* window);
int vxPageUpdateFuncTionsCB(qkwinInfo* window);
int vxPageExitFuncTionsCB(qkwinInfo* window);
// Navigation: 0 when the clicked page may be selected, -2 when it is refused
// (blocked entry, or any page but the monitor's with an unknown application).
int vxNavPageGetStatus(vxInfo* app);
// Greys the marker of the page shown and enables the others.
int vxNavPageSetStatus(vxInfo* app);

// Status-bar part 0 "SCREEN ID: HOME".
int vxSetHomePage(qkwinInfo* window);
// Hides and shows again the title statics 1180 and 1182.
int vxRefreashTitle(qkwinInfo* window);
// The guard of requests: level 10 needs a connected analyzer, level 20 an
// identity of a supported application (or the user's consent). 0 or -2.
int vxCheckStatus(vxInfo* app, int level);
// Keeps one previous copy of the capture file ("Previous" before the extension).
int vxArchiveLog(vxInfo* app);
// Device-change hook: the removal of the port the link has open ends the program.
int vxDevUpDateDetected(qkwinInfo* window);
// Start function of the connection window: shows the link and the identity.
int vxConnPageInit(qkwinInfo* window);
// One run of the message loop; when the window has ended, state 1.
int vxgetwinmsg(vxInfo* app);

// The previous-copy name of path into out (used by vxArchiveLog). 0, -2 when
// it does not fit.
int vxArchiveName(const char* path, char* out, size_t size);

// A set-up child window of the main window (connection, remote access): the
// child of definition id is started from window and, once up (at most 100
// steps of 100 ms), kept on top and set up by setUp on its own thread.
// Returns the child, null when it did not come up.
qkwinInfo* vxStartChildWindow(qkwinInfo* window, int definition, const std::function<void(qkwinInfo*)>& setUp);
// The same for a child already started from window.
qkwinInfo* vxTakeChildWindow(qkwinInfo* window, const std::function<void(qkwinInfo*)>& setUp);
