// qkwinscale (win): the display scale of the window framework. Every position and
// size of a definition file is scaled by the window's percentages before it
// reaches the screen; FILLSCREEN stretches a window over the whole screen;
// the scale dialog stores the user's choice in the user resource file, read
// at the next start. Portable: the platform layer supplies the screen size.
#pragma once

#include <cstddef>

#include "qkwinsrv.h"

// The user resource file that keeps the chosen scale ("USER$SCALE").
inline constexpr char QKWIN_USERRESOURCE[] = "../usercfg/userresource.txt";

// value x percent / 100, rounded to the nearest integer (halves away from
// zero); 0 percent returns value unchanged; a result of 0 becomes 1.
int qkwinsetscale(int percent, int value);

// With FILLSCREEN enabled: scale.xval = screen width / xsize x 100 and
// scale.yval = screen height / ysize x 100 (a window without a size keeps its
// scale). Returns 0, -2 without a window.
int qkwinfillscrncalc(qkwinInfo* window, int screenWidth, int screenHeight);

// Replaces the line of text that holds "USER$SCALE" by "USER$SCALE\t<value>\r\n",
// keeping everything before and after it; without such a line the new line is
// added at the end. The result goes to out (cut to size). Returns the length
// the result would have had.
size_t qkwinscalesettext(const char* text, int value, char* out, size_t size);

// Rewrites the user resource file at path with the new scale. 0, -1 when the
// file cannot be read or written.
int qkwinscalesetfile(const char* path, int value);
