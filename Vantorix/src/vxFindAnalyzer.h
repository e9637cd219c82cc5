// vxFindAnalyzer: the analyzer search. When the main window comes up without a
// fixed connection the program walks the serial ports that exist, skips the
// excluded ones, opens each remaining port at each configured baud rate and
// asks the analyzer who it is; the first port and rate that answer win, the
// analyzer's identity is parsed and the profiles of its version are loaded.
//
// Threads: vxFindAnalyzer runs on the main window's thread and waits there,
// keeping the windows responsive; the search window (definition 1090) runs on
// its own child-window thread, which serves its timer (the moving progress
// bar) and its cancel button; vxQueryAnalyzer runs on the worker slot
// findanathrds and writes the port, rate and state texts into the search
// window. They meet only in the atomic anaFind.state and anaFind.cancelFlag;
// the worker is stopped (never killed) before the search takes its result.
//
// Also the alternative entry that only opens the connection/set-up window.
#pragma once

#include "vxMain.h"

// The whole search on the main window's thread. The framework result of its
// last call (the restart of the main window's timer).
int vxFindAnalyzer(qkwinInfo* window);
// The worker body, with the search window: 2 found (the port stays open in
// anaCom.asyn), -2 otherwise.
int vxQueryAnalyzer(qkwinInfo* searchWindow);

// The moving bar of the search window: built once, advanced by the window's
// timer (every 100 ms), removed with the window's timer stopped.
int vxFindAnalyzerBuildProgressBar(qkwinInfo* searchWindow);
int vxFindAnalyzerProgress(qkwinInfo* searchWindow);
int vxFindAnalyzerStopProgressBar(qkwinInfo* searchWindow);

// Close function of the search window: asks the search to stop (cancelFlag 1,
// state -2), clears the main window's child-stop option, removes the bar and
// stops the worker; when it returns the worker no longer touches the window.
// Safe on the main window's thread and on the search window's own. Returns 1.
int vxFindAnalyzerExit(qkwinInfo* searchWindow);

// Cancel button 1089 of the search window (a click only): the button turns
// "Red", cancelFlag 1 and state 1. Returns 0.
int vxFindAnalyzerCancelCB(qkwinInfo* searchWindow);

// Opens the connection/set-up window (definition 1100) and shows
// "SCREEN ID: ANALYZER CONNECTION/SETUP" in status-bar item 0. The result of
// the child window's start.
int vxConnectAnalyzer(qkwinInfo* window);
