// The shipped spectra plots drawn into a real window: the four plot
// definitions of the spectra page read through the window's path records,
// a synthetic 2f spectrum and a trend bound and drawn as the page draws them,
// plot A saved as a bitmap, and the file's header and pixels checked (grid
// background, a major grid line, the curve colour along the curve). The whole
// picture is also written to spectra.png in the test's working folder for a
// person to look at.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <memory>
#include <cstdint>
#include <string>
#include <vector>

#include "qkdrawsurface.h"
#include "qkplotsrv.h"
#include "qksysdrawsurface.h"
#include "qksysplotsrv.h"
#include "qksyswinsrv.h"
#include "qkwincfgsrv.h"
#include "qkwinpalettesrv.h"
#include "vxtestqt.h"

namespace {

const std::string kPlots = std::string(VX_SOURCE_DIR) + "/cfg/vxplot/vxSpectraPlots.xml";

std::string windowDefinition()
{
    std::string s = "<TITLE>Spectra</TITLE>\n<WIDTH>1200</WIDTH>\n"
                    "<HEIGHT>560</HEIGHT>\n<COLOR>\n<BACKGROUND>\n<NAME>Gainsboro</NAME>\n</BACKGROUND>\n</COLOR>\n"
                    "<FONT>\n<ID>318</ID>\n<NAME>DejaVu Sans</NAME>\n<HEIGHT>13</HEIGHT>\n</FONT>\n";
    for (int item : {1460, 1462, 1464, 1466})
        s += "<PLOT>\n<ID>" + std::to_string(item) + "</ID>\n<PATH>" + kPlots + "</PATH>\n</PLOT>\n";
    return s;
}

// A 2f line: the second derivative of a Gaussian line shape, a small slope.
std::vector<int16_t> spectrum2f(double centre, double height)
{
    std::vector<int16_t> v(512);
    for (int i = 0; i < 512; ++i) {
        double x = (i - centre) / 25.0;
        v[static_cast<size_t>(i)] = static_cast<int16_t>(height * (1.0 - 2.0 * x * x) * std::exp(-x * x) + 0.5 * i - 100.0);
    }
    return v;
}

uint32_t le32(const std::string& b, size_t at)
{
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

// Pixel (x, y) from the top of a 24-bit bottom-up bitmap file, as 0xRRGGBB.
uint32_t pixel(const std::string& bmp, int width, int height, int x, int y)
{
    size_t row = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    size_t at = 54 + static_cast<size_t>(height - 1 - y) * row + static_cast<size_t>(x) * 3;
    auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bmp[at + i])); };
    return byte(2) << 16 | byte(1) << 8 | byte(0);
}

}  // namespace

TEST(QkPlotWindow, SpectraPlotsDrawnIntoTheWindowAndSavedAsBitmap)
{
    // The window takes its plot record along (the sanitizer build's leak check sees it).
    const vxtest::QtWindow window(windowDefinition(),
                                  {.colours = std::string(VX_SOURCE_DIR) + "/cfg/qkwinstdxml/qkcolorlist.xml"});
    qkwinInfo* w = window.win();
    qkplotInfo* p = qkwinplotcreate(w);

    // Plots A, B, C: the static parts, then the curve on the left range, as
    // the spectra page draws them (the range of a plot's curves includes 0).
    const std::vector<int16_t> a = spectrum2f(256, 9000), b = spectrum2f(226, 4000), c = spectrum2f(300, 16000);
    const int blue = qkwinpalettegetvalue(w, "Blue");
    const std::vector<const std::vector<int16_t>*> curves = {&a, &b, &c};
    for (int k = 0; k < 3; ++k) {
        const int item = 1460 + 2 * k;
        ASSERT_EQ(qkwinplotdspstatic(w, item), 0) << item;
        const int id = qkplotgetIDbyItemID(p, item);
        ASSERT_GT(id, 0);
        qkplotsetdatacnt(p, id, 512);
        qkplotsetdatatype(p, id, QKPLOT_DATA_SHORT);
        qkplotsetdataptr(p, id, curves[static_cast<size_t>(k)]->data());
        ASSERT_EQ(qkwinplotdatadef(w, id, QKPLOT_SRC_MEMORY, QKPLOT_DATA_SHORT, nullptr), 0);
        const qkplotDataInfo& d = p->idPtr[id - 1].data;
        qkplotsetscalenormstate(p, id, 0);
        qkplotsetscaletype(p, id, 1);
        qkplotsetdatascale(p, id, 1, std::max(d.max, 0.0f), std::min(d.min, 0.0f));
        qkplotsetdatascalendx(p, id, 1);
        ASSERT_EQ(qkwinplotdspstatic(w, item), 0);
        for (int axis : {QKPLOT_AXIS_BOTTOM, QKPLOT_AXIS_LEFT}) {
            qksysplotaxis(p, id, axis);
            qksysplotlabel(p, id, axis);
        }
        ASSERT_EQ(qkwinplotcurve(w, id, "AC 2f", blue), 0);
    }
    // Plot D: the trend of ten concentrations; range 2 x max + 1 down to -1.
    const float trend[10] = {42.0f, 41.5f, 43.2f, 42.8f, 40.9f, 42.2f, 44.0f, 43.1f, 42.5f, 42.0f};
    ASSERT_EQ(qkwinplotdspstatic(w, 1466), 0);
    const int d = qkplotgetIDbyItemID(p, 1466);
    qkplotsetdatacnt(p, d, 10);
    qkplotsetdatatype(p, d, QKPLOT_DATA_FLOAT);
    qkplotsetdataptr(p, d, trend);
    ASSERT_EQ(qkwinplotdatadef(w, d, QKPLOT_SRC_MEMORY, QKPLOT_DATA_FLOAT, nullptr), 0);
    qkplotsetscaletype(p, d, 1);
    qkplotsetdatascale(p, d, 1, 2.0f * p->idPtr[d - 1].data.max + 1.0f, -1.0f);
    qkplotsetdatascalendx(p, d, 1);
    ASSERT_EQ(qkwinplotdspstatic(w, 1466), 0);
    ASSERT_EQ(qkwinplotcurve(w, d, "Concentration", qkwinpalettegetvalue(w, "Red")), 0);
    EXPECT_EQ(p->cnt, 4);   // every item's definition was read once

    // The whole picture, for a person to look at.
    {
        std::unique_ptr<qkdrawSurface> s = qkdrawopen(w);
        ASSERT_NE(s, nullptr);
        qkbmpImageInfo all;
        ASSERT_EQ(s->copyRect(0, 0, s->width(), s->height(), &all), 0);
        qksysdrawfrombmp(all).save("spectra.png");
    }

    const std::string file = window.tree().path("plotA.bmp");
    ASSERT_EQ(qkwinplotsavebmp(w, 1460, file.c_str()), 0);
    const std::string bmp = vxtest::readFile(file);
    ASSERT_EQ(bmp.size(), 54u + 440u * 3u * 156u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    struct Field {
        const char* what;
        size_t at;
        uint32_t want;
    };
    const Field header[] = {{"file size", 2, 54 + 440 * 3 * 156}, {"reserved", 6, 0},   {"pixel offset", 10, 54},
                            {"info size", 14, 40},                 {"width", 18, 440},   {"height", 22, 156},
                            {"planes, bits", 26, 1 | 24 << 16},    {"compression", 30, 0}};
    for (const Field& f : header) EXPECT_EQ(le32(bmp, f.at), f.want) << f.what;

    // Plot A (relative to its corner): grid 60,22 352x110, minor lines every
    // 11 pixels, major lines every 44; 0.6875 pixels a point.
    EXPECT_EQ(pixel(bmp, 440, 156, 65, 27), 0xFFFFFFu) << "grid background";
    EXPECT_EQ(pixel(bmp, 440, 156, 104, 60), 0xA9A9A9u) << "major grid line (DarkGray)";
    EXPECT_EQ(pixel(bmp, 440, 156, 5, 100), 0xF5F5F5u) << "plot background (WhiteSmoke)";
    const qkplotIDInfo& e = p->idPtr[qkplotgetIDbyItemID(p, 1460) - 1];
    const float max = e.scale.yl.max, absval = e.scale.yl.absval;
    for (int i : {60, 200, 240, 256, 280, 400}) {
        float h = 110.0f - 110.0f * std::fabs(max - a[static_cast<size_t>(i)]) / absval;
        int x = 60 + static_cast<int>(i * 0.6875f + 0.6875f);
        int y = 132 - static_cast<int>(h);
        bool onCurve = false;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) onCurve = onCurve || pixel(bmp, 440, 156, x + dx, y + dy) == 0x0000FFu;
        EXPECT_TRUE(onCurve) << "point " << i << " at " << x << "," << y;
    }
}
