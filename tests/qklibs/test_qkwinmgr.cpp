// The window management table (128 slots shared by every window of a
// program) and the display scale arithmetic with the stored user scale.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "qklogsrv.h"
#include "qkwinmgr.h"
#include "qkwinscale.h"
#include "vxtestsupport.h"

namespace {

qkwinInfo* fakeWin(int n)
{
    return reinterpret_cast<qkwinInfo*>(static_cast<uintptr_t>(0x1000 + 16 * n));
}

intptr_t val(qkwinInfo* w)
{
    return reinterpret_cast<intptr_t>(w);
}

}  // namespace

TEST(QkWinMgr, TheWindowAfterTheLastSlotIsRefused)
{
    vxtest::TempTree tree;
    const std::string logPath = tree.path("mgr.log");
    ASSERT_EQ(qklogopn(logPath.c_str()), 0);
    qkwinmanagementInfo* t = qkwinmgrallocate();
    qkwinInfo* parent = fakeWin(0);
    for (int i = 0; i < QKWIN_MAXWINDOWS; ++i) ASSERT_EQ(qkwinmgrtakeslot(t, 100 + i, parent, fakeWin(i + 1), nullptr), i);
    EXPECT_EQ(t->cnt, QKWIN_MAXWINDOWS);
    EXPECT_EQ(qkwinmgrtakeslot(t, 999, parent, fakeWin(999), nullptr), -2);
    EXPECT_EQ(qkwinmgrsetndx(t), -2);
    qklogcls();
    EXPECT_EQ(vxtest::countLines(vxtest::readFile(logPath), "Max window count reached: 128"), 2);

    // Look-ups by every kind, and a freed slot is the next one taken.
    EXPECT_EQ(qkwinmgrsrchhdl(t, QKWINMGR_CHILD, val(fakeWin(6))), 5);
    EXPECT_EQ(qkwinmgrgethdl(t, QKWINMGR_ITEM, QKWINMGR_CHILD, 105), val(fakeWin(6)));
    EXPECT_EQ(qkwinmgrgethdl(t, QKWINMGR_CHILD, QKWINMGR_PARENT, val(fakeWin(6))), val(parent));
    EXPECT_EQ(qkwinmgrgethdl(t, QKWINMGR_ITEM, QKWINMGR_CHILD, 4711), 0);
    EXPECT_EQ(qkwinmgrclrndx(t, 5), 0);
    EXPECT_EQ(qkwinmgrsrchhdl(t, QKWINMGR_CHILD, val(fakeWin(6))), -2);
    EXPECT_EQ(qkwinmgrtakeslot(t, 7, parent, fakeWin(500), nullptr), 5);
    EXPECT_EQ(t->cnt, QKWIN_MAXWINDOWS);
    // Clearing a handle kind touches every slot that holds it, and only that field.
    EXPECT_EQ(qkwinmgrclrhdl(t, QKWINMGR_PARENT, val(parent)), QKWIN_MAXWINDOWS);
    EXPECT_EQ(qkwinmgrsrchhdl(t, QKWINMGR_ITEM, 7), 5);
    EXPECT_EQ(qkwinmgrclrndx(t, QKWIN_MAXWINDOWS), -2);
    qkwinmgrfreemem(t);
}

TEST(QkWinScale, PercentagesOfPositionsAndSizes)
{
    struct Case {
        int percent, value, expected;
    } cases[] = {
        {0, 37, 37},      // no scale: unchanged
        {0, 0, 0},
        {50, 1, 1},       // 0.5 rounds to 1
        {50, 3, 2},       // halves away from zero
        {40, 1, 1},       // 0.4 would be 0: never 0
        {100, 0, 1},
        {150, 10, 15},
        {125, 7, 9},      // 8.75
        {33, -3, -1},
        {200, 32767, 65534},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qkwinsetscale(c.percent, c.value), c.expected) << c.percent << "% of " << c.value;

    qkwinInfo win{};
    win.xsize = 800;
    win.ysize = 0;
    win.scale.yval = 100;
    EXPECT_EQ(qkwinfillscrncalc(&win, 1600, 900), 0);
    EXPECT_EQ(win.scale.xval, 0);   // FILLSCREEN not enabled
    win.opts.fillscreen = 1;
    EXPECT_EQ(qkwinfillscrncalc(&win, 1600, 900), 0);
    EXPECT_EQ(win.scale.xval, 200);
    EXPECT_EQ(win.scale.yval, 100);   // a window without a height keeps its scale
}

TEST(QkWinScale, TheStoredScaleReplacesOnlyItsLine)
{
    struct Case {
        const char* before;
        const char* after;
    } cases[] = {
        {"QKD$A\tx\r\nUSER$SCALE\t100\r\nQKD$B\ty\r\n", "QKD$A\tx\r\nUSER$SCALE\t125\r\nQKD$B\ty\r\n"},
        {"USER$SCALE 90", "USER$SCALE\t125\r\n"},
        {"QKD$A\tx\n", "QKD$A\tx\nUSER$SCALE\t125\r\n"},   // no line yet: added at the end
        {"QKD$A\tx", "QKD$A\tx\r\nUSER$SCALE\t125\r\n"},
        {"", "USER$SCALE\t125\r\n"},
    };
    char out[256];
    for (const Case& c : cases) {
        qkwinscalesettext(c.before, 125, out, sizeof out);
        EXPECT_EQ(std::string(out), c.after) << c.before;
    }
    vxtest::TempTree tree;
    const std::string path = tree.write("usercfg/userresource.txt", cases[0].before);
    EXPECT_EQ(qkwinscalesetfile(path.c_str(), 125), 0);
    EXPECT_EQ(vxtest::readFile(path), cases[0].after);
    EXPECT_EQ(qkwinscalesetfile(tree.path("usercfg/missing.txt").c_str(), 125), -1);
}
