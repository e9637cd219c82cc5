// qkgetargs (core): the small option scanner behind qkstartup. Its position is
// module-wide and only moves forward: one command line is scanned once per
// process (qkgetargreset starts over, for tests and for a second program
// record in the same process).
#pragma once

extern int qkargndx;
extern int qkargsend;
extern char* qkargstr;
extern int qkargLogflag;
extern int qkargdebug;

int getarg(int argc, char** argv, const char* optionstring);
int getargsetlog(int flag);
int getargsetdebug(int mask);
void qkgetargreset();
