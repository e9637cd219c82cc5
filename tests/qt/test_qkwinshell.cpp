// What the application shell needs of a window beyond its controls
// (offscreen): the right-button pop-up menu and the tray icon.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTest>

#include <vector>

#include "qksyswinsrv.h"
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
