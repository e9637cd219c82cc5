// vxConnectionPageSrv: the connection window (definition 1100) and the user
// set-up window (definition 1160). The main window's connection control opens
// the connection window; its serial and TCP set-up buttons open the
// framework's set-up dialogs, run the framework's connect callback on the
// worker slot connanathrds, identify the analyzer and load the profiles of its
// version; OK (also the window's close) leaves it for the home page. The user
// set-up window takes the user password, the Modbus address and, without an
// analyzer, the version to work with.
//
// Threads: vxConnectWinCB runs on the main window's thread; the other
// callbacks on the thread of the child window that holds them. The connect
// worker meets them only in the link record's atomic status. Changes to the
// main window's record are made on its own thread (qksyswinOwnerRun).
#pragma once

#include "vxMain.h"

// The main window's connection control (a click): opens the connection
// window, waits for it (at most 100 steps of 100 ms), keeps it on top, makes
// vxConnectOKCB its close function and gives it timer event 2 every 100 ms.
int vxConnectWinCB(qkwinInfo* window);
// The connection window just started from window (by its control, or by the
// start-up when the search found nothing): once it is up it is the
// application's connection window, on top, with vxConnectOKCB as its close
// function and its timer running.
int vxConnWinAdopt(qkwinInfo* window);
// Timer of the connection window: nothing to do on a tick.
int vxConnAnalyzerTimerCB(qkwinInfo* window);
// Serial set-up button 1120 (a click): dialog 9370, connect (fixed rate or
// automatic detection), identification, profiles, page switching on.
int vxAsynSetupCB(qkwinInfo* window);
// TCP set-up button 1122 (a click): dialog 9560, connect as client or server,
// identification, profiles, page switching on.
int vxTcpSetupCB(qkwinInfo* window);
// OK of the connection window and its close function: stops the baud
// detection and the connect worker, page switching on, home page, closes the
// window. Returns 1 (the window may end).
int vxConnectOKCB(qkwinInfo* window);
// Start of the user set-up window: the password in edit 1170 and one line
// "<application> <revision>-<build>" per supported version in list 1166.
int vxSetUpLoadVerCB(qkwinInfo* window);
// Buttons of the user set-up window: OK (1176) takes the settings; every
// button then closes the window. -2 when the password is refused.
int vxGetUserSetupCB(qkwinInfo* window);
