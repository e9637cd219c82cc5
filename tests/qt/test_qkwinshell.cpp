// What the application shell needs of a window beyond its controls
// (offscreen): the right-button pop-up menu, the tray icon, and what screen
// readers and automated UI tests see of the controls.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include <vector>

#include "qksyswinsrv.h"
#include "qksyswinstatic.h"
#include "qkwinfuncsrv.h"
#include "vxtestqt.h"

namespace {

std::vector<int> g_fired;
int record(qkwinInfo* w)
{
    g_fired.push_back(w->actitemid);
    return 0;
}

int g_rightDown = 0;
int rightDown(qkwinInfo* w)
{
    EXPECT_EQ(w->cursor.rbd, 1);
    ++g_rightDown;
    return 0;
}

const char* kShell = "<TITLE>shell</TITLE>\n<WIDTH>300</WIDTH>\n<HEIGHT>200</HEIGHT>\n"
                     "<MENU>\n<ID>10</ID>\n<NAME>File</NAME>\n"
                     "<SUBMENU>\n<ID>11</ID>\n<NAME>Open</NAME>\n<FUNCTION>tstMenu</FUNCTION>\n</SUBMENU>\n</MENU>\n"
                     "<MENU>\n<ID>20</ID>\n<NAME>Help</NAME>\n<FUNCTION>tstMenu</FUNCTION>\n</MENU>\n"
                     "<TRAY>\n<ID>900</ID>\n<INDEX>901</INDEX>\n<NAME>Quit</NAME>\n<CAPTION>Vantorix</CAPTION>\n</TRAY>\n";

}  // namespace

// The right button calls the window's hook and then opens the menu bar's
// commands at the cursor; a choice there notifies like the bar. Without a
// system tray (offscreen) the tray icon is left out and the window runs.
TEST(QkWinShell, RightButtonOpensThePopupMenuAndTheTrayIsOptional)
{
    g_fired.clear();
    g_rightDown = 0;
    vxtest::QtWindow w(kShell, {.bind = [](qkwinInfo* m) { qkwinfuncloadaddr(m, "tst", record); }});
    w.win()->cursor.rbdfuncPtr = rightDown;
    ASSERT_NE(w.win()->trayPtr, nullptr);
    EXPECT_EQ(w.win()->trayPtr->sysPtr, nullptr);
    EXPECT_EQ(w.win()->state.load(), 1);

    QTest::mouseClick(w.canvas(), Qt::RightButton, {}, QPoint(50, 60));
    EXPECT_EQ(g_rightDown, 1);
    QMenu* popup = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        popup = w.canvas()->findChild<QMenu*>("popupmenu");
        return popup != nullptr && popup->isVisible();
    }, 5000));
    QStringList names;
    for (QAction* a : popup->actions()) names << a->text();
    EXPECT_EQ(names, QStringList({"File", "Help"}));
    popup->actions()[1]->trigger();
    EXPECT_EQ(g_fired, std::vector<int>({20}));
    popup->close();
}

namespace {

QString describe(QObject* o)
{
    QAccessibleInterface* i = o ? QAccessible::queryAccessibleInterface(o) : nullptr;
    return i ? i->text(QAccessible::Description) : QStringLiteral("(none)");
}

}  // namespace

// A static with a callback is pressed from the keyboard or through its
// accessible press action; names follow the texts; everything with an id
// says it in its accessible description.
TEST(QkWinShell, AccessibilityOfStaticsNamesAndIds)
{
    g_fired.clear();
    vxtest::QtWindow w(std::string(kShell) + "<ID>77</ID>\n<SCROLLBAR>VERTICAL</SCROLLBAR>\n"
                       "<STATIC>\n<ID>201</ID>\n<STRING>Connect</STRING>\n<WIDTH>80</WIDTH>\n<HEIGHT>20</HEIGHT>\n"
                       "<FUNCTION>tstStatic</FUNCTION>\n</STATIC>\n"
                       "<STATIC>\n<ID>202</ID>\n<STRING>Analyzer ID</STRING>\n<YORIG>30</YORIG>\n</STATIC>\n"
                       "<EDIT>\n<ID>301</ID>\n<STRING>1013</STRING>\n<YORIG>60</YORIG>\n<WIDTH>80</WIDTH>\n</EDIT>\n"
                       "<TAB>\n<ID>500</ID>\n<XORIG>100</XORIG>\n<WIDTH>150</WIDTH>\n<HEIGHT>100</HEIGHT>\n"
                       "<SUBTAB>\n<ID>511</ID>\n<NAME>Monitor</NAME>\n</SUBTAB>\n</TAB>\n"
                       "<STATBAR>\n<ID>700</ID>\n<SUBSTATBAR>\n<ID>701</ID>\n<WIDTH>-1</WIDTH>\n<NAME>HOME</NAME>\n"
                       "</SUBSTATBAR>\n</STATBAR>\n",
                       {.bind = [](qkwinInfo* m) { qkwinfuncloadaddr(m, "tst", record); }});
    auto* pressable = w.find<QLabel>(201);
    ASSERT_NE(pressable, nullptr);
    EXPECT_EQ(pressable->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(w.find<QLabel>(202)->focusPolicy(), Qt::NoFocus);
    QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(pressable);
    ASSERT_NE(acc, nullptr);
    ASSERT_NE(acc->actionInterface(), nullptr);
    EXPECT_TRUE(acc->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    EXPECT_EQ(acc->text(QAccessible::Name), "Connect");
    acc->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTest::keyClick(pressable, Qt::Key_Space);
    EXPECT_EQ(g_fired, std::vector<int>({201, 201}));

    EXPECT_EQ(qkwinstaticsettext(w.win(), 202, ""), 0);
    EXPECT_EQ(w.find<QLabel>(202)->accessibleName(), "");
    auto* edit = w.find<QLineEdit>(301);
    edit->clear();
    QTest::keyClicks(edit, "998");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(edit)->text(QAccessible::Name), "998");

    QMenuBar* bar = w.top()->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    QAction* open = bar->actions()[0]->menu()->actions()[0];
    QStatusBar* status = w.top()->findChild<QStatusBar*>();
    ASSERT_NE(status, nullptr);
    const struct {
        const char* what;
        QObject* object;
        const char* description;
    } ids[] = {
        {"menu", bar->actions()[0], "control 10"},
        {"menu item", open, "control 11"},
        {"sub-tab", w.top()->findChild<QWidget*>("page511"), "control 511"},
        {"status part", status->findChild<QLabel*>("sbpart0"), "control 701"},
        {"scroll bar", w.top()->findChild<QScrollBar*>("vscroll"), "control 77"},
        {"window", w.top(), "control 77"},
    };
    for (const auto& c : ids) EXPECT_EQ(describe(c.object), c.description) << c.what;
    QAccessibleInterface* item = QAccessible::queryAccessibleInterface(open);
    ASSERT_NE(item->actionInterface(), nullptr);
    item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(g_fired.back(), 11);
}
