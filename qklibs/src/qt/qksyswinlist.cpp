// qksyswinlist: the lists of a window on Qt (see the header). A list is a
// QListWidget of plain lines in one column, selected one at a time, without
// sorting. Notifications: selection changed by the user 1 (event 7), line
// double-clicked 2 (event 3), focus gained 3 (event 16) and lost 4 (event 17).
// A horizontal scroll extent makes every line that wide, so the view scrolls
// sideways over it (the spectra page's header list is wider than its list).
// GUI thread; the operations come through qksyswinGuiCall.
#include "qksyswinlist.h"

#include <QFocusEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalBlocker>

#include "qklogsrv.h"
#include "qksyswinctrl.h"

namespace {

class ListBox : public QListWidget {
public:
    ListBox(qkwinInfo* win, int id, QWidget* parent) : QListWidget(parent), win_(win), id_(id) {}
    int extent = 0;   // horizontal scroll extent in pixels, 0 when none

    // The size of a line: as wide as the scroll extent when one is set.
    QSize lineSize() const { return extent > 0 ? QSize(extent, fontMetrics().height() + 4) : QSize(); }
    void addLine(const QString& text)
    {
        auto* item = new QListWidgetItem(text, this);
        if (extent > 0) item->setSizeHint(lineSize());
    }

protected:
    void focusInEvent(QFocusEvent* e) override
    {
        QListWidget::focusInEvent(e);
        qksyswinNotify(win_, id_, 3);
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QListWidget::focusOutEvent(e);
        qksyswinNotify(win_, id_, 4);
    }

private:
    qkwinInfo* win_;
    int id_;
};

}  // namespace

int qksyswinListCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinListCreate");
    for (int i = 0; i < win->list.cnt; ++i) {
        qkwinlistIDInfo& rec = win->list.idPtr[i];
        auto* list = new ListBox(win, rec.id, set.canvas);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        list->setTextElideMode(Qt::ElideNone);
        for (int k = 0; rec.itemidPtr != nullptr && k < rec.itemCnt; ++k) list->addLine(qksyswinCtrlText(rec.itemidPtr[k].item));
        const int frame = qksyswinCtrlFrameStyle(rec.bdr.type);
        if (frame >= 0) list->setFrameStyle(frame);
        qksyswinCtrlApplyColors(list, rec.color, QPalette::Base, QPalette::Text, false);
        qksyswinCtrlIdentify(list, rec.id, qksyswinCtrlText(rec.name));
        qksyswinCtrlApplyFont(win, list, rec.fontid);
        qksyswinCtrlPlace(win, list, rec.xorig, rec.yorig, rec.xsize, rec.ysize);
        const int id = rec.id;
        // Only the user's choices notify: the program's selections are made
        // with the signals blocked.
        QObject::connect(list, &QListWidget::itemSelectionChanged, list, [win, id] { qksyswinNotify(win, id, 1); });
        QObject::connect(list, &QListWidget::itemDoubleClicked, list, [win, id] { qksyswinNotify(win, id, 2); });
        list->setVisible(true);
        rec.sysPtr = list;
        set.list.emplace_back(list);
    }
    return 0;
}

namespace {

// Runs fn with the list of id (-2 when there is none).
int withList(qkwinInfo* window, int id, const std::function<int(ListBox*)>& fn)
{
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_LIST, id, [&](QWidget* w, int) {
        if (w == nullptr) return -2;
        return fn(static_cast<ListBox*>(w));
    });
}

}  // namespace

int qkwinlistadditem(qkwinInfo* window, int id, const char* text)
{
    qklogTrace("qkwinlistadditem");
    return withList(window, id, [&](ListBox* l) {
        const QSignalBlocker block(l);
        l->addLine(qksyswinCtrlText(text));
        return 0;
    });
}

int qkwinlistdeleteitem(qkwinInfo* window, int id, int index)
{
    qklogTrace("qkwinlistdeleteitem");
    return withList(window, id, [&](ListBox* l) {
        const QSignalBlocker block(l);
        if (index == -1) {
            l->clear();
            return 0;
        }
        if (index < 0 || index >= l->count()) return -2;
        delete l->takeItem(index);
        return 0;
    });
}

int qkwinlistclear(qkwinInfo* window, int id)
{
    qklogTrace("qkwinlistclear");
    return qkwinlistdeleteitem(window, id, -1);
}

int qkwinlistgetcount(qkwinInfo* window, int id)
{
    qklogTrace("qkwinlistgetcount");
    return withList(window, id, [&](ListBox* l) { return l->count(); });
}

int qkwinlistgetcursel(qkwinInfo* window, int id)
{
    qklogTrace("qkwinlistgetcursel");
    return withList(window, id, [&](ListBox* l) {
        const QList<QListWidgetItem*> sel = l->selectedItems();
        return sel.isEmpty() ? -1 : l->row(sel.first());
    });
}

int qkwinlistgetitem(qkwinInfo* window, int id, int index, int size, char* buffer)
{
    qklogTrace("qkwinlistgetitem");
    if (buffer == nullptr || size <= 0) return -2;
    return withList(window, id, [&](ListBox* l) {
        if (index < 0 || index >= l->count()) return -2;
        qksyswinCtrlCopyText(l->item(index)->text(), buffer, size);
        return 0;
    });
}

int qkwinlistsethscroll(qkwinInfo* window, int id, int width)
{
    qklogTrace("qkwinlistsethscroll");
    return withList(window, id, [&](ListBox* l) {
        l->extent = width > 0 ? width : 0;
        for (int i = 0; i < l->count(); ++i) l->item(i)->setSizeHint(l->lineSize());
        l->doItemsLayout();
        return 0;
    });
}

int qkwinlistsetstate(qkwinInfo* window, int id, int state)
{
    qklogTrace("qkwinlistsetstate");
    return withList(window, id, [&](ListBox* l) {
        if (state != 0 && state != 1) return 0;
        l->setEnabled(state == 1);
        return 0;
    });
}

int qksyswinlistsetndx(qkwinInfo* window, int id, int index)
{
    qklogTrace("qksyswinlistsetndx");
    return withList(window, id, [&](ListBox* l) {
        const QSignalBlocker block(l);
        if (index == -1) {
            l->clearSelection();
            l->setCurrentRow(-1);
            return 0;
        }
        if (index < 0 || index >= l->count()) return -2;
        l->setCurrentRow(index);
        l->item(index)->setSelected(true);
        return 0;
    });
}

int qkwinlistdsp(qkwinInfo* window, int id, int show)
{
    qklogTrace("qkwinlistdsp");
    return withList(window, id, [&](ListBox* l) {
        qksyswinCtrlShow(l, show != 0);
        return 0;
    });
}
