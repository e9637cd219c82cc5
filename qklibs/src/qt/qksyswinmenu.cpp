// qksyswinmenu: the menu bar of a window on Qt (see the header). A MENU with
// SUBMENU items becomes a drop-down menu of the bar; a MENU without items is a
// command of the bar itself. Choosing a command notifies its id with code 0
// (event 6). Where the bar goes: qksyswinobj.h. GUI thread; the operation
// comes through qksyswinGuiCall.
#include "qksyswinmenu.h"

#include <QAccessible>
#include <QAction>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "qklogsrv.h"
#include "qksyswinctrl.h"
#include "qksyswinthread.h"

namespace {

// A menu item as screen readers and UI tests see it: Qt's own item has no
// description, so the items of our menus carry one of their own with the
// definition id ("control <n>") like every other control. The item lives in
// the menu or bar it was first added to.
class MenuItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    explicit MenuItemAccessible(QAction* action) : action_(action)
    {
        for (QObject* o : action->associatedObjects())
            if (qobject_cast<QMenu*>(o) != nullptr || qobject_cast<QMenuBar*>(o) != nullptr) {
                owner_ = static_cast<QWidget*>(o);
                break;
            }
    }
    bool isValid() const override { return action_ && owner_; }
    QObject* object() const override { return action_; }
    QWindow* window() const override { return owner_ ? owner_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(owner_.data()); }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 && action_ && action_->menu() ? QAccessible::queryAccessibleInterface(action_->menu()) : nullptr;
    }
    int childCount() const override { return action_ && action_->menu() ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        return c != nullptr && action_ && action_->menu() && c->object() == action_->menu() ? 0 : -1;
    }
    QString text(QAccessible::Text t) const override
    {
        if (!action_) return QString();
        if (t == QAccessible::Name) return QString(action_->text()).remove(QLatin1Char('&'));
        if (t == QAccessible::Description) return QStringLiteral("control %1").arg(action_->property("qkwinid").toInt());
        return QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        QRect r;
        if (auto* m = qobject_cast<QMenu*>(owner_.data())) r = m->actionGeometry(action_);
        if (auto* b = qobject_cast<QMenuBar*>(owner_.data())) r = b->actionGeometry(action_);
        return r.isNull() ? r : QRect(owner_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!action_) return s;
        s.disabled = !action_->isEnabled();
        s.invisible = !action_->isVisible();
        s.checkable = action_->isCheckable();
        s.checked = action_->isChecked();
        s.hasPopup = action_->menu() != nullptr;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name != pressAction() || !action_ || !action_->isEnabled()) return;
        if (QMenu* sub = action_->menu())
            sub->popup(rect().bottomLeft());
        else
            action_->trigger();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QAction> action_;
    QPointer<QWidget> owner_;
};

QAccessibleInterface* menuItemFactory(const QString&, QObject* object)
{
    auto* action = qobject_cast<QAction*>(object);
    if (action == nullptr || !action->property("qkwinid").isValid()) return nullptr;
    return new MenuItemAccessible(action);
}

void identifyItem(QAction* action, int id)
{
    qksyswinCtrlIdentify(action, id, QString());
    action->setProperty("qkwinid", id);
}

QAction* command(qkwinInfo* win, QAction* action, int id)
{
    identifyItem(action, id);
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
    static const bool factory = (QAccessible::installFactory(menuItemFactory), true);
    (void)factory;
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
            identifyItem(action, m.id);
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
