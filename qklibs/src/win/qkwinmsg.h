// qkwinmsg (win): the messages a window declares in MSGBOX packages (caption, text,
// type), kept for the message boxes the program shows later.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed message record (the current message).
int qkwinmmsgregister(qkwinInfo* window);
int qkwinmmsgfreemem(qkwinInfo* window);
