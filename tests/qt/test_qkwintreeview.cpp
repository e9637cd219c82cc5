// Tree views on a real window (offscreen): building through the base and
// parent index, check boxes by list position, the capacity, deleting, picking
// an item, and a tree built from a worker thread.
#include <gtest/gtest.h>

#include <QTest>
#include <QTreeWidget>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "qklogsrv.h"
#include "qkwintreeview.h"
#include "qksyswinobj.h"
#include "qksyswinsrv.h"
#include "qksyswintreeview.h"
#include "vxtestqt.h"

namespace {

constexpr int kTree = 1430;

class TreeWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        log = tree.path("work/tree.log");
        tree.write("work/.keep", "");
        ASSERT_EQ(qklogopn(log.c_str()), 0);
        window = std::make_unique<vxtest::QtWindow>(
            "<TITLE>tree</TITLE>\n<WIDTH>300</WIDTH>\n<HEIGHT>300</HEIGHT>\n<TREEVIEW>\n<ID>1430</ID>\n<XORIG>10</XORIG>\n"
            "<YORIG>10</YORIG>\n<WIDTH>280</WIDTH>\n<HEIGHT>280</HEIGHT>\n</TREEVIEW>\n");
        win = window->win();
        view = window->find<QTreeWidget>(kTree);
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override
    {
        window.reset();
        qklogcls();
    }

    std::string logText() const
    {
        std::fflush(qkloggetfd());
        return vxtest::readFile(log);
    }
    // The texts of the children of item (or of the top level).
    static QStringList children(QTreeWidgetItem* item)
    {
        QStringList out;
        for (int i = 0; i < item->childCount(); ++i) out << item->child(i)->text(0);
        return out;
    }

    vxtest::TempTree tree;
    std::string log;
    std::unique_ptr<vxtest::QtWindow> window;
    qkwinInfo* win = nullptr;
    QTreeWidget* view = nullptr;
};

std::atomic<int> g_picks{0};
std::string g_picked;
int g_pickedId = 0;

int onPick(qkwinInfo* window)
{
    char buf[64];
    qkwinGetTrVwUserSelItem(window, kTree, buf, sizeof buf);
    g_picked = buf;
    g_pickedId = window->actitemid;
    ++g_picks;
    return 7;
}

}  // namespace

TEST_F(TreeWindow, BuildsThroughBaseAndParentIndexWithinItsCapacity)
{
    // The declared tree exists hidden once the window is created.
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(qkwinInitTrVw(win, kTree, "Spectra"), -2);
    EXPECT_EQ(view->topLevelItemCount(), 0);
    EXPECT_EQ(vxtest::countLines(logText(), "User must set tree view base max count"), 1);

    ASSERT_EQ(qkwinCreateTrVw(win, kTree, QKWIN_TRVW_CHECKBOXES), 0);
    EXPECT_TRUE(view->isVisible());
    ASSERT_EQ(qkwinSetTrVwMaxCnt(win, kTree, 6), 0);
    ASSERT_EQ(qkwinInitTrVw(win, kTree, "Spectra"), 0);
    ASSERT_EQ(qkwinSetTrVwPrtndx(win, kTree, 0), 0);
    ASSERT_EQ(qkwinAddTrVwIndex(win, kTree, "plot A"), 0);      // tree index 1
    ASSERT_EQ(qkwinAddTrVwItem(win, kTree, "c1"), 0);           // both at tree index 2,
    ASSERT_EQ(qkwinAddTrVwItem(win, kTree, "c2"), 0);           // list positions 2 and 3
    ASSERT_EQ(qkwinAddTrVwIndex(win, kTree, "plot B"), 0);      // still under the root: overwrites index 1
    ASSERT_EQ(qkwinAddTrVwItem(win, kTree, "c3"), 0);           // list position 5: the tree is full
    EXPECT_EQ(qkwinAddTrVwItem(win, kTree, "c4"), -2);
    EXPECT_EQ(qkwinSetTrVwMaxCnt(win, kTree, 50), -2);          // not while items exist

    ASSERT_EQ(view->topLevelItemCount(), 1);
    QTreeWidgetItem* root = view->topLevelItem(0);
    EXPECT_EQ(root->text(0), "Spectra");
    EXPECT_EQ(children(root), (QStringList{"plot A", "plot B"}));
    EXPECT_EQ(children(root->child(0)), (QStringList{"c1", "c2"}));
    EXPECT_EQ(children(root->child(1)), (QStringList{"c3"}));

    // Check boxes and state images by list position.
    const struct {
        int position, image, checked;
    } states[] = {{2, -1, 0}, {3, 2, 1}, {2, 1, 0}, {3, 0, 0}, {0, 2, 1}};
    for (const auto& s : states) {
        if (s.image >= 0) {
            ASSERT_EQ(qksyswinsetTrVwState(win, kTree, s.position, s.image), 0);
        }
        EXPECT_EQ(qksyswinTrVwGetChkBoxByID(win, kTree, s.position), s.checked) << s.position << " " << s.image;
    }
    EXPECT_FALSE(root->child(0)->child(1)->data(0, Qt::CheckStateRole).isValid());   // image 0: no box
    ASSERT_EQ(qksyswinTrVwSetChkBoxByID(win, kTree, 2, 1), 0);
    EXPECT_EQ(root->child(0)->child(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(qksyswinTrVwGetChkBoxByID(win, kTree, 2), 1);
    EXPECT_EQ(qksyswinTrVwGetChkBoxByID(win, kTree, 6), -2);
    EXPECT_EQ(qksyswinTrVwSetChkBoxByID(win, 999, 2, 1), -2);
    EXPECT_EQ(qksyswinsetTrVwState(win, kTree, 2, 3), -2);

    // Deleting the group at tree index 1 (plot B) takes its item along; their
    // list positions are empty from then on, the others stay.
    ASSERT_EQ(qkwinDelTrVwIndex(win, kTree, 1), 0);
    EXPECT_EQ(children(root), (QStringList{"plot A"}));
    EXPECT_EQ(qksyswinTrVwGetChkBoxByID(win, kTree, 4), -2);
    EXPECT_EQ(qksyswinTrVwGetChkBoxByID(win, kTree, 5), -2);
    EXPECT_EQ(qksyswinTrVwGetChkBoxByID(win, kTree, 2), 1);
    EXPECT_EQ(qkwinDelTrVwItem(win, kTree, 1), -2);            // nothing there any more

    // Deleting everything keeps the capacity: the tree can be built again.
    ASSERT_EQ(qksyswinDelAllTrVwItemsByID(win, kTree), 0);
    EXPECT_EQ(view->topLevelItemCount(), 0);
    EXPECT_EQ(qksyswinTrVwGetChkBoxByID(win, kTree, 0), -2);
    ASSERT_EQ(qkwinInitTrVw(win, kTree, "Parameters"), 0);
    EXPECT_EQ(view->topLevelItemCount(), 1);
}

TEST_F(TreeWindow, PickingAnItemCallsBackWithItsText)
{
    const std::string longName(70, 'n');
    ASSERT_EQ(qkwinCreateTrVw(win, kTree, 0), 0);
    ASSERT_EQ(qkwinSetTrVwMaxCnt(win, kTree, 10), 0);
    ASSERT_EQ(qkwinInitTrVw(win, kTree, "Parameters"), 0);
    ASSERT_EQ(qkwinSetTrVwPrtndx(win, kTree, 0), 0);
    ASSERT_EQ(qkwinAddTrVwIndex(win, kTree, "Group"), 0);
    ASSERT_EQ(qkwinAddTrVwItem(win, kTree, longName.c_str()), 0);
    ASSERT_EQ(qkwinSetTrVwUserCB(win, kTree, onPick), 0);
    view->expandAll();

    // A double click on the item reaches the callback through the window.
    g_picks = 0;
    QTreeWidgetItem* item = view->topLevelItem(0)->child(0)->child(0);
    const QPoint at = view->visualItemRect(item).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);   // the view wants a press first
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_TRUE(QTest::qWaitFor([] { return g_picks.load() > 0; }, 5000));
    EXPECT_EQ(g_picked, longName.substr(0, 63));
    EXPECT_EQ(g_pickedId, kTree);

    // The window layer's pick step: by list position, else the current item.
    g_picks = 0;
    g_pickedId = 0;
    EXPECT_EQ(qksyswinTrVwPick(win, kTree, 1), 7);
    EXPECT_EQ(g_picked, "Group");
    EXPECT_EQ(g_pickedId, kTree);
    view->setCurrentItem(view->topLevelItem(0));
    EXPECT_EQ(qksyswinTrVwPick(win, kTree, -1), 7);
    EXPECT_EQ(g_picked, "Parameters");
    EXPECT_EQ(qksyswinTrVwPick(win, 999, 0), -2);
    EXPECT_EQ(qkwinSetTrVwUserCB(win, 999, onPick), -2);
    char buf[64];
    EXPECT_EQ(qkwinGetTrVwUserSelItem(win, 999, buf, sizeof buf), -2);
}

// The parameter tree is loaded by a worker thread; a program may also add
// trees of its own and show or hide them.
TEST_F(TreeWindow, WorkerBuildsATreeAndTreesShowAndHide)
{
    std::atomic<int> failures{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        failures += qkwinSetTrVwMaxCnt(win, kTree, 1000) != 0;
        failures += qkwinInitTrVw(win, kTree, "Parameters") != 0;
        for (int g = 0; g < 5; ++g) {
            failures += qkwinSetTrVwPrtndx(win, kTree, 0) != 0;
            failures += qkwinAddTrVwIndex(win, kTree, ("group " + std::to_string(g)).c_str()) != 0;
            for (int i = 0; i < 10; ++i) failures += qkwinAddTrVwItem(win, kTree, ("p" + std::to_string(i)).c_str()) != 0;
        }
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000));
    worker.join();
    EXPECT_EQ(failures.load(), 0);
    ASSERT_EQ(view->topLevelItemCount(), 1);
    EXPECT_EQ(view->topLevelItem(0)->childCount(), 5);
    EXPECT_EQ(view->topLevelItem(0)->child(4)->childCount(), 10);

    // A second tree appended by the program; show and hide one or all.
    EXPECT_EQ(qkwinTrWvCheckByID(win, 1500), 1);
    ASSERT_EQ(qkwinSetTrVwSize(win, 1500, 0, 0, 50, 50), 0);
    ASSERT_EQ(qkwinCreateTrVw(win, 1500, 0), 0);
    QTreeWidget* second = window->find<QTreeWidget>(1500);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(qksyswintvdsp(win, kTree, 1), 0);
    EXPECT_TRUE(view->isVisible());
    ASSERT_EQ(qksyswintvdsp(win, 0, 0), 0);
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(qksyswintvdsp(win, 999, 1), -2);

    // Checking an existing id destroys its native tree; the record stays.
    EXPECT_EQ(qkwinTrWvCheckByID(win, 1500), 1);
    EXPECT_EQ(win->tv.cnt, 2);
    EXPECT_EQ(win->tv.idPtr[1].systvPtr, nullptr);
}
