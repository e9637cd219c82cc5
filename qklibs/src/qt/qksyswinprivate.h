// qksyswinprivate: what the modules of the window core (qksyswinsrv,
// qksyswinmsgbox, qksyswinchild, qksyswindlg, qksyswinfiledlg) share and
// nobody else uses: the full platform object, the owner loop of a thread,
// the modal wait and the window registry.
#pragma once

#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "qksyswinobj.h"
#include "qkthrdsrv.h"
#include "qkwinsrv.h"

class QTimer;
class QSystemTrayIcon;
class QEventLoop;
class QWidget;

// The loop of a thread that owns windows other than the GUI thread: posters
// signal it, the owner's loops wait on it and drain the queues of all its
// windows.
struct qksyswinLoop {
    std::mutex m;
    std::condition_variable cv;
    bool signalled = false;               // guarded by m
    std::vector<qkwinInfo*> windows;      // guarded by m
    void signal();
    // Waits up to ms for a signal; true when one came (and consumes it).
    bool wait(int ms);
};

// The platform object as the window core keeps it.
struct qksyswinObjEx : qksyswinObj {
    std::shared_ptr<qksyswinLoop> loop;   // owner's loop (null for the GUI thread)
    std::atomic<bool> guiOwned{true};     // the owner is the GUI thread
    bool isPage = false;                  // a sub-tab page window (sub-tab procedure)
    // Payloads of queued events, in the order of their events (queueLock).
    std::deque<std::string> devNames;     // QKSYSWIN_EV_DEVICE
    std::deque<std::function<void()>> calls;   // QKSYSWIN_EV_CALL
    bool paintPending = false;            // queueLock: coalesces paint events
    std::atomic<bool> refreshPending{false};   // the next repaint is the framework's own
    // GUI thread only.
    QPointer<QTimer> timer;
    QPointer<QWidget> pageCanvas;         // a page's canvas: its host (and the canvas) may go first
    QSystemTrayIcon* trayIcon = nullptr;
    bool timerRunning = false;
    // Owner thread only.
    bool timerWanted = false;             // started before the window existed
    bool closeCalled = false;             // userCloseFunc ran for this close
    bool shown = false;                   // the widgets exist
    bool destroyed = false;               // ended (state 0, close function called)
    qkthrdInfo* childThreads = nullptr;   // threads of the children this window started
    int liveChildren = 0;                 // children started on threads whose records still exist
    std::string defPath;                  // a child's definition file
    qkwinInfo* inheritFrom = nullptr;     // snapshot of the parent's callbacks for a child
};

inline qksyswinObjEx* qksyswinobjex(qkwinInfo* win)
{
    return static_cast<qksyswinObjEx*>(qksyswinobj(win));
}

// ---- registry -----------------------------------------------------------------
// True while obj belongs to a window that has not been released.
bool qksyswinAlive(const qksyswinObjEx* obj);

// ---- records ------------------------------------------------------------------
// A zeroed window record of type with its platform object, owned by the
// calling thread; palette, OS, scale, connection and program pointers copied
// from parent when given. Reads nothing.
qkwinInfo* qksyswinNewRecord(int type, qkwinInfo* parent);
// Makes the calling thread the owner of win (before its widgets exist).
void qksyswinSetOwner(qkwinInfo* win);
// Reads a definition file into win (one file at a time in the program).
// 0, or -2.
int qksyswinReadDefinition(qkwinInfo* win, const char* path);
// Releases everything of win: widgets, timer, tables, slot, platform object;
// and the record itself when freeRecord. Runs on the owner thread.
void qksyswinRelease(qkwinInfo* win, bool freeRecord);
// A deep copy of the callback table of win in a bare record (for inheriting
// on another thread); release with qksyswinFreeSnapshot.
qkwinInfo* qksyswinSnapshotFuncs(const qkwinInfo* win);
void qksyswinFreeSnapshot(qkwinInfo* snap);

// ---- events and waits ---------------------------------------------------------
// Queues fn to run on the owner thread of win. False (fn dropped) when win
// has been released.
bool qksyswinOwnerCall(qkwinInfo* win, std::function<void()> fn);
// Requests a close of win from any thread (the close event of the platform).
void qksyswinPostClose(qkwinInfo* win);
// Ends the window: state 0, userCloseFunc once, widgets hidden, loops woken.
void qksyswinDestroy(qkwinInfo* win);
// Pumps the calling thread for ms: the GUI thread runs its event loop, a
// thread owning windows serves their queues, any other thread sleeps.
// Throws qkthrdCancel on a thread whose stop was requested when cancellable.
void qksyswinPump(int ms, bool cancellable);
// Waits, pumping, until done() holds. Cancellable as qksyswinPump.
void qksyswinWaitUntil(const std::function<bool()>& done, bool cancellable);
// Wakes every wait of the GUI thread so it tests its condition again.
void qksyswinWakeGui();
// The loop of the calling thread (made on first use for non-GUI threads).
std::shared_ptr<qksyswinLoop> qksyswinThreadLoop();

// A modal call on the GUI thread (message box, file dialog): show runs there,
// opens its widget (modal, but without a loop of its own: a box a worker asked
// for must not hold up the GUI thread's own waits), stores it in the state's
// widget and calls finish with the answer when the widget is done. The caller
// waits: the GUI thread runs its event loop, another thread serves its own
// windows meanwhile; when that thread's stop is requested the widget is closed
// and qkthrdCancel thrown.
struct qksyswinModalState {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    int result = -2;
    std::atomic<bool> cancel{false};
    std::shared_ptr<qksyswinLoop> waiter;
    std::string text;                     // a text answer (file dialogs), set before finish
    QPointer<QWidget> widget;             // GUI thread only
    void finish(int r);
};
int qksyswinRunModal(const std::function<void(std::shared_ptr<qksyswinModalState>)>& show);

// ---- auto answer of modal boxes (offscreen / unattended runs) -------------------
// The answer a box with these buttons gets without a user (121-124), or -1
// when it waits for the user. VX_MSGBOX_AUTOANSWER: unset = answer on the
// offscreen and minimal platforms only; "none" = never; "ok", "cancel", "yes",
// "no" = that button when the box has it; anything else = the default answer.
int qksyswinAutoAnswer(int rsltType);

// ---- geometry -------------------------------------------------------------------
int qksyswinScaleX(const qkwinInfo* win, int v);
int qksyswinScaleY(const qkwinInfo* win, int v);

// ---- widgets of windows -----------------------------------------------------------
// Creates the platform window of win (top, canvas, backing image) on the GUI
// thread; for a dialog (type 3) a modal dialog window over parent. 0 or -1.
int qksyswinCreateTop(qkwinInfo* win);
