// vxRemoteSrv: remote access (window definition 1200). The main window's
// remote-access control opens the remote window; its button 1214 asks for the
// server's address and port (TCP dialog 9560), takes the allowed clients from
// its edit and runs a TCP server for one remote client at a time. The server
// listens, accepts through the address filter, logs what a client sends and
// waits for the next client when one leaves; it serves nothing more.
//
// Threads: vxRemoteWinCB runs on the main window's thread, vxRemoteAccessCB,
// the remote window's timer and its close function on the remote window's
// thread. The server runs on the worker slot remote.srvthrds and owns
// remote.tcp while it runs (its sockets are closed by the worker itself when
// it ends); it reports through the atomics of vxRemoteComInfo, which the
// window's timer shows in plain words.
#pragma once

#include <cstddef>

#include "vxMain.h"

// Ids of the remote window that the program addresses besides 1214, 1226,
// 1230 and 1234.
enum : int {
    VX_REMOTE_WINDOW = 1200,
    VX_REMOTE_ALLOWED_EDIT = 1218,   // allowed clients, blanks or commas between them
    VX_REMOTE_STATE_STATIC = 1240,   // how the server stands, in plain words
};

// The main window's remote-access control (a click): "SCREEN ID: REMOTE",
// opens the remote window, waits for it (at most 100 steps of 100 ms), keeps
// it on top; vxRemoteCloseCB becomes its close function and its timer shows
// the server's state every 100 ms.
int vxRemoteWinCB(qkwinInfo* window);
// Button 1214 (a click): stops a server already running, reads the allowed
// clients (an entry that does not parse: a message box, nothing started),
// dialog 9560 in server mode, then starts the server worker. Statics 1226
// "Server", 1230 the address, 1234 the port.
int vxRemoteAccessCB(qkwinInfo* window);
// Timer of the remote window: shows the server's latest report in static 1240.
int vxRemoteTimerCB(qkwinInfo* window);
// Close function of the remote window: stops the server (its sockets close
// with it), then the home page. Returns 1 (the window may end).
int vxRemoteCloseCB(qkwinInfo* window);
// Stops the server worker, which closes its sockets as it ends; nothing is
// left listening. Also run by the program's close and exit. 0, or the stop's status.
int vxRemoteStop(vxInfo* app);
// The allowed-client list: dotted addresses separated by blanks or commas,
// each octet 0-255 (255 admits any value of that octet). Fills vip's entries
// (an empty text: none, every client is accepted); 0, or -2 with the offending
// entry named in error (nothing changed).
int vxRemoteParseAllowed(const char* text, qkcommIPValInfo* vip, char* error, size_t errorSize);
// The server's state in plain words ("Listening on 127.0.0.1:5020").
void vxRemoteStateText(const vxInfo* app, char* text, size_t size);
