// qksyswinctrl: the controls of a window on Qt (see the header). Creates and
// releases every control of a window in the fixed order, keeps the window's
// scroll bars and status bar at their edges when the window is resized, takes
// one dropped file, and holds the helpers the control modules share.
//
// Control notifications. A Qt signal of a control becomes
// qksyswinNotify(window, control id, notification code); the dispatcher turns
// the code into the event number the callbacks read in actitemevent:
//   button clicked (push, check, radio, image)          0 -> event 6
//   static clicked / double-clicked (with a callback)    0 / 1
//   list: selection changed by the user                  1 -> event 7
//   list: row double-clicked                             2 -> event 3
//   list and combo: focus gained / lost                  3 / 4 -> events 16 / 17
//   combo: entry chosen by the user                      1 -> event 7
//   combo: edit text typed                               5 -> event 1
//   combo: drop-down opened / closed                     7 / 8 -> events 22 / -99
//   edit: focus gained / lost                            256 / 512 -> events 21 / -99
//   edit: text changed (typed or set)                    768 -> event 14
//   edit: typing stopped at the length limit             1281 -> event 11
//   menu item chosen                                     0 -> event 6
//   tab: sub-tab selected by the user                    0 (sub-tab id, else tab id)
//   header: column title clicked                         0 (column id)
//   header: row selected / double-clicked                1 / 2 (header id)
//   date picker: date or time changed by the user        1
// Changes the program makes (selecting a list line, choosing a combo entry,
// switching a sub-tab) do not notify, as on the platform the system was built
// for; only the edit field reports a text set by the program.
//
// Threads: GUI thread only; the program's operations come through
// qksyswinGuiCall.
#include "qksyswinctrl.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPalette>
#include <QScrollBar>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QUrl>

#include <cmath>
#include <map>
#include <mutex>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinregstdfunc.h"
#include "qksyswinsrv.h"
#include "qksyswinthread.h"
#include "qksyswinwidgets.h"

namespace {

// The control sets of all windows; touched only on the GUI thread.
std::map<qkwinInfo*, qksyswinCtrlSet>& sets()
{
    static std::map<qkwinInfo*, qksyswinCtrlSet> s;
    return s;
}

// Keeps the scroll bars and the status bar at the canvas edges and takes
// dropped files for the window.
class CtrlFilter : public QObject {
public:
    CtrlFilter(qkwinInfo* win, QObject* parent) : QObject(parent), win_(win) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Resize:
            if (qksyswinCtrlSet* set = qksyswinCtrlGet(win_)) qksyswinStatBarLayout(win_, *set);
            break;
        case QEvent::DragEnter: {
            auto* e = static_cast<QDragEnterEvent*>(event);
            if (e->mimeData()->hasUrls()) {
                e->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop:
            drop(static_cast<QDropEvent*>(event));
            return true;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Exactly one file: its name goes to drgDrp and the owner is told; more
    // than one is refused as a whole.
    void drop(QDropEvent* e)
    {
        const QList<QUrl> urls = e->mimeData()->urls();
        e->acceptProposedAction();
        if (urls.size() != 1) {
            qklogf("qksyswinCtrlDrop", "WM_DROPFILES ddCnt: %d, Multiple files not supported",
                   static_cast<int>(urls.size()));
            return;
        }
        // The window's procedure logs the file and calls the drop callback.
        const QByteArray name = (urls[0].isLocalFile() ? urls[0].toLocalFile() : urls[0].toString()).toUtf8();
        qkstrset(win_->drgDrp.fName, name.constData());
        qksyswinEvent ev{};
        ev.kind = QKSYSWIN_EV_DROP;
        ev.id = win_->drgDrp.id;
        qksyswinPost(win_, ev);
    }

    qkwinInfo* win_;
};

// Window scroll bars: range 0 to the window size, step 10.
void scrollBarsCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    if (win->sbmask & 1) {
        auto* bar = new QScrollBar(Qt::Vertical, set.canvas);
        bar->setRange(0, qksyswinCtrlScale(win, win->ysize, false));
        bar->setSingleStep(10);
        qksyswinCtrlIdentify(bar, win->id, QStringLiteral("vertical scroll bar"));
        bar->setObjectName(QStringLiteral("vscroll"));
        set.vbar = bar;
    }
    if (win->sbmask & 2) {
        auto* bar = new QScrollBar(Qt::Horizontal, set.canvas);
        bar->setRange(0, qksyswinCtrlScale(win, win->xsize, true));
        bar->setSingleStep(10);
        qksyswinCtrlIdentify(bar, win->id, QStringLiteral("horizontal scroll bar"));
        bar->setObjectName(QStringLiteral("hscroll"));
        set.hbar = bar;
    }
}

int createOnGui(qkwinInfo* win)
{
    qksyswinObj* obj = qksyswinobj(win);
    if (obj == nullptr || obj->canvas == nullptr) return -2;
    if (qksyswinCtrlGet(win) != nullptr) return 0;   // made already (a page window made by its tab)
    qksyswinCtrlSet& set = sets()[win];
    set = qksyswinCtrlSet{};
    set.canvas = obj->canvas;

    // The fixed order of window creation.
    qksyswinFontCreate(win);
    qksyswinRegionCreate(win, set);
    qksyswinMenuCreate(win, set);
    qksyswinButtonCreate(win, set);
    qksyswinStaticCreate(win, set);
    qksyswinEditCreate(win, set);
    qksyswinListCreate(win, set);
    qksyswinComboCreate(win, set);
    qksyswinDatePickCreate(win, set);
    qksyswinTreeViewCreate(win);
    scrollBarsCreate(win, set);
    qksyswinTabCreate(win, set);
    qksyswinHdrCreate(win, set);
    qksyswinTrayCreate(win, set);
    qksyswinStatBarCreate(win, set);

    // Dropped files are taken by the top widget (drops on controls that take
    // none reach it too); resizes of the canvas re-lay its edges.
    auto* filter = new CtrlFilter(win, obj->canvas);
    obj->canvas->installEventFilter(filter);
    if (obj->top != nullptr) {
        obj->top->setAcceptDrops(true);
        obj->top->installEventFilter(filter);
    }
    set.filter = filter;
    qksyswinStatBarLayout(win, set);
    return 0;
}

template <class T> void deleteAll(std::vector<QPointer<T>>& v)
{
    for (QPointer<T>& p : v) delete p.data();
    v.clear();
}

template <class Rec> void clearSys(Rec* idPtr, int cnt)
{
    for (int i = 0; idPtr != nullptr && i < cnt; ++i) idPtr[i].sysPtr = nullptr;
}

void destroyOnGui(qkwinInfo* win)
{
    auto it = sets().find(win);
    if (it != sets().end()) {
        qksyswinCtrlSet& set = it->second;
        qksyswinTabDestroy(win, set);
        delete set.filter.data();
        deleteAll(set.btn);
        deleteAll(set.stat);
        deleteAll(set.edit);
        deleteAll(set.list);
        deleteAll(set.comb);
        deleteAll(set.regn);
        deleteAll(set.datepick);
        deleteAll(set.tab);
        deleteAll(set.hdr);
        deleteAll(set.statParts);
        delete set.menuBar.data();   // with its menus and items
        set.menuItems.clear();
        delete set.statBar.data();
        delete set.vbar.data();
        delete set.hbar.data();
        if (win->trayPtr != nullptr)
            if (auto* icon = qobject_cast<QSystemTrayIcon*>(static_cast<QObject*>(win->trayPtr->sysPtr)))
                if (icon->contextMenu() == set.trayMenu.data()) icon->setContextMenu(nullptr);
        delete set.trayMenu.data();
        sets().erase(it);
    }
    qksyswinTreeViewDestroy(win);
    qksyswinFontDestroy(win);
    clearSys(win->btn.idPtr, win->btn.cnt);
    clearSys(win->stat.idPtr, win->stat.cnt);
    clearSys(win->edit.idPtr, win->edit.cnt);
    clearSys(win->list.idPtr, win->list.cnt);
    clearSys(win->comb.idPtr, win->comb.cnt);
    clearSys(win->regn.idPtr, win->regn.cnt);
    clearSys(win->datepick.idPtr, win->datepick.cnt);
    clearSys(win->tab.idPtr, win->tab.cnt);
    clearSys(win->hdr.idPtr, win->hdr.cnt);
    clearSys(win->menu.idPtr, win->menu.cnt);
    for (int i = 0; win->menu.idPtr != nullptr && i < win->menu.cnt; ++i)
        clearSys(win->menu.idPtr[i].subidPtr, win->menu.idPtr[i].subCnt);
    win->sbar.sysPtr = nullptr;
}

// Standard handlers of the controls: the control's own behaviour is native,
// so these only trace the event for definition files that name them.
int stdproc(const char* name, qkwinInfo* win)
{
    if (win != nullptr && (win->audit & QKWIN_AUD_WINDOW))
        qklogf(name, "id: %d, event: %d", win->actitemid, win->actitemevent);
    return 0;
}

}  // namespace

int qksyswinstdmenuproc(qkwinInfo* w)
{
    qklogTrace("qksyswinstdmenuproc");
    return stdproc("qksyswinstdmenuproc", w);
}
int qksyswinstdstaticproc(qkwinInfo* w)
{
    qklogTrace("qksyswinstdstaticproc");
    return stdproc("qksyswinstdstaticproc", w);
}
int qksyswinstdbtnproc(qkwinInfo* w)
{
    qklogTrace("qksyswinstdbtnproc");
    return stdproc("qksyswinstdbtnproc", w);
}
int qksyswinstdeditproc(qkwinInfo* w)
{
    qklogTrace("qksyswinstdeditproc");
    return stdproc("qksyswinstdeditproc", w);
}
int qksyswinstdlistproc(qkwinInfo* w)
{
    qklogTrace("qksyswinstdlistproc");
    return stdproc("qksyswinstdlistproc", w);
}
int qksyswinstdcomboproc(qkwinInfo* w)
{
    qklogTrace("qksyswinstdcomboproc");
    return stdproc("qksyswinstdcomboproc", w);
}
int qksyswinstdhdrproc(qkwinInfo* w)
{
    qklogTrace("qksyswinstdhdrproc");
    return stdproc("qksyswinstdhdrproc", w);
}

void qksyswinCtrlInstall()
{
    qklogTrace("qksyswinCtrlInstall");
    static std::once_flag once;
    std::call_once(once, [] {
        qksyswinstdfuncset("qksyswinstdmenuproc", qksyswinstdmenuproc);
        qksyswinstdfuncset("qksyswinstdstaticproc", qksyswinstdstaticproc);
        qksyswinstdfuncset("qksyswinstdbtnproc", qksyswinstdbtnproc);
        qksyswinstdfuncset("qksyswinstdeditproc", qksyswinstdeditproc);
        qksyswinstdfuncset("qksyswinstdlistproc", qksyswinstdlistproc);
        qksyswinstdfuncset("qksyswinstdcomboproc", qksyswinstdcomboproc);
        qksyswinstdfuncset("qksyswinstdhdrproc", qksyswinstdhdrproc);
        qksyswinstdfuncset("qksyswinstdhdrdsplist", qksyswinhdrdsplist);
    });
}

namespace {
// The standard names are entered before main (the table of standard names is
// constant-initialized), so the first window binds them too.
const bool g_ctrlInstalled = (qksyswinCtrlInstall(), true);
}  // namespace

int qksyswinCreateControls(qkwinInfo* win)
{
    qklogTrace("qksyswinCreateControls");
    if (win == nullptr) return -2;
    qksyswinCtrlInstall();
    int rc = -2;
    qksyswinGuiCall([&] { rc = createOnGui(win); });
    return rc;
}

void qksyswinDestroyControls(qkwinInfo* win)
{
    qklogTrace("qksyswinDestroyControls");
    if (win == nullptr) return;
    qksyswinGuiCall([&] { destroyOnGui(win); });
}

void qksyswinCtrlRepaint(qkwinInfo* win)
{
    qklogTrace("qksyswinCtrlRepaint");
    qksyswinCtrlSet* set = qksyswinCtrlGet(win);
    if (set == nullptr) return;
    qksyswinHdrReload(win, *set, false);
    for (QPointer<QWidget>& r : set->regn)
        if (r) r->update();
}

// ---- shared helpers ----------------------------------------------------------

qksyswinCtrlSet* qksyswinCtrlGet(qkwinInfo* win)
{
    qklogTrace("qksyswinCtrlGet");
    auto it = sets().find(win);
    if (it == sets().end()) return nullptr;
    qksyswinObj* obj = qksyswinobj(win);
    // A record freed and made again at the same address, or a canvas Qt has
    // deleted: the set is stale.
    if (!it->second.canvas || obj == nullptr || obj->canvas != it->second.canvas.data()) return nullptr;
    return &it->second;
}

int qksyswinCtrlCount(const qkwinInfo* win, int kind)
{
    qklogTrace("qksyswinCtrlCount");
    switch (kind) {
    case QKSYSWIN_CTL_BTN: return win->btn.cnt;
    case QKSYSWIN_CTL_STAT: return win->stat.cnt;
    case QKSYSWIN_CTL_EDIT: return win->edit.cnt;
    case QKSYSWIN_CTL_LIST: return win->list.cnt;
    case QKSYSWIN_CTL_COMB: return win->comb.cnt;
    case QKSYSWIN_CTL_REGN: return win->regn.cnt;
    case QKSYSWIN_CTL_DATEPICK: return win->datepick.cnt;
    case QKSYSWIN_CTL_TAB: return win->tab.cnt;
    case QKSYSWIN_CTL_HDR: return win->hdr.cnt;
    default: return 0;
    }
}

namespace {

int recordId(const qkwinInfo* win, int kind, int pos)
{
    switch (kind) {
    case QKSYSWIN_CTL_BTN: return win->btn.idPtr[pos].id;
    case QKSYSWIN_CTL_STAT: return win->stat.idPtr[pos].id;
    case QKSYSWIN_CTL_EDIT: return win->edit.idPtr[pos].id;
    case QKSYSWIN_CTL_LIST: return win->list.idPtr[pos].id;
    case QKSYSWIN_CTL_COMB: return win->comb.idPtr[pos].id;
    case QKSYSWIN_CTL_REGN: return win->regn.idPtr[pos].id;
    case QKSYSWIN_CTL_DATEPICK: return win->datepick.idPtr[pos].id;
    case QKSYSWIN_CTL_TAB: return win->tab.idPtr[pos].id;
    case QKSYSWIN_CTL_HDR: return win->hdr.idPtr[pos].id;
    default: return 0;
    }
}

}  // namespace

std::vector<QPointer<QWidget>>* qksyswinCtrlWidgets(qksyswinCtrlSet& set, int kind)
{
    qklogTrace("qksyswinCtrlWidgets");
    switch (kind) {
    case QKSYSWIN_CTL_BTN: return &set.btn;
    case QKSYSWIN_CTL_STAT: return &set.stat;
    case QKSYSWIN_CTL_EDIT: return &set.edit;
    case QKSYSWIN_CTL_LIST: return &set.list;
    case QKSYSWIN_CTL_COMB: return &set.comb;
    case QKSYSWIN_CTL_REGN: return &set.regn;
    case QKSYSWIN_CTL_DATEPICK: return &set.datepick;
    case QKSYSWIN_CTL_TAB: return &set.tab;
    case QKSYSWIN_CTL_HDR: return &set.hdr;
    default: return nullptr;
    }
}

int qksyswinCtrlPos(const qkwinInfo* win, int kind, int id)
{
    qklogTrace("qksyswinCtrlPos");
    if (win == nullptr) return -1;
    const int cnt = qksyswinCtrlCount(win, kind);
    for (int i = 0; i < cnt; ++i)
        if (recordId(win, kind, i) == id) return i;
    return -1;
}

int qksyswinCtrlPageId(const qkwinInfo* win, int kind, int pos)
{
    qklogTrace("qksyswinCtrlPageId");
    switch (kind) {
    case QKSYSWIN_CTL_BTN: return win->btn.idPtr[pos].pageid;
    case QKSYSWIN_CTL_STAT: return win->stat.idPtr[pos].pageid;
    case QKSYSWIN_CTL_EDIT: return win->edit.idPtr[pos].pageid;
    case QKSYSWIN_CTL_LIST: return win->list.idPtr[pos].pageid;
    case QKSYSWIN_CTL_COMB: return win->comb.idPtr[pos].pageid;
    case QKSYSWIN_CTL_REGN: return win->regn.idPtr[pos].pageid;
    case QKSYSWIN_CTL_DATEPICK: return win->datepick.idPtr[pos].pageid;
    case QKSYSWIN_CTL_TAB: return win->tab.idPtr[pos].pageid;
    case QKSYSWIN_CTL_HDR: return win->hdr.idPtr[pos].pageid;
    default: return 0;
    }
}

QWidget* qksyswinCtrlFind(qkwinInfo* win, int kind, int id, int* pos)
{
    qklogTrace("qksyswinCtrlFind");
    const int p = qksyswinCtrlPos(win, kind, id);
    if (pos != nullptr) *pos = p;
    qksyswinCtrlSet* set = qksyswinCtrlGet(win);
    if (p < 0 || set == nullptr) return nullptr;
    std::vector<QPointer<QWidget>>* v = qksyswinCtrlWidgets(*set, kind);
    if (v == nullptr || p >= static_cast<int>(v->size())) return nullptr;
    return (*v)[static_cast<size_t>(p)].data();
}

namespace {

const char* kindLabel(int kind)
{
    switch (kind) {
    case QKSYSWIN_CTL_BTN: return "qkwinbutton";
    case QKSYSWIN_CTL_STAT: return "qkwinstatic";
    case QKSYSWIN_CTL_EDIT: return "qkwinedit";
    case QKSYSWIN_CTL_LIST: return "qkwinlist";
    case QKSYSWIN_CTL_COMB: return "qkwincombo";
    case QKSYSWIN_CTL_REGN: return "qkwinregion";
    case QKSYSWIN_CTL_DATEPICK: return "qkwindatepick";
    case QKSYSWIN_CTL_TAB: return "qkwintab";
    case QKSYSWIN_CTL_HDR: return "qkwinhdr";
    default: return "qksyswinCtrlCall";
    }
}

}  // namespace

int qksyswinCtrlCall(qkwinInfo* win, int kind, int id, const std::function<int(QWidget*, int)>& fn)
{
    qklogTrace("qksyswinCtrlCall");
    if (win == nullptr) return -2;
    int rc = -2;
    bool missing = false, early = false;
    qksyswinGuiCall([&] {
        if (qksyswinCtrlGet(win) == nullptr) {
            early = true;
            return;
        }
        int pos = -1;
        QWidget* w = qksyswinCtrlFind(win, kind, id, &pos);
        missing = w == nullptr;
        rc = fn(w, pos);
    });
    // A write that reaches no control is a fault of the program's ids (or of
    // its timing): it is told, not dropped without a word.
    if (early)
        qklogf(kindLabel(kind), "window id: %d has no controls yet, no control %d", win->id, id);
    else if (missing)
        qklogf(kindLabel(kind), "window id: %d, no control %d", win->id, id);
    return rc;
}

int qksyswinCtrlScale(const qkwinInfo* win, int value, bool xaxis)
{
    qklogTrace("qksyswinCtrlScale");
    const int percent = win == nullptr ? 0 : (xaxis ? win->scale.xval : win->scale.yval);
    if (percent == 0 || value == 0) return value;
    const long scaled = std::lround(static_cast<double>(value) * percent / 100.0);
    if (scaled == 0) return value > 0 ? 1 : -1;
    return static_cast<int>(scaled);
}

void qksyswinCtrlPlace(const qkwinInfo* win, QWidget* w, int x, int y, int width, int height)
{
    qklogTrace("qksyswinCtrlPlace");
    const QSize hint = w->sizeHint();
    const int wpx = width > 0 ? qksyswinCtrlScale(win, width, true) : std::max(hint.width(), 1);
    const int hpx = height > 0 ? qksyswinCtrlScale(win, height, false) : std::max(hint.height(), 1);
    w->setGeometry(qksyswinCtrlScale(win, x, true), qksyswinCtrlScale(win, y, false), wpx, hpx);
}

QColor qksyswinCtrlColor(const qkwincolordef& c)
{
    qklogTrace("qksyswinCtrlColor");
    if (c.flags == 1 || c.rgb < 0 || static_cast<uint32_t>(c.rgb) >= QKWIN_NOCOLOR) return QColor();
    // A platform colour reference holds red in the low byte.
    return QColor(c.rgb & 0xFF, (c.rgb >> 8) & 0xFF, (c.rgb >> 16) & 0xFF);
}

void qksyswinCtrlApplyColors(QWidget* w, const qkwincolorInfo& color, int bgRole, int textRole, bool fillBackground)
{
    qklogTrace("qksyswinCtrlApplyColors");
    QPalette pal = w->palette();
    const QColor bg = qksyswinCtrlColor(color.bg);
    QColor text = qksyswinCtrlColor(color.text);
    if (!text.isValid()) text = qksyswinCtrlColor(color.fg);
    if (bg.isValid()) pal.setColor(static_cast<QPalette::ColorRole>(bgRole), bg);
    if (text.isValid()) pal.setColor(static_cast<QPalette::ColorRole>(textRole), text);
    w->setPalette(pal);
    if (fillBackground) w->setAutoFillBackground(bg.isValid() && color.bg.flags != 1);
}

namespace {

// A native font from a font record.
QFont fontFromRecord(const qkwinInfo* win, const qkwinfontIDInfo& rec)
{
    QFont f;
    switch (rec.familyID) {
    case 1:
        f.setStyleHint(QFont::Serif);
        f.setFamily(QStringLiteral("Serif"));
        break;
    case 3:
        f.setStyleHint(QFont::TypeWriter);
        f.setFamily(QStringLiteral("Monospace"));
        f.setFixedPitch(true);
        break;
    default:
        f.setStyleHint(QFont::SansSerif);
        f.setFamily(QStringLiteral("Sans Serif"));
        break;
    }
    if (rec.name[0] != '\0') {
        // The face the definition names first; the family's generic face
        // when that face is not installed.
        f.setFamilies({QString::fromUtf8(rec.name), f.family()});
    }
    if (rec.height != 0) f.setPixelSize(std::max(1, qksyswinCtrlScale(win, std::abs(rec.height), false)));
    switch (rec.weight) {
    case 1: f.setWeight(QFont::Bold); break;
    case 2: f.setWeight(QFont::Medium); break;
    case 3: f.setWeight(QFont::Light); break;
    case 4: f.setWeight(QFont::Thin); break;
    default: f.setWeight(QFont::Normal); break;
    }
    f.setItalic(rec.italicFlag != 0);
    f.setUnderline(rec.underlineFlag != 0);
    return f;
}

const qkwinfontIDInfo* findFont(const qkwinInfo* win, int fontid)
{
    for (int i = 0; win->font.idPtr != nullptr && i < win->font.cnt; ++i)
        if (win->font.idPtr[i].itemid == fontid) return &win->font.idPtr[i];
    for (int i = 0; win->font.idPtr != nullptr && i < win->font.cnt; ++i)
        if (win->font.idPtr[i].id == fontid) return &win->font.idPtr[i];
    return nullptr;
}

}  // namespace

int qksyswinFontCreate(qkwinInfo* win)
{
    qklogTrace("qksyswinFontCreate");
    for (int i = 0; win->font.idPtr != nullptr && i < win->font.cnt; ++i) {
        qkwinfontIDInfo& rec = win->font.idPtr[i];
        delete static_cast<QFont*>(rec.sysPtr);
        rec.sysPtr = new QFont(fontFromRecord(win, rec));
    }
    return 0;
}

void qksyswinFontDestroy(qkwinInfo* win)
{
    qklogTrace("qksyswinFontDestroy");
    for (int i = 0; win->font.idPtr != nullptr && i < win->font.cnt; ++i) {
        delete static_cast<QFont*>(win->font.idPtr[i].sysPtr);
        win->font.idPtr[i].sysPtr = nullptr;
    }
}

bool qksyswinCtrlFont(const qkwinInfo* win, int fontid, QFont* font)
{
    qklogTrace("qksyswinCtrlFont");
    if (win == nullptr) return false;
    if (fontid == 0) fontid = win->fontid;
    if (fontid == 0) return win->prntPtr != nullptr && win->prntPtr != win ? qksyswinCtrlFont(win->prntPtr, 0, font) : false;
    // A page or dialog may name a font of the window that made it.
    for (const qkwinInfo* w = win; w != nullptr; w = (w->prntPtr != w ? w->prntPtr : nullptr)) {
        if (const qkwinfontIDInfo* rec = findFont(w, fontid)) {
            *font = rec->sysPtr != nullptr ? *static_cast<const QFont*>(rec->sysPtr) : fontFromRecord(win, *rec);
            return true;
        }
    }
    return false;
}

void qksyswinCtrlApplyFont(const qkwinInfo* win, QWidget* w, int fontid)
{
    qklogTrace("qksyswinCtrlApplyFont");
    QFont f;
    if (qksyswinCtrlFont(win, fontid, &f)) w->setFont(f);
}

void qksyswinCtrlIdentify(QObject* o, int id, const QString& text)
{
    qklogTrace("qksyswinCtrlIdentify");
    o->setObjectName(QStringLiteral("id%1").arg(id));
    if (auto* w = qobject_cast<QWidget*>(o)) {
        w->setAccessibleDescription(QStringLiteral("control %1").arg(id));
        if (!text.isEmpty()) w->setAccessibleName(text);
    }
}

void qksyswinCtrlSetAccessibleName(QWidget* w, const QString& text)
{
    qklogTrace("qksyswinCtrlSetAccessibleName");
    // The name follows the text, an emptied text too: a screen reader must
    // not read out what the control no longer shows.
    w->setAccessibleName(text);
}

bool qksyswinCtrlHasCallback(const qkwinInfo* win, int id)
{
    qklogTrace("qksyswinCtrlHasCallback");
    for (int i = 0; win != nullptr && win->func.idPtr != nullptr && i < win->func.cnt; ++i)
        if (win->func.idPtr[i].id == id) return true;
    return false;
}

QString qksyswinCtrlText(const char* text)
{
    qklogTrace("qksyswinCtrlText");
    return text == nullptr ? QString() : QString::fromUtf8(text);
}

void qksyswinCtrlCopyText(const QString& text, char* buffer, int size)
{
    qklogTrace("qksyswinCtrlCopyText");
    if (buffer == nullptr || size <= 0) return;
    const QByteArray bytes = text.toUtf8();
    qkstrlcpy(buffer, static_cast<size_t>(size), bytes.constData());
}

void qksyswinCtrlShow(QWidget* w, bool show)
{
    qklogTrace("qksyswinCtrlShow");
    if (w != nullptr) w->setVisible(show);
}

// ---- edges of the canvas: scroll bars and status bar ------------------------------

void qksyswinStatBarLayout(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinStatBarLayout");
    (void)win;
    if (!set.canvas) return;
    const QRect area = set.canvas->rect();
    int bottom = area.height();
    if (set.statBar && set.statBar->parentWidget() == set.canvas.data()) {
        const int h = set.statBar->height();
        set.statBar->setGeometry(0, area.height() - h, area.width(), h);
        set.statBar->raise();
        bottom -= h;
    }
    const int vw = set.vbar ? set.vbar->sizeHint().width() : 0;
    const int hh = set.hbar ? set.hbar->sizeHint().height() : 0;
    if (set.vbar) {
        set.vbar->setGeometry(area.width() - vw, 0, vw, bottom - hh);
        set.vbar->raise();
    }
    if (set.hbar) {
        set.hbar->setGeometry(0, bottom - hh, area.width() - vw, hh);
        set.hbar->raise();
    }
}
