// qkwinmsgbox (win): the one entry point through which the portable window framework
// shows a modal message box. The platform layer installs the function that
// really shows the box (qkwinsetmsgboxhook) when it starts; until it does, and
// in programs without a window system, the text only goes to the log and the
// answer is -2.
//
// Error and stop boxes always have their text logged first, here, so the
// installed function only shows the box. The installed function runs on the
// calling thread; it is installed once at start-up, before windows exist, and
// may be read from any thread.
#pragma once

#include "qkwinsrv.h"

// The message types (QKWIN_MSG_QUESTION .. QKWIN_MSG_ERROR) and the answers
// (QKWIN_MSG_OK .. QKWIN_MSG_NO) are named in qkwinsrv.h, which every window
// module includes.

// Shows text in a modal box of the message type over window (which may be
// null) and returns the answer (QKWIN_MSG_OK .. QKWIN_MSG_NO), or -2.
typedef int (*qkwinmsgboxhook)(qkwinInfo* window, int msgType, const char* text);

// Installs the platform's message box; null restores the logging default.
// Returns the function installed before.
qkwinmsgboxhook qkwinsetmsgboxhook(qkwinmsgboxhook hook);

// Shows a message box through the installed function. Error and stop boxes
// (and every box while none is installed) log their text first.
int qkwinmsgboxshow(qkwinInfo* window, int msgType, const char* text);
