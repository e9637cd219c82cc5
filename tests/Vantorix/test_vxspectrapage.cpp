// The spectra page against the analyzer emulator on the virtual port COM97,
// for a 2F, an NS and an FS analyzer: entering the page, a demand scan from
// its button, overlay mode drawing the earlier scans in their lighter
// colours, automatic scans at the poll rate, the image save (24-bit bitmaps)
// and the data save (tab-separated columns, a short curve's rows left empty).
// Leaves a screenshot of the page per application in the build tree and
// prints the time of one redraw of the four plots beside plain QPainter.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "qkdrawrecord.h"
#include "qkplotsrv.h"
#include "qksyswincapture.h"
#include "qksyswinpage.h"
#include "vxCallBacks.h"
#include "vxRequestDiagProtData.h"
#include "vxSpectraPlotSrv.h"
#include "vxSpectraTreeSrv.h"
#include "vxWorkerSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<qkdrawRecordItem>* gRecording = nullptr;

std::unique_ptr<qkdrawSurface> openRecording(qkwinInfo*)
{
    return std::make_unique<qkdrawRecord>(1024, 768, gRecording);
}

uint32_t le(const std::string& b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b.at(at + i));
    return v;
}

std::vector<std::string> split(const std::string& line, char sep)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string f; std::getline(in, f, sep);) out.push_back(f);
    if (!line.empty() && line.back() == sep) out.emplace_back();
    return out;
}

class SpectraPage : public vxtest::ShippedApp, public ::testing::WithParamInterface<const char*> {
protected:
    void TearDown() override
    {
        vxStopDiagProtReqData(app.get());
        // The plot records go with the main window's release; a first release
        // here leaves the second one nothing to do.
        vxSpectraPageFreePlots(app.get());
        EXPECT_EQ(app->spData.plots.plotA, nullptr);
        ShippedApp::TearDown();
    }
    // A click on one of the page's buttons, as the window delivers it.
    int click(int (*cb)(qkwinInfo*))
    {
        win->actitemevent = 6;
        return cb(win);
    }
    // Update steps (the page tick) until cond holds, bounded.
    bool tickUntil(const std::function<bool()>& cond, int seconds)
    {
        return vxtest::pumpUntil(
            [&] {
                vxSpectraPageUpdate(app.get());
                return cond();
            },
            std::chrono::seconds(seconds));
    }
    bool scanOver()
    {
        return app->getdpdatathrds.state.load() == 0 && app->spData.state.load() == 2 &&
               app->spData.dataReady.load() == 1;
    }
    // Colours of the curves drawn by one redraw of the plots.
    std::set<int> penColours()
    {
        std::vector<qkdrawRecordItem> items;
        gRecording = &items;
        const qkdrawopenhook before = qkdrawsetopenhook(openRecording);
        app->refrashPlots.store(1);
        app->syspaintCnt = 0;
        vxPageRefreashCB(win);
        qkdrawsetopenhook(before);
        gRecording = nullptr;
        std::set<int> colours;
        for (const qkdrawRecordItem& i : items)
            if (i.kind == QKDRAW_REC_PEN) colours.insert(i.color);
        return colours;
    }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
};

TEST_P(SpectraPage, ScansOverlaysAndSaves)
{
    showAsShell();
    ASSERT_FALSE(HasFatalFailure());
    startEmulator({"--personality", GetParam()});
    ASSERT_FALSE(HasFatalFailure());
    connectEmulator();
    ASSERT_FALSE(HasFatalFailure());
    vxInfo* a = app.get();
    vxSpectraPageInfo& sp = a->spData;
    sp.demandPollRate = 5;

    // Entering the page: the start step builds the tree, the first tick
    // makes the four plot records and draws them.
    qksyswinpagedsp(win, 5);
    sp.tvBuildFlag = 0;
    ASSERT_EQ(vxSpectraPageBuildTreeView(a), 0);
    ASSERT_EQ(sp.state.load(), 1);
    ASSERT_EQ(vxSpectraPageUpdate(a), 0);
    ASSERT_TRUE(vxtest::pumpUntil([&] { return sp.getH2OFlag.load() == 0; }, std::chrono::seconds(20)));
    ASSERT_EQ(sp.state.load(), 2);
    for (qkplotInfo* p : {sp.plots.plotA, sp.plots.plotB, sp.plots.plotC, sp.plots.plotD}) ASSERT_NE(p, nullptr);
    EXPECT_EQ(a->refrashPlots.load(), 1);

    // A demand scan; the redraw of the repaint takes it and clears dataReady.
    ASSERT_EQ(click(vxSpectraDemandScanCB), 0);
    ASSERT_TRUE(vxtest::pumpUntil([&] { return scanOver(); }, std::chrono::seconds(60)));
    EXPECT_EQ(a->dpRequest.scanCnt.load(), 1);
    const std::set<int> single = penColours();
    EXPECT_EQ(sp.dataReady.load(), 0);

    // Overlay mode: three more scans; every copy of an earlier scan is drawn
    // in its own lighter colour beside the current curve.
    ASSERT_EQ(click(vxSpectraOverlayScanCB), 0);
    EXPECT_EQ(a->dpRequest.scanCnt.load(), 0);
    for (int scan = 1; scan <= 4; ++scan) {
        ASSERT_EQ(click(vxSpectraDemandScanCB), 0);
        ASSERT_TRUE(vxtest::pumpUntil([&] { return scanOver(); }, std::chrono::seconds(60))) << scan;
    }
    const std::set<int> overlaid = penColours();
    int copies = 0;
    std::set<int> curveColours;
    for (int i = 0; i < sp.plots.plotListCnt; ++i) {
        const vxSpectraPlotData& e = sp.plots.plotList[i];
        if (e.plotid == 1466) continue;
        curveColours.insert(e.colorRgb);
        copies += e.overLay == 1 && single.count(e.colorRgb) == 0;
    }
    EXPECT_GT(copies, 0) << "no lighter copies in the list";
    for (int c : curveColours) EXPECT_EQ(overlaid.count(c), 1u) << "colour " << std::hex << c << " not drawn";

    // The page's redraw beside the same polylines drawn with plain QPainter.
    {
        constexpr int kRuns = 20;
        sp.plotsRefCnt = 0;
        auto t0 = Clock::now();
        for (int i = 0; i < kRuns; ++i) vxSpectraPageRefreashPlots(a);
        const double page = std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / kRuns;
        QImage image(1024, 768, QImage::Format_RGB32);
        // As many 512-point polylines as the page draws curves.
        std::vector<QPolygon> lines(static_cast<size_t>(sp.plots.plotListCnt), QPolygon(512));
        for (size_t k = 0; k < lines.size(); ++k)
            for (int x = 0; x < 512; ++x) lines[k][x] = QPoint(x, 100 + static_cast<int>((x * (k + 3)) % 200));
        t0 = Clock::now();
        for (int i = 0; i < kRuns; ++i) {
            QPainter painter(&image);
            image.fill(Qt::white);
            for (const QPolygon& l : lines) painter.drawPolyline(l);
        }
        const double raw = std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / kRuns;
        std::printf("[ timing ] %s redraw of 4 plots with %d curves: %.3f ms; QPainter, the same number of "
                    "polylines: %.3f ms (%.2fx)\n",
                    GetParam(), sp.plots.plotListCnt, page, raw, page / raw);
    }

    // Automatic scans every second, counted from the end of the last one.
    sp.autoPollRate = 1;
    ASSERT_EQ(click(vxSpectraAutoScanCB), 0);
    ASSERT_EQ(sp.autoScanFlag.load(), 1);
    const int before = a->dpRequest.scanCnt.load();
    EXPECT_TRUE(tickUntil([&] { return a->dpRequest.scanCnt.load() >= before + 3 && scanOver(); }, 120));
    ASSERT_EQ(click(vxSpectraAutoScanCB), 0);
    EXPECT_EQ(sp.autoScanFlag.load(), 0);
    ASSERT_TRUE(vxtest::pumpUntil([&] { return scanOver(); }, std::chrono::seconds(60)));

    // The screenshot of the page with its overlays.
    vxSpectraPageRefreashPlots(a);
    std::filesystem::create_directories(VX_SPECTRAPAGE_SHOT_DIR);
    const std::string shot = std::string(VX_SPECTRAPAGE_SHOT_DIR) + "/vxSpectraPage_" + GetParam() + ".png";
    EXPECT_EQ(qksyswinsavescreenshot(win, shot.c_str()), 0);
    EXPECT_TRUE(vxtest::imageShowsSomething(shot));

    // The image save: plot A under the chosen name, B and C beside it.
    {
        const std::string chosen = tree.path("work/shots/plotA.bmp");
        std::filesystem::create_directories(tree.path("work/shots"));
        vxtest::EnvGuard file{"VX_FILEDLG_AUTOANSWER", chosen.c_str()};
        ASSERT_EQ(click(vxSpectraSaveImageCB), 0);
        ASSERT_TRUE(tickUntil([&] { return sp.saveImageFlag.load() == 0; }, 20));
        for (const char* name : {"plotA.bmp", "plotB.bmp", "plotC.bmp"}) {
            const std::string bmp = vxtest::readFile(tree.path(std::string("work/shots/") + name));
            ASSERT_GT(bmp.size(), 54u) << name;
            const uint32_t w = le(bmp, 18, 4), h = le(bmp, 22, 4);
            EXPECT_EQ(bmp.substr(0, 2), "BM");
            EXPECT_EQ(le(bmp, 2, 4), bmp.size()) << name;
            EXPECT_EQ(le(bmp, 10, 4), 54u);
            EXPECT_EQ(le(bmp, 14, 4), 40u);
            EXPECT_EQ(le(bmp, 26, 2), 1u);
            EXPECT_EQ(le(bmp, 28, 2), 24u);
            EXPECT_EQ(le(bmp, 30, 4), 0u);
            EXPECT_EQ(bmp.size(), 54u + (w * 3 + 3) / 4 * 4 * h) << name;
        }
    }

    // The data save: one column per named curve; a curve cut short keeps
    // its rows empty past its own samples.
    {
        const std::string chosen = tree.path("work/spectra.txt");
        vxtest::EnvGuard file{"VX_FILEDLG_AUTOANSWER", chosen.c_str()};
        std::vector<vxSpectraPlotData*> named;
        for (int i = 0; i < sp.plots.plotListCnt; ++i) {
            vxSpectraPlotData& e = sp.plots.plotList[i];
            if (e.state == 1 && e.plotName[0] != '\0' && e.plotid != 1466) named.push_back(&e);
        }
        ASSERT_GE(named.size(), 2u);
        named[0]->dataCnt = 100;
        int rows = 0;
        for (const vxSpectraPlotData* e : named) rows = std::max(rows, e->dataCnt / 2);
        ASSERT_EQ(click(vxSpectraSaveDataCB), 0);
        ASSERT_TRUE(tickUntil([&] { return sp.saveDataFlag.load() == 0; }, 20));
        std::vector<std::string> lines = split(vxtest::readFile(chosen), '\n');
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "") << "the last row ends with its line end";
        lines.pop_back();
        ASSERT_EQ(lines.size(), static_cast<size_t>(rows) + 2);
        EXPECT_EQ(lines[0], "Vantorix Spectra Data\r");
        std::string head = "Index";
        for (const vxSpectraPlotData* e : named) head += std::string("\t") + e->plotName;
        EXPECT_EQ(lines[1], head + "\r");
        for (int row : {0, 49, 50, rows - 1}) {
            const std::string& line = lines.at(static_cast<size_t>(row) + 2);
            const std::vector<std::string> f = split(line.substr(0, line.size() - 1), '\t');
            ASSERT_EQ(f.size(), named.size() + 1) << row;
            EXPECT_EQ(f[0], std::to_string(row));
            for (size_t k = 0; k < named.size(); ++k) {
                const bool own = row < named[k]->dataCnt / 2;
                const std::string want = own ? std::to_string(static_cast<const int16_t*>(named[k]->dataPtr)[row]) : "";
                EXPECT_EQ(f[k + 1], want) << "row " << row << " curve " << k;
            }
        }
    }

    // Leaving the page keeps the curve selection and stops the plot refresh.
    ASSERT_EQ(vxSpectraPageExit(a), 0);
    EXPECT_EQ(sp.userFlg, 1);
    EXPECT_EQ(a->refrashPlots.load(), 0);
}

// A dual-peak 2F analyzer is asked for its H2O peak type when the page is
// entered. The page left at once waits for the inquiry's exchange to end
// (register 43307, then Modbus mode off), so the next page has the link alone.
TEST_F(SpectraPage, LeftDuringTheH2OInquiryLetsItFinish)
{
    showAsShell();
    ASSERT_FALSE(HasFatalFailure());
    startEmulator({"--personality", "2f-dual", "-v"});
    ASSERT_FALSE(HasFatalFailure());
    connectEmulator();
    ASSERT_FALSE(HasFatalFailure());
    vxInfo* a = app.get();
    vxSpectraPageInfo& sp = a->spData;
    ASSERT_EQ(a->anaDetails.ID.type, 2) << "not taken for a dual-peak analyzer";
    qksyswinpagedsp(win, 5);
    sp.tvBuildFlag = 0;
    ASSERT_EQ(vxSpectraPageBuildTreeView(a), 0);
    ASSERT_EQ(vxSpectraPageUpdate(a), 0);
    ASSERT_NE(sp.savedatathrd.state.load(), 0) << "no H2O inquiry under way";
    ASSERT_EQ(vxSpectraPageExit(a), 0);
    EXPECT_EQ(sp.savedatathrd.state.load(), 0);
    EXPECT_EQ(sp.savedatathrd.thrdPtr.load(), nullptr);
    EXPECT_EQ(sp.getH2OFlag.load(), 0);
    EXPECT_EQ(a->anaDetails.ID.type, 2);   // the analyzer answered 291: dual
    const std::string emu = vxtest::readFile(emuLog);
    const std::size_t read = emu.find("43307");
    EXPECT_NE(read, std::string::npos) << emu;
    // Modbus mode off ("24") went out after the register was read.
    EXPECT_NE(emu.find("00124", read == std::string::npos ? 0 : read), std::string::npos) << emu;
}

INSTANTIATE_TEST_SUITE_P(Applications, SpectraPage, ::testing::Values("2f", "ns", "fs"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
