// qksyswinpage: pages of a window on Qt: which controls are shown for which
// page. Every control, menu item, region, tab, header, date picker and tree
// view carries a pageid; 0 means it belongs to no page and stays as it is.
// Callable from any thread.
#pragma once

#include "qkwinsrv.h"

// Switches page display by control on (1) or off (0). Returns 0, -2 without a window.
int qkstdpagedsetstate(qkwinInfo* window, int state);
// The page display callback: when page switching is on and the event that
// fired (actitemevent) is at most 6, every page whose itemid is actitemid
// becomes the current page and is shown (qksyswinpagedsp), then each of its
// sub-pages (qksyswinsubpagedsp). Returns 0, -2 without a window.
int qkstdpagedspcb(qkwinInfo* window);
// Shows every control whose pageid is pageid and hides every other control
// with a positive pageid (menu items are enabled or greyed instead). Returns
// 0, -2 without a window.
int qksyswinpagedsp(qkwinInfo* window, int pageid);
// Shows (menu items: enables) every control whose pageid is pageid and hides
// nothing. Returns 0, -2 without a window.
int qksyswinsubpagedsp(qkwinInfo* window, int pageid);

// The page record at position index (0 is the first), or null.
qkwinPageIDInfo* qkwinpagegetIDpointer(qkwinInfo* window, int index);
// The current, start and home page ids. The getters return -2 without a window.
int qkwingetcurrentpageID(qkwinInfo* window);
int qkwinsetstartpageID(qkwinInfo* window, int pageid);
int qkwingethomepageID(qkwinInfo* window);
int qkwinsethomepageID(qkwinInfo* window, int pageid);
