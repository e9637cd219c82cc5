// qkwinmsgbox: the one entry point through which the portable window framework
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

// Message types (the icon of the box).
enum : int {
    QKWIN_MSG_QUESTION = 101,
    QKWIN_MSG_WARN = 102,
    QKWIN_MSG_INFO = 103,
    QKWIN_MSG_STOP = 104,
    QKWIN_MSG_ERROR = 105,
};

// Answers.
enum : int {
    QKWIN_MSG_OK = 121,
    QKWIN_MSG_CANCEL = 122,
    QKWIN_MSG_YES = 123,
    QKWIN_MSG_NO = 124,
};

// Shows text in a modal box of the message type over window (which may be
// null) and returns the answer (121-124), or -2.
typedef int (*qkwinmsgboxhook)(qkwinInfo* window, int msgType, const char* text);

// Installs the platform's message box; null restores the logging default.
// Returns the function installed before.
qkwinmsgboxhook qkwinsetmsgboxhook(qkwinmsgboxhook hook);

// Shows a message box through the installed function. Error and stop boxes
// (and every box while none is installed) log their text first.
int qkwinmsgboxshow(qkwinInfo* window, int msgType, const char* text);
