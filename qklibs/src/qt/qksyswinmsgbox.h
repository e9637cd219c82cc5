// qksyswinmsgbox: the framework's message boxes on Qt. A box shows on the GUI
// thread, stays on top, is placed at the window's message position (scaled)
// or centred on its owner, and answers 121 OK, 122 Cancel, 123 Yes, 124 No
// (-2 for anything else). The caller waits for the answer: on the GUI thread
// its event loop keeps running (timers and windows go on), on another thread
// the caller keeps serving its own windows.
//
// Unattended runs: on the offscreen (or minimal) platform nobody can answer,
// so a box answers itself at once, with the answer that changes nothing (OK
// for an information box, No for Yes/No, Cancel where there is one). The
// environment variable VX_MSGBOX_AUTOANSWER sets the policy: "none" (or
// "off", "0") always waits for a user, even offscreen; "ok", "cancel", "yes"
// or "no" answers with that button wherever the box has it, on any platform.
// A box answered this way writes one line to standard error:
// "message box answered automatically: <answer>: <text>".
#pragma once

#include "qkwinsrv.h"

// Result types (the buttons of a box).
enum : int {
    QKWIN_MSGRSLT_YESNO = 110,
    QKWIN_MSGRSLT_OK = 111,
    QKWIN_MSGRSLT_OKCANCEL = 112,
    QKWIN_MSGRSLT_YESNOCANCEL = 113,   // any other value: Yes, No and Cancel, no icon
};

int qkwinmsginfo(qkwinInfo* window, const char* text);
int qkwinmsgwarn(qkwinInfo* window, const char* text);
int qkwinmsgquestion(qkwinInfo* window, const char* text);
int qkwinmsgstop(qkwinInfo* window, const char* text);
int qkwinmsgerror(qkwinInfo* window, const char* text);

// Caption of later boxes (default "QKWIN message").
int qkwinmsgsetcaption(qkwinInfo* window, const char* text);
// ORs bits into optFlg (bit 1: the box has no owner window).
int qkwinmsgsetflg(qkwinInfo* window, int bits);
int qkwinmsgsetpos(qkwinInfo* window, int x, int y, int width, int height);

// Shows a box of message type (icon) and result type (buttons). Any thread.
int qksyswinmsgbox(qkwinInfo* window, int msgType, int rsltType, const char* text);
// The function installed into qkwinmsgbox: the result type follows from the
// message type (information OK, question/warning/stop/error Yes and No,
// another type Yes, No and Cancel without icon).
int qksyswinmsgboxhook(qkwinInfo* window, int msgType, const char* text);

// The waiting notice: an information box on a thread of its own; the caller
// waits about 1 to 2 seconds (100 ms steps with message handling) and goes on
// while the notice stays. qkwinmsgstopthred closes it and ends its thread.
int qkwinmsgrunthred(qkwinInfo* window, const char* text);
int qkwinmsgstopthred(qkwinInfo* window);

// "%s\n  error code: %d" with text and the last system error: to the log and
// in an error box with the caption "QKWIN message". Returns the box's answer.
int qksyswinMsgErr(qkwinInfo* window, const char* text);
