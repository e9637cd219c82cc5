// qksyswintab: the tab controls of a window on Qt, from the TAB records, each
// sub-tab (SUBTAB) a page window of its own built from the sub-tab's
// definition file; and the operations the program calls on them. Callable
// from any thread.
#pragma once

#include "qkwinsrv.h"

// Makes the tab control with this id the active one. An id of a sub-tab makes
// its tab control active and selects that sub-tab. Returns 0, -2 when no tab
// control or sub-tab has the id.
int qksyswinSetActiveTabID(qkwinInfo* window, int id);
// Shows the selected sub-tab page of the active tab control and hides its
// other pages; updates the tab table's cid, csid and ccldPtr. Returns 0, -2
// when the window has no tab control.
int qksyswinsubtabdsp(qkwinInfo* window);
// The id of the selected sub-tab of the tab control with this id (0: of the
// active tab control, csid). -2 when there is no such tab control.
int qkwintabgetactivesubID(qkwinInfo* window, int id);
// The window record of the selected sub-tab page of the active tab control
// (ccldPtr), or null.
qkwinInfo* qkwintabgetactivecldPtr(qkwinInfo* window);
