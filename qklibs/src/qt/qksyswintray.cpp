// qksyswintray: the tray menu of a main window on Qt. Where a system tray
// exists, qksyswindsp makes the tray icon (the tray record's sysPtr, a
// QSystemTrayIcon); this module gives it its menu: the exit item (the tray's
// NAME, "Exit" when none, with the INDEX id), which ends the window (state 0
// and a close request). Without a system tray (headless) there is no icon and
// no menu. GUI thread.
#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

#include "qklogsrv.h"
#include "qksyswinctrl.h"

int qksyswinTrayCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinTrayCreate");
    if (win->trayPtr == nullptr) return 0;
    auto* icon = qobject_cast<QSystemTrayIcon*>(static_cast<QObject*>(win->trayPtr->sysPtr));
    if (icon == nullptr) return 0;
    const qkwinTrayInfo& tray = *win->trayPtr;
    auto* menu = new QMenu();
    const QString exitName = tray.ename[0] != '\0' ? qksyswinCtrlText(tray.ename) : QStringLiteral("Exit");
    QAction* exitItem = menu->addAction(exitName);
    qksyswinCtrlIdentify(exitItem, tray.eid, exitName);
    exitItem->setProperty("qkwinid", tray.eid);
    QObject::connect(exitItem, &QAction::triggered, exitItem, [win] {
        win->state = 0;
        qksyswinEvent ev{};
        ev.kind = QKSYSWIN_EV_CLOSE;
        qksyswinPost(win, ev);
    });
    icon->setContextMenu(menu);
    set.trayMenu = menu;
    return 0;
}
