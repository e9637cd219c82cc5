// The Qt drawing surface on a real window's backing image (offscreen): the
// pixels the primitives leave, drawing from another thread while the GUI
// thread paints, and the window image on the clipboard and in a file.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <atomic>
#include <string>
#include <thread>
#include <unistd.h>

#include "qkbmpsrv.h"
#include "qkdrawsurface.h"
#include "qklogsrv.h"
#include "qkwincfgsrv.h"
#include "qkwinpalettesrv.h"
#include "qkwintext.h"
#include "qksysdrawsurface.h"
#include "qksyswincapture.h"
#include "qksyswinobj.h"
#include "qksyswinsrv.h"
#include "vxtestqt.h"

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

// A 240 x 160 main window; body adds its controls and fonts.
std::string drawWindow(const std::string& body)
{
    return "<TITLE>draw</TITLE>\n<WIDTH>240</WIDTH>\n<HEIGHT>160</HEIGHT>\n" + body;
}

}  // namespace

TEST(QkSysDrawSurface, PrimitivesLeaveTheExpectedPixels)
{
    vxtest::QtWindow w(drawWindow("<FONT>\n<ID>318</ID>\n<NAME>DejaVu Sans</NAME>\n<HEIGHT>16</HEIGHT>\n</FONT>\n"));
    {
        std::unique_ptr<qkdrawSurface> s = qkdrawopen(w.win());
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->width(), 240);
        EXPECT_EQ(s->height(), 160);
        s->fillRect(10, 10, 60, 40, 0x0000FF);                       // red, right and bottom edge outside
        s->setPen(QKDRAW_PEN_SOLID, 1, 0xFF0000);                     // blue
        s->moveTo(0, 100);
        s->lineTo(50, 100);                                           // the end point stays free
        s->setPen(QKDRAW_PEN_DASH, 1, 0x00FF00);                      // green: 18 on, 6 off
        s->moveTo(0, 110);
        s->lineTo(100, 110);
        s->setPen(QKDRAW_PEN_SOLID, 3, 0x000000);
        s->moveTo(100, 50);
        s->lineTo(150, 50);
        qkbmpImageInfo part;
        ASSERT_EQ(s->copyRect(5, 5, 10, 10, &part), 0);
        EXPECT_EQ(part.pixels[0], 0xFFFFFFu);
        EXPECT_EQ(part.pixels[5 * 10 + 5], 0xFF0000u);
        ASSERT_EQ(s->copyRect(235, 0, 10, 1, &part), 0);              // beyond the right edge: black
        EXPECT_EQ(part.pixels[9], 0u);
    }
    const struct {
        int x, y;
        QRgb rgb;
    } expect[] = {
        {10, 10, 0xFFFF0000}, {59, 39, 0xFFFF0000}, {60, 39, kWhite}, {59, 40, kWhite}, {9, 10, kWhite},
        {0, 100, 0xFF0000FF}, {49, 100, 0xFF0000FF}, {50, 100, kWhite},
        {0, 110, 0xFF00FF00}, {17, 110, 0xFF00FF00}, {18, 110, kWhite}, {23, 110, kWhite}, {24, 110, 0xFF00FF00},
        {125, 49, 0xFF000000}, {125, 50, 0xFF000000}, {125, 51, 0xFF000000}, {125, 47, kWhite},
    };
    for (const auto& e : expect) EXPECT_EQ(w.pixel(e.x, e.y), e.rgb) << e.x << "," << e.y;

    // Free text through the window's surface: right aligned, white on black.
    if (!vxtest::haveFonts({"DejaVu Sans"})) GTEST_SKIP() << "font DejaVu Sans not installed";
    qkwinTextInfo* t = qkwintextallocate();
    ASSERT_EQ(qkwinsettextfontid(w.win(), t, 318), 0);
    ASSERT_EQ(qkwinsettextcolor(w.win(), t, "White", "Black"), 0);
    ASSERT_EQ(qkwinsettextalign(w.win(), t, QKWIN_TEXT_RIGHT), 0);
    ASSERT_EQ(qkwinsettextpos(w.win(), t, 230, 130), 0);
    ASSERT_EQ(qkwinsendtext(w.win(), t, "Ready"), 0);
    ASSERT_GT(t->width, 10);
    EXPECT_EQ(w.pixel(229, 130), 0xFF000000u);                         // the text cell's background
    EXPECT_EQ(w.pixel(230, 130), kWhite);                              // nothing right of the position
    EXPECT_EQ(w.pixel(229 - t->width, 130), kWhite);
    int ink = 0;
    for (int x = 230 - t->width; x < 230; ++x)
        for (int y = 130; y < 130 + t->height; ++y) ink += w.pixel(x, y) == kWhite;
    EXPECT_GT(ink, 10);
    qkwinTextMetricsInfo m{};
    ASSERT_EQ(qkwingettextmetrics(w.win(), t, &m), 0);
    EXPECT_EQ(m.height, t->height);
    qkwintextfree(t);
}

// A child window's thread draws (and sets the clipboard) while the GUI thread
// keeps repainting the canvas: nobody waits for ever, and the picture holds
// what the thread drew.
TEST(QkSysDrawSurface, AnotherThreadDrawsWhileTheGuiPaints)
{
    vxtest::QtWindow w(drawWindow(""));
    std::atomic<bool> done{false};
    std::atomic<int> clip{-99};
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i) {
            std::unique_ptr<qkdrawSurface> s = qkdrawopen(w.win());
            s->fillRect(200, 0, 210, 10, 0xFF00FF);
            qkbmpImageInfo img;
            s->copyRect(200, 0, 10, 10, &img);
            clip = s->setClipboard(img);
            s->fillRect(210, 0, 220, 10, 0x00FFFF);
        }
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            w.canvas()->repaint();
            return done.load();
        },
        10000));
    worker.join();
    EXPECT_EQ(clip.load(), 0);
    EXPECT_EQ(w.pixel(205, 5), 0xFFFF00FFu);
    EXPECT_EQ(w.pixel(215, 5), 0xFFFFFF00u);
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32).pixel(3, 3), 0xFFFF00FFu);
}

// The window image (picture and controls) goes to the clipboard, and the
// same pixels into a bitmap file.
TEST(QkSysDrawSurface, CaptureAndSaveGiveTheSameImage)
{
    vxtest::QtWindow w(drawWindow(
        "<STATIC>\n<ID>501</ID>\n<STRING>MMMM</STRING>\n<XORIG>150</XORIG>\n<YORIG>100</YORIG>\n"
        "<WIDTH>80</WIDTH>\n<HEIGHT>30</HEIGHT>\n</STATIC>\n"
        "<BUTTON>\n<ID>601</ID>\n<NAME>Copy</NAME>\n<FUNCTION>qkwinCaptureScreen</FUNCTION>\n"
        "<XORIG>150</XORIG>\n<YORIG>10</YORIG>\n<WIDTH>60</WIDTH>\n<HEIGHT>24</HEIGHT>\n</BUTTON>\n"));
    {
        std::unique_ptr<qkdrawSurface> s = qkdrawopen(w.win());
        s->fillRect(20, 20, 70, 60, 0x0000FF);
    }
    // A control bound to the standard name copies the window.
    QGuiApplication::clipboard()->clear();
    QWidget* button = w.canvas()->findChild<QWidget*>("id601");
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([] { return !QGuiApplication::clipboard()->image().isNull(); }, 5000));
    const QImage clip = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(clip.size(), w.canvas()->size());
    EXPECT_EQ(clip.pixel(30, 30), 0xFFFF0000u);
    // The static control is in the image: its area is not the bare picture.
    bool control = false;
    for (int x = 150; x < 230 && !control; ++x)
        for (int y = 100; y < 130 && !control; ++y) control = clip.pixel(x, y) != w.pixel(x, y);
    EXPECT_TRUE(control);

    qkbmpImageInfo fromClip;
    qksysdrawtobmp(clip, &fromClip);
    std::vector<unsigned char> expect;
    ASSERT_EQ(qkbmpencode(&fromClip, &expect), 0);

    const std::string path = w.tree().path("work/screen.bmp");
    ASSERT_EQ(qksyswinsavescreenfile(w.win(), path.c_str()), 0);
    std::string file = vxtest::readFile(path);
    EXPECT_EQ(std::vector<unsigned char>(file.begin(), file.end()), expect);

    // The standard callback asks for the name (answered here by the
    // environment, as unattended runs are), then returns to the home folder.
    ASSERT_EQ(qkwinsethomedir(w.win(), w.tree().work().c_str()), 0);
    const std::string asked = w.tree().path("work/asked.bmp");
    {
        vxtest::EnvGuard answer("VX_FILEDLG_AUTOANSWER", asked.c_str());
        vxtest::CwdGuard cwd(w.tree().root());
        EXPECT_EQ(qkwinSaveScreen(w.win()), 0);
        char after[512];
        ASSERT_NE(getcwd(after, sizeof after), nullptr);
        EXPECT_EQ(std::string(after), w.tree().work());
    }
    file = vxtest::readFile(asked);
    EXPECT_EQ(std::vector<unsigned char>(file.begin(), file.end()), expect);

    EXPECT_EQ(qksyswinsavescreenfile(w.win(), w.tree().path("missing/x.bmp").c_str()), -1);
    EXPECT_EQ(qkwinCaptureScreen(nullptr), -2);
}
