// qksyswindrive: the window layer's driver on Qt, a facility for tests and
// documentation (like VX_MSGBOX_AUTOANSWER and VX_SCREENSHOT_DIR). With the
// environment variable VX_DRIVE naming a text file, the program runs the
// file's steps, one a line, on a thread of its own once its main window is
// shown, and so works through its windows as a user would, by control id.
// Each step's widget work runs on the GUI thread: look-ups as blocking calls,
// presses posted (the callback a press fires may open a modal dialog or wait).
//
// A control is found among all visible top-level windows (main window, child
// windows, dialogs, their menus) by its object name "id<n>", else by its
// accessible description "control <n>" (the parts of a status bar, windows).
//
// Steps (words separated by blanks; <text> is the rest of the line; blank
// lines and lines starting with '#' are skipped):
//   timeout <seconds>   limit of each later step's wait (1 to 600, default 30)
//   wait <id> [text]    until control <id> is visible and, with text, its text
//                       (caption, edit or combo text, list lines, window title)
//                       contains text
//   gone <id>           until no control <id> is visible (a window has closed)
//   disabled <id>       until control <id> is visible and disabled (the work its
//                       press started has come so far)
//   click <id>          once the control is visible and enabled, presses it:
//                       a button is clicked, a static with a callback and a menu
//                       item are pressed through their accessible press action
//   type <id> <text>    sets the text of an edit or an editable combo box as if
//                       typed
//   choose <id> <text>  picks the entry of a combo box or list, or the sub-tab
//                       of a tab control, that equals text, else the first
//                       that contains it (waits for it)
//   shot <name> [<id>]  writes the window that holds control <id> (default: the
//                       main window) as VX_SCREENSHOT_DIR/<name>.png; a name is
//                       letters, digits, '-', '_' and '.'
//   close               closes the main window as the user would (the close
//                       hook runs, with its questions)
// Every step is logged ("drive: click 1005"); a malformed line is logged and
// skipped. A step that finds no fitting control in time logs "drive: timed
// out waiting for ...", skips the rest and closes the main window; the program
// then ends with the driver's status 3 (qksyswindriveend). Should it not end
// within 30 s, the driver ends the process with status 3.
#pragma once

#include "qkwinsrv.h"

// Starts the driver for the shown main window when VX_DRIVE names a file.
// GUI thread. 0 started, 1 VX_DRIVE not set, -2 the file cannot be read or a
// driver runs already.
int qksyswindrivestart(qkwinInfo* mainWindow);

// Ends the driver before the process exits: asks it to stop and waits for its
// thread (serving the GUI thread's events meanwhile, so a look-up it is
// making is answered). Returns 0 when no driver ran or every step passed, 3
// when a step timed out.
int qksyswindriveend();
