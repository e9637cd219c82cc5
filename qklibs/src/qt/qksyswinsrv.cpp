// qksyswinsrv: windows, loops and events of the window layer on Qt (see the
// header for the threading rule). The platform object of a window is a
// qksyswinObjEx; its widgets are a top-level window (qksyswinTop) with the
// client area (qksyswinCanvas) that paints the backing image under the
// controls. Events of a window reach the program on the window's owner
// thread: directly from the Qt event when the owner is the GUI thread, else
// through the window's queue, which the owner's loops drain.
//
// Where the window layer's hooks are installed: the first window record
// (qkwinallocate, or any record made by qksyswinNewRecord) starts the layer
// once (startLayer): the QApplication when there is none, the drawing layer
// (qksysdrawinstall: the drawing-surface hook of qkdrawopen and the standard
// names "qkwinCaptureScreen" and "qkwinSaveScreen"), the control modules'
// standard names (qksyswinCtrlInstall), the message-box hook of qkwinmsgbox,
// the event pump of qkthrdstop (qkthrdsetpump) and this layer's own standard
// names (qksyswinstdfuncset). All of it happens before the record binds its
// standard names (qksyswinregstdfunc). qksysdrawinstall also runs from a
// static initialiser in qksysdrawsurface.cpp, and qksyswinCtrlInstall from
// qksyswinCreateControls; every install runs once, so the order does not
// matter.
//
// The canvas paints the backing image with qksyswinPaintCanvas (it never
// waits for a drawing thread), and the image is made, resized and released
// only by qksyswinImageCreate / qksyswinImageFree (qksysdrawsurface). A tree
// view's pick goes through qksyswinTrVwPick (qksyswintreeview). A window's
// text record (qkwintext) and plot record (qkplotsrv) go with the window.
#include "qksyswinsrv.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLibrary>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QPainterPath>
#include <QResizeEvent>
#include <QRegion>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <unordered_map>

#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qksyswindlg.h"
#include "qkplotsrv.h"
#include "qkstrsrv.h"
#include "qksysdevwatch.h"
#include "qksyssrv.h"
#include "qksyswinchild.h"
#include "qksyswinctrl.h"
#include "qksyswincombo.h"
#include "qksyswindlg.h"
#include "qksyswinfiledlg.h"
#include "qksyswinmsgbox.h"
#include "qksyswinlist.h"
#include "qksyswinpage.h"
#include "qksyswinstatic.h"
#include "qksyswinprivate.h"
#include "qksyswinregstdfunc.h"
#include "qksyswinthread.h"
#include "qkversion.h"
#include "qkwincfgsrv.h"
#include "qkwinfuncsrv.h"
#include "qkwinmgr.h"
#include "qkwinmsgbox.h"
#include "qkwinpalettesrv.h"
#include "qkwinscale.h"
#include "qkwinstdcallbacks.h"
#include "qkwintable.h"
#include "qkwintext.h"

namespace {

// ---- registry of live platform objects ------------------------------------------

struct AliveEntry {
    qkwinInfo* win;
    uint64_t serial;
};

std::recursive_mutex gAliveLock;   // recursive: posting under it looks objects up again
std::unordered_map<const qksyswinObjEx*, AliveEntry> gAliveObjs;
std::unordered_map<const qkwinInfo*, qksyswinObjEx*> gAliveWins;
uint64_t gSerial = 0;

uint64_t registerObj(qksyswinObjEx* obj)
{
    std::lock_guard<std::recursive_mutex> lock(gAliveLock);
    uint64_t s = ++gSerial;
    gAliveObjs[obj] = {obj->win, s};
    gAliveWins[obj->win] = obj;
    return s;
}

void unregisterObj(qksyswinObjEx* obj)
{
    std::lock_guard<std::recursive_mutex> lock(gAliveLock);
    gAliveObjs.erase(obj);
    gAliveWins.erase(obj->win);
}

uint64_t serialOf(const qksyswinObjEx* obj)
{
    std::lock_guard<std::recursive_mutex> lock(gAliveLock);
    auto it = gAliveObjs.find(obj);
    return it == gAliveObjs.end() ? 0 : it->second.serial;
}

bool aliveSerial(const qksyswinObjEx* obj, uint64_t serial)
{
    std::lock_guard<std::recursive_mutex> lock(gAliveLock);
    auto it = gAliveObjs.find(obj);
    return it != gAliveObjs.end() && it->second.serial == serial;
}

qksyswinObjEx* aliveWin(const qkwinInfo* win)
{
    std::lock_guard<std::recursive_mutex> lock(gAliveLock);
    auto it = gAliveWins.find(win);
    return it == gAliveWins.end() ? nullptr : it->second;
}

// ---- program-wide state -------------------------------------------------------------

std::atomic<qkwinInfo*> gCurrent{nullptr};
std::atomic<bool> gStarted{false};
std::mutex gDefReadLock;      // one definition file at a time (the element context is program-wide)
std::mutex gHomeLock;
char gHomeDir[1024];
qksysdevwatch* gDevWatch = nullptr;          // main thread
std::atomic<qkwinInfo*> gDevWin{nullptr};
std::vector<QEventLoop*> gGuiLoops;
thread_local std::shared_ptr<qksyswinLoop> tls_loop;

constexpr int kGuiWaitStepMs = 100;
constexpr int kOwnerSliceMs = 20;            // stop requests are noticed this fast
constexpr int kChildPeekMs = 10;
constexpr int kDrainBatch = 64;

void pumpForStop(int ms)
{
    qksyswinPump(ms, false);
}

// ---- event dispatch on the owner thread ----------------------------------------------------

int procOf(qkwinInfo* win, qksyswinObjEx* obj)
{
    if (obj->isPage) return QKWIN_PROC_SUBTAB;
    switch (win->type) {
    case 2: return QKWIN_PROC_CHILD;
    case 3: return QKWIN_PROC_DLG;
    default: return QKWIN_PROC_MAIN;
    }
}

int exitStep(qkwinInfo* win)
{
    if (win->exititemid != 0) {
        if (qkwincallback cb = qkwinfuncgetaddr(win, QKWIN_FUNC_BYID, win->exititemid, nullptr)) return cb(win);
    }
    switch (win->type) {
    case 1: return qksyswinexit(win);
    case 2: return qksyswinchildexit(win);
    case 3: return qksyswindlgexit(win);
    default: return 0;
    }
}

void hideToTray(qkwinInfo* win)
{
    qksyswinObjEx* obj = qksyswinobjex(win);
    qksyswinGuiCall([obj] {
        if (obj->top && obj->trayIcon) obj->top->hide();
    });
}

// A close request: the exit step while the window runs, then the close
// function; the window ends when the last result is 1 or it was stopped,
// otherwise a main window with a tray icon goes to the tray.
void handleClose(qkwinInfo* win)
{
    qksyswinObjEx* obj = qksyswinobjex(win);
    if (win->state.load() == 0) {
        qksyswinDestroy(win);
        return;
    }
    int last = exitStep(win);
    if (win->userCloseFunc && !obj->closeCalled) {
        obj->closeCalled = true;
        last = win->userCloseFunc(win);
    }
    if (last == 1 || win->state.load() == 0) {
        qksyswinDestroy(win);
        return;
    }
    obj->closeCalled = false;
    if (win->type == 1 && win->trayPtr != nullptr) hideToTray(win);
}

void dispatch(qkwinInfo* win, const qksyswinEvent& ev, const std::string& text, const std::function<void()>& fn)
{
    qksyswinObjEx* obj = qksyswinobjex(win);
    if (obj == nullptr) return;
    switch (ev.kind) {
    case QKSYSWIN_EV_NOTIFY:
        qkwinfuncdispatch(win, procOf(win, obj), ev.id, ev.code);
        break;
    case QKSYSWIN_EV_TIMER:
        if (win->scale.state != 0) break;
        win->timer.timeCnt += win->timer.elapseTime;
        if (win->timer.funcAdd) win->timer.funcAdd(win);
        break;
    case QKSYSWIN_EV_PAINT:
        // Header lists and regions first, then the program's own drawing.
        qksyswinGuiCall([win] { qksyswinCtrlRepaint(win); });
        if (win->userUpdateFunc) win->userUpdateFunc(win);
        break;
    case QKSYSWIN_EV_CLOSE:
        handleClose(win);
        break;
    case QKSYSWIN_EV_MOUSE:
        win->cursor.xpos = ev.x;
        win->cursor.ypos = ev.y;
        if (ev.code == 0) {
            if (win->cursor.mvfuncPtr) win->cursor.mvfuncPtr(win);
        } else if (ev.code == 1) {
            win->cursor.lbd = 1;
            win->cursor.rbd = 0;
            if (win->cursor.lbdfuncPtr) win->cursor.lbdfuncPtr(win);
        } else if (ev.code == 2) {
            win->cursor.rbd = 1;
            win->cursor.lbd = 0;
            if (win->cursor.rbdfuncPtr) win->cursor.rbdfuncPtr(win);
        }
        break;
    case QKSYSWIN_EV_KEY:
        win->kbin.key = ev.code;
        if (win->kbin.kbfuncPtr) win->kbin.kbfuncPtr(win);
        break;
    case QKSYSWIN_EV_DEVICE:
        win->device.state = ev.code;
        win->device.chgflg = 1;
        qkstrset(win->device.name, text.c_str());
        if (win->userDevUpDateFunc) win->userDevUpDateFunc(win);
        break;
    case QKSYSWIN_EV_DROP:
        qklogf("qksyswinproc", "WM_DROPFILES file: %s", win->drgDrp.fName);
        if (win->drgDrp.userFunc)
            win->drgDrp.userFunc(win);
        else
            qklogf("qksyswinproc", "No callback defined for DragDrop file: %s", win->drgDrp.fName);
        break;
    case QKSYSWIN_EV_TREEPICK:
        qksyswinTrVwPick(win, ev.id, ev.code);
        break;
    case QKSYSWIN_EV_CALL:
        if (fn) fn();
        break;
    default:
        break;
    }
}

// Dispatch from a Qt event on the GUI thread: nothing may unwind through Qt.
void dispatchOnGui(qkwinInfo* win, const qksyswinEvent& ev, const std::string& text, const std::function<void()>& fn)
{
    try {
        dispatch(win, ev, text, fn);
        qksyswinchkflags(win);
    } catch (const std::exception& e) {
        qklogf("qksyswinproc", "error, callback of window id: %d ended by an exception: %s", win->id, e.what());
    } catch (...) {
        qklogf("qksyswinproc", "error, callback of window id: %d ended by an unknown exception", win->id);
    }
}

// Hands an event to the window's owner: directly on the GUI thread for a
// window it owns (unless deferred), queued to the GUI thread for such a
// window from elsewhere, into the window's queue for other owners. Timer
// ticks and paints are coalesced (one pending at most).
void postEvent(qkwinInfo* win, const qksyswinEvent& ev, std::string text, std::function<void()> fn, bool defer)
{
    qksyswinObjEx* obj = qksyswinobjex(win);
    if (obj == nullptr) return;
    if (obj->guiOwned.load()) {
        if (!defer && qksyswinIsGuiThread()) {
            dispatchOnGui(win, ev, text, fn);
            return;
        }
        if (ev.kind == QKSYSWIN_EV_PAINT || ev.kind == QKSYSWIN_EV_TIMER) {
            std::lock_guard<std::mutex> lock(obj->queueLock);
            bool& pending = ev.kind == QKSYSWIN_EV_PAINT ? obj->paintPending : obj->timerPending;
            if (pending) return;
            pending = true;
        }
        uint64_t serial = serialOf(obj);
        QCoreApplication* app = QCoreApplication::instance();
        if (serial == 0 || app == nullptr) return;
        qksyswinGuiPost(
            [obj, serial, ev, text = std::move(text), fn = std::move(fn)] {
                if (!aliveSerial(obj, serial)) return;
                if (ev.kind == QKSYSWIN_EV_PAINT || ev.kind == QKSYSWIN_EV_TIMER) {
                    std::lock_guard<std::mutex> lock(obj->queueLock);
                    (ev.kind == QKSYSWIN_EV_PAINT ? obj->paintPending : obj->timerPending) = false;
                }
                dispatchOnGui(obj->win, ev, text, fn);
            });
        return;
    }
    {
        std::lock_guard<std::mutex> lock(obj->queueLock);
        if (ev.kind == QKSYSWIN_EV_TIMER) {
            if (obj->timerPending) return;
            obj->timerPending = true;
        } else if (ev.kind == QKSYSWIN_EV_PAINT) {
            if (obj->paintPending) return;
            obj->paintPending = true;
        }
        obj->queue.push_back(ev);
        if (ev.kind == QKSYSWIN_EV_DEVICE) obj->devNames.push_back(std::move(text));
        if (ev.kind == QKSYSWIN_EV_CALL) obj->calls.push_back(std::move(fn));
    }
    obj->queueWake.notify_all();
    if (obj->loop) obj->loop->signal();
}

bool popEvent(qksyswinObjEx* obj, qksyswinEvent& ev, std::string& text, std::function<void()>& fn)
{
    std::lock_guard<std::mutex> lock(obj->queueLock);
    if (obj->queue.empty()) return false;
    ev = obj->queue.front();
    obj->queue.pop_front();
    if (ev.kind == QKSYSWIN_EV_TIMER) obj->timerPending = false;
    if (ev.kind == QKSYSWIN_EV_PAINT) obj->paintPending = false;
    if (ev.kind == QKSYSWIN_EV_DEVICE && !obj->devNames.empty()) {
        text = std::move(obj->devNames.front());
        obj->devNames.pop_front();
    }
    if (ev.kind == QKSYSWIN_EV_CALL && !obj->calls.empty()) {
        fn = std::move(obj->calls.front());
        obj->calls.pop_front();
    }
    return true;
}

// Dispatches up to max queued events of the windows of loop (the calling
// thread's). Returns the number dispatched.
int drain(qksyswinLoop& loop, int max)
{
    int n = 0;
    while (n < max) {
        std::vector<qkwinInfo*> wins;
        {
            std::lock_guard<std::mutex> lock(loop.m);
            wins = loop.windows;
        }
        bool any = false;
        for (qkwinInfo* w : wins) {
            qksyswinObjEx* obj = aliveWin(w);   // a dispatch may have released it
            if (obj == nullptr) continue;
            qksyswinEvent ev{};
            std::string text;
            std::function<void()> fn;
            if (!popEvent(obj, ev, text, fn)) continue;
            dispatch(w, ev, text, fn);
            qksyswinchkflags(w);
            any = true;
            if (++n >= max) break;
        }
        if (!any) break;
    }
    return n;
}

// Runs the GUI thread's event loop for ms at most (a wake ends it earlier).
void runGuiLoop(int ms)
{
    QEventLoop loop;
    gGuiLoops.push_back(&loop);
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(std::max(ms, 0));
    loop.exec();
    gGuiLoops.erase(std::remove(gGuiLoops.begin(), gGuiLoops.end(), &loop), gGuiLoops.end());
}

void wakeGuiNow()
{
    for (QEventLoop* l : gGuiLoops) l->quit();
}

void wakeOwner(qksyswinObjEx* obj)
{
    if (obj->guiOwned.load())
        qksyswinWakeGui();
    else if (obj->loop)
        obj->loop->signal();
}

// ---- widgets -------------------------------------------------------------------------------

class qksyswinTop : public QMainWindow {
public:
    qksyswinTop(qksyswinObjEx* obj, QWidget* parent, Qt::WindowFlags flags) : QMainWindow(parent, flags), obj_(obj)
    {
        serial_ = serialOf(obj);
    }
    bool closing = false;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        if (closing || !aliveSerial(obj_, serial_)) {
            e->accept();
            return;
        }
        // The program decides: the close request goes to the window's owner.
        e->ignore();
        qksyswinPostClose(obj_->win);
    }
    void changeEvent(QEvent* e) override
    {
        QMainWindow::changeEvent(e);
        if (e->type() == QEvent::WindowStateChange && isMinimized() && aliveSerial(obj_, serial_) && obj_->trayIcon)
            QTimer::singleShot(0, this, [this] { hide(); });
    }

private:
    qksyswinObjEx* obj_;
    uint64_t serial_;
};

class qksyswinCanvas : public QWidget {
public:
    qksyswinCanvas(qksyswinObjEx* obj, QWidget* parent) : QWidget(parent), obj_(obj)
    {
        serial_ = serialOf(obj);
        setObjectName("canvas");
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);   // moves count without a button held
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        if (!aliveSerial(obj_, serial_)) return;
        {
            QPainter p(this);
            qksyswinPaintCanvas(obj_->win, p, e->rect());
        }
        // A repaint the framework asked for after drawing does not go back
        // to the program (that would redraw for ever).
        if (obj_->refreshPending.exchange(false)) return;
        postEvent(obj_->win, qksyswinEvent{QKSYSWIN_EV_PAINT, 0, 0, 0, 0}, {}, {}, true);
    }
    void resizeEvent(QResizeEvent* e) override
    {
        QWidget::resizeEvent(e);
        if (!aliveSerial(obj_, serial_)) return;
        qksyswinImageCreate(obj_->win, width(), height());
        obj_->repaintFlag.store(true);
        obj_->tabFlag.store(true);
    }
    void mouseMoveEvent(QMouseEvent* e) override { mouse(e, 0); }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton) mouse(e, 1);
        if (e->button() == Qt::RightButton) {
            mouse(e, 2);
            // The right button then opens the window's pop-up menu at the cursor.
            if (aliveSerial(obj_, serial_)) qksyswinMenuPopup(obj_->win, e->globalPosition().toPoint());
        }
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        QString t = e->text();
        if (t.isEmpty() || !aliveSerial(obj_, serial_)) {
            QWidget::keyPressEvent(e);
            return;
        }
        qksyswinPost(obj_->win, qksyswinEvent{QKSYSWIN_EV_KEY, 0, static_cast<int>(t.at(0).unicode()), 0, 0});
    }

private:
    void mouse(QMouseEvent* e, int code)
    {
        if (!aliveSerial(obj_, serial_)) return;
        QPoint p = e->position().toPoint();
        qksyswinPost(obj_->win, qksyswinEvent{QKSYSWIN_EV_MOUSE, 0, code, p.x(), p.y()});
    }
    qksyswinObjEx* obj_;
    uint64_t serial_;
};

QRegion shapeRegion(int shape, int w, int h)
{
    switch (shape) {
    case 2: {
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, w, h), std::min(w, h) / 8.0, std::min(w, h) / 8.0);
        return QRegion(path.toFillPolygon().toPolygon());
    }
    case 4: return QRegion(0, 0, w, h, QRegion::Ellipse);
    case 5: return QRegion(QPolygon({QPoint(w / 2, 0), QPoint(0, h), QPoint(w, h)}));
    case 6: {
        int d = std::min(w, h);
        return QRegion(0, 0, d, d, QRegion::Ellipse);
    }
    default: return QRegion();
    }
}

int topWidth(const qkwinInfo* win)
{
    return win->xsize > 0 ? qksyswinScaleX(win, win->xsize) : 640;
}

int topHeight(const qkwinInfo* win)
{
    return win->ysize > 0 ? qksyswinScaleY(win, win->ysize) : 480;
}

// ---- device changes -------------------------------------------------------------------------

// Every window hears of a device change, as every top-level window does on
// the platform the system was built for: the main window's hook and those of
// child windows and their dialogs (the serial set-up dialog's port list),
// each on the thread that owns the window.
void onDevice(const char* port, int arrived, void*)
{
    if (gDevWin.load() == nullptr) return;
    // Posted under the registry lock, so no window can be released meanwhile.
    std::lock_guard<std::recursive_mutex> lock(gAliveLock);
    for (auto& entry : gAliveWins)
        postEvent(entry.second->win, qksyswinEvent{QKSYSWIN_EV_DEVICE, 0, arrived ? 2 : 3, 0, 0}, port, {}, true);
}

// ---- start of the window layer -------------------------------------------------------------

void ensureApplication()
{
    if (QCoreApplication::instance() != nullptr) return;
    // Without a display the program still runs (its boxes answer themselves).
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "vxMain";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    // Qt takes over the user's locale; the library's number texts stay C.
    std::setlocale(LC_NUMERIC, "C");
}

void startLayer()
{
    if (gStarted.exchange(true)) return;
    ensureApplication();
    qksysdrawinstall();
    qksyswinCtrlInstall();
    qkwinsetmsgboxhook(qksyswinmsgboxhook);
    qkthrdsetpump(pumpForStop);
    qksyswinstdfuncset("qksyswinexit", qksyswinexit);
    qksyswinstdfuncset("qksyswinexitconf", qksyswinexitconf);
    qksyswinstdfuncset("qksyswinchildexit", qksyswinchildexit);
    qksyswinstdfuncset("qksyswinchildexitconf", qksyswinchildexitconf);
    qksyswinstdfuncset("qkwinstartchild", qkwinstartchild);
    qksyswinstdfuncset("qkwinstartproc", qkwinstartproc);
    qksyswinstdfuncset("qkwindlgstart", qkwindlgstart);
    qksyswinstdfuncset("qksyswindlgexit", qksyswindlgexit);
    qksyswinstdfuncset("qksyswindlgexitconf", qksyswindlgexitconf);
    qksyswinstdfuncset("qksyswinopenfile", qksyswinopenfile);
    qksyswinstdfuncset("qksyswinsavefile", qksyswinsavefile);
    qksyswinstdfuncset("qkwinhelpabout", qkwinhelpabout);
    qksyswinstdfuncset("qkwinhelpcontact", qkwinhelpcontact);
    qksyswinstdfuncset("qkwinmgrcallback", qkwinmgrcallback);
    qksyswinstdfuncset("qkwinscalecallback", qkwinscalecallback);
    qksyswinstdfuncset("qkdspcurrentscale", qkdspcurrentscale);
    // The standard connection callbacks fill and read their dialogs through
    // these operations of the layer.
    static const qkwinstdwidgetInfo stdWidgets = {qkwincomboclear,    qkwincomboadditem, qkwincombogetedit,
                                                  qkwinstaticsettext, qkwinchgcursor,    qkwinrunwinpeekmsg,
                                                  qkstdpagedspcb};
    qkwinstdsetwidgets(&stdWidgets);
}

}  // namespace

// ---- loops of threads ------------------------------------------------------------------------

void qksyswinLoop::signal()
{
    {
        std::lock_guard<std::mutex> lock(m);
        signalled = true;
    }
    cv.notify_all();
}

bool qksyswinLoop::wait(int ms)
{
    std::unique_lock<std::mutex> lock(m);
    cv.wait_for(lock, std::chrono::milliseconds(std::max(ms, 0)), [this] { return signalled; });
    bool s = signalled;
    signalled = false;
    return s;
}

std::shared_ptr<qksyswinLoop> qksyswinThreadLoop()
{
    if (qksyswinIsGuiThread()) return nullptr;
    if (!tls_loop) tls_loop = std::make_shared<qksyswinLoop>();
    return tls_loop;
}

bool qksyswinAlive(const qksyswinObjEx* obj)
{
    std::lock_guard<std::recursive_mutex> lock(gAliveLock);
    return gAliveObjs.find(obj) != gAliveObjs.end();
}

void qksyswinWakeGui()
{
    if (qksyswinIsGuiThread()) {
        wakeGuiNow();
        return;
    }
    if (QCoreApplication::instance() != nullptr) qksyswinGuiPost([] { wakeGuiNow(); });
}

void qksyswinPump(int ms, bool cancellable)
{
    if (ms < 0) ms = 0;
    if (qksyswinIsGuiThread()) {
        if (QCoreApplication::instance() != nullptr)
            runGuiLoop(ms);
        else
            qksystemsleep(ms);
        return;
    }
    if (!tls_loop) {
        if (cancellable)
            qkthrdwait(ms);
        else
            qksystemsleep(ms);
        return;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (cancellable) qkthrdcancelpoint();
        drain(*tls_loop, kDrainBatch);
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) break;
        tls_loop->wait(static_cast<int>(std::min<long long>(left, cancellable ? kOwnerSliceMs : left)));
    }
}

void qksyswinWaitUntil(const std::function<bool()>& done, bool cancellable)
{
    while (!done()) {
        if (qksyswinIsGuiThread())
            qksyswinPump(kGuiWaitStepMs, cancellable);
        else
            qksyswinPump(kOwnerSliceMs, cancellable);
    }
}

void qksyswinModalState::finish(int r)
{
    {
        std::lock_guard<std::mutex> lock(m);
        result = r;
        done = true;
    }
    cv.notify_all();
    if (waiter) waiter->signal();
    qksyswinWakeGui();
}

int qksyswinRunModal(const std::function<void(std::shared_ptr<qksyswinModalState>)>& show)
{
    auto st = std::make_shared<qksyswinModalState>();
    auto isDone = [st] {
        std::lock_guard<std::mutex> lock(st->m);
        return st->done;
    };
    if (qksyswinIsGuiThread()) {
        show(st);
        while (!isDone()) runGuiLoop(kGuiWaitStepMs);
        return st->result;
    }
    st->waiter = tls_loop;
    std::function<void(std::shared_ptr<qksyswinModalState>)> body = show;
    qksyswinGuiPost([st, body] {
        if (st->cancel.load()) {
            st->finish(-2);
            return;
        }
        body(st);
    });
    for (;;) {
        if (isDone()) break;
        if (qkthrdcancelled()) {
            // The caller is being stopped: its box goes away with it.
            st->cancel.store(true);
            qksyswinGuiPost([st] {
                if (auto* d = qobject_cast<QDialog*>(st->widget.data()))
                    d->done(0);
                else if (st->widget)
                    st->widget->close();
            });
            qkthrdcancelpoint();
        }
        if (st->waiter) {
            drain(*st->waiter, kDrainBatch);
            if (!isDone()) st->waiter->wait(kOwnerSliceMs);
        } else {
            std::unique_lock<std::mutex> lock(st->m);
            st->cv.wait_for(lock, std::chrono::milliseconds(kOwnerSliceMs), [&] { return st->done; });
        }
    }
    std::lock_guard<std::mutex> lock(st->m);
    return st->result;
}

int qksyswinAutoAnswer(int rsltType)
{
    const char* env = std::getenv("VX_MSGBOX_AUTOANSWER");
    std::string v = env ? env : "";
    for (char& c : v) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (v == "none" || v == "off" || v == "0") return -1;
    if (v.empty()) {
        QString platform = QGuiApplication::platformName();
        if (platform != "offscreen" && platform != "minimal") return -1;
    }
    bool hasOk = rsltType == QKWIN_MSGRSLT_OK || rsltType == QKWIN_MSGRSLT_OKCANCEL;
    bool hasCancel = rsltType != QKWIN_MSGRSLT_OK && rsltType != QKWIN_MSGRSLT_YESNO;
    bool hasYesNo = rsltType != QKWIN_MSGRSLT_OK && rsltType != QKWIN_MSGRSLT_OKCANCEL;
    if (v == "ok" && hasOk) return QKWIN_MSG_OK;
    if (v == "cancel" && hasCancel) return QKWIN_MSG_CANCEL;
    if (v == "yes" && hasYesNo) return QKWIN_MSG_YES;
    if (v == "no" && hasYesNo) return QKWIN_MSG_NO;
    // The default answer changes nothing: OK alone, else Cancel, else No.
    if (rsltType == QKWIN_MSGRSLT_OK) return QKWIN_MSG_OK;
    return hasCancel ? QKWIN_MSG_CANCEL : QKWIN_MSG_NO;
}

// ---- records -----------------------------------------------------------------------------

void qksyswinSetOwner(qkwinInfo* win)
{
    qksyswinObjEx* obj = qksyswinobjex(win);
    if (obj == nullptr) return;
    if (obj->loop) {
        std::lock_guard<std::mutex> lock(obj->loop->m);
        auto& w = obj->loop->windows;
        w.erase(std::remove(w.begin(), w.end(), win), w.end());
    }
    obj->owner = std::this_thread::get_id();
    obj->guiOwned.store(qksyswinIsGuiThread());
    obj->loop = qksyswinThreadLoop();
    if (obj->loop) {
        std::lock_guard<std::mutex> lock(obj->loop->m);
        obj->loop->windows.push_back(win);
    }
}

qkwinInfo* qksyswinNewRecord(int type, qkwinInfo* parent)
{
    qklogTrace("qksyswinNewRecord");
    startLayer();
    auto* win = new qkwinInfo{};
    auto* obj = new qksyswinObjEx;
    obj->win = win;
    win->syswinPtr = obj;
    win->type = type;
    win->pid = qksysgetid(1);
    win->os.OStype = qksysgetOStype();
    qkwincolorsetdefault(&win->color);
    qkwincolorsetdefault(&win->ctrlbdr.color);
    qkstrset(win->mbox.captext, "QKWIN message");
    win->mbox.capPtr = win->mbox.captext;
    if (parent != nullptr) {
        win->os = parent->os;
        win->db.state = parent->db.state;
        win->db.dbPtr = parent->db.dbPtr;
        win->help = parent->help;
        win->palette.cnt = parent->palette.cnt;
        win->palette.ndx = parent->palette.ndx;
        win->palette.idPtr = parent->palette.idPtr;
        win->urspPtr = parent->urspPtr;
        win->appPtr = parent->appPtr;
        win->pbarPtr = parent->pbarPtr;
        win->vkbPtr = parent->vkbPtr;
        qkstrset(win->mbox.captext, parent->mbox.capPtr ? parent->mbox.capPtr : "QKWIN message");
        win->stdasynPtr = parent->stdasynPtr;
        win->stdtcpPtr = parent->stdtcpPtr;
        win->mgrPtr = parent->mgrPtr;
        win->homeDirPtr = parent->homeDirPtr;
        // One display scale for the whole program.
        win->scale = parent->scale;
        win->scale.state = 0;
        win->prntPtr = parent;
    }
    registerObj(obj);
    qksyswinSetOwner(win);
    return win;
}

int qksyswinReadDefinition(qkwinInfo* win, const char* path)
{
    qklogTrace("qksyswinReadDefinition");
    if (win == nullptr || path == nullptr) return -2;
    std::lock_guard<std::mutex> lock(gDefReadLock);
    int r = qkwincfgsetpath(win, path);
    if (r >= 0) r = qkwincfgread(win);
    if (r != 0) {
        qklogf("qkwincfgread", "qkwincfgread error for path: %st", path);
        return -2;
    }
    return 0;
}

qkwinInfo* qksyswinSnapshotFuncs(const qkwinInfo* win)
{
    auto* snap = new qkwinInfo{};
    if (win == nullptr || win->func.idPtr == nullptr || win->func.cnt <= 0) return snap;
    size_t bytes = sizeof(qkwinfuncIDInfo) * static_cast<size_t>(win->func.cnt);
    snap->func.idPtr = static_cast<qkwinfuncIDInfo*>(qksysMemAllocate(nullptr, bytes));
    std::memcpy(static_cast<void*>(snap->func.idPtr), win->func.idPtr, bytes);
    snap->func.cnt = win->func.cnt;
    snap->func.ndx = win->func.ndx;
    return snap;
}

void qksyswinFreeSnapshot(qkwinInfo* snap)
{
    if (snap == nullptr) return;
    qkwinfuncfreemem(snap);
    delete snap;
}

void qksyswinDestroy(qkwinInfo* win)
{
    qksyswinObjEx* obj = qksyswinobjex(win);
    if (obj == nullptr) return;
    win->state.store(0);
    if (obj->destroyed) return;
    obj->destroyed = true;
    if (win->userCloseFunc && !obj->closeCalled) {
        obj->closeCalled = true;
        win->userCloseFunc(win);
    }
    // A dialog still open (a capture's waiting dialog, say) would keep the
    // loop that opened it running for ever once its window has gone.
    if (win->type != 3) qkwindlgExitAll(win);
    if (win->ldLib.libPtr != nullptr) {
        auto* lib = static_cast<QLibrary*>(win->ldLib.libPtr);
        lib->unload();
        delete lib;
        win->ldLib.libPtr = nullptr;
        win->ldLib.state = 0;
    }
    qksyswinGuiCall([obj] {
        if (obj->timer) obj->timer->stop();
        obj->timerRunning = false;
        if (obj->top != nullptr && !obj->isPage) {
            if (auto* t = dynamic_cast<qksyswinTop*>(obj->top)) t->closing = true;
            obj->top->hide();
        }
    });
    wakeOwner(obj);
}

namespace {

// Asks every child window started from win to end and waits (serving the
// caller's windows, at most 5 s) until their threads have ended and been
// joined. The number that did not end.
int endChildren(qkwinInfo* win, qksyswinObjEx* obj, const char* label)
{
    if (win->mgrPtr != nullptr) {
        qkwinmgrforeach(win->mgrPtr, [win](int, qkwinhandInfo& slot) {
            if (slot.prtwinhdl != win || slot.cldwinhdl == nullptr || slot.cldwinhdl->type != 2) return;
            slot.cldwinhdl->state.store(0);
            qksyswinPostClose(slot.cldwinhdl);
        });
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        qksyswinWaitUntil([&] { return obj->liveChildren <= 0 || std::chrono::steady_clock::now() > deadline; }, false);
        if (obj->liveChildren > 0) qklogf(label, "error, %d child windows did not end in time", obj->liveChildren);
    }
    if (obj->liveChildren <= 0 && obj->childThreads != nullptr) {
        qkthrdfreemem(obj->childThreads, 0);
        delete obj->childThreads;
        obj->childThreads = nullptr;
    }
    return std::max(obj->liveChildren, 0);
}

}  // namespace

int qksyswinshutdown(qkwinInfo* window)
{
    qklogTrace("qksyswinshutdown");
    qksyswinObjEx* obj = qksyswinobjex(window);
    if (obj == nullptr) return -2;
    qkwinmsgstopthred(window);
    const int left = endChildren(window, obj, "qksyswinshutdown");
    if (gDevWin.load() == window) {
        gDevWin.store(nullptr);
        qksysdevwatchstop(gDevWatch);
        gDevWatch = nullptr;
    }
    return left == 0 ? 0 : -1;
}

void qksyswinRelease(qkwinInfo* win, bool freeRecord)
{
    qklogTrace("qksyswinRelease");
    if (win == nullptr) return;
    qksyswinObjEx* obj = qksyswinobjex(win);
    if (obj == nullptr) {
        if (freeRecord) {
            qkwintextfreewin(win);
            qkwinplotfree(win);
            delete win;
        }
        return;
    }
    if (!obj->destroyed && obj->shown) qksyswinDestroy(win);
    win->state.store(0);
    qkwinmsgstopthred(win);

    // Children started from this window end first (they share its tables).
    if (!obj->isPage) endChildren(win, obj, "qksyswinRelease");
    // Dialogs of this window.
    for (int i = 0; win->dlg.idPtr != nullptr && i < win->dlg.cnt; ++i) {
        qkwindlgIDInfo& d = win->dlg.idPtr[i];
        if (d.winPtr == nullptr) continue;
        qksyswinRelease(d.winPtr, true);
        d.winPtr = nullptr;
    }
    // Its management slot goes before the object: whoever finds the window
    // in the table under the table's lock may still post to it.
    if (win->mgrPtr != nullptr && win->type != 1) {
        int slot = qkwinmgrsrchhdl(win->mgrPtr, QKWINMGR_CHILD, reinterpret_cast<intptr_t>(win));
        if (slot >= 0) qkwinmgrclrndx(win->mgrPtr, slot);
    }
    if (gDevWin.load() == win) {
        gDevWin.store(nullptr);
        qksysdevwatchstop(gDevWatch);
        gDevWatch = nullptr;
    }
    unregisterObj(obj);
    if (obj->loop) {
        std::lock_guard<std::mutex> lock(obj->loop->m);
        auto& w = obj->loop->windows;
        w.erase(std::remove(w.begin(), w.end(), win), w.end());
    }
    qksyswinGuiCall([win, obj] {
        delete obj->timer.data();
        obj->timer = nullptr;
        obj->trayIcon = nullptr;
        if (obj->shown) qksyswinDestroyControls(win);   // the tray menu goes with the controls
        if (win->trayPtr != nullptr && win->trayPtr->sysPtr != nullptr && !obj->isPage) {
            delete static_cast<QSystemTrayIcon*>(win->trayPtr->sysPtr);
            win->trayPtr->sysPtr = nullptr;
        }
        // Sub-tab page windows go with their window.
        for (int t = 0; win->tab.idPtr != nullptr && t < win->tab.cnt; ++t) {
            qkwinTabIDInfo& tab = win->tab.idPtr[t];
            for (int s = 0; tab.subidPtr != nullptr && s < tab.subCnt; ++s) {
                if (tab.subidPtr[s].cldPtr == nullptr) continue;
                qksyswinRelease(tab.subidPtr[s].cldPtr, true);
                tab.subidPtr[s].cldPtr = nullptr;
            }
        }
        win->tab.ccldPtr = nullptr;
        if (obj->isPage) {
            delete obj->pageCanvas.data();   // the host belongs to the tab control
        } else if (obj->top != nullptr) {
            if (auto* t = dynamic_cast<qksyswinTop*>(obj->top)) t->closing = true;
            obj->top->hide();
            obj->top->deleteLater();
        }
        qksyswinImageFree(win);
        obj->top = nullptr;
        obj->canvas = nullptr;
    });
    {
        std::lock_guard<std::mutex> lock(gDefReadLock);
        qkwincfgfreetables(win);
    }
    // The window's own text and plot records.
    qkwintextfreewin(win);
    qkwinplotfree(win);
    if (win->type == 1 && win->prntPtr == nullptr && !obj->isPage) {
        qkwinpalettefreemem(win);
        qkwinmgrfreemem(win->mgrPtr);
        win->mgrPtr = nullptr;
        qkwinInfo* expected = win;
        gCurrent.compare_exchange_strong(expected, nullptr);
    }
    win->syswinPtr = nullptr;
    delete obj;
    if (freeRecord) delete win;
}

// ---- public: records ---------------------------------------------------------------------

qkwinInfo* qkwinallocate()
{
    qklogTrace("qkwinallocate");
    qkwinInfo* win = qksyswinNewRecord(1, nullptr);
    win->mgrPtr = qkwinmgrallocate();
    qkwinsetPtr(win);
    if (win->audit & QKWIN_AUD_WINDOW)
        qklogf("qkwinallocate", "Started parent, pid: %d, winPtr: %x, syswinPtr: %x", win->pid, qkwinptrval(win),
               qkwinptrval(win->syswinPtr));
    return win;
}

qkwinInfo* qkwingetPtr()
{
    qklogTrace("qkwingetPtr");
    return gCurrent.load();
}

void qkwinsetPtr(qkwinInfo* window)
{
    qklogTrace("qkwinsetPtr");
    gCurrent.store(window);
}

int qksyswinfree(qkwinInfo* window)
{
    qklogTrace("qksyswinfree");
    if (window == nullptr) return -2;
    qksyswinRelease(window, true);
    return 0;
}

qksyswinObj* qksyswinobj(qkwinInfo* win)
{
    return win ? static_cast<qksyswinObj*>(win->syswinPtr) : nullptr;
}

// ---- public: events ---------------------------------------------------------------------

void qksyswinNotify(qkwinInfo* win, int id, int code)
{
    qklogTrace("qksyswinNotify");
    postEvent(win, qksyswinEvent{QKSYSWIN_EV_NOTIFY, id, code, 0, 0}, {}, {}, false);
}

void qksyswinPost(qkwinInfo* win, const qksyswinEvent& event)
{
    qklogTrace("qksyswinPost");
    // Internal calls carry no function through this door.
    if (event.kind == QKSYSWIN_EV_CALL) return;
    bool defer = event.kind == QKSYSWIN_EV_PAINT || event.kind == QKSYSWIN_EV_CLOSE;
    postEvent(win, event, {}, {}, defer);
}

bool qksyswinOwnerCall(qkwinInfo* win, std::function<void()> fn)
{
    // Posted under the registry lock, so win cannot be released meanwhile.
    std::lock_guard<std::recursive_mutex> lock(gAliveLock);
    if (gAliveWins.find(win) == gAliveWins.end()) return false;
    postEvent(win, qksyswinEvent{QKSYSWIN_EV_CALL, 0, 0, 0, 0}, {}, std::move(fn), true);
    return true;
}

int qksyswinOwnerRun(qkwinInfo* window, const std::function<void()>& fn)
{
    qklogTrace("qksyswinOwnerRun");
    qksyswinObjEx* obj = aliveWin(window);
    if (obj == nullptr || !fn) return -2;
    const bool mine = obj->guiOwned.load() ? qksyswinIsGuiThread() : (tls_loop && obj->loop == tls_loop);
    if (mine) {
        fn();
        return 0;
    }
    struct State {
        std::mutex m;
        bool done = false;
    };
    auto st = std::make_shared<State>();
    std::shared_ptr<qksyswinLoop> waiter = tls_loop;
    const bool guiWaits = qksyswinIsGuiThread();
    const uint64_t serial = serialOf(obj);
    std::function<void()> body = fn;
    bool posted = qksyswinOwnerCall(window, [st, waiter, guiWaits, body] {
        body();
        {
            std::lock_guard<std::mutex> lock(st->m);
            st->done = true;
        }
        if (guiWaits)
            qksyswinWakeGui();
        else if (waiter)
            waiter->signal();
    });
    if (!posted) return -2;
    // The caller keeps serving its own windows; a window that ends before
    // its owner took the call drops it.
    qksyswinWaitUntil(
        [&] {
            std::lock_guard<std::mutex> lock(st->m);
            return st->done || !aliveSerial(obj, serial);
        },
        false);
    std::lock_guard<std::mutex> lock(st->m);
    return st->done ? 0 : -2;
}

int qksyswinsettopmost(qkwinInfo* window, int on)
{
    qklogTrace("qksyswinsettopmost");
    qksyswinObjEx* obj = qksyswinobjex(window);
    if (obj == nullptr) return -2;
    window->opts.topmost = on ? 1 : 0;
    qksyswinGuiCall([obj, on] {
        if (obj->top == nullptr || obj->isPage) return;
        const bool visible = obj->top->isVisible();
        obj->top->setWindowFlag(Qt::WindowStaysOnTopHint, on != 0);
        if (visible) obj->top->show();   // a changed flag hides a shown window
    });
    return 0;
}

void qksyswinPostClose(qkwinInfo* win)
{
    postEvent(win, qksyswinEvent{QKSYSWIN_EV_CLOSE, 0, 0, 0, 0}, {}, {}, true);
}

void qksyswinRefresh(qkwinInfo* win)
{
    qklogTrace("qksyswinRefresh");
    qksyswinObjEx* obj = qksyswinobjex(win);
    if (obj == nullptr) return;
    uint64_t serial = serialOf(obj);
    QCoreApplication* app = QCoreApplication::instance();
    if (serial == 0 || app == nullptr) return;
    auto repaint = [obj, serial] {
        if (!aliveSerial(obj, serial) || obj->canvas == nullptr) return;
        obj->refreshPending.store(true);
        obj->canvas->update();
    };
    if (qksyswinIsGuiThread()) {
        repaint();
    } else {
        qksyswinGuiPost(repaint);
    }
}

// ---- geometry --------------------------------------------------------------------------

int qksyswinScaleX(const qkwinInfo* win, int v)
{
    return qkwinsetscale(win ? win->scale.xval : 0, v);
}

int qksyswinScaleY(const qkwinInfo* win, int v)
{
    return qkwinsetscale(win ? win->scale.yval : 0, v);
}

// ---- showing ---------------------------------------------------------------------------

int qksyswinsetstyle(qkwinInfo* window)
{
    qklogTrace("qksyswinsetstyle");
    return window ? 0 : -2;
}

int qksyswinsetclass(qkwinInfo* window)
{
    qklogTrace("qksyswinsetclass");
    if (window == nullptr) return -2;
    qksyswinregstdfunc(window);
    // A program procedure bound to id 1 is the window's own; events are
    // dispatched by the framework's procedure either way on this platform.
    if (qkwinfuncgetaddr(window, QKWIN_FUNC_BYID, 1, nullptr) != nullptr && (window->audit & QKWIN_AUD_WINDOW))
        qklogf("qksyswinsetclass", "window id: %d has its own procedure", window->id);
    return 0;
}

int qksyswinCreateTop(qkwinInfo* win)
{
    qksyswinObjEx* obj = qksyswinobjex(win);
    if (obj == nullptr || QCoreApplication::instance() == nullptr) return -1;
    int status = 0;
    qksyswinGuiCall([&] {
        if (obj->top != nullptr) return;   // shown before: the widgets stay
        const int w = topWidth(win);
        const int h = topHeight(win);
        QWidget* parentWidget = nullptr;
        Qt::WindowFlags flags = Qt::Window;
        if (win->type == 3) {
            flags = Qt::Dialog;
            if (qksyswinObjEx* p = win->prntPtr ? qksyswinobjex(win->prntPtr) : nullptr)
                if (p->top && !p->isPage) parentWidget = p->top->window();
        }
        if (win->opts.topmost == 1) flags |= Qt::WindowStaysOnTopHint;
        auto* top = new qksyswinTop(obj, parentWidget, flags);
        top->setObjectName(QString("window%1").arg(win->id));
        auto* canvas = new qksyswinCanvas(obj, top);
        top->setCentralWidget(canvas);
        top->setWindowTitle(QString::fromLocal8Bit(win->title));
        top->setAccessibleName(QString::fromLocal8Bit(win->title));
        top->setAccessibleDescription(QStringLiteral("control %1").arg(win->id));
        top->resize(w, h);
        if (win->xorig > 0 || win->yorig > 0) top->move(qksyswinScaleX(win, win->xorig), qksyswinScaleY(win, win->yorig));
        if (win->type == 3) top->setWindowModality(Qt::ApplicationModal);
        const char* iconPath = win->icon.path[0] ? win->icon.path : win->image.path;
        if (iconPath[0] && qkFileSize(iconPath, 1) > 0) top->setWindowIcon(QIcon(QString::fromLocal8Bit(iconPath)));
        if (win->shape > 1) {
            QRegion mask = shapeRegion(win->shape, w, h);
            if (!mask.isEmpty()) top->setMask(mask);
        }
        obj->top = top;
        obj->canvas = canvas;
        if (qksyswinImageCreate(win, w, h) != 0) status = -1;
    });
    return status;
}

namespace {
void makeTrayIcon(qkwinInfo* win);
}  // namespace

int qksyswindsp(qkwinInfo* window)
{
    qklogTrace("qksyswindsp");
    qksyswinObjEx* obj = qksyswinobjex(window);
    if (obj == nullptr) return -2;
    obj->destroyed = false;
    obj->closeCalled = false;
    if (qksyswinCreateTop(window) != 0) {
        char text[QKWIN_TEXTSIZE + 32];
        qkstrfmt(text, sizeof text, "can not start Window: %s", window->title);
        qkwinmsgerror(window, text);
        return -1;
    }
    if (window->type == 1 && gDevWatch == nullptr) {
        gDevWin.store(window);
        gDevWatch = qksysdevwatchstart("/dev", "../dev", onDevice, nullptr);
    }
    // The tray icon, where the desktop has a tray (headless: none, quietly);
    // the controls give it its menu.
    if (window->type == 1 && window->trayPtr != nullptr) qksyswinGuiCall([window] { makeTrayIcon(window); });
    // What the platform's "created" event does, in its order. The start
    // function of a child window or dialog fills its controls (the search,
    // connection and set-up windows), so it runs once they exist.
    if (window->type == 1 && window->userStartFunc) window->userStartFunc(window);
    qksyswinGuiCall([window] { qksyswinCreateControls(window); });
    obj->shown = true;
    if (window->type != 1 && window->userStartFunc) window->userStartFunc(window);
    if (window->page.cnt > 0) qksyswinpagedsp(window, window->page.startpageid);
    if (obj->timerWanted || (window->timer.cnt > 0 && window->timer.elapseTime > 0)) qkwintimestart(window);
    window->createFlag.store(1);
    window->state.store(1);
    qksyswinGuiCall([obj, window] {
        if (obj->top) obj->top->show();
        if (window->type == 1 && window->trayPtr != nullptr && window->trayPtr->sysPtr != nullptr) {
            obj->trayIcon = static_cast<QSystemTrayIcon*>(window->trayPtr->sysPtr);
            obj->trayIcon->show();
        }
    });
    return 0;
}

namespace {

// A left click on the tray icon brings the window back; the right click opens
// the icon's menu (Qt shows the context menu the controls gave it).
void makeTrayIcon(qkwinInfo* win)
{
    qkwinTrayInfo& tray = *win->trayPtr;
    if (tray.sysPtr != nullptr || !QSystemTrayIcon::isSystemTrayAvailable()) return;
    qksyswinObjEx* obj = qksyswinobjex(win);
    auto* icon = new QSystemTrayIcon();
    icon->setObjectName(QStringLiteral("tray%1").arg(tray.id));
    if (tray.icon.path[0] != '\0') icon->setIcon(QIcon(QString::fromLocal8Bit(tray.icon.path)));
    else if (obj->top != nullptr) icon->setIcon(obj->top->windowIcon());
    icon->setToolTip(QString::fromUtf8(tray.commt));
    const uint64_t serial = serialOf(obj);
    QObject::connect(icon, &QSystemTrayIcon::activated, icon, [obj, serial](QSystemTrayIcon::ActivationReason why) {
        if (why != QSystemTrayIcon::Trigger || !aliveSerial(obj, serial) || obj->top == nullptr) return;
        obj->top->showNormal();
        obj->top->raise();
        obj->top->activateWindow();
    });
    tray.sysPtr = icon;
}

}  // namespace

int qksyswinwaitcreateFlag(qkwinInfo* window, int tries)
{
    qklogTrace("qksyswinwaitcreateFlag");
    if (window == nullptr) return 1;
    // The bound stays tries steps of 100 ms; the child is looked at every 10 ms
    // so that its window is taken as soon as it is up.
    constexpr int kLooksPerStep = 10;
    for (int i = 0; i < tries * kLooksPerStep; ++i) {
        qkwinInfo* child = window->actcldPtr;
        if (child != nullptr && child->createFlag.load() == 1) return 0;
        qkwinsleep(window, 4, 100 / kLooksPerStep);
    }
    qkwinInfo* child = window->actcldPtr;
    return (child != nullptr && child->createFlag.load() == 1) ? 0 : 1;
}

// ---- loops ------------------------------------------------------------------------------

int qksyswinwaitmsg(qkwinInfo* window)
{
    qklogTrace("qksyswinwaitmsg");
    if (window == nullptr) return -2;
    while (window->state.load() != 0) {
        if (qksyswinIsGuiThread()) {
            runGuiLoop(kGuiWaitStepMs);
        } else if (tls_loop) {
            drain(*tls_loop, kDrainBatch);
            if (window->state.load() == 0) break;
            tls_loop->wait(kOwnerSliceMs);
            qkthrdcancelpoint();
        } else {
            qkthrdwait(kOwnerSliceMs);
        }
        qksyswinchkflags(window);
    }
    if (qksyswinObjEx* obj = aliveWin(window)) {
        // The loop ended on state 0 (an exit step, a menu Exit, the tray's
        // exit item) before the close request it queued was served: the
        // close function runs now, once, as the close would have run it.
        if (!obj->destroyed && obj->shown && obj->owner == std::this_thread::get_id()) qksyswinDestroy(window);
        qksyswinGuiCall([obj] {
            if (obj->trayIcon != nullptr) obj->trayIcon->hide();
        });
    }
    return 0;
}

int qksyswinpeekmsg(qkwinInfo* window)
{
    qklogTrace("qksyswinpeekmsg");
    (void)window;
    if (qksyswinIsGuiThread()) {
        if (QCoreApplication::instance() == nullptr) return 0;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return 1;
    }
    return tls_loop ? drain(*tls_loop, 1) : 0;
}

int qksyswinchildpeekmsg(qkwinInfo* window)
{
    qklogTrace("qksyswinchildpeekmsg");
    (void)window;
    if (qksyswinIsGuiThread()) {
        if (QCoreApplication::instance() == nullptr) return 0;
        runGuiLoop(kChildPeekMs);
        return 1;
    }
    if (!tls_loop) {
        qkthrdwait(kChildPeekMs);
        return 0;
    }
    int n = drain(*tls_loop, kDrainBatch);
    if (n == 0) {
        tls_loop->wait(kChildPeekMs);
        n = drain(*tls_loop, kDrainBatch);
    }
    return n;
}

int qkwinrunwinpeekmsg(qkwinInfo* window, int n)
{
    qklogTrace("qkwinrunwinpeekmsg");
    for (int i = 1; i < n; ++i) qksyswinpeekmsg(window);
    return 0;
}

int qksyswinchkflags(qkwinInfo* window)
{
    qklogTrace("qksyswinchkflags");
    qksyswinObjEx* obj = aliveWin(window);
    if (obj == nullptr) return -2;
    const bool tabs = obj->tabFlag.exchange(false);
    const bool repaint = obj->repaintFlag.exchange(false);
    if (!tabs && !repaint) return 0;
    qksyswinGuiCall([window, tabs, repaint] {
        if (tabs) qksyswinTabReselect(window);
        if (repaint) qksyswinCtrlRepaint(window);
    });
    return 0;
}

int qkwinsleep(qkwinInfo* window, int unit, int n)
{
    qklogTrace("qkwinsleep");
    (void)window;
    int per;
    switch (unit) {
    case 1: per = 1000; break;
    case 2: per = 100; break;
    case 4: per = 1; break;
    default: return -2;
    }
    long long total = static_cast<long long>(per) * std::max(n, 0);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(total);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) break;
        qksyswinPump(static_cast<int>(std::min<long long>(left, 100)), true);
    }
    if (!qksyswinIsGuiThread()) qkthrdcancelpoint();
    return 0;
}

// ---- ending -----------------------------------------------------------------------------

int qksyswinexit(qkwinInfo* window)
{
    qklogTrace("qksyswinexit");
    if (window == nullptr) return -2;
    if (window->opts.stopChilds && window->mgrPtr != nullptr) {
        qkwinmgrforeach(window->mgrPtr, [window](int, qkwinhandInfo& slot) {
            if (slot.prtwinhdl != window || slot.cldwinhdl == nullptr) return;
            slot.cldwinhdl->state.store(0);
            qksyswinPostClose(slot.cldwinhdl);
            slot.syswinhdl = nullptr;
        });
    }
    window->state.store(0);
    qksyswinPostClose(window);
    if (qksyswinObjEx* obj = qksyswinobjex(window)) wakeOwner(obj);
    return 1;
}

int qksyswinexitconf(qkwinInfo* window)
{
    qklogTrace("qksyswinexitconf");
    if (window == nullptr) return -2;
    if (qkwinmsgquestion(window, "are you sure") != QKWIN_MSG_YES) return 0;
    return qksyswinexit(window);
}

// ---- title, cursor, home, library, help ----------------------------------------------------

int qkwinchgtitle(qkwinInfo* window, const char* text)
{
    qklogTrace("qkwinchgtitle");
    qksyswinObjEx* obj = qksyswinobjex(window);
    if (obj == nullptr) return -2;
    qkstrset(window->title, text);
    QString t = QString::fromLocal8Bit(window->title);
    qksyswinGuiCall([obj, t] {
        if (obj->top && !obj->isPage) {
            obj->top->setWindowTitle(t);
            obj->top->setAccessibleName(t);
        }
    });
    return 0;
}

int qkwinchgcursor(qkwinInfo* window, int kind)
{
    qklogTrace("qkwinchgcursor");
    qksyswinObjEx* obj = qksyswinobjex(window);
    if (obj == nullptr) return -2;
    qksyswinGuiCall([obj, kind] {
        QWidget* w = obj->isPage ? obj->canvas : obj->top;
        if (w == nullptr) return;
        switch (kind) {
        case QKWIN_CURSOR_WAIT: w->setCursor(Qt::WaitCursor); break;
        case QKWIN_CURSOR_CROSS: w->setCursor(Qt::CrossCursor); break;
        case QKWIN_CURSOR_IBEAM: w->setCursor(Qt::IBeamCursor); break;
        case QKWIN_CURSOR_HAND: w->setCursor(Qt::PointingHandCursor); break;
        default: w->unsetCursor(); break;
        }
    });
    return 0;
}

int qkwinsethomedir(qkwinInfo* window, const char* path)
{
    qklogTrace("qkwinsethomedir");
    std::lock_guard<std::mutex> lock(gHomeLock);
    if (path != nullptr && path[0] != '\0')
        qkstrset(gHomeDir, path);
    else if (qkfilegetcurdir(static_cast<int>(sizeof gHomeDir), gHomeDir) < 0)
        return -1;
    if (window != nullptr) window->homeDirPtr = gHomeDir;
    return 0;
}

const char* qkwingethomedir()
{
    qklogTrace("qkwingethomedir");
    return gHomeDir;
}

int qkwinLoadLib(qkwinInfo* window, const char* name)
{
    qklogTrace("qkwinLoadLib");
    if (window == nullptr || name == nullptr || name[0] == '\0') return -2;
    auto* lib = new QLibrary(QString::fromLocal8Bit(name));
    if (!lib->load()) {
        qklogf("qkwinLoadLib", "could not load library: %s, %s", name, lib->errorString().toLocal8Bit().constData());
        delete lib;
        return -1;
    }
    if (window->ldLib.libPtr != nullptr) {
        auto* old = static_cast<QLibrary*>(window->ldLib.libPtr);
        old->unload();
        delete old;
    }
    window->ldLib.libPtr = lib;
    window->ldLib.state = 1;
    qkstrset(window->ldLib.name, name);
    return 0;
}

int qkwinhelpsetversion(qkwinInfo* window, const char* text)
{
    qklogTrace("qkwinhelpsetversion");
    if (window == nullptr || text == nullptr || std::strlen(text) >= QKWIN_TEXTSIZE) return -2;
    qkstrset(window->help.version, text);
    return 0;
}

int qkwinhelpsetcontact(qkwinInfo* window, const char* text)
{
    qklogTrace("qkwinhelpsetcontact");
    if (window == nullptr || text == nullptr || std::strlen(text) >= QKWIN_TEXTSIZE) return -2;
    qkstrset(window->help.contact, text);
    return 0;
}

int qkwinhelpabout(qkwinInfo* window)
{
    qklogTrace("qkwinhelpabout");
    if (window == nullptr) return -2;
    char text[QKWIN_TEXTSIZE];
    if (window->help.version[0] != '\0')
        qkstrset(text, window->help.version);
    else
        qkgetversion(text);
    qkwinmsginfo(window, text);
    return 0;
}

int qkwinhelpcontact(qkwinInfo* window)
{
    qklogTrace("qkwinhelpcontact");
    if (window == nullptr) return -2;
    const char* text = window->help.contact[0] != '\0'
                           ? window->help.contact
                           : "For service and support please contact\nthe supplier of your analyzer";
    qkwinmsginfo(window, text);
    return 0;
}

// ---- display scale ------------------------------------------------------------------------

int qkwinfillscrnoptchk(qkwinInfo* window)
{
    qklogTrace("qkwinfillscrnoptchk");
    if (window == nullptr) return -2;
    if (!window->opts.fillscreen) return 0;
    QSize screen;
    qksyswinGuiCall([&screen] {
        if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry().size();
    });
    if (screen.isEmpty()) return -1;
    return qkwinfillscrncalc(window, screen.width(), screen.height());
}

// ---- timers --------------------------------------------------------------------------------

int qkwintimesetup(qkwinInfo* window, int eventID, int elapseTime)
{
    qklogTrace("qkwintimesetup");
    if (window == nullptr) return -2;
    window->timer.cnt++;
    window->timer.id = window->timer.cnt;
    window->timer.eventID = eventID;
    window->timer.elapseTime = elapseTime;
    if (window->audit & QKWIN_AUD_TIMER)
        qklogf("qkwintimesetup", "timer eventID: %d, elapseTime: %d", eventID, elapseTime);
    return 0;
}

int qkwintimestart(qkwinInfo* window)
{
    qklogTrace("qkwintimestart");
    qksyswinObjEx* obj = qksyswinobjex(window);
    if (obj == nullptr) return -2;
    if (!obj->shown) {
        // Started when the window is created.
        obj->timerWanted = true;
        return 0;
    }
    int ms = std::max(window->timer.elapseTime, 1);
    uint64_t serial = serialOf(obj);
    qksyswinGuiCall([obj, serial, ms] {
        if (!obj->timer) {
            obj->timer = new QTimer;
            // The tick leaves Qt's timer slot at once: Qt does not fire a
            // timer again while its slot runs, and a tick may open a dialog
            // (the waiting dialog) during which the ticks must go on.
            QObject::connect(obj->timer.data(), &QTimer::timeout, [obj, serial] {
                if (!aliveSerial(obj, serial)) return;
                postEvent(obj->win, qksyswinEvent{QKSYSWIN_EV_TIMER, obj->win->timer.eventID, 0, 0, 0}, {}, {}, true);
            });
        }
        obj->timer->start(ms);
        obj->timerRunning = true;
    });
    return 0;
}

int qkwintimestop(qkwinInfo* window)
{
    qklogTrace("qkwintimestop");
    qksyswinObjEx* obj = qksyswinobjex(window);
    if (obj == nullptr) return -2;
    obj->timerWanted = false;
    qksyswinGuiCall([obj] {
        if (obj->timer) obj->timer->stop();
        obj->timerRunning = false;
    });
    window->timer.timeCnt = 0;
    return 0;
}

int qkwintimesetfunc(qkwinInfo* window, qkwincallback function)
{
    qklogTrace("qkwintimesetfunc");
    if (window == nullptr) return -2;
    window->timer.funcAdd = function;
    return 0;
}

// ---- sub-tab page windows ----------------------------------------------------------------

qkwinInfo* qksyswinNewPageWindow(qkwinInfo* parent, const char* path, QWidget* host)
{
    qklogTrace("qksyswinNewPageWindow");
    qksyswinObjEx* pobj = qksyswinobjex(parent);
    if (pobj == nullptr || path == nullptr) return nullptr;
    qkwinInfo* page = qksyswinNewRecord(2, parent);
    qksyswinObjEx* obj = qksyswinobjex(page);
    obj->isPage = true;
    // Its events are the parent's: same owner, same loop.
    if (obj->loop) {
        std::lock_guard<std::mutex> lock(obj->loop->m);
        auto& w = obj->loop->windows;
        w.erase(std::remove(w.begin(), w.end(), page), w.end());
    }
    obj->owner = pobj->owner;
    obj->guiOwned.store(pobj->guiOwned.load());
    obj->loop = pobj->loop;
    if (obj->loop) {
        std::lock_guard<std::mutex> lock(obj->loop->m);
        obj->loop->windows.push_back(page);
    }
    page->mgrPtr = parent->mgrPtr;
    if (qksyswinReadDefinition(page, path) != 0) {
        qksyswinRelease(page, true);
        return nullptr;
    }
    qksyswinregstdfunc(page);
    qkwinfuncinherit(page, parent);
    qksyswinGuiCall([&] {
        int w = page->xsize > 0 ? qksyswinScaleX(page, page->xsize) : (host ? host->width() : topWidth(parent));
        int h = page->ysize > 0 ? qksyswinScaleY(page, page->ysize) : (host ? host->height() : topHeight(parent));
        auto* canvas = new qksyswinCanvas(obj, host);
        canvas->setObjectName(QString("page%1").arg(page->id));
        if (host != nullptr) canvas->setGeometry(0, 0, std::max(w, host->width()), std::max(h, host->height()));
        obj->top = host;
        obj->canvas = canvas;
        obj->pageCanvas = canvas;
        qksyswinImageCreate(page, std::max(w, canvas->width()), std::max(h, canvas->height()));
        canvas->show();
    });
    obj->shown = true;
    page->createFlag.store(1);
    page->state.store(1);
    return page;
}

// ---- the scale dialog ---------------------------------------------------------------------

namespace {

int parentScale(const qkwinInfo* window)
{
    return window->prntPtr != nullptr ? window->prntPtr->scale.xval : window->scale.xval;
}

}  // namespace

int qkwinscalecallback(qkwinInfo* window)
{
    qklogTrace("qkwinscalecallback");
    if (window == nullptr) return -2;
    char text[QKWIN_TEXTSIZE];
    qkstrfmt(text, sizeof text, "Screen Scale is: %d ", parentScale(window));
    qkwinstaticsettext(window, 9872, text);
    int sel = qkwinlistgetcursel(window, 9874);
    if (sel < 0) return -2;
    char item[QKWIN_TEXTSIZE] = "";
    qkwinlistgetitem(window, 9874, sel, static_cast<int>(sizeof item), item);
    int value = std::atoi(item);
    if (value <= 0) return -2;
    if (qkwinscalesetfile(QKWIN_USERRESOURCE, value) != 0) {
        qklogf("qkwinscalecallback", "file read error for: %s", QKWIN_USERRESOURCE);
    } else {
        qkwinmsginfo(window, "Restart for new scale");
    }
    qksyswindlgexit(window);
    return 0;
}

int qkdspcurrentscale(qkwinInfo* window)
{
    qklogTrace("qkdspcurrentscale");
    if (window == nullptr) return -2;
    char text[QKWIN_TEXTSIZE];
    qkstrfmt(text, sizeof text, "Screen Scale is: %d", parentScale(window));
    qkwinstaticsettext(window, 9872, text);
    return 0;
}
