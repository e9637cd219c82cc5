// The snapshot windows of the spectra page against the analyzer emulator (NS
// on the virtual port COM97): after one scan each of plots A, B and C opens
// in its own window with that scan's curves; the window keeps them when the
// next scan comes; the point and value under a moving cursor; the image save
// (a 24-bit bitmap) and the data save (heading, the plot's own curves);
// closing enables the button again. Leaves screenshots of the windows in the
// build tree.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "qksyswincapture.h"
#include "qksyswinpage.h"
#include "qksyswinsrv.h"
#include "vxRequestDiagProtData.h"
#include "vxSpectraPlotSrv.h"
#include "vxSpectraSnapSrv.h"
#include "vxSpectraTreeSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace {

constexpr int kSnapButtons[3] = {1467, 1468, 1469};
constexpr int kPagePlots[3] = {1460, 1462, 1464};

uint32_t le(const std::string& b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b.at(at + i));
    return v;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

class Snapshot : public vxtest::ShippedApp {
protected:
    void TearDown() override
    {
        vxStopDiagProtReqData(app.get());
        if (win != nullptr) qksyswinshutdown(win);   // the snapshot windows end with their parent
        ShippedApp::TearDown();
    }
    bool scanOver()
    {
        return app->getdpdatathrds.state.load() == 0 && app->spData.state.load() == 2;
    }
    // A demand scan from the page's button, until it has ended.
    void scan()
    {
        const int before = app->dpRequest.scanCnt.load();
        win->actitemevent = 6;
        ASSERT_EQ(vxSpectraDemandScanCB(win), 0);
        ASSERT_TRUE(vxtest::pumpUntil([&] { return app->dpRequest.scanCnt.load() > before && scanOver(); },
                                      std::chrono::seconds(60)));
    }
    qkwinInfo* open(int button)
    {
        win->actitemevent = 6;
        win->actitemid = button;
        EXPECT_EQ(vxSpectraSnapShotWinCB(win), 0);
        vxSpectraPageInfo& sp = app->spData;
        return (button == 1467 ? sp.winPlotPtrA : button == 1468 ? sp.winPlotPtrB : sp.winPlotPtrC).load();
    }
    // A mouse move over the snapshot's canvas, as the platform delivers it.
    void moveTo(int x, int y)
    {
        QLabel* point = vxtest::shown<QLabel>(1712);
        ASSERT_NE(point, nullptr);
        QWidget* canvas = point->parentWidget();
        ASSERT_EQ(canvas->objectName(), "canvas");
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), canvas->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &move);
    }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
};

TEST_F(Snapshot, OpensWithTheScanReadsOutTheCursorAndSaves)
{
    showAsShell();
    ASSERT_FALSE(HasFatalFailure());
    startEmulator({"--personality", "ns"});
    ASSERT_FALSE(HasFatalFailure());
    connectEmulator();
    ASSERT_FALSE(HasFatalFailure());
    vxInfo* a = app.get();
    vxSpectraPageInfo& sp = a->spData;
    sp.demandPollRate = 5;
    qksyswinpagedsp(win, 5);
    sp.tvBuildFlag = 0;
    ASSERT_EQ(vxSpectraPageBuildTreeView(a), 0);
    ASSERT_EQ(vxSpectraPageUpdate(a), 0);
    ASSERT_TRUE(vxtest::pumpUntil([&] { return sp.getH2OFlag.load() == 0 && sp.state.load() == 2; },
                                  std::chrono::seconds(20)));
    scan();
    ASSERT_FALSE(HasFatalFailure());

    // A snapshot opens with the curves of its page plot as they are now,
    // copied; its button is disabled while it is open.
    std::filesystem::create_directories(VX_SNAPSHOT_SHOT_DIR);
    vxSpectrWinPlotInfo* records[3] = {&sp.winPlotA, &sp.winPlotB, &sp.winPlotC};
    const auto openAndCheck = [&](int k) -> qkwinInfo* {
        qkwinInfo* child = open(kSnapButtons[k]);
        EXPECT_NE(child, nullptr) << kSnapButtons[k];
        if (child == nullptr) return nullptr;
        EXPECT_EQ(child->id, kSnapButtons[k]);
        EXPECT_FALSE(vxtest::shown<QWidget>(kSnapButtons[k])->isEnabled()) << "button stays enabled";
        const vxSpectrWinPlotInfo& snap = *records[k];
        EXPECT_NE(snap.plotNdx, 0) << "plot of window " << kSnapButtons[k] << " not found";
        int curves = 0;
        for (int i = 0; i < sp.plots.plotListCnt; ++i) {
            const vxSpectraPlotData& page = sp.plots.plotList[i];
            if (page.plotid != kPagePlots[k] || page.dataPtr == nullptr) continue;
            ++curves;
            const vxSpectraPlotData& copy = snap.plotList[i];
            EXPECT_NE(copy.dataPtr, page.dataPtr) << "the snapshot shares the page's buffer";
            EXPECT_EQ(copy.dataCnt, page.dataCnt);
            if (copy.dataPtr != nullptr && copy.dataCnt == page.dataCnt) {
                EXPECT_EQ(std::memcmp(copy.dataPtr, page.dataPtr, static_cast<size_t>(page.dataCnt)), 0)
                    << page.plotName;
            }
        }
        EXPECT_GT(curves, 0) << "plot " << kPagePlots[k] << " has no curve";
        int state = 0;
        EXPECT_EQ(qksyswinOwnerRun(child, [&] { state = snap.xyPos.state; }), 0);
        EXPECT_EQ(state, 1) << "read-out not prepared";
        const std::string shot = std::string(VX_SNAPSHOT_SHOT_DIR) + "/snapshot-" + char('a' + k) + ".png";
        EXPECT_TRUE(vxtest::pumpUntil([&] { return qksyswinsavescreenshot(child, shot.c_str()) == 0; }));
        EXPECT_TRUE(vxtest::imageShowsSomething(shot));
        return child;
    };
    // Closed as a user closes it: its button is enabled again.
    const auto closeSnapshot = [&](std::atomic<qkwinInfo*>& window, int button) {
        QLabel* point = vxtest::shown<QLabel>(1712);
        ASSERT_NE(point, nullptr);
        point->window()->close();
        EXPECT_TRUE(vxtest::pumpUntil([&] { return window.load() == nullptr; }));
        EXPECT_TRUE(vxtest::pumpUntil([&] { return vxtest::shown<QWidget>(button)->isEnabled(); }));
    };

    qkwinInfo* snapA = openAndCheck(0);
    ASSERT_NE(snapA, nullptr);
    // Another press while it is open opens no second one.
    EXPECT_EQ(open(1467), snapA);
    std::vector<std::vector<int16_t>> first;   // plot A's curves of the first scan
    for (int i = 0; i < sp.winPlotA.plotListCnt; ++i) {
        const vxSpectraPlotData& copy = sp.winPlotA.plotList[i];
        if (copy.plotid != 1460 || copy.dataPtr == nullptr) continue;
        const int16_t* s = static_cast<const int16_t*>(copy.dataPtr);
        first.emplace_back(s, s + copy.dataCnt / 2);
    }

    // The cursor read-out of snapshot A: its grid is 512 pixels wide (one per
    // point) and 400 high; 100 pixels right of the grid's left edge is point
    // 100; 100 pixels above the grid's bottom is a quarter of the range up.
    // The window's thread rewrites the read-out's geometry on every redraw, so
    // it is copied there.
    vxSpectraXYposInfo r{};
    ASSERT_EQ(qksyswinOwnerRun(snapA, [&] { r = sp.winPlotA.xyPos; }), 0);
    ASSERT_EQ(r.xsize, 512);
    ASSERT_EQ(r.ysize, 400);
    ASSERT_GT(r.yabsv, 0.0f);
    const auto readout = [&](int x, int y) {
        moveTo(x, y);
        const std::string before = vxtest::labelText(1716);
        vxtest::pumpUntil([&] { return vxtest::labelText(1712) != "" && vxtest::labelText(1716) != before; },
                          std::chrono::milliseconds(500));
        return std::make_pair(vxtest::labelText(1712), vxtest::labelText(1716));
    };
    {
        const auto [point, value] = readout(r.xpos + 100, r.ypos + r.ysize - 100);
        char want[32];
        const float v = static_cast<float>(r.min) + r.yabsv / static_cast<float>(r.ysize) * 100.0f;
        std::snprintf(want, sizeof want, "%10.4f", static_cast<double>(v));
        EXPECT_EQ(point, "100");
        EXPECT_EQ(value, std::string(want).substr(0, 8));
    }
    {
        const auto [point, value] = readout(r.xpos + 1, r.ypos);
        char want[32];
        // The top row of the grid is the top of the range.
        const float v = static_cast<float>(r.min) + r.yabsv / static_cast<float>(r.ysize) * static_cast<float>(r.ysize);
        EXPECT_NEAR(v, static_cast<float>(r.max), 0.01f);
        std::snprintf(want, sizeof want, "%10.4f", static_cast<double>(v));
        EXPECT_EQ(point, "001");
        EXPECT_EQ(value, std::string(want).substr(0, 8));
    }
    // Outside the grid the texts stay.
    {
        const auto [point, value] = readout(r.xpos - 5, r.ypos + 10);
        EXPECT_EQ(point, "001");
    }
    readout(r.xpos + 256, r.ypos + 40);
    const std::string readShot = std::string(VX_SNAPSHOT_SHOT_DIR) + "/snapshot-a-readout.png";
    EXPECT_EQ(qksyswinsavescreenshot(snapA, readShot.c_str()), 0);

    // Save Image of snapshot A: a 24-bit bitmap under the chosen name.
    {
        const std::string chosen = tree.path("work/snapA.bmp");
        vxtest::EnvGuard file{"VX_FILEDLG_AUTOANSWER", chosen.c_str()};
        vxtest::press(1718);
        ASSERT_TRUE(vxtest::pumpUntil([&] { return std::filesystem::exists(chosen) && sp.saveImageFlag.load() == 0; },
                                      std::chrono::seconds(10)));
        const std::string bmp = vxtest::readFile(chosen);
        ASSERT_GT(bmp.size(), 54u);
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(le(bmp, 2, 4), bmp.size());
        EXPECT_EQ(le(bmp, 28, 2), 24u);
        EXPECT_EQ(bmp.size(), 54u + (le(bmp, 18, 4) * 3 + 3) / 4 * 4 * le(bmp, 22, 4));
    }

    // The next scan changes the page's curves, not the snapshot's.
    scan();
    ASSERT_FALSE(HasFatalFailure());
    {
        size_t c = 0;
        for (int i = 0; i < sp.winPlotA.plotListCnt; ++i) {
            const vxSpectraPlotData& copy = sp.winPlotA.plotList[i];
            if (copy.plotid != 1460 || copy.dataPtr == nullptr || c >= first.size()) continue;
            EXPECT_EQ(std::memcmp(copy.dataPtr, first[c].data(), first[c].size() * 2), 0) << copy.plotName;
            ++c;
        }
        EXPECT_EQ(c, first.size());
    }
    closeSnapshot(sp.winPlotPtrA, 1467);

    // Save Data of snapshot B writes plot B's curves only, under B's heading.
    ASSERT_NE(openAndCheck(1), nullptr);
    {
        const std::string chosen = tree.path("work/snapB.txt");
        vxtest::EnvGuard file{"VX_FILEDLG_AUTOANSWER", chosen.c_str()};
        vxtest::press(1720);
        ASSERT_TRUE(vxtest::pumpUntil([&] { return std::filesystem::exists(chosen) && sp.saveDataFlag.load() == 0; },
                                      std::chrono::seconds(10)));
        const std::vector<std::string> l = lines(vxtest::readFile(chosen));
        std::string head = "Index";
        std::vector<const vxSpectraPlotData*> named;
        int rows = 0;
        for (int i = 0; i < sp.winPlotB.plotListCnt; ++i) {
            const vxSpectraPlotData& e = sp.winPlotB.plotList[i];
            if (e.state != 1 || e.plotid != 1462 || e.plotName[0] == '\0') continue;
            named.push_back(&e);
            head += std::string("\t") + e.plotName;
            rows = std::max(rows, e.dataCnt / 2);
        }
        ASSERT_FALSE(named.empty());
        ASSERT_EQ(l.size(), static_cast<size_t>(rows) + 2);
        EXPECT_EQ(l[0], "Vantorix Spectra Snap Window B Data\r");
        EXPECT_EQ(l[1], head + "\r");
        std::string row = "7";
        for (const vxSpectraPlotData* e : named) row += "\t" + std::to_string(static_cast<const int16_t*>(e->dataPtr)[7]);
        EXPECT_EQ(l[9], row + "\r");
        EXPECT_NE(log().find("Saved data file as: " + chosen), std::string::npos);
    }
    closeSnapshot(sp.winPlotPtrB, 1468);
    // C stays open: the window's end closes it.
    ASSERT_NE(openAndCheck(2), nullptr);
}

}  // namespace
