// qksyswintreeview: native tree views and their item bookkeeping (see the
// header).
#include "qksyswintreeview.h"

#include <QPointer>
#include <QTreeWidget>
#include <cstring>
#include <vector>

#include "qkdrawsurface.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksysdrawsurface.h"
#include "qksyswinctrl.h"
#include "qksyswinobj.h"
#include "qksyswinthread.h"
#include "qkwinscale.h"
#include "qkwintreeview.h"

namespace {

// The platform object of one tree (systvPtr). Touched only on the GUI thread.
struct qksyswinTrVwObj {
    int size = 0;                               // capacity: item bytree
    int ndxBase = 0;                            // base index (parent of groups)
    int ndxPrt = 0;                             // parent index (parent of items)
    int count = 0;                              // list positions used
    int options = 0;
    QPointer<QTreeWidget> tree;
    std::vector<QTreeWidgetItem*> bytree;        // by tree index
    std::vector<QTreeWidgetItem*> bylist;        // by list position
};

qksyswinTrVwObj* tvobj(qkwinTrVwIDInfo* rec)
{
    if (rec->systvPtr == nullptr) rec->systvPtr = new qksyswinTrVwObj;
    return static_cast<qksyswinTrVwObj*>(rec->systvPtr);
}

bool traced(const qkwinInfo* window, const qkwinTrVwIDInfo* rec)
{
    return ((rec->audit | window->tv.audit) & QKWIN_TRVWAUD_TRACE) != 0;
}

unsigned handle(const void* p) { return static_cast<unsigned>(reinterpret_cast<uintptr_t>(p)); }

// Forgets every item (after the tree widget has deleted them or is gone).
void forgetitems(qksyswinTrVwObj* o)
{
    std::fill(o->bytree.begin(), o->bytree.end(), nullptr);
    std::fill(o->bylist.begin(), o->bylist.end(), nullptr);
    o->count = 0;
    o->ndxBase = 0;
    o->ndxPrt = 0;
}

void applygeometry(qkwinInfo* window, const qkwinTrVwIDInfo* rec, QTreeWidget* t)
{
    t->setGeometry(qkwinsetscale(window->scale.xval, rec->xorig), qkwinsetscale(window->scale.yval, rec->yorig),
                   qkwinsetscale(window->scale.xval, rec->xsize), qkwinsetscale(window->scale.yval, rec->ysize));
}

void applycolors(const qkwinTrVwIDInfo* rec, QTreeWidget* t)
{
    QPalette pal = t->palette();
    const QColor bg = qksysdrawcolor(rec->color.bg.rgb);
    const QColor fg = qksysdrawcolor(rec->color.text.rgb);
    if (bg.isValid()) pal.setColor(QPalette::Base, bg);
    if (fg.isValid()) pal.setColor(QPalette::Text, fg);
    t->setPalette(pal);
}

void applyoptions(qksyswinTrVwObj* o, QTreeWidget* t)
{
    t->setRootIsDecorated((o->options & QKWIN_TRVW_NOROOTBUTTONS) == 0);
}

// The native tree of a record, made hidden in the window's canvas when it does
// not exist yet (null without a canvas). GUI thread.
QTreeWidget* native(qkwinInfo* window, qkwinTrVwIDInfo* rec)
{
    qksyswinTrVwObj* o = tvobj(rec);
    if (o->tree) return o->tree;
    if (o->count > 0) forgetitems(o);           // the widget went with its window
    qksyswinObj* so = qksyswinobj(window);
    if (so == nullptr || so->canvas == nullptr) return nullptr;
    auto* t = new QTreeWidget(so->canvas);
    const int id = rec->id;
    qksyswinCtrlIdentify(t, id, rec->title[0] ? qksysdrawtext(rec->title) : QStringLiteral("tree view"));
    t->setColumnCount(1);
    t->setHeaderHidden(true);
    t->hide();
    applygeometry(window, rec, t);
    applycolors(rec, t);
    applyoptions(o, t);
    QObject::connect(t, &QTreeWidget::itemDoubleClicked, t, [window, id, o](QTreeWidgetItem* item, int) {
        int pos = -1;
        for (int i = 0; i < o->count; ++i)
            if (o->bylist[static_cast<size_t>(i)] == item) pos = i;
        // The text is taken now, before the event travels to the window's
        // thread, so the callback finds it whoever dispatches the pick.
        if (qkwinTrVwIDInfo* r = qkwingetTrVwbyID(window, id))
            qkstrset(r->selectedItem, item ? item->data(0, Qt::UserRole).toByteArray().constData() : "");
        qksyswinPost(window, qksyswinEvent{QKSYSWIN_EV_TREEPICK, id, pos, 0, 0});
    });
    o->tree = t;
    return t;
}

// Destroys the native tree of a record (its items with it). GUI thread. The
// widget goes later, as a pick may be running in one of its signals.
void destroynative(qksyswinTrVwObj* o)
{
    if (o->tree) {
        QTreeWidget* t = o->tree;
        t->disconnect();
        t->hide();
        t->deleteLater();
        o->tree.clear();
    }
    forgetitems(o);
}

// The item at a list position, or null.
QTreeWidgetItem* atposition(qksyswinTrVwObj* o, int position)
{
    if (!o->tree || position < 0 || position >= o->count) return nullptr;
    return o->bylist[static_cast<size_t>(position)];
}

void setbox(QTreeWidgetItem* item, int image)
{
    if (image == 0) {
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        item->setData(0, Qt::CheckStateRole, QVariant());
        return;
    }
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, image == 2 ? Qt::Checked : Qt::Unchecked);
}

// Runs fn(record, object) on the GUI thread for the tree with this id;
// returns fn's result, or -2 when no tree has the id.
template <class Fn> int withtree(qkwinInfo* window, int id, Fn fn)
{
    qkwinTrVwIDInfo* rec = qkwingetTrVwbyID(window, id);
    if (rec == nullptr) return -2;
    int result = -2;
    qksyswinGuiCall([&] { result = fn(rec, tvobj(rec)); });
    return result;
}

// Adds an item under the item at tree index prt, stores it at prt + 1 and
// appends it to the list. GUI thread.
int additem(qkwinInfo* window, qkwinTrVwIDInfo* rec, int prt, const char* text, const char* caller)
{
    qksyswinTrVwObj* o = tvobj(rec);
    if (o->size < 1) {
        qklogf(caller, "User must set tree view base max count");
        return -2;
    }
    QTreeWidget* t = native(window, rec);
    if (t == nullptr) return -2;
    const int target = prt + 1;
    if (prt < 0 || target >= o->size || o->count >= o->size) {
        qklogf(caller, "tree view full, size: %d, count: %d, index: %d", o->size, o->count, target);
        return -2;
    }
    QTreeWidgetItem* parent = o->bytree[static_cast<size_t>(prt)];
    // Under an empty slot the item goes to the top level, as a native tree
    // does with no parent.
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(t);
    item->setText(0, qksysdrawtext(text));
    item->setData(0, Qt::UserRole, QByteArray(text));
    if (o->options & QKWIN_TRVW_CHECKBOXES) setbox(item, 1);
    o->bytree[static_cast<size_t>(target)] = item;
    o->bylist[static_cast<size_t>(o->count++)] = item;
    return target;
}

// Deletes an item with everything under it and empties the bytree and list
// positions that referred to any of them. GUI thread.
void removeitem(qksyswinTrVwObj* o, QTreeWidgetItem* item)
{
    std::vector<QTreeWidgetItem*> gone{item};
    for (size_t i = 0; i < gone.size(); ++i)
        for (int c = 0; c < gone[i]->childCount(); ++c) gone.push_back(gone[i]->child(c));
    for (QTreeWidgetItem* g : gone) {
        std::replace(o->bytree.begin(), o->bytree.end(), g, static_cast<QTreeWidgetItem*>(nullptr));
        std::replace(o->bylist.begin(), o->bylist.end(), g, static_cast<QTreeWidgetItem*>(nullptr));
    }
    delete item;
}

int deleteat(qkwinInfo* window, int id, int treeIndex, bool group)
{
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj* o) {
        if (!o->tree || treeIndex < 0 || treeIndex >= o->size) return -2;
        QTreeWidgetItem* item = o->bytree[static_cast<size_t>(treeIndex)];
        if (item == nullptr) return -2;
        if (traced(window, rec)) {
            if (group) qklogf("qkwinDelTrVwIndex", "tree view, ndxPrt: %d, name: %d", o->ndxPrt, treeIndex);
            else qklogf("qkwinDelTrVwItem", "tree view, ndxPrt: %d, name: %s", o->ndxPrt,
                        item->data(0, Qt::UserRole).toByteArray().constData());
        }
        removeitem(o, item);
        return 0;
    });
}

}  // namespace

int qkwinTrWvCheckByID(qkwinInfo* window, int id)
{
    qklogTrace("qkwinTrWvCheckByID");
    if (window == nullptr) return -2;
    const int ndx = qkwingetTrVwNdxbyID(window, id);
    if (ndx < 0) {
        const int added = qkwinallocateTrVw(window);
        if (added >= 0) window->tv.idPtr[added].id = id;
        return added;
    }
    qkwinDestroyTrVwByID(window, id);
    return ndx;
}

int qkwinCreateTrVw(qkwinInfo* window, int id, int options)
{
    qklogTrace("qkwinCreateTrVw");
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj* o) {
        rec->opts = options;
        o->options = options;
        QTreeWidget* t = native(window, rec);
        if (t == nullptr) return -2;
        applygeometry(window, rec, t);
        applycolors(rec, t);
        applyoptions(o, t);
        t->show();
        if (traced(window, rec)) qklogf("qkwinCreateTrVw", "tree view handle: %d, id: %d", handle(t), id);
        return 0;
    });
}

int qkwinSetTrVwSize(qkwinInfo* window, int id, int x, int y, int width, int height)
{
    qklogTrace("qkwinSetTrVwSize");
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj* o) {
        rec->xorig = x;
        rec->yorig = y;
        rec->xsize = width;
        rec->ysize = height;
        if (o->tree) applygeometry(window, rec, o->tree);
        return 0;
    });
}

int qkwinSetTrVwTitle(qkwinInfo* window, int id, const char* title)
{
    qklogTrace("qkwinSetTrVwTitle");
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj* o) {
        qkstrset(rec->title, title);
        if (o->tree) qksyswinCtrlSetAccessibleName(o->tree, rec->title[0] ? qksysdrawtext(rec->title) : QStringLiteral("tree view"));
        return 0;
    });
}

int qksyswinSetTrVwColor(qkwinInfo* window, int id, int background, int text)
{
    qklogTrace("qksyswinSetTrVwColor");
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj* o) {
        rec->color.bg.rgb = background;
        rec->color.text.rgb = text;
        if (o->tree) applycolors(rec, o->tree);
        return 0;
    });
}

int qksyswinSetTrVwFont(qkwinInfo* window, int id, int fontid)
{
    qklogTrace("qksyswinSetTrVwFont");
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj*) {
        QTreeWidget* t = native(window, rec);
        if (t == nullptr) return -2;
        // The same font the window's other controls get for this id.
        QFont f;
        if (!qksyswinCtrlFont(window, fontid, &f)) return fontid == 0 ? 0 : -2;
        t->setFont(f);
        return 0;
    });
}

int qkwinSetTrVwMaxCnt(qkwinInfo* window, int id, int n)
{
    qklogTrace("qkwinSetTrVwMaxCnt");
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj* o) {
        if (n < 1 || o->count > 0) return -2;
        o->size = n;
        o->bytree.assign(static_cast<size_t>(n), nullptr);
        o->bylist.assign(static_cast<size_t>(n), nullptr);
        o->ndxBase = 0;
        o->ndxPrt = 0;
        if (traced(window, rec)) qklogf("qkwinSetTrVwMaxCnt", "tree view, size: %d", n);
        return 0;
    });
}

int qkwinInitTrVw(qkwinInfo* window, int id, const char* text)
{
    qklogTrace("qkwinInitTrVw");
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj* o) {
        if (o->size < 1) {
            qklogf("qkwinInitTrVw", "User must set tree view base max count");
            return -2;
        }
        QTreeWidget* t = native(window, rec);
        if (t == nullptr) return -2;
        t->clear();
        forgetitems(o);
        auto* root = new QTreeWidgetItem(t);
        root->setText(0, qksysdrawtext(text));
        root->setData(0, Qt::UserRole, QByteArray(text ? text : ""));
        if (o->options & QKWIN_TRVW_CHECKBOXES) setbox(root, 1);
        o->bytree[0] = root;
        o->bylist[0] = root;
        o->count = 1;
        o->ndxBase = 1;
        o->ndxPrt = 0;
        if (traced(window, rec)) qklogf("qkwinInitTrVw", "tree view base: %s", text ? text : "");
        return 0;
    });
}

int qkwinSetTrVwPrtndx(qkwinInfo* window, int id, int n)
{
    qklogTrace("qkwinSetTrVwPrtndx");
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj* o) {
        if (n < 0 || n >= o->size) return -2;
        o->ndxBase = n;
        if (traced(window, rec)) qklogf("qkwinSetTrVwPrtndx", "tree view, ndxBase: %d", n);
        return 0;
    });
}

int qkwinAddTrVwIndex(qkwinInfo* window, int id, const char* text)
{
    qklogTrace("qkwinAddTrVwIndex");
    if (text == nullptr) return -2;
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj* o) {
        const int at = additem(window, rec, o->ndxBase, text, "qkwinAddTrVwIndex");
        if (at < 0) return -2;
        o->ndxPrt = at;
        if (traced(window, rec)) qklogf("qkwinAddTrVwIndex", "tree view, ndxPrt: %d, name: %s", o->ndxPrt, text);
        return 0;
    });
}

int qkwinAddTrVwItem(qkwinInfo* window, int id, const char* text)
{
    qklogTrace("qkwinAddTrVwItem");
    if (text == nullptr) return -2;
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj* o) {
        if (additem(window, rec, o->ndxPrt, text, "qkwinAddTrVwItem") < 0) return -2;
        if (traced(window, rec)) qklogf("qkwinAddTrVwItem", "tree view, ndxPrt: %d, name: %s", o->ndxPrt, text);
        return 0;
    });
}

int qkwinDelTrVwIndex(qkwinInfo* window, int id, int treeIndex)
{
    qklogTrace("qkwinDelTrVwIndex");
    return deleteat(window, id, treeIndex, true);
}

int qkwinDelTrVwItem(qkwinInfo* window, int id, int treeIndex)
{
    qklogTrace("qkwinDelTrVwItem");
    return deleteat(window, id, treeIndex, false);
}

int qksyswinDelAllTrVwItemsByID(qkwinInfo* window, int id)
{
    qklogTrace("qksyswinDelAllTrVwItemsByID");
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj* o) {
        if (o->tree) o->tree->clear();
        forgetitems(o);
        if (traced(window, rec)) qklogf("qksyswinDelAllTrVwItemsByID", "tree view ID: %d", id);
        return 0;
    });
}

int qksyswinsetTrVwState(qkwinInfo* window, int id, int position, int image)
{
    qklogTrace("qksyswinsetTrVwState");
    if (image < 0 || image > 2) return -2;
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj* o) {
        QTreeWidgetItem* item = atposition(o, position);
        if (item == nullptr) return -2;
        setbox(item, image);
        if (traced(window, rec))
            qklogf("qksyswinsetTrVwState", "tree view hItem: %d, text: %s", handle(item),
                   item->data(0, Qt::UserRole).toByteArray().constData());
        return 0;
    });
}

int qksyswinTrVwSetChkBoxByID(qkwinInfo* window, int id, int position, int checked)
{
    qklogTrace("qksyswinTrVwSetChkBoxByID");
    if (checked != 0 && checked != 1) return -2;
    return withtree(window, id, [&](qkwinTrVwIDInfo*, qksyswinTrVwObj* o) {
        QTreeWidgetItem* item = atposition(o, position);
        if (item == nullptr) return -2;
        setbox(item, checked ? 2 : 1);
        return 0;
    });
}

int qksyswinTrVwGetChkBoxByID(qkwinInfo* window, int id, int position)
{
    qklogTrace("qksyswinTrVwGetChkBoxByID");
    return withtree(window, id, [&](qkwinTrVwIDInfo*, qksyswinTrVwObj* o) {
        QTreeWidgetItem* item = atposition(o, position);
        if (item == nullptr) return -2;
        const QVariant state = item->data(0, Qt::CheckStateRole);
        return (state.isValid() && state.toInt() == Qt::Checked) ? 1 : 0;
    });
}

int qksyswintvdsp(qkwinInfo* window, int id, int show)
{
    qklogTrace("qksyswintvdsp");
    if (window == nullptr) return -2;
    if (id != 0) {
        return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj*) {
            QTreeWidget* t = native(window, rec);
            if (t == nullptr) return -2;
            t->setVisible(show != 0);
            return 0;
        });
    }
    qksyswinGuiCall([&] {
        for (int i = 0; i < window->tv.cnt; ++i)
            if (QTreeWidget* t = native(window, &window->tv.idPtr[i])) t->setVisible(show != 0);
    });
    return 0;
}

int qksyswinTrVwExpandAll(qkwinInfo* window, int id)
{
    qklogTrace("qksyswinTrVwExpandAll");
    if (window == nullptr) return -2;
    return withtree(window, id, [&](qkwinTrVwIDInfo* rec, qksyswinTrVwObj*) {
        QTreeWidget* t = native(window, rec);
        if (t == nullptr) return -2;
        t->expandAll();
        return 0;
    });
}

int qksyswinTrVwList(qkwinInfo* window, int id)
{
    qklogTrace("qksyswinTrVwList");
    return withtree(window, id, [&](qkwinTrVwIDInfo*, qksyswinTrVwObj* o) {
        for (int i = 0; i < o->count; ++i) {
            QTreeWidgetItem* item = o->bylist[static_cast<size_t>(i)];
            qklogf("qksyswinTrVwList", "cnt: %d, ndx: %d, tvi.hItem: %d, text: %s", o->count, i, handle(item),
                   item ? item->data(0, Qt::UserRole).toByteArray().constData() : "");
        }
        return 0;
    });
}

int qkwinDestroyTrVwByID(qkwinInfo* window, int id)
{
    qklogTrace("qkwinDestroyTrVwByID");
    qkwinTrVwIDInfo* rec = qkwingetTrVwbyID(window, id);
    if (rec == nullptr) return -2;
    if (traced(window, rec))
        qklogf("qkwinDestroyTrVwByID", "destroy tree view: %d, %x, sys: %x", id, handle(rec), handle(rec->systvPtr));
    if (rec->systvPtr == nullptr) return 0;
    auto* o = static_cast<qksyswinTrVwObj*>(rec->systvPtr);
    qksyswinGuiCall([&] {
        destroynative(o);
        delete o;
    });
    rec->systvPtr = nullptr;
    return 0;
}

int qkwincloseAllTrVws(qkwinInfo* window)
{
    qklogTrace("qkwincloseAllTrVws");
    if (window == nullptr) return -2;
    for (int i = 0; i < window->tv.cnt; ++i) qkwinDestroyTrVwByID(window, window->tv.idPtr[i].id);
    return 0;
}

int qkwinFreeTrVw(qkwinInfo* window)
{
    qklogTrace("qkwinFreeTrVw");
    if (window == nullptr) return -2;
    for (int i = 0; i < window->tv.cnt; ++i) {
        qkwinTrVwIDInfo* rec = &window->tv.idPtr[i];
        if (traced(window, rec))
            qklogf("qkwinFreeTrVw", "free tree view: %d, %x, sys: %x", rec->id, handle(rec), handle(rec->systvPtr));
        if (rec->systvPtr == nullptr) continue;
        auto* o = static_cast<qksyswinTrVwObj*>(rec->systvPtr);
        qksyswinGuiCall([&] {
            destroynative(o);
            delete o;
        });
        rec->systvPtr = nullptr;
    }
    return qkwintrvwfreemem(window);
}

// ---- seams of the window layer ------------------------------------------------------

int qksyswinTreeViewCreate(qkwinInfo* win)
{
    qklogTrace("qksyswinTreeViewCreate");
    if (win == nullptr) return -2;
    // The drawing layer is in place once the first window has its controls,
    // at the latest.
    qksysdrawinstall();
    qksyswinGuiCall([&] {
        for (int i = 0; i < win->tv.cnt; ++i) native(win, &win->tv.idPtr[i]);
    });
    return 0;
}

void qksyswinTreeViewDestroy(qkwinInfo* win)
{
    qklogTrace("qksyswinTreeViewDestroy");
    qkwinFreeTrVw(win);
}

int qksyswinTrVwPick(qkwinInfo* win, int id, int code)
{
    qklogTrace("qksyswinTrVwPick");
    if (win == nullptr) return -2;
    // The tree is the window's own, or one of the window that the management
    // table started from this control.
    qkwinInfo* owner = win;
    qkwinTrVwIDInfo* rec = qkwingetTrVwbyID(win, id);
    if (rec == nullptr && win->mgrPtr != nullptr) {
        for (const qkwinhandInfo& slot : win->mgrPtr->hndl) {
            if (slot.itemID != id || slot.cldwinhdl == nullptr) continue;
            if ((rec = qkwingetTrVwbyID(slot.cldwinhdl, id)) != nullptr) {
                owner = slot.cldwinhdl;
                break;
            }
        }
    }
    if (rec == nullptr) return -2;
    win->actitemid = id;
    win->actitemevent = 3;                          // double click
    QByteArray text;
    const void* picked = nullptr;
    qksyswinGuiCall([&] {
        if (rec->systvPtr == nullptr) return;
        auto* o = static_cast<qksyswinTrVwObj*>(rec->systvPtr);
        QTreeWidgetItem* item = atposition(o, code);
        if (item == nullptr && o->tree) item = o->tree->currentItem();
        if (item != nullptr) text = item->data(0, Qt::UserRole).toByteArray();
        picked = item;
    });
    qkstrset(rec->selectedItem, text.constData());
    if (traced(owner, rec))
        qklogf("qksyswinTrVwPick", "tree view id: %d, tvHdl: %d, hItem: %d, cbState: %d, item: %s", id,
               handle(rec->systvPtr), handle(picked), rec->userCallback != nullptr, rec->selectedItem);
    return rec->userCallback ? rec->userCallback(owner) : 0;
}
