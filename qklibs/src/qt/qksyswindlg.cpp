// qksyswindlg: dialogs (see the header).
#include "qksyswindlg.h"

#include <QWidget>

#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinmsgbox.h"
#include "qksyswinprivate.h"
#include "qksyswinsrv.h"
#include "qksyswinthread.h"
#include "qkwinfuncsrv.h"
#include "qkwinmgr.h"

namespace {

qkwindlgIDInfo* findIn(qkwinInfo* window, int id)
{
    for (int i = 0; window != nullptr && window->dlg.idPtr != nullptr && i < window->dlg.cnt; ++i)
        if (window->dlg.idPtr[i].id == id) return &window->dlg.idPtr[i];
    return nullptr;
}

// The dialog record with the id in the window or the windows it belongs to,
// and the window whose table holds it.
qkwindlgIDInfo* find(qkwinInfo* window, int id, qkwinInfo** holder = nullptr)
{
    for (qkwinInfo* w = window; w != nullptr; w = w->prntPtr) {
        if (qkwindlgIDInfo* d = findIn(w, id)) {
            if (holder) *holder = w;
            return d;
        }
        if (w->type == 1) break;
    }
    return nullptr;
}

qkwincallback lastById(const qkwinInfo* window, int id)
{
    for (int i = window->func.cnt - 1; id != 0 && i >= 0; --i)
        if (window->func.idPtr[i].id == id) return window->func.idPtr[i].add;
    return nullptr;
}

bool ownedHere(qkwinInfo* win)
{
    qksyswinObjEx* obj = qksyswinobjex(win);
    return obj != nullptr && obj->owner == std::this_thread::get_id();
}

// Ends the dialog window from any thread.
void closeDialog(qkwinInfo* dw)
{
    qkwintimestop(dw);
    if (ownedHere(dw)) {
        qksyswinDestroy(dw);
    } else {
        dw->state.store(0);
        qksyswinPostClose(dw);
    }
}

// Removes the dialog's widgets after it closed, so the next display builds
// them afresh.
void dropWidgets(qkwinInfo* dw)
{
    qksyswinObjEx* obj = qksyswinobjex(dw);
    qkwintimestop(dw);
    qksyswinGuiCall([dw, obj] {
        if (obj->shown) qksyswinDestroyControls(dw);
        if (obj->top != nullptr) {
            obj->top->hide();
            obj->top->deleteLater();
        }
        obj->top = nullptr;
        obj->canvas = nullptr;
    });
    obj->shown = false;
    dw->createFlag.store(0);
}

// Dialogs on their way up. Between the opener's first step (a timer given to
// the dialog, or the display call) and the dialog being on screen, a close
// request (a worker that is done before the waiting dialog appears) is kept
// and closes the dialog as soon as it shows. Keyed by dialog record: the
// tables do not move once the windows run.
struct Opening {
    bool open = false;        // on screen
    bool closeReq = false;    // a close came while it was on its way up
};
std::mutex gOpenLock;
std::map<const qkwindlgIDInfo*, Opening> gOpening;

void announce(const qkwindlgIDInfo* dialog)
{
    std::lock_guard<std::mutex> lock(gOpenLock);
    gOpening[dialog];
}

// The dialog is on screen: true when a close came meanwhile.
bool shownNow(const qkwindlgIDInfo* dialog)
{
    std::lock_guard<std::mutex> lock(gOpenLock);
    Opening& o = gOpening[dialog];
    o.open = true;
    return std::exchange(o.closeReq, false);
}

void closedNow(const qkwindlgIDInfo* dialog)
{
    std::lock_guard<std::mutex> lock(gOpenLock);
    gOpening.erase(dialog);
}

// A close request: false when it was kept for a dialog on its way up.
bool closeOrKeep(const qkwindlgIDInfo* dialog)
{
    std::lock_guard<std::mutex> lock(gOpenLock);
    auto it = gOpening.find(dialog);
    if (it == gOpening.end() || it->second.open) return true;
    it->second.closeReq = true;
    return false;
}

// The dialog is a window of its own: the one closed by the standard exits.
qkwinInfo* dialogOf(qkwinInfo* window)
{
    qkwinInfo* w = window;
    while (w != nullptr && qksyswinobjex(w) != nullptr && qksyswinobjex(w)->isPage) w = w->prntPtr;
    if (w == nullptr) return nullptr;
    if (w->type == 3) return w;
    return w->actdlgPtr;
}

}  // namespace

int qkwindlgcfg(qkwinInfo* window, qkwindlgIDInfo* dialog)
{
    qklogTrace("qkwindlgcfg");
    if (window == nullptr || dialog == nullptr) return -2;
    qkwinInfo* dw = qksyswinNewRecord(3, window);
    dw->cfgPtr = window->cfgPtr;
    int slot = qkwinmgrtakeslot(window->mgrPtr, dialog->id, window, dw, nullptr);
    if (slot < 0) {
        qksyswinRelease(dw, true);
        return -2;
    }
    dw->mgrNdx = slot;
    if (qksyswinReadDefinition(dw, dialog->path) != 0) {
        qksyswinRelease(dw, true);
        return -2;
    }
    qksyswinsetstyle(dw);
    qksyswinsetclass(dw);
    qkwinfuncinherit(dw, window);
    qkwincallback start = dw->userStartFunc;
    if (qkwincallback f = lastById(window, dialog->startcbid)) start = f;
    if (dialog->startid == 9867)
        start = qkdspcurrentscale;
    else if (dialog->startid == 9371)
        start = qkwinfuncgetaddr(window, QKWIN_FUNC_BYNAME, 0, "qkwinstdloadasynports");
    if (dialog->startFunc) start = dialog->startFunc;
    dw->userStartFunc = start;
    dialog->winPtr = dw;
    return 0;
}

int qkwindlgdspbyID(qkwinInfo* window, int id)
{
    qklogTrace("qkwindlgdspbyID");
    qkwinInfo* holder = nullptr;
    qkwindlgIDInfo* dialog = find(window, id, &holder);
    if (dialog == nullptr) {
        qklogf("qkwindlgdspbyID", "DIALOG ID: %d, not found", id);
        return -2;
    }
    if (dialog->winPtr == nullptr) {
        int r = qkwindlgcfg(holder, dialog);
        if (r != 0) return r;
    }
    qkwinInfo* dw = dialog->winPtr;
    qksyswinObjEx* obj = qksyswinobjex(dw);
    if (obj->shown && dw->state.load() != 0) return 0;   // open already
    announce(dialog);
    qksyswinSetOwner(dw);
    if (dialog->name[0] != '\0') qkstrset(dw->title, dialog->name);
    if (dialog->xsize > 0) dw->xsize = dialog->xsize;
    if (dialog->ysize > 0) dw->ysize = dialog->ysize;
    if (dialog->xorig > 0) dw->xorig = dialog->xorig;
    if (dialog->yorig > 0) dw->yorig = dialog->yorig;
    if (dialog->startFunc) dw->userStartFunc = dialog->startFunc;
    window->actdlgPtr = dw;
    if (qksyswindsp(dw) != 0) {
        closedNow(dialog);
        window->actdlgPtr = nullptr;
        return -1;
    }
    if (shownNow(dialog)) closeDialog(dw);
    try {
        qksyswinWaitUntil([dw] { return dw->state.load() == 0; }, true);
    } catch (...) {
        // The opening worker is being stopped: its dialog goes with it.
        closedNow(dialog);
        qksyswinDestroy(dw);
        dropWidgets(dw);
        if (window->actdlgPtr == dw) window->actdlgPtr = nullptr;
        throw;
    }
    closedNow(dialog);
    dropWidgets(dw);
    if (window->actdlgPtr == dw) window->actdlgPtr = nullptr;
    if (dialog->exitFunc) dialog->exitFunc(dw);
    return 0;
}

int qkwindlgstart(qkwinInfo* window)
{
    qklogTrace("qkwindlgstart");
    if (window == nullptr) return -2;
    for (qkwinInfo* w = window; w != nullptr; w = w->prntPtr) {
        for (int i = 0; w->dlg.idPtr != nullptr && i < w->dlg.cnt; ++i)
            if (w->dlg.idPtr[i].startid == window->actitemid) return qkwindlgdspbyID(window, w->dlg.idPtr[i].id);
        if (w->type == 1) break;
    }
    qklogf("qkwindlgstart", "DIALOG start ID: %d, not found", window->actitemid);
    return -2;
}

int qkwindlgExitByID(qkwinInfo* window, int id)
{
    qklogTrace("qkwindlgExitByID");
    qkwindlgIDInfo* dialog = find(window, id);
    if (dialog == nullptr) {
        qklogf("qkwindlgExitByID", "DIALOG ID: %d, not found", id);
        return -2;
    }
    if (closeOrKeep(dialog) && dialog->winPtr != nullptr) closeDialog(dialog->winPtr);
    return 0;
}

int qkwindlgExitAll(qkwinInfo* window)
{
    qklogTrace("qkwindlgExitAll");
    int closed = 0;
    for (int i = 0; window != nullptr && window->dlg.idPtr != nullptr && i < window->dlg.cnt; ++i) {
        qkwinInfo* dw = window->dlg.idPtr[i].winPtr;
        if (dw == nullptr || dw->state.load() == 0) continue;
        closeDialog(dw);
        ++closed;
    }
    return closed;
}

int qkwindlgSetTimerByID(qkwinInfo* window, int id, int eventID, int elapse, qkwincallback function)
{
    qklogTrace("qkwindlgSetTimerByID");
    qkwinInfo* holder = nullptr;
    qkwindlgIDInfo* dialog = find(window, id, &holder);
    if (dialog == nullptr) {
        qklogf("qkwindlgSetTimerByID", "DIALOG ID: %d, not found", id);
        return -2;
    }
    if (dialog->winPtr == nullptr && qkwindlgcfg(holder, dialog) != 0) return -2;
    // A timer is given to a dialog that is about to be shown.
    if (dialog->winPtr->state.load() == 0) announce(dialog);
    qkwinInfo* dw = dialog->winPtr;
    qkwintimesetup(dw, eventID, elapse);
    qkwintimesetfunc(dw, function);
    return qkwintimestart(dw);
}

int qkwindlgsetstartfunc(qkwinInfo* window, int id, qkwincallback function)
{
    qklogTrace("qkwindlgsetstartfunc");
    qkwindlgIDInfo* dialog = find(window, id);
    if (dialog == nullptr) {
        qklogf("qkwindlgsetstartfunc", "DIALOG id: %d, not found", id);
        return -2;
    }
    dialog->startFunc = function;
    if (dialog->winPtr != nullptr) dialog->winPtr->userStartFunc = function;
    return 0;
}

int qkwindlgsetexitfuncbyID(qkwinInfo* window, int id, qkwincallback function)
{
    qklogTrace("qkwindlgsetexitfuncbyID");
    qkwindlgIDInfo* dialog = find(window, id);
    if (dialog == nullptr) {
        qklogf("qkwindlgsetexitfuncbyID", "DIALOG id: %d, not found", id);
        return -2;
    }
    dialog->exitFunc = function;
    return 0;
}

qkwindlgIDInfo* qkwindlggetIDPtrbyID(qkwinInfo* window, int id)
{
    qklogTrace("qkwindlggetIDPtrbyID");
    return find(window, id);
}

qkwindlgIDInfo* qkwindlggetIDPtrbyNdx(qkwinInfo* window, int ndx)
{
    qklogTrace("qkwindlggetIDPtrbyNdx");
    if (window == nullptr || window->dlg.idPtr == nullptr || ndx < 0 || ndx >= window->dlg.cnt) return nullptr;
    return &window->dlg.idPtr[ndx];
}

int qkwindlggetndxbyID(qkwinInfo* window, int id)
{
    qklogTrace("qkwindlggetndxbyID");
    qkwindlgIDInfo* d = findIn(window, id);
    return d ? static_cast<int>(d - window->dlg.idPtr) : -2;
}

qkwinInfo* qkwinDLGgetwinPtr(qkwinInfo* window, int id)
{
    qklogTrace("qkwinDLGgetwinPtr");
    qkwindlgIDInfo* d = find(window, id);
    return d ? d->winPtr : nullptr;
}

int qkwindlgfreemembyID(qkwinInfo* window, int id)
{
    qklogTrace("qkwindlgfreemembyID");
    qkwindlgIDInfo* d = find(window, id);
    if (d == nullptr) return -2;
    if (d->winPtr != nullptr) {
        qksyswinRelease(d->winPtr, true);
        d->winPtr = nullptr;
    }
    return 0;
}

int qksyswindlgexit(qkwinInfo* window)
{
    qklogTrace("qksyswindlgexit");
    qkwinInfo* dw = dialogOf(window);
    if (dw == nullptr) return 0;
    closeDialog(dw);
    return 1;
}

int qksyswindlgexitconf(qkwinInfo* window)
{
    qklogTrace("qksyswindlgexitconf");
    if (window == nullptr) return -2;
    if (qkwinmsgquestion(window, "are you sure") != QKWIN_MSG_YES) return 0;
    return qksyswindlgexit(window);
}
