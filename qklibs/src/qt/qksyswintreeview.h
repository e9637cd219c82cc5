// qksyswintreeview: the native tree views of a window on Qt (QTreeWidget) and
// their item bookkeeping. The program builds a tree top-down without item
// handles: a root at tree index 0, groups under the item at the base index,
// items under the item at the parent index; each new item is stored at the
// tree index after its parent's (a later one overwrites the slot of an
// earlier one) and appended to the list of items in the order they were
// added. Check boxes and state images are addressed by list position. A double
// click picks an item: its text goes into selectedItem and the tree's
// userCallback runs on the window's own thread.
//
// Capacity: qkwinSetTrVwMaxCnt sets how many items a tree holds (slots and
// list); adding beyond it is refused with -2 and nothing is added.
//
// Option bits of qkwinCreateTrVw: QKWIN_TRVW_CHECKBOXES gives every new item
// an empty check box; QKWIN_TRVW_NOROOTBUTTONS hides the expand buttons of
// the top-level items.
//
// Callable from any thread: the widgets are driven on the GUI thread
// (qksyswinGuiCall), where the bookkeeping also lives.
#pragma once

#include "qkwinsrv.h"

enum : int {
    QKWIN_TRVW_CHECKBOXES = 1,
    QKWIN_TRVW_NOROOTBUTTONS = 2,
};

// Appends a tree record with this id when no tree has it; otherwise destroys
// the native tree of that id (the record stays). Returns the position.
int qkwinTrWvCheckByID(qkwinInfo* window, int id);
// Creates (or re-creates) the native tree of the record with this id at its
// scaled position and size, with its colours, and shows it. Returns 0, -2.
int qkwinCreateTrVw(qkwinInfo* window, int id, int options);
int qkwinSetTrVwSize(qkwinInfo* window, int id, int x, int y, int width, int height);
int qkwinSetTrVwTitle(qkwinInfo* window, int id, const char* title);
// Colours as platform colour references; QKWIN_NOCOLOR keeps the default.
int qksyswinSetTrVwColor(qkwinInfo* window, int id, int background, int text);
// Font by fontid of the window (0: the default font).
int qksyswinSetTrVwFont(qkwinInfo* window, int id, int fontid);
// Capacity n (at least 1); only while the tree holds no items, else -2.
int qkwinSetTrVwMaxCnt(qkwinInfo* window, int id, int n);
// Removes every item, then adds the root at tree index 0 and list position 0;
// the base index then stands at 1 and the parent index at 0.
int qkwinInitTrVw(qkwinInfo* window, int id, const char* text);
// Base index = n (0 <= n < capacity).
int qkwinSetTrVwPrtndx(qkwinInfo* window, int id, int n);
// A group under the item at the base index, stored at base + 1, which becomes
// the parent index. Returns 0, -2 (no capacity set, full, index beyond it).
int qkwinAddTrVwIndex(qkwinInfo* window, int id, const char* text);
// An item under the item at the parent index, stored at parent + 1.
int qkwinAddTrVwItem(qkwinInfo* window, int id, const char* text);
// Delete the group or item at treeIndex with everything under it; slots and
// list positions that referred to them become empty. Returns 0, -2.
int qkwinDelTrVwIndex(qkwinInfo* window, int id, int treeIndex);
int qkwinDelTrVwItem(qkwinInfo* window, int id, int treeIndex);
// Deletes every item; the capacity stays.
int qksyswinDelAllTrVwItemsByID(qkwinInfo* window, int id);
// State image of the item at list position: 0 no check box, 1 unchecked, 2
// checked. Returns 0, -2.
int qksyswinsetTrVwState(qkwinInfo* window, int id, int position, int image);
// Check box of the item at list position: 0 empty, 1 ticked. Returns 0, -2.
int qksyswinTrVwSetChkBoxByID(qkwinInfo* window, int id, int position, int checked);
// 1 when the check box of the item at list position is ticked, else 0; -2 for
// an unknown tree or position.
int qksyswinTrVwGetChkBoxByID(qkwinInfo* window, int id, int position);
// Shows (show non-zero) or hides the tree; id 0: every tree of the window.
int qksyswintvdsp(qkwinInfo* window, int id, int show);
// Opens every branch of tree view id, so that all its items show. 0 or -2.
int qksyswinTrVwExpandAll(qkwinInfo* window, int id);
// Logs every item of the list.
int qksyswinTrVwList(qkwinInfo* window, int id);
// Destroys the native tree and its platform object (the record stays).
int qkwinDestroyTrVwByID(qkwinInfo* window, int id);
// Destroys every native tree of the window.
int qkwincloseAllTrVws(qkwinInfo* window);
// Destroys every native tree and frees the tree table.
int qkwinFreeTrVw(qkwinInfo* window);
