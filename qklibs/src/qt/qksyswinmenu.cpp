// qksyswinmenu: the menu bar of a window on Qt (see the header). A MENU with
// SUBMENU items becomes a drop-down menu of the bar; a MENU without items is a
// command of the bar itself. Choosing a command notifies its id with code 0
// (event 6). Where the bar goes: qksyswinobj.h. GUI thread; the operation
// comes through qksyswinGuiCall.
#include "qksyswinmenu.h"

#include <QAction>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "qklogsrv.h"
#include "qksyswinctrl.h"
#include "qksyswinthread.h"

namespace {

QAction* command(qkwinInfo* win, QAction* action, int id)
{
    qksyswinCtrlIdentify(action, id, QString());
    QObject::connect(action, &QAction::triggered, action, [win, id] { qksyswinNotify(win, id, 0); });
    return action;
}

// Puts the bar where the top widget keeps one (see qksyswinobj.h).
void placeBar(qkwinInfo* win, QMenuBar* bar, QWidget* canvas)
{
    qksyswinObj* obj = qksyswinobj(win);
    QWidget* top = obj != nullptr ? obj->top : nullptr;
    if (auto* mw = qobject_cast<QMainWindow*>(top)) {
        mw->setMenuBar(bar);
    } else if (top != nullptr && top != canvas && top->layout() != nullptr) {
        bar->setParent(top);
        top->layout()->setMenuBar(bar);
    } else {
        bar->setParent(canvas);
        bar->setGeometry(0, 0, canvas->width() > 0 ? canvas->width() : bar->sizeHint().width(), bar->sizeHint().height());
    }
    bar->setVisible(true);
}

}  // namespace

int qksyswinMenuCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinMenuCreate");
    if (win->menu.cnt <= 0 || win->menu.idPtr == nullptr) return 0;
    auto* bar = new QMenuBar();
    bar->setObjectName(QStringLiteral("menubar"));
    QFont font;
    if (qksyswinCtrlFont(win, win->menu.idPtr[0].fontid, &font)) bar->setFont(font);
    for (int i = 0; i < win->menu.cnt; ++i) {
        qkwinMenuIDInfo& m = win->menu.idPtr[i];
        const QString name = qksyswinCtrlText(m.name);
        QAction* action;
        if (m.subCnt > 0 && m.subidPtr != nullptr) {
            QMenu* menu = bar->addMenu(name);
            qksyswinCtrlIdentify(menu, m.id, name);
            action = menu->menuAction();
            action->setObjectName(QStringLiteral("id%1").arg(m.id));
            for (int k = 0; k < m.subCnt; ++k) {
                qkwinSubMenuIDInfo& s = m.subidPtr[k];
                QAction* item = command(win, menu->addAction(qksyswinCtrlText(s.name)), s.id);
                s.sysPtr = item;
                set.menuItems.emplace_back(s.id, item);
            }
        } else {
            action = command(win, bar->addAction(name), m.id);
        }
        m.sysPtr = action;
        set.menuItems.insert(set.menuItems.begin() + i, {m.id, action});
    }
    placeBar(win, bar, set.canvas);
    set.menuBar = bar;
    return 0;
}

void qksyswinMenuPopup(qkwinInfo* win, const QPoint& pos)
{
    qklogTrace("qksyswinMenuPopup");
    qksyswinCtrlSet* set = qksyswinCtrlGet(win);
    if (set == nullptr || !set->menuBar || set->menuBar->actions().isEmpty()) return;
    // The bar's own actions: a choice notifies as from the bar.
    auto* popup = new QMenu(set->canvas.data());
    popup->setObjectName(QStringLiteral("popupmenu"));
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->addActions(set->menuBar->actions());
    popup->popup(pos);
}

int qkwinmenusetstate(qkwinInfo* window, int id, int state)
{
    qklogTrace("qkwinmenusetstate");
    if (window == nullptr) return -2;
    int rc = -2;
    qksyswinGuiCall([&] {
        qksyswinCtrlSet* set = qksyswinCtrlGet(window);
        if (set == nullptr) return;
        for (auto& [itemId, action] : set->menuItems) {
            if (itemId != id || !action) continue;
            action->setEnabled(state != 2);
            rc = 0;
        }
        if (rc == 0) {
            for (int i = 0; window->menu.idPtr != nullptr && i < window->menu.cnt; ++i) {
                qkwinMenuIDInfo& m = window->menu.idPtr[i];
                if (m.id == id) m.state = state;
                for (int k = 0; m.subidPtr != nullptr && k < m.subCnt; ++k)
                    if (m.subidPtr[k].id == id) m.subidPtr[k].state = state;
            }
        }
    });
    return rc;
}
