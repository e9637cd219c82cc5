// qksyswinctrl: what the control modules of the Qt window layer share: the
// native controls a window has (kept by table position, behind QPointer so a
// control that Qt deleted with its parent is never touched), colours, fonts,
// the display scale, the identity of a control (object name "id<n>",
// accessible description "control <n>", accessible name from its text), and
// the creation and release of all controls of a window in the fixed order.
//
// Threads: everything here runs on the GUI thread. The program's widget
// operations (qkwinstaticsettext, qkwinlistadditem, ...) may be called from
// any thread; they run their body through qksyswinGuiCall.
//
// Internal to the window layer (includes Qt); the program includes the Qt-free
// headers of the control modules (qksyswinwidgets.h).
#pragma once

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

#include "qksyswinobj.h"
#include "qkwinsrv.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QScrollBar;
class QStatusBar;
class QSystemTrayIcon;
class QTabWidget;

// The controls of one window, by position in the window's tables.
struct qksyswinCtrlSet {
    QPointer<QWidget> canvas;                      // parent of the controls when they were made
    std::vector<QPointer<QWidget>> btn, stat, edit, list, comb, regn, datepick, tab, hdr;
    std::vector<std::pair<int, QPointer<QAction>>> menuItems;   // (id, action): menus first, then submenu items
    QPointer<QMenuBar> menuBar;
    QPointer<QStatusBar> statBar;
    std::vector<QPointer<QLabel>> statParts;
    QPointer<QScrollBar> vbar, hbar;
    QPointer<QMenu> trayMenu;
    std::vector<qkwinInfo*> pages;                 // sub-tab page windows made for this window
    QPointer<QObject> filter;                      // canvas/top event filter (resize, drops)
    std::vector<std::pair<QString, qint64>> hdrStamp;   // per header: file read last (path, modification ms)
};

// Control kinds (the window tables the set mirrors).
enum qksyswinCtrlKind {
    QKSYSWIN_CTL_BTN = 1,
    QKSYSWIN_CTL_STAT,
    QKSYSWIN_CTL_EDIT,
    QKSYSWIN_CTL_LIST,
    QKSYSWIN_CTL_COMB,
    QKSYSWIN_CTL_REGN,
    QKSYSWIN_CTL_DATEPICK,
    QKSYSWIN_CTL_TAB,
    QKSYSWIN_CTL_HDR,
};

// The control set of a window, or null when its controls were not made (or
// were made on a canvas that no longer exists).
qksyswinCtrlSet* qksyswinCtrlGet(qkwinInfo* win);

// The native control of the first record of kind with this id, or null.
// pos (optional) receives the record's table position.
QWidget* qksyswinCtrlFind(qkwinInfo* win, int kind, int id, int* pos = nullptr);
// The native controls of kind, by table position (null for an unknown kind).
std::vector<QPointer<QWidget>>* qksyswinCtrlWidgets(qksyswinCtrlSet& set, int kind);
// The table position of the first record of kind with this id, or -1.
int qksyswinCtrlPos(const qkwinInfo* win, int kind, int id);
// The pageid of the record of kind at position pos.
int qksyswinCtrlPageId(const qkwinInfo* win, int kind, int pos);
// Number of records of kind in the window's table.
int qksyswinCtrlCount(const qkwinInfo* win, int kind);

// Runs fn on the GUI thread with the control of kind/id (null when there is
// none) and returns fn's result; a window without controls gives -2.
int qksyswinCtrlCall(qkwinInfo* win, int kind, int id, const std::function<int(QWidget*, int pos)>& fn);

// A position or size of the definition in pixels: value * scale percent / 100
// (x or y scale of the window), rounded; 0 stays 0, a scale of 0 leaves it.
int qksyswinCtrlScale(const qkwinInfo* win, int value, bool xaxis);
// Places w at the scaled position and size of a record; a size of 0 keeps
// the control's own size hint in that direction.
void qksyswinCtrlPlace(const qkwinInfo* win, QWidget* w, int x, int y, int width, int height);

// A colour of a record as a QColor; invalid when none was chosen
// (QKWIN_NOCOLOR) or the entry is marked transparent.
QColor qksyswinCtrlColor(const qkwincolordef& c);
// Applies the background and text colours of a record to w through its
// palette: bgRole/textRole name the roles the control paints with.
void qksyswinCtrlApplyColors(QWidget* w, const qkwincolorInfo& color, int bgRole, int textRole, bool fillBackground);

// The font of fontid (the font whose ID is fontid, else whose position is
// fontid; 0 means the window's default font), from the window or its parent;
// false when there is none (the control keeps the application font).
bool qksyswinCtrlFont(const qkwinInfo* win, int fontid, QFont* font);
// Applies the font of fontid (or the window's default) to w.
void qksyswinCtrlApplyFont(const qkwinInfo* win, QWidget* w, int fontid);

// Gives a control its identity: object name "id<n>", accessible description
// "control <n>" and accessible name text (when not empty).
void qksyswinCtrlIdentify(QObject* o, int id, const QString& text);
// Updates the accessible name of a control after its text changed (an empty
// text empties it).
void qksyswinCtrlSetAccessibleName(QWidget* w, const QString& text);

// True when the window's callback table has an entry for id (controls that
// the platform lets notify only on request, like statics, notify then).
bool qksyswinCtrlHasCallback(const qkwinInfo* win, int id);

// A text of the system (UTF-8, as the definition files declare) as a
// QString, and back into a bounded buffer (NUL-terminated, at most size-1
// bytes).
QString qksyswinCtrlText(const char* text);
void qksyswinCtrlCopyText(const QString& text, char* buffer, int size);

// QFrame style of a border type (6 flat, 7 raised, 8 sunken), -1 for none.
int qksyswinCtrlFrameStyle(int type);

// Shows or hides one control; used by the page display and the dsp operations.
void qksyswinCtrlShow(QWidget* w, bool show);

// Re-selects the current sub-tab of every tab control of the window (the
// deferred tab redraw). GUI thread.
void qksyswinTabReselect(qkwinInfo* win);
// Opens the window's pop-up menu at global position pos: the commands and
// drop-down menus of its menu bar (nothing when it has none). Object name
// "popupmenu". GUI thread; returns at once.
void qksyswinMenuPopup(qkwinInfo* win, const QPoint& pos);

// ---- creation steps of the control modules (GUI thread) ----
int qksyswinFontCreate(qkwinInfo* win);
void qksyswinFontDestroy(qkwinInfo* win);
int qksyswinRegionCreate(qkwinInfo* win, qksyswinCtrlSet& set);
int qksyswinMenuCreate(qkwinInfo* win, qksyswinCtrlSet& set);
int qksyswinButtonCreate(qkwinInfo* win, qksyswinCtrlSet& set);
int qksyswinStaticCreate(qkwinInfo* win, qksyswinCtrlSet& set);
int qksyswinEditCreate(qkwinInfo* win, qksyswinCtrlSet& set);
int qksyswinListCreate(qkwinInfo* win, qksyswinCtrlSet& set);
int qksyswinComboCreate(qkwinInfo* win, qksyswinCtrlSet& set);
int qksyswinDatePickCreate(qkwinInfo* win, qksyswinCtrlSet& set);
int qksyswinTabCreate(qkwinInfo* win, qksyswinCtrlSet& set);
void qksyswinTabDestroy(qkwinInfo* win, qksyswinCtrlSet& set);
int qksyswinHdrCreate(qkwinInfo* win, qksyswinCtrlSet& set);
int qksyswinHdrReload(qkwinInfo* win, qksyswinCtrlSet& set, bool force);
int qksyswinTrayCreate(qkwinInfo* win, qksyswinCtrlSet& set);
int qksyswinStatBarCreate(qkwinInfo* win, qksyswinCtrlSet& set);
void qksyswinStatBarLayout(qkwinInfo* win, qksyswinCtrlSet& set);
