// The recording drawing surface, the surface hook, and the free text of a
// window drawn through it (position scaling, alignment, colours, fonts).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "qkdrawrecord.h"
#include "qkdrawsurface.h"
#include "qkwinfont.h"
#include "qkwinpalettesrv.h"
#include "qkstrsrv.h"
#include "qkwintext.h"
#include "vxtestsupport.h"

namespace {

using Lines = std::vector<std::string>;

// Calls of every surface opened through the hook land here.
std::vector<qkdrawRecordItem> g_sink;

std::unique_ptr<qkdrawSurface> recordingSurface(qkwinInfo*)
{
    return std::make_unique<qkdrawRecord>(640, 480, &g_sink);
}

Lines sinkTexts()
{
    Lines out;
    for (const qkdrawRecordItem& it : g_sink) out.push_back(qkdrawrecordtext(it));
    return out;
}

// A window record with the built-in palette and one font (definition ID 318).
class TextWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        win = std::make_unique<qkwinInfo>();
        qkwinpalettecreatefrom(win.get(), tree.path("no-colours.xml").c_str());
        qkwinfontregister(win.get());
        qkwinfontIDInfo& f = win->font.idPtr[0];
        f.itemid = 318;
        f.height = 20;
        qkstrset(f.name, "DejaVu Sans");
        g_sink.clear();
        previous = qkdrawsetopenhook(recordingSurface);
    }
    void TearDown() override
    {
        qkdrawsetopenhook(previous);
        qkwintextfreewin(win.get());
        qkwinfontfreemem(win.get());
        qkwinpalettefreemem(win.get());
    }

    vxtest::TempTree tree;
    std::unique_ptr<qkwinInfo> win;
    qkdrawopenhook previous = nullptr;
};

}  // namespace

TEST(QkDrawRecord, ListsThePrimitivesAsCalled)
{
    qkdrawRecord s(200, 100);
    s.setPen(7, 0, 0x0000FF);                        // unknown style: solid; width 0: 1
    s.setPen(QKDRAW_PEN_DASHDOT, 3, 0x00FF00);
    s.moveTo(10, 20);
    s.lineTo(30, 20);
    s.lineTo(30, 40);
    const qkdrawPointInfo pts[] = {{1, 1}, {5, 1}, {5, 9}};
    s.polyline(pts, 3);
    EXPECT_EQ(s.polyline(pts, 0), -2);
    s.fillRect(0, 0, 100, 50, 0xFF0000);
    s.setTextColor(0xFFFFFF);
    s.setBkColor(static_cast<int>(QKWIN_NOCOLOR));
    s.textOut(5, 6, "abc");
    qkbmpImageInfo img;
    s.copyRect(2, 3, 40, 30, &img);
    s.setClipboardResult(-2);
    EXPECT_EQ(s.setClipboard(img), -2);

    EXPECT_EQ(s.texts(), (Lines{"pen solid 1 #ff0000", "pen dashdot 3 #00ff00", "move 10,20", "line 10,20 30,20",
                                "line 30,20 30,40", "move 1,1", "line 1,1 5,1", "line 5,1 5,9",
                                "fill 0,0 100,50 #0000ff", "textcolor #ffffff", "bkcolor none", "text 5,6 abc",
                                "copy 2,3 40x30", "clipboard 40x30"}));
    // The copy has the asked size; a surface without pixels gives black.
    EXPECT_EQ(img.width, 40);
    EXPECT_EQ(img.height, 30);
    EXPECT_EQ(img.pixels.size(), 1200u);
    EXPECT_EQ(s.copyRect(0, 0, 0, 5, &img), -2);
}

TEST(QkDrawRecord, FixedTextMetricsFollowTheFont)
{
    qkdrawRecord s;
    int w = 0, h = 0;
    s.textExtent("abcd", &w, &h);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 16);
    qkwinfontIDInfo font{};
    font.height = 20;
    s.setFont(&font);
    s.textExtent("abcd", &w, &h);
    EXPECT_EQ(w, 40);
    EXPECT_EQ(h, 20);
    qkdrawTextMetricsInfo m{};
    s.textMetrics(&m);
    EXPECT_EQ(m.ascent + m.descent, m.height);
}

TEST(QkDrawRecord, OpenGoesThroughTheInstalledHook)
{
    qkwinInfo win{};
    const qkdrawopenhook before = qkdrawsetopenhook(nullptr);
    EXPECT_EQ(qkdrawopen(&win), nullptr);
    qkdrawsetopenhook(recordingSurface);
    g_sink.clear();
    {
        std::unique_ptr<qkdrawSurface> s = qkdrawopen(&win);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->width(), 640);
        s->fillRect(1, 2, 3, 4, 0);
    }
    EXPECT_EQ(qkdrawopen(nullptr), nullptr);
    EXPECT_EQ(sinkTexts(), (Lines{"fill 1,2 3,4 #000000"}));
    qkdrawsetopenhook(before);
}

// The read-out beside a plot: position in definition units scaled by the
// window, alignment 3/4/5, palette colours and a font by its ID.
TEST_F(TextWindow, TextIsPlacedScaledAlignedAndColoured)
{
    win->scale.xval = 150;
    win->scale.yval = 150;
    qkwinTextInfo* t = qkwintextallocate();
    ASSERT_EQ(qkwinsettextfontid(win.get(), t, 318), 0);
    ASSERT_EQ(qkwinsettextcolor(win.get(), t, "White", "Black"), 0);
    ASSERT_EQ(qkwinsettextpos(win.get(), t, 100, 40), 0);

    const struct {
        int align;
        const char* drawn;
    } cases[] = {
        {QKWIN_TEXT_LEFT, "text 150,60 abcd"},
        {QKWIN_TEXT_RIGHT, "text 110,60 abcd"},     // 4 cells of 10 pixels end at x
        {QKWIN_TEXT_CENTER, "text 130,60 abcd"},
    };
    for (const auto& c : cases) {
        g_sink.clear();
        ASSERT_EQ(qkwinsettextalign(win.get(), t, c.align), 0);
        ASSERT_EQ(qkwinsendtext(win.get(), t, "abcd"), 0);
        EXPECT_EQ(sinkTexts(), (Lines{"font DejaVu Sans 20", "textcolor #ffffff", "bkcolor #000000", c.drawn}));
    }
    EXPECT_EQ(t->width, 40);
    EXPECT_EQ(t->height, 20);
    // A sub-tab page names the fonts of the window it belongs to.
    qkwinInfo page{};
    page.prntPtr = win.get();
    EXPECT_EQ(qkdrawfindfont(&page, 318), &win->font.idPtr[0]);
    EXPECT_EQ(qkdrawfindfont(&page, 1), &win->font.idPtr[0]);       // by position
    EXPECT_EQ(qkdrawfindfont(&page, 9), nullptr);

    // Refused settings change nothing.
    EXPECT_EQ(qkwinsettextalign(win.get(), t, 6), -2);
    EXPECT_EQ(qkwinsettextcolor(win.get(), t, "NoSuchColour", "White"), -2);
    EXPECT_EQ(qkwinsettextfontid(win.get(), t, 999), -2);
    EXPECT_EQ(qkwinsendtext(win.get(), t, nullptr), -2);
    g_sink.clear();
    ASSERT_EQ(qkwinsendtext(win.get(), t, "x"), 0);
    EXPECT_EQ(sinkTexts(), (Lines{"font DejaVu Sans 20", "textcolor #ffffff", "bkcolor #000000", "text 145,60 x"}));
    qkwintextfree(t);
}

TEST_F(TextWindow, WindowRecordDefaultsAndNoSurface)
{
    // Without a record of its own the window's record is made: black text on
    // a transparent background in the default font, left aligned.
    ASSERT_EQ(qkwinsettextpos(win.get(), nullptr, 7, 8), 0);
    ASSERT_EQ(qkwinsendtext(win.get(), nullptr, "hi"), 0);
    EXPECT_EQ(sinkTexts(), (Lines{"font default", "textcolor none", "bkcolor none", "text 7,8 hi"}));
    ASSERT_EQ(qkwinsettextcolor(win.get(), nullptr, nullptr, "TRANSPARENT"), 0);
    EXPECT_EQ(win->txtPtr->color.bg.rgb, static_cast<int>(QKWIN_NOCOLOR));

    qkwinTextMetricsInfo m{};
    ASSERT_EQ(qkwingettextmetrics(win.get(), nullptr, &m), 0);
    EXPECT_EQ(m.height, 16);

    qkdrawsetopenhook(nullptr);
    EXPECT_EQ(qkwinsendtext(win.get(), nullptr, "hi"), -2);
    EXPECT_EQ(qkwingettextmetrics(win.get(), nullptr, &m), -2);
}
