// qkwinhdr (win): the header controls of a window (HDR packages) with their columns
// (SUBHDR packages). Portable: the platform layer builds the controls.
#pragma once

#include "qkwinsrv.h"

// Appends one zeroed header control with the default colours (the current one).
int qkwinhdrregister(qkwinInfo* window);
// Appends one zeroed column to the current header. -2 without a header.
int qkwinsubhdrregister(qkwinInfo* window);
int qkwinhdrfreemem(qkwinInfo* window);
