// qksyswinwidgets: the widget operations of the window framework that the
// program's pages call (buttons, statics, edits, lists, combo boxes, menus,
// tabs, headers, status and progress bars, pages). Qt-free: every operation
// may be called from any thread and runs on the GUI thread.
#pragma once

#include "qksyswinbutton.h"
#include "qksyswincombo.h"
#include "qksyswinedit.h"
#include "qksyswinhdr.h"
#include "qksyswinlist.h"
#include "qksyswinmenu.h"
#include "qksyswinpage.h"
#include "qksyswinprgbar.h"
#include "qksyswinstatbar.h"
#include "qksyswinstatic.h"
#include "qksyswintab.h"

// Standard handlers of menus, statics, buttons, edits, lists, combo boxes and
// headers (the standard names "qksyswinstd...proc"): the controls behave
// natively, so these only trace the event (window audit bit 0x4000). Return 0.
int qksyswinstdmenuproc(qkwinInfo* window);
int qksyswinstdstaticproc(qkwinInfo* window);
int qksyswinstdbtnproc(qkwinInfo* window);
int qksyswinstdeditproc(qkwinInfo* window);
int qksyswinstdlistproc(qkwinInfo* window);
int qksyswinstdcomboproc(qkwinInfo* window);
int qksyswinstdhdrproc(qkwinInfo* window);
