// qksyswinobj: the platform object behind a window record (qkwinInfo's
// syswinPtr) and the seams between the window-layer modules:
//   - qksyswinsrv (windows, loops, events, children, dialogs, message boxes,
//     timers) owns the object's life and the event queues;
//   - the control modules create and destroy a window's controls in the
//     fixed order when the window is created and ended;
//   - the drawing surface draws into the backing image, which the canvas
//     paints under the native controls.
// Every QWidget lives on the GUI thread (see qksyswinthread.h).
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class QImage;
class QWidget;
struct qkwinInfo;

// One event for a window whose loop runs on another thread than the GUI
// thread: posted by the GUI thread, drained by the owner's loops.
struct qksyswinEvent {
    int kind;    // qksyswinEventKind
    int id;      // control id (notifications), timer id, ...
    int code;    // notification code of the control (mapped to the event number on dispatch)
    int x, y;    // mouse position where it matters
};

enum qksyswinEventKind {
    QKSYSWIN_EV_NOTIFY = 1,    // a control fired: id, code
    QKSYSWIN_EV_TIMER,         // the window timer ticked (coalesced: one pending at most)
    QKSYSWIN_EV_PAINT,         // repaint: header lists, regions, then userUpdateFunc
    QKSYSWIN_EV_CLOSE,         // close request
    QKSYSWIN_EV_MOUSE,         // mouse move / button: code 0 move, 1 left down, 2 right down
    QKSYSWIN_EV_KEY,           // character key: code is the character
    QKSYSWIN_EV_DEVICE,        // device change: code 2 arrived, 3 removed (port name in the window record)
    QKSYSWIN_EV_DROP,          // one file dropped (name in drgDrp.fName)
    QKSYSWIN_EV_TREEPICK,      // tree-view pick: id of the tree, code the item
    QKSYSWIN_EV_CALL,          // run a queued function on the owner (internal)
};

struct qksyswinObj {
    qkwinInfo* win = nullptr;
    QWidget* top = nullptr;      // top-level widget (main/child window, dialog) or the page widget of a sub-tab page
    QWidget* canvas = nullptr;   // client area: controls are its children; it paints the backing image under them
    QImage* image = nullptr;     // backing image: the window's device context
    std::recursive_mutex imageLock;   // held while the backing image is drawn into or painted
    std::thread::id owner;       // the thread that runs this window's loops
    std::mutex queueLock;
    std::condition_variable queueWake;
    std::deque<qksyswinEvent> queue;
    bool timerPending = false;   // guarded by queueLock: coalesces timer ticks
    // The deferred redraw after a message (qksyswinchkflags): the tab flag
    // re-selects every tab's current sub-tab, the repaint flag repaints the
    // regions and header lists. Set by the GUI thread, taken by the owner.
    std::atomic<bool> tabFlag{false};
    std::atomic<bool> repaintFlag{false};
};

// The platform object of a window record, or null before the window layer made one.
qksyswinObj* qksyswinobj(qkwinInfo* win);

// A control of the window fired (called on the GUI thread from a Qt signal):
// dispatched at once when the window's owner is the GUI thread, else posted
// to the owner's queue. Implemented by qksyswinsrv.
void qksyswinNotify(qkwinInfo* win, int id, int code);

// Posts any event the same way (paint, mouse, key, drop, tree pick, ...).
void qksyswinPost(qkwinInfo* win, const qksyswinEvent& event);

// Creates the window's controls in the fixed order (fonts, region, menu bar,
// buttons, statics, edits, lists, combos, date pickers, scroll bars, tabs with
// their sub-tab pages, headers, tray menu, status bar) on the GUI thread; and
// releases them when the window ends. Implemented by the control modules.
int qksyswinCreateControls(qkwinInfo* win);
void qksyswinDestroyControls(qkwinInfo* win);

// Repaints the canvas from the backing image (no program paint event follows
// a repaint caused by the framework's own drawing). Implemented by qksyswinsrv.
void qksyswinRefresh(qkwinInfo* win);

// Builds the window record of a sub-tab page: a record of its own read from
// the page's definition file (path), its canvas placed in host, its events
// dispatched with the sub-tab page procedure on the parent's thread, the
// parent's palette, program record and connection pointers shared.
// Implemented by qksyswinsrv; the tab module calls it for every sub-tab
// (GUI thread) and then creates the page's controls; the page record and its
// canvas are released by qksyswinsrv with the parent window, after
// qksyswinDestroyControls(parent) (the canvas may already have gone with its
// host). Null when the page's definition file cannot be read.
qkwinInfo* qksyswinNewPageWindow(qkwinInfo* parent, const char* path, QWidget* host);

// ---- drawing, backing image, screen capture, tree views (qksysdrawsurface,
// qksyswintreeview) ------------------------------------------------------------
class QPainter;
class QRect;

// Installs the drawing layer once (later calls do nothing): the portable
// drawing-surface hook (qkdrawsetopenhook, so qkdrawopen(window) draws into the
// window's backing image) and the standard functions "qkwinCaptureScreen" and
// "qkwinSaveScreen" (qksyswinstdfuncset). It runs by itself before main() in
// every program that creates windows; calling it at start-up is harmless.
void qksysdrawinstall();

// Makes the window's backing image width x height pixels, or resizes it: the
// old picture is kept, new parts are filled with the window's background
// colour. For the canvas owner, when the canvas is made and on every resize
// (GUI thread; it never waits for a drawing thread). Returns 0, -2 without a
// platform object or with a size < 1.
int qksyswinImageCreate(qkwinInfo* win, int width, int height);
// Releases the backing image (the window ends). GUI thread.
void qksyswinImageFree(qkwinInfo* win);

// Paints rect of the backing image with painter: the canvas widget's
// paintEvent calls it first, the controls then draw over it. It never blocks:
// while another thread draws into the image the paint is skipped and repeated
// shortly after (the canvas should set Qt::WA_OpaquePaintEvent, which
// qksyswinImageCreate does, so a skipped paint keeps the previous picture).
void qksyswinPaintCanvas(qkwinInfo* win, QPainter& painter, const QRect& rect);

// Creates the native tree view of every TREEVIEW record of the window, hidden
// (the program shows it with qkwinCreateTrVw or qksyswintvdsp). Called by
// qksyswinCreateControls when a window or sub-tab page is created. Returns 0.
int qksyswinTreeViewCreate(qkwinInfo* win);
// Destroys the native trees and frees the tree table (qksyswinDestroyControls).
void qksyswinTreeViewDestroy(qkwinInfo* win);

// A tree view was double-clicked: the tree stores the item's text in the
// record's selectedItem and posts QKSYSWIN_EV_TREEPICK {id: the tree, code:
// list position of the item, or -1}. The pick step for the window's
// dispatcher (owner thread): sets actitemid and actitemevent (3, double
// click), copies the text of the item at that list position (else of the
// current item) into selectedItem, looks the tree up in the window or in the
// window the management table started from that id, and calls the tree's
// userCallback. Returns the callback's result, 0 without a callback, -2 when
// no tree has the id.
int qksyswinTrVwPick(qkwinInfo* win, int id, int code);

// ---- controls (qksyswinctrl and the qksyswin<kind> control modules) ----------

// Enters the control modules' standard functions ("qksyswinstdmenuproc",
// "qksyswinstdstaticproc", "qksyswinstdbtnproc", "qksyswinstdeditproc",
// "qksyswinstdlistproc", "qksyswinstdcomboproc", "qksyswinstdhdrproc",
// "qksyswinstdhdrdsplist") with qksyswinstdfuncset. Later calls do nothing.
// qksyswinsrv calls it at start-up with its other hooks; qksyswinCreateControls
// also calls it, for programs that create windows some other way.
void qksyswinCtrlInstall();

// The deferred redraw of the window's controls (paint event, qksyswinchkflags):
// reloads header lists whose file changed and repaints the regions. GUI thread.
void qksyswinCtrlRepaint(qkwinInfo* win);

// Placement of the menu bar and the status bar: when the window's top widget
// is a QMainWindow they become its menu bar and status bar; otherwise the menu
// bar is put into top's layout (QLayout::setMenuBar) when it has one, and the
// status bar is kept at the bottom edge of the canvas. The tray icon is
// qksyswindsp's (the tray record's sysPtr, a QSystemTrayIcon); the controls
// give it its menu. A sub-tab page's canvas is kept at least as large as the
// tab's page area.
