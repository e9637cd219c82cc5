// Plot data, scaling and drawing on the recording surface: the exact
// primitives of the drawing steps for the geometry's edge cases (scaled
// lengths, one pixel a point, grid steps and offsets, curve heights, labels,
// the three curve classes), data binding with its error codes, scale
// settings, saving, and the window-level calls with the surface they open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "qkdrawrecord.h"
#include "qkplotsrv.h"
#include "qkstrsrv.h"
#include "qksysplotsrv.h"
#include "qkwincfgpathsrv.h"
#include "qkwincfgtestutil.h"
#include "qkwinmsgbox.h"

namespace {

// One plot entry, drawn on a recording surface, with the log in a temporary tree.
class Plot {
public:
    Plot(int x, int y, int w, int h, qkplotMarginInfo m, int minor, int major) : p(qkplotcreate())
    {
        tree_.write("work/.keep", "");
        log_ = tree_.path("work/plot.log");
        EXPECT_EQ(qklogopn(log_.c_str()), 0);
        qkplotsetndx(p);
        qkplotallocate(p);
        p->surfPtr = &rec;
        qkplotIDInfo& en = e();
        en.size.xpos = x;
        en.size.ypos = y;
        en.size.xsize = w;
        en.size.ysize = h;
        en.size.color = 0xEEEEEE;
        en.grid.margin = m;
        en.grid.incmnt.minor = minor;
        en.grid.incmnt.major = major;
        en.grid.bgcolor = 0xFFFFFF;
        en.grid.minorpen = {0xCCCCCC, 2, 1};
        en.grid.majorpen = {0x888888, 1, 1};
        en.pclass.type = QKPLOT_CLASS_LINE;
        qkplotsetcurvepen(p, 1, 1, 2, 0x0000FF);
    }
    ~Plot()
    {
        qkplotdestroy(p);
        qklogcls();
    }

    qkplotIDInfo& e() { return p->idPtr[0]; }

    qkplotAxisInfo& axis(int type, int inc = 0, int adj = 0)
    {
        qkplotaxisallocate(p);
        qkplotAxisInfo& a = e().axisidPtr[e().axisCnt - 1];
        a.type = type;
        a.inc = inc;
        a.adj = adj;
        a.pen = {0x000000, 1, 1};
        bool horizontal = type == QKPLOT_AXIS_BOTTOM || type == QKPLOT_AXIS_TOP;
        a.maxchar = horizontal ? 3 : 6;
        qkstrset(a.format, horizontal ? "%3.3d" : "%-10.4f");
        return a;
    }

    // Binds values as 32-bit floats from memory and gets them.
    int data(const std::vector<float>& values)
    {
        values_ = values;
        qkplotsetdatasrc(p, 1, QKPLOT_SRC_MEMORY);
        qkplotsetdatatype(p, 1, QKPLOT_DATA_FLOAT);
        qkplotsetdataptr(p, 1, values_.data());
        qkplotsetdatacnt(p, 1, static_cast<int>(values_.size()));
        return qkplotgetdata(p, 1);
    }
    int points(int n)
    {
        std::vector<float> v(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<float>(std::sin(i / 20.0) * 1000.0);
        return data(v);
    }

    // The primitives recorded since the last call.
    std::vector<std::string> take()
    {
        std::vector<std::string> t = rec.texts();
        rec.clear();
        return t;
    }
    std::string log() const
    {
        std::fflush(qkloggetfd());
        return vxtest::readFile(log_);
    }
    std::string path(const std::string& name) const { return tree_.path(name); }

    qkplotInfo* p;
    qkdrawRecord rec{2000, 1000};

private:
    vxtest::TempTree tree_;
    std::string log_;
    std::vector<float> values_;
};

int count(const std::vector<std::string>& t, const std::string& prefix)
{
    return static_cast<int>(std::count_if(t.begin(), t.end(), [&](const std::string& s) { return s.rfind(prefix, 0) == 0; }));
}

bool has(const std::vector<std::string>& t, const std::string& s)
{
    return std::find(t.begin(), t.end(), s) != t.end();
}

std::vector<std::string> only(const std::vector<std::string>& t, const std::vector<std::string>& prefixes)
{
    std::vector<std::string> out;
    for (const std::string& s : t)
        for (const std::string& pre : prefixes)
            if (s.rfind(pre, 0) == 0) {
                out.push_back(s);
                break;
            }
    return out;
}

}  // namespace

TEST(QkPlotDraw, LengthsAreScaledByTheWindowPercentages)
{
    // size 10,20 100x50; margins top 0, bottom 10, left 10, right 0. At 150 %
    // a margin of 10 becomes 15 and a margin of 0 becomes 1. Fields: x0, y0,
    // w, h, margins left, right, top, bottom, grid corner and size.
    const std::vector<std::tuple<int, int, std::vector<int>, const char*>> cases = {
        {0, 0, {10, 20, 100, 50, 10, 0, 0, 10, 20, 20, 90, 40}, "fill 10,20 110,70 #eeeeee"},
        {150, 150, {15, 30, 150, 75, 15, 1, 1, 15, 30, 31, 134, 59}, "fill 15,30 165,105 #eeeeee"},
        {150, 100, {15, 20, 150, 50, 15, 1, 1, 10, 30, 21, 134, 39}, "fill 15,20 165,70 #eeeeee"},
    };
    for (const auto& [xval, yval, want, fill] : cases) {
        Plot pl(10, 20, 100, 50, {0, 10, 10, 0}, 8, 32);
        pl.p->scale.xval = xval;
        pl.p->scale.yval = yval;
        qkplotGeomInfo g;
        ASSERT_EQ(qkplotgeometry(pl.p, &pl.e(), &g), 0);
        EXPECT_EQ(std::vector<int>({g.x0, g.y0, g.w, g.h, g.ml, g.mr, g.mt, g.mb, g.gx, g.gy, g.gw, g.gh}), want) << xval;
        ASSERT_EQ(qksysplotcreateregion(pl.p, 1), 0);
        EXPECT_EQ(pl.take(), std::vector<std::string>{fill});
    }
}

TEST(QkPlotDraw, RegionWithARaisedFrame)
{
    Plot pl(10, 20, 100, 50, {0, 0, 0, 0}, 8, 32);
    pl.e().size.border = {2, 0x111111, 0x222222, 0x333333};
    ASSERT_EQ(qksysplotcreateregion(pl.p, 1), 0);
    const std::vector<std::string> want = {
        "fill 10,20 110,70 #eeeeee", "pen solid 2 #111111", "move 10,20",          "line 10,20 110,20",
        "pen solid 4 #222222",       "move 109,20",         "line 109,20 109,70", "pen solid 1 #333333",
        "move 110,20",               "line 110,20 110,70",  "pen solid 4 #111111", "move 10,20",
        "line 10,20 10,70",          "pen solid 4 #222222", "move 10,70",          "line 10,70 110,70"};
    EXPECT_EQ(pl.take(), want);
}

TEST(QkPlotDraw, GridOf512PointsOn512PixelsWithAxisOffsets)
{
    // Grid area 20,30 512x280; minor every 8 points, major every 32.
    Plot pl(10, 20, 532, 300, {10, 10, 10, 10}, 8, 32);
    pl.axis(QKPLOT_AXIS_LEFT, 4);
    pl.axis(QKPLOT_AXIS_BOTTOM, 3);
    ASSERT_EQ(pl.points(512), 0);
    qkplotGeomInfo g;
    qkplotgeometry(pl.p, &pl.e(), &g);
    EXPECT_FLOAT_EQ(g.finc, 1.0f);
    EXPECT_EQ(g.minstep, 8);
    EXPECT_EQ(g.majstep, 32);

    ASSERT_EQ(qksysplotgrid(pl.p, 1), 0);
    std::vector<std::string> t = pl.take();
    ASSERT_GE(t.size(), 3u);
    EXPECT_EQ(t[0], "fill 20,30 532,310 #ffffff");
    EXPECT_EQ(t[1], "bkcolor #ffffff");
    EXPECT_EQ(t[2], "pen dot 1 #cccccc");
    EXPECT_EQ(count(t, "pen"), 4);
    // 64 + 35 minor lines, 16 + 9 major lines; the major ones start past the
    // left axis offset (4) and the bottom axis offset (3).
    EXPECT_EQ(count(t, "line"), 64 + 16 + 35 + 9);
    for (const char* s : {"line 20,30 20,310", "line 524,30 524,310", "line 24,30 24,310", "line 504,30 504,310",
                          "line 20,310 532,310", "line 20,38 532,38", "line 20,307 532,307", "line 20,51 532,51"})
        EXPECT_TRUE(has(t, s)) << s;
    EXPECT_FALSE(has(t, "line 536,30 536,310"));

    // Without minor lines the offsets are not applied; a grid border is dashed.
    pl.e().grid.minorpen.width = 0;
    pl.e().grid.border.width = 1;
    pl.e().grid.border.edcolor = 0x444444;
    ASSERT_EQ(qksysplotgrid(pl.p, 1), 0);
    t = pl.take();
    EXPECT_EQ(count(t, "pen dot"), 0);
    EXPECT_EQ(count(t, "line"), 16 + 9 + 4);
    EXPECT_TRUE(has(t, "line 20,30 20,310"));
    EXPECT_TRUE(has(t, "pen dash 1 #444444"));
    EXPECT_EQ(t.back(), "line 20,310 20,30");
}

TEST(QkPlotDraw, AMinorStepBelowOnePixelDrawsNoLinesTicksOrLabels)
{
    // 512 points on 256 pixels: a minor increment of 1 point is half a pixel.
    Plot pl(0, 0, 276, 120, {10, 10, 20, 0}, 1, 4);
    pl.axis(QKPLOT_AXIS_LEFT);
    pl.axis(QKPLOT_AXIS_BOTTOM);
    ASSERT_EQ(pl.points(512), 0);
    ASSERT_EQ(qksysplotgrid(pl.p, 1), 0);
    EXPECT_EQ(pl.take(), (std::vector<std::string>{"fill 20,10 276,110 #ffffff", "bkcolor #ffffff"}));
    ASSERT_EQ(qksysplotaxis(pl.p, 1, QKPLOT_AXIS_LEFT), 0);
    EXPECT_EQ(pl.take(), (std::vector<std::string>{"pen solid 1 #000000", "move 20,10", "line 20,10 20,110"}));
    ASSERT_EQ(qksysplotlabel(pl.p, 1, QKPLOT_AXIS_LEFT), 0);
    ASSERT_EQ(qksysplotlabel(pl.p, 1, QKPLOT_AXIS_BOTTOM), 0);
    EXPECT_TRUE(pl.take().empty());
}

TEST(QkPlotDraw, CurvesOfTheThreeClasses)
{
    // Grid 20,10 400x100; 4 points of 100 pixels; range 2..9.
    struct Case {
        const char* what;
        int type;
        int width;
        std::vector<std::string> want;
    };
    const std::vector<Case> cases = {
        {"line", QKPLOT_CLASS_LINE, 2,
         {"pen solid 2 #ff0000", "move 120,68", "line 120,68 120,68", "line 120,68 220,110", "line 220,110 320,10",
          "line 320,10 420,110"}},
        {"bar", QKPLOT_CLASS_BAR, 2,
         {"pen solid 2 #ff0000", "move 120,68", "move 120,110", "line 120,110 120,68", "move 220,110",
          "line 220,110 220,110", "move 320,110", "line 320,110 320,10", "move 420,110", "line 420,110 420,110"}},
        {"histogram", QKPLOT_CLASS_HIST, 2,
         {"pen solid 1 #ff0000", "move 118,110", "line 118,110 118,68", "move 119,110", "line 119,110 119,68",
          "move 218,110", "line 218,110 218,110", "move 219,110", "line 219,110 219,110", "move 318,110",
          "line 318,110 318,10", "move 319,110", "line 319,110 319,10", "move 418,110", "line 418,110 418,110",
          "move 419,110", "line 419,110 419,110"}},
    };
    for (const Case& c : cases) {
        Plot pl(0, 0, 420, 120, {10, 10, 20, 0}, 1, 1);
        pl.e().pclass.type = c.type;
        qkplotsetcurvepen(pl.p, 1, 1, c.width, 0x0000FF);
        ASSERT_EQ(pl.data({5, 2, 9, 2}), 0);
        ASSERT_EQ(qksysplotdata(pl.p, 1), 0) << c.what;
        EXPECT_EQ(pl.take(), c.want) << c.what;
        // The last point: one point-width past the start of the grid, per point.
        EXPECT_FLOAT_EQ(pl.e().xfval, 400.0f) << c.what;
        EXPECT_FLOAT_EQ(pl.e().yfval, 0.0f) << c.what;
    }
}

TEST(QkPlotDraw, CurveAreaRangesAndUnsoundValues)
{
    struct Case {
        const char* what;
        std::vector<float> data;
        std::vector<std::string> want;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<Case> cases = {
        // A flat curve has no range: it lies on the base line.
        {"flat", {7, 7, 7, 7}, {"line 120,110 120,110", "line 120,110 220,110", "line 220,110 320,110", "line 320,110 420,110"}},
        // NaN and infinity take no part in the range and stand on the base line.
        {"not finite", {1, nan, inf, 3}, {"line 120,110 120,110", "line 120,110 220,110", "line 220,110 320,110", "line 320,110 420,10"}},
    };
    for (const Case& c : cases) {
        Plot pl(0, 0, 420, 120, {10, 10, 20, 0}, 1, 1);
        ASSERT_EQ(pl.data(c.data), 0) << c.what;
        ASSERT_EQ(qksysplotdata(pl.p, 1), 0) << c.what;
        EXPECT_EQ(only(pl.take(), {"line"}), c.want) << c.what;
    }
    {
        // A user scale narrower than the data: a point below the base line
        // is moved to, not drawn to.
        Plot pl(0, 0, 420, 120, {10, 10, 20, 0}, 1, 1);
        ASSERT_EQ(pl.data({50, -50, 50}), 0);
        const int us[7] = {0, 0, 0, 0, 100, 0, 0};
        qkplotsetuscale(pl.p, 1, us);
        qkplotsetscaletype(pl.p, 1, 2);
        qkplotsetdatascale(pl.p, 1, 1, 0.0f, 0.0f);
        qkplotsetdatascalendx(pl.p, 1, 1);
        ASSERT_EQ(qksysplotdata(pl.p, 1), 0);
        // 3 points of 133.33 pixels.
        EXPECT_EQ(only(pl.take(), {"move", "line"}),
                  (std::vector<std::string>{"move 153,60", "line 153,60 153,60", "move 286,160", "line 286,160 286,160",
                                            "line 286,160 420,60"}));
    }
}

TEST(QkPlotDraw, BottomLabelsOf1024PointsOn512Pixels)
{
    Plot pl(0, 0, 532, 300, {10, 10, 20, 0}, 8, 32);
    pl.axis(QKPLOT_AXIS_BOTTOM);
    ASSERT_EQ(pl.points(1024), 0);
    ASSERT_EQ(qksysplotlabel(pl.p, 1, QKPLOT_AXIS_BOTTOM), 0);
    std::vector<std::string> t = only(pl.take(), {"text", "bkcolor", "textcolor"});
    // Half a pixel a point: minor step 4, major 16; each label reads twice
    // its pixel offset. 1024 is cut to three characters.
    ASSERT_EQ(t.size(), 2u + 33u);
    EXPECT_EQ(t[0], "bkcolor #eeeeee");
    EXPECT_EQ(t[1], "textcolor #000000");
    EXPECT_EQ(t[2], "text 20,295 000");
    EXPECT_EQ(t[3], "text 36,295 032");
    EXPECT_EQ(t[4], "text 52,295 064");
    EXPECT_EQ(t.back(), "text 532,295 102");
}

TEST(QkPlotDraw, RightLabelsAreOneCharacterWiderThanLeftOnes)
{
    // Grid 60,10 400x100, 400 points: labels every 50 pixels; range 100..1100.
    Plot pl(0, 0, 480, 120, {10, 10, 60, 20}, 10, 50);
    pl.axis(QKPLOT_AXIS_LEFT);
    pl.axis(QKPLOT_AXIS_RIGHT);
    std::vector<float> v(400, 500.0f);
    v[0] = 100.0f;
    v[1] = 1100.0f;
    ASSERT_EQ(pl.data(v), 0);
    qkplotsetaudit(pl.p, QKPLOT_AUD_SCALE);
    ASSERT_EQ(qksysplotlabel(pl.p, 1, QKPLOT_AXIS_LEFT), 0);
    EXPECT_EQ(only(pl.take(), {"text "}),
              (std::vector<std::string>{"text 10,95 100.00", "text 10,45 600.00", "text 10,-5 1100.0"}));
    ASSERT_EQ(qksysplotlabel(pl.p, 1, QKPLOT_AXIS_RIGHT), 0);
    EXPECT_EQ(only(pl.take(), {"text "}),
              (std::vector<std::string>{"text 465,95 100.000", "text 465,45        ", "text 465,45 600.000"}));
    // A format of the wrong kind falls back to the axis default.
    qkplotsetaxisformat(pl.p, 1, QKPLOT_AXIS_LEFT, 4, "%s");
    ASSERT_EQ(qksysplotlabel(pl.p, 1, QKPLOT_AXIS_LEFT), 0);
    EXPECT_EQ(only(pl.take(), {"text "})[0], "text 10,95 100.");
    const std::string log = pl.log();
    EXPECT_NE(log.find("left label max: 1100.000000, min: 100.000000, absval: 1000.000000"), std::string::npos);
    EXPECT_NE(log.find("left label higth: 100, minorincrmnt: 10, majorincrmnt: 50, x0: 100.000000, yincrement: 10.000000"),
              std::string::npos);
    EXPECT_NE(log.find("right label max: 1100.000000, min: 100.000000, absval: 1000.000000, yincrement: 10.000000"),
              std::string::npos);
}

TEST(QkPlotDraw, DataBindingRangesAndErrorCodes)
{
    const int16_t s16[] = {5, 2, 9};
    const int32_t s32[] = {5, 2, 9};
    const float f32[] = {5, 2, 9};
    const double f64[] = {5, 2, 9};
    const void* arrays[] = {s16, s32, f32, f64};
    for (int type = QKPLOT_DATA_SHORT; type <= QKPLOT_DATA_DOUBLE; ++type) {
        Plot pl(0, 0, 100, 100, {0, 0, 0, 0}, 1, 1);
        qkplotsetdatasrc(pl.p, 1, QKPLOT_SRC_MEMORY);
        qkplotsetdatatype(pl.p, 1, type);
        qkplotsetdataptr(pl.p, 1, arrays[type - 1]);
        qkplotsetdatacnt(pl.p, 1, 3);
        ASSERT_EQ(qkplotgetdata(pl.p, 1), 0) << type;
        const qkplotDataInfo& d = pl.e().data;
        EXPECT_EQ(std::vector<float>({d.max, d.min, d.absval}), std::vector<float>({9, 2, 7})) << type;
        EXPECT_EQ(d.maxndx * 10 + d.minndx, 21) << type;
        EXPECT_FLOAT_EQ(d.dataPtr[3], 0.0f);   // n + 1 values
    }

    Plot pl(0, 0, 100, 100, {0, 0, 0, 0}, 1, 1);
    // A data file: comments, carriage returns and an empty first line.
    const std::string file = pl.path("data.txt");
    {
        FILE* f = std::fopen(file.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("/* reference */\r\n5\r\n  \r\n9\r\n2\r\n", f);
        std::fclose(f);
    }
    qkplotsetdatasrc(pl.p, 1, QKPLOT_SRC_FILE);
    qkplotsetdatapath(pl.p, 1, file.c_str());
    ASSERT_EQ(qkplotgetdata(pl.p, 1), 0);
    const qkplotDataInfo& d = pl.e().data;
    ASSERT_EQ(d.cnt, 5);
    EXPECT_FLOAT_EQ(d.dataPtr[1], 5.0f);
    EXPECT_FLOAT_EQ(d.max, 9.0f);
    EXPECT_EQ(d.maxndx, 3);
    EXPECT_FLOAT_EQ(d.min, 0.0f);   // an empty first line leaves the range at 0

    struct Err {
        const char* what;
        int rc;
        const char* line;
    };
    qkplotsetdatapath(pl.p, 1, pl.path("missing.txt").c_str());
    std::vector<Err> errs = {{"missing file", qkplotgetdata(pl.p, 1), "plot id: 1\n No data"}};
    errs.push_back({"bad source", qkplotsetdatasrc(pl.p, 1, 7), "plot id: 1\n data source"});
    errs.push_back({"bad type", qkplotsetdatatype(pl.p, 1, 9), "plot id: 1\n unsupported data type"});
    qkplotsetdatasrc(pl.p, 1, QKPLOT_SRC_MEMORY);
    qkplotsetdatatype(pl.p, 1, QKPLOT_DATA_SHORT);
    qkplotsetdatacnt(pl.p, 1, 0);
    errs.push_back({"no points", qkplotgetdata(pl.p, 1), "plot id: 1\n No data"});
    errs.push_back({"grid without points", qksysplotgrid(pl.p, 1), "plot id: 1\n No data"});
    errs.push_back({"unknown plot", qkplotsetdatacnt(pl.p, 5, 1), "plot id: 5\n could not find ID pointer"});
    EXPECT_EQ(qkplotsetscaletype(pl.p, 1, 3), 0);
    const std::string log = pl.log();
    for (const Err& e : errs) {
        EXPECT_EQ(e.rc, -2) << e.what;
        EXPECT_NE(log.find(e.line), std::string::npos) << e.what;
    }
    EXPECT_NE(log.find("plot id: 1\n unsupported scale type"), std::string::npos);
}

TEST(QkPlotDraw, UserScaleReplacesTheRangeGiven)
{
    Plot pl(0, 0, 100, 100, {0, 0, 0, 0}, 1, 1);
    qkplotsetaudit(pl.p, QKPLOT_AUD_SCALE);
    const int us[7] = {99, 1, 2, 3, 4, 5, 6};   // slot 0 ignored, then min/max of x0, yl, yr
    ASSERT_EQ(qkplotsetuscale(pl.p, 1, us), 0);
    int out[7];
    ASSERT_EQ(qkplotgetuscale(pl.p, 1, out), 0);
    EXPECT_EQ(std::vector<int>(out, out + 7), (std::vector<int>{1, 2, 1, 4, 3, 6, 5}));
    const qkplotScaleInfo& s = pl.e().scale;
    qkplotsetdatascale(pl.p, 1, 1, 50.0f, 10.0f);
    qkplotsetuscaleflags(pl.p, 1, 2);
    qkplotsetdatascale(pl.p, 1, 2, 50.0f, 10.0f);
    qkplotsetdatascale(pl.p, 1, 3, 50.0f, 10.0f);   // the x range is never replaced
    EXPECT_FLOAT_EQ(s.yl.absval, 40.0f);
    EXPECT_FLOAT_EQ(s.yr.max, 6.0f);
    EXPECT_FLOAT_EQ(s.x0.absval, 40.0f);
    const std::string log = pl.log();
    EXPECT_NE(log.find("scale yl max: 50.000000, min: 10.000000, absval: 40.000000"), std::string::npos);
    EXPECT_NE(log.find("scale yr max: 6.000000, min: 5.000000, absval: 1.000000"), std::string::npos);
}

TEST(QkPlotDraw, CopyToTheClipboardAndSaveAsBitmap)
{
    Plot pl(10, 20, 100, 50, {0, 0, 0, 0}, 1, 1);
    struct Case {
        const char* what;
        std::string path;
        int clipboard;
        int rc;
        bool written;
        const char* line;
    };
    const Case cases[] = {
        {"saved", pl.path("plotA.bmp"), 0, 0, true, nullptr},
        {"no clipboard", pl.path("plotB.bmp"), -2, -2, false, "Clipboard not opened"},
        {"missing folder", pl.path("nofolder/plotC.bmp"), 0, -1, false, "Unable to open: "},
    };
    for (const Case& c : cases) {
        pl.rec.setClipboardResult(c.clipboard);
        qkplotsetBMPpath(pl.p, 1, c.path.c_str());
        EXPECT_EQ(qksysplotcopyBMP(pl.p, 1), c.rc) << c.what;
        EXPECT_EQ(vxtest::fileExists(c.path), c.written) << c.what;
        std::vector<std::string> t = pl.take();
        EXPECT_EQ(t.front(), "copy 10,20 100x50") << c.what;
        if (c.line) {
            EXPECT_NE(pl.log().find(std::string(c.line) + (c.clipboard ? "" : c.path)), std::string::npos) << c.what;
        }
    }
    const std::string bmp = vxtest::readFile(pl.path("plotA.bmp"));
    ASSERT_EQ(bmp.size(), 54u + 50u * 300u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
}

// The window-level calls open the window's surface through the installed
// hook, once per call; an error box waits until the surface is released.
namespace {
std::vector<qkdrawRecordItem> g_sink;
int g_opened = 0;
std::vector<std::pair<std::string, size_t>> g_boxes;

std::unique_ptr<qkdrawSurface> openRecorder(qkwinInfo*)
{
    ++g_opened;
    return std::make_unique<qkdrawRecord>(1200, 800, &g_sink);
}

int box(qkwinInfo*, int, const char* text)
{
    // How much had been drawn when the box came up.
    g_boxes.emplace_back(text, g_sink.size());
    return 121;
}
}  // namespace

TEST(QkPlotDraw, WindowLevelCallsDrawThroughTheWindowsSurface)
{
    wincfgtest::Window w;
    const std::string plotFile = w.file("plots.xml",
                                        "<PLOT>\n<ID>1460</ID>\n<SIZE>\n<XORIG>10</XORIG>\n<WIDTH>200</WIDTH>\n"
                                        "<HEIGHT>100</HEIGHT>\n</SIZE>\n<GRID>\n<SCALE>\n<MINOR>\n<INCREMENT>1</INCREMENT>\n"
                                        "</MINOR>\n<MAJOR>\n<INCREMENT>2</INCREMENT>\n</MAJOR>\n</SCALE>\n</GRID>\n"
                                        "<COMMENT>\n<XORIG>5</XORIG>\n<STRING>A</STRING>\n</COMMENT>\n</PLOT>\n");
    qkwincfgpathregister(w.get());
    w->cfgpath.idPtr[0].itemid = 1460;
    w->cfgpath.idPtr[0].type = 1;
    qkstrset(w->cfgpath.idPtr[0].path, plotFile.c_str());
    qkplotInfo* p = qkwinplotcreate(w.get());
    qkplotsetmsgflg(p, 1);
    qkdrawopenhook before = qkdrawsetopenhook(openRecorder);
    qkwinmsgboxhook beforeBox = qkwinsetmsgboxhook(box);
    g_sink.clear();
    g_boxes.clear();
    g_opened = 0;

    // No data bound yet: the grid, axes and labels report "No data" once the
    // drawing is over; region and comment are drawn.
    EXPECT_EQ(qkwinplotdspstatic(w.get(), 1460), 0);
    EXPECT_EQ(g_opened, 1);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].first, "plot id: 1\n No data");
    EXPECT_EQ(g_boxes[0].second, g_sink.size());
    EXPECT_EQ(qkdrawrecordtext(g_sink.front()), "fill 10,0 210,100 #000000");
    EXPECT_EQ(qkdrawrecordtext(g_sink.back()), "bkcolor none");

    // The same item again: the definition is not read a second time.
    const std::vector<float> v = {1, 3, 2, 4};
    qkplotsetdatacnt(p, 1, 4);
    qkplotsetdatatype(p, 1, QKPLOT_DATA_FLOAT);
    qkplotsetdataptr(p, 1, v.data());
    EXPECT_EQ(qkwinplotdatadef(w.get(), 1, QKPLOT_SRC_MEMORY, QKPLOT_DATA_FLOAT, nullptr), 0);
    g_sink.clear();
    EXPECT_EQ(qkwinplotdspstatic(w.get(), 1460), 0);
    EXPECT_EQ(p->cnt, 1);
    EXPECT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(qkwinplotcurve(w.get(), 1, "AC", 0x00FF00), 0);
    EXPECT_EQ(qkdrawrecordtext(g_sink[g_sink.size() - 6]), "pen solid 2 #00ff00");
    EXPECT_EQ(qkwinplotsavebmp(w.get(), 1460, w.tree().path("a.bmp").c_str()), 0);
    EXPECT_TRUE(vxtest::fileExists(w.tree().path("a.bmp")));
    EXPECT_EQ(g_opened, 4);

    EXPECT_EQ(qkwinplotdspstatic(w.get(), 1462), -2);
    EXPECT_EQ(g_boxes.back().first, "plot id: 1462\n could not find item ID");
    qkdrawsetopenhook(before);
    qkwinsetmsgboxhook(beforeBox);
    qkwinplotfree(w.get());
}
