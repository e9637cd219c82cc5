// Windows of the framework on Qt (offscreen): a window built from its
// definition file, message boxes answered by a "user" or by the unattended
// policy, ending the main window with the confirmation question, and device
// changes of the virtual port folder.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinchild.h"
#include "qksyswinfiledlg.h"
#include "qksyswinmsgbox.h"
#include "qksyswinobj.h"
#include "qksyswinprivate.h"
#include "qksyswinsrv.h"
#include "qkwincfgsrv.h"
#include "qkwinfuncsrv.h"
#include "qkwinmsgbox.h"
#include "qkwinpalettesrv.h"
#include "vxtestqt.h"

namespace {

// The "user": answers the next message box that shows with button, and
// remembers its caption and text.
struct BoxUser {
    QString caption, text;
    bool onTop = false;
    void answerNext(QMessageBox::StandardButton button)
    {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [this, timer, button] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (box == nullptr || !box->isVisible() || box->property("answered").toBool()) continue;
                box->setProperty("answered", true);
                caption = box->windowTitle();
                text = box->text();
                onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
                timer->stop();
                timer->deleteLater();
                if (QAbstractButton* b = box->button(button)) b->click();
                return;
            }
        });
        timer->start();
    }
};

int g_closed = 0;
int countClose(qkwinInfo*)
{
    ++g_closed;
    return 0;
}

int g_started = 0;
int countStart(qkwinInfo* w)
{
    // The start function runs before the controls exist.
    EXPECT_EQ(w->createFlag.load(), 0);
    ++g_started;
    return 0;
}

}  // namespace

TEST(QkWinWindow, DefinitionGivesTitleSizeAndStartFunction)
{
    g_started = 0;
    vxtest::QtWindow w("<TITLE>Vantorix core</TITLE>\n<XORIG>20</XORIG>\n<YORIG>10</YORIG>\n<WIDTH>300</WIDTH>\n"
             "<HEIGHT>200</HEIGHT>\n<SCALE>150</SCALE>\n<USERSTARTFUNCTION>tstStart</USERSTARTFUNCTION>\n",
             {.show = false});
    // Bound by the program before the window is shown.
    w.win()->userStartFunc = countStart;
    ASSERT_EQ(qksyswindsp(w.win()), 0);
    EXPECT_EQ(g_started, 1);
    EXPECT_EQ(w.win()->state.load(), 1);
    EXPECT_EQ(w.win()->createFlag.load(), 1);
    ASSERT_NE(w.top(), nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.top()));
    EXPECT_EQ(w.top()->windowTitle(), "Vantorix core");
    EXPECT_EQ(w.top()->size(), QSize(450, 300));   // the window's scale of 150 %
    qkwinchgtitle(w.win(), "Renamed");
    EXPECT_EQ(w.top()->windowTitle(), "Renamed");
    EXPECT_STREQ(w.win()->title, "Renamed");
}

TEST(QkWinWindow, MessageBoxesAnswerWithTheButtonPressed)
{
    vxtest::EnvGuard manual("VX_MSGBOX_AUTOANSWER", "none");
    vxtest::QtWindow w("<TITLE>boxes</TITLE>\n<WIDTH>200</WIDTH>\n<HEIGHT>100</HEIGHT>\n");
    struct Case {
        int (*show)(qkwinInfo*, const char*);
        QMessageBox::StandardButton press;
        int expected;
    } cases[] = {
        {qkwinmsginfo, QMessageBox::Ok, 121},   {qkwinmsgquestion, QMessageBox::Yes, 123},
        {qkwinmsgquestion, QMessageBox::No, 124}, {qkwinmsgwarn, QMessageBox::Yes, 123},
        {qkwinmsgstop, QMessageBox::No, 124},   {qkwinmsgerror, QMessageBox::Yes, 123},
    };
    BoxUser user;
    for (const Case& c : cases) {
        user.answerNext(c.press);
        EXPECT_EQ(c.show(w.win(), "Analyzer is not connected"), c.expected);
        EXPECT_EQ(user.text, "Analyzer is not connected");
        EXPECT_EQ(user.caption, "QKWIN message");
        EXPECT_TRUE(user.onTop);
        EXPECT_EQ(w.win()->mbox.rslt, c.expected);
    }
    // A box of another type has Yes, No and Cancel; the caption set last is used.
    qkwinmsgsetcaption(w.win(), "Vantorix Message");
    user.answerNext(QMessageBox::Cancel);
    EXPECT_EQ(qksyswinmsgbox(w.win(), 100, 113, "three ways"), 122);
    EXPECT_EQ(user.caption, "Vantorix Message");
    // The same from a worker thread: the box shows on the GUI thread.
    std::atomic<int> answer{0};
    user.answerNext(QMessageBox::No);
    std::thread worker([&] { answer = qkwinmsgquestion(w.win(), "from a worker"); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer != 0; }, 5000));
    worker.join();
    EXPECT_EQ(answer.load(), 124);
}

TEST(QkWinWindow, UnattendedBoxesAnswerByPolicy)
{
    // Result types: 111 OK, 112 OK/Cancel, 110 Yes/No, 113 Yes/No/Cancel.
    struct Case {
        const char* policy;
        int rsltType;
        int expected;
    } cases[] = {
        {nullptr, 111, 121}, {nullptr, 110, 124}, {nullptr, 112, 122}, {nullptr, 113, 122},   // offscreen: nothing changes
        {"none", 111, -1},   {"off", 110, -1},                                                   // wait for a user
        {"yes", 110, 123},   {"YES", 113, 123},  {"yes", 111, 121},                               // no Yes: default
        {"ok", 112, 121},    {"cancel", 110, 124}, {"no", 113, 124},  {"whatever", 110, 124},
    };
    for (const Case& c : cases) {
        vxtest::EnvGuard policy("VX_MSGBOX_AUTOANSWER", c.policy);
        EXPECT_EQ(qksyswinAutoAnswer(c.rsltType), c.expected) << (c.policy ? c.policy : "unset") << " " << c.rsltType;
    }
    vxtest::EnvGuard policy("VX_MSGBOX_AUTOANSWER", "yes");
    vxtest::QtWindow w("<TITLE>auto</TITLE>\n");
    EXPECT_EQ(qkwinmsgquestion(w.win(), "Save the data file?"), 123);
    EXPECT_EQ(qkwinmsginfo(w.win(), "Saved"), 121);
}

TEST(QkWinWindow, ExitWithConfirmationEndsOnlyOnYes)
{
    vxtest::EnvGuard manual("VX_MSGBOX_AUTOANSWER", "none");
    g_closed = 0;
    vxtest::QtWindow w("<TITLE>exit</TITLE>\n<WIDTH>200</WIDTH>\n<HEIGHT>100</HEIGHT>\n"
             "<BUTTON>\n<ID>101</ID>\n<NAME>Exit</NAME>\n<FUNCTION>qksyswinexitconf</FUNCTION>\n</BUTTON>\n",
             {.show = false});
    w.win()->userCloseFunc = countClose;
    ASSERT_EQ(qksyswindsp(w.win()), 0);
    auto* exit = w.find<QPushButton>(101);
    ASSERT_NE(exit, nullptr);
    BoxUser user;
    user.answerNext(QMessageBox::No);
    QTest::mouseClick(exit, Qt::LeftButton);
    EXPECT_EQ(user.text, "are you sure");
    EXPECT_EQ(w.win()->state.load(), 1);
    EXPECT_EQ(g_closed, 0);
    // Yes while the blocking loop runs: the loop ends and the close function runs once.
    user.answerNext(QMessageBox::Yes);
    QTimer::singleShot(0, exit, [exit] { QTest::mouseClick(exit, Qt::LeftButton); });
    EXPECT_EQ(qksyswinwaitmsg(w.win()), 0);
    EXPECT_EQ(w.win()->state.load(), 0);
    EXPECT_TRUE(QTest::qWaitFor([] { return g_closed == 1; }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.top()->isHidden(); }, 2000));
    // Whatever the close left queued is served: the close function still ran once.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(g_closed, 1);
}

namespace {

struct DeviceSeen {
    int state;
    std::string name;
};
std::vector<DeviceSeen> g_devices;
int deviceChanged(qkwinInfo* w)
{
    g_devices.push_back({w->device.state, w->device.name});
    return 0;
}

}  // namespace

TEST(QkWinWindow, PortLinksInTheVirtualFolderReachTheDeviceHook)
{
    g_devices.clear();
    vxtest::TempTree where;
    {
        // "../dev" is taken from the working directory when the main window shows.
        vxtest::CwdGuard cwd(where.work());
        vxtest::QtWindow w("<TITLE>devices</TITLE>\n");
        w.win()->userDevUpDateFunc = deviceChanged;
        const std::string link = where.path("dev/ttyV3");
        ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);
        // Not a port: ignored.
        ASSERT_EQ(symlink("/dev/null", where.path("dev/notaport").c_str()), 0);
        EXPECT_TRUE(QTest::qWaitFor([] { return !g_devices.empty(); }, 5000));
        ASSERT_EQ(unlink(link.c_str()), 0);
        EXPECT_TRUE(QTest::qWaitFor([] { return g_devices.size() >= 2; }, 5000));
        ASSERT_EQ(g_devices.size(), 2u);
        EXPECT_EQ(g_devices[0].state, 2);
        EXPECT_EQ(g_devices[0].name, "COM100");
        EXPECT_EQ(g_devices[1].state, 3);
        EXPECT_EQ(g_devices[1].name, "COM100");
        EXPECT_EQ(w.win()->device.chgflg, 1);
    }
}

TEST(QkWinWindow, NoticeHelpAndProgramStart)
{
    vxtest::EnvGuard manual("VX_MSGBOX_AUTOANSWER", "none");
    vxtest::QtWindow w("<TITLE>notice</TITLE>\n<BUTTON>\n<ID>301</ID>\n<NAME>Run</NAME>\n</BUTTON>\n"
             "<PROCESS>\n<ID>301</ID>\n<PATH>/usr/bin/touch  started.txt</PATH>\n</PROCESS>\n");
    // The waiting notice stays up while the caller goes on after 1 to 2 s.
    const vxtest::Stopwatch watch;
    EXPECT_EQ(qkwinmsgrunthred(w.win(), "Searching for the analyzer"), 0);
    const long long waited = watch.ms();
    EXPECT_GE(waited, 900);
    EXPECT_LT(waited, 2500);
    EXPECT_EQ(w.win()->mbox.state.load(), 1);
    auto* notice = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), "Searching for the analyzer");
    EXPECT_EQ(qkwinmsgstopthred(w.win()), 0);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() == nullptr; }, 2000));
    EXPECT_EQ(w.win()->mbox.state.load(), 0);

    // Help boxes: the declared texts, else the library's version; texts that
    // do not fit are refused.
    BoxUser user;
    user.answerNext(QMessageBox::Ok);
    qkwinhelpabout(w.win());
    EXPECT_EQ(user.text, "v.6.0.0");
    EXPECT_EQ(qkwinhelpsetversion(w.win(), std::string(128, 'v').c_str()), -2);
    EXPECT_EQ(qkwinhelpsetversion(w.win(), "Vantorix NQE 1.6.0"), 0);
    EXPECT_EQ(qkwinhelpsetcontact(w.win(), "service@example.org"), 0);
    user.answerNext(QMessageBox::Ok);
    qkwinhelpabout(w.win());
    EXPECT_EQ(user.text, "Vantorix NQE 1.6.0");
    user.answerNext(QMessageBox::Ok);
    qkwinhelpcontact(w.win());
    EXPECT_EQ(user.text, "service@example.org");

    // A PROCESS record starts its program with the rest of the text as argument.
    {
        vxtest::CwdGuard cwd(w.tree().work());
        w.win()->actitemid = 301;
        EXPECT_EQ(qkwinstartproc(w.win()), 0);
        w.win()->actitemid = 302;
        EXPECT_EQ(qkwinstartproc(w.win()), -2);
    }
    EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::fileExists(w.tree().path("work/started.txt")); }));
}

TEST(QkWinWindow, FileDialogsGiveTheChosenName)
{
    vxtest::QtWindow w("<TITLE>files</TITLE>\n");
    const std::string wanted = w.tree().write("data/spectra.txt", "x");
    {
        // A user picks the file.
        vxtest::EnvGuard manual("VX_MSGBOX_AUTOANSWER", "none");
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dlg == nullptr) return;
            poll.stop();
            dlg->selectFile(QString::fromStdString(wanted));
            QMetaObject::invokeMethod(dlg, "accept");
        });
        poll.start(10);
        qkstrset(w.win()->cdlg.filter, "Text (*.txt)");
        EXPECT_EQ(qksyswinopenfile(w.win()), 0);
        EXPECT_EQ(w.win()->cdlg.rslt, 1);
        EXPECT_EQ(std::string(w.win()->cdlg.fName), wanted);
    }
    // Unattended: cancelled, unless a name is given for it.
    char name[128];
    EXPECT_EQ(qksyswinfiledlg(w.win(), 1, "*.bmp", name, sizeof name), 0);
    EXPECT_STREQ(name, "");
    vxtest::EnvGuard given("VX_FILEDLG_AUTOANSWER", "plot.bmp");
    EXPECT_EQ(qksyswinsavefile(w.win()), 0);
    EXPECT_EQ(w.win()->cdlg.rslt, 1);
    EXPECT_STREQ(w.win()->cdlg.fName, "plot.bmp");
}
