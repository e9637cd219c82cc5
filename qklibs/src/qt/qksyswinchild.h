// qksyswinchild: child windows and programs started from a control. A child
// window runs on a thread of its own: its record is made on the starting
// window's thread (so the parent's actcldPtr and slot belong to it), its
// definition file is read, its callbacks inherited and its loop run on the
// child's thread, which serves the child's events, calls its run function
// between them and frees the child when its state drops to 0. The record
// itself is released on the parent's thread, which clears actcldPtr then.
#pragma once

#include "qkwinsrv.h"

// Standard callback: starts the child window whose CHILD path record has the
// firing control's id (actitemid). 0, or -2 ("could not find path idPtr for
// item id: %d"; "Max window count reached: %d" when the table is full).
int qkwinstartchild(qkwinInfo* window);
// Runs that child window on the calling thread until it ends (what the
// child's thread does). 0, or -2.
int qkwinrunchild(qkwinInfo* window);
// A child record of parent started by control itemID: type 2, own platform
// object, counters, shared table and palette, a management slot, the
// parent's copied links; parent->actcldPtr points to it. Null when refused.
// Parent's thread.
qkwinInfo* qkwinchildallocate(qkwinInfo* parent, int itemID);
// Releases everything of a child but its record. Child's thread.
int qkwinfreechild(qkwinInfo* child);
// Asks a running child to end; option non-zero waits (serving the caller's
// windows) until it has ended, at most 5 s. -2 with "child pointer: %d, not
// active" for a child that is not in the management table.
int qkwinstopchild(qkwinInfo* child, int option);
// Close a child window: the window itself when it is a child (a sub-tab page
// stands for the child that holds it), the running child of a main window.
// Returns 1 (0 when there is nothing to close). The conf variant asks "are
// you sure" first.
int qksyswinchildexit(qkwinInfo* window);
int qksyswinchildexitconf(qkwinInfo* window);
// Standard callback: starts the program or document of the PROCESS path
// record of actitemid as a separate process. 0, -1 when it could not be
// started, -2 without a path record.
int qkwinstartproc(qkwinInfo* window);
