// The spectra page's curve tree 1430 and FC10 list 1444 on the shipped main
// window, with the shipped spectra profiles of the 2F, NS and FS versions.
#include <gtest/gtest.h>

#include <QTreeWidget>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>

#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswincapture.h"
#include "qksyswinlist.h"
#include "qksyswinpage.h"
#include "vxAnaVersionSrv.h"
#include "vxSpectraTreeSrv.h"
#include "vxtestapp.h"

namespace {

constexpr int kTree = 1430, kList = 1444;

class SpectraTree : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
        qksyswinpagedsp(win, 5);
        gqk_sysendiantype = 2;   // as the program runs
    }
    void TearDown() override
    {
        gqk_sysendiantype = endian;
        ShippedApp::TearDown();
    }
    // The supported version of this application identified and its profiles
    // loaded; the tree built for them.
    vxSpectraAppInfo& load(int appType)
    {
        vxInfo* a = app.get();
        for (int i = 0; i < a->anaSupVer.cnt; ++i) {
            const vxAnalyzerVersion e = a->anaSupVer.version[i];
            if (e.appType != appType) continue;
            a->anaVerPtr = &a->anaDetails.version;
            vxVersionSetUnknown(a);
            vxVersionSetHW(a, e.hwName);
            vxVersionSetApp(a, e.appName);
            vxVersionSetRevision(a, e.revName);
            vxVersionSetBuild(a, e.bldName);
            EXPECT_EQ(vxLoadDataCfgFiles(a), 0);
        }
        a->spData.tvBuildFlag = 0;
        EXPECT_EQ(vxSpectraPageBuildTreeView(a), 0);
        EXPECT_EQ(vxSpectraPageSetTreeViewImages(a), 0);
        EXPECT_EQ(vxSpectraPageSetListHdr(a), 0);
        return *a->spData.appPtr;
    }
    // Scan slot 2's header written by the profile's TYPE words (value(i): the
    // bits of field i).
    template <class F> void header(bool bigEndian, F value)
    {
        vxAnalyzereDataInfo& dp = app->dpRequest;
        const int appType = app->anaDetails.version.appType;
        auto& store = appType == 6 ? dp.f2.diagData[2] : appType == 7 ? dp.ns.diagData[2] : dp.fs.diagData[2];
        dp.f2.hdrByteCnt = dp.ns.hdrByteCnt = dp.fs.hdrByteCnt = VX_HDRBYTES;
        dp.scanNdx = 2;
        const vxSpectraAppInfo& p = *app->spData.appPtr;
        for (int i = 0, pos = 0; i < p.digHdrCnt; ++i) {
            const int width = p.digHdr[i].type <= 2 ? 2 : 4;
            for (int b = 0; b < width; ++b)
                store.hdata[pos++] = static_cast<unsigned char>(value(i) >> 8 * (bigEndian ? width - 1 - b : b));
        }
    }
    // The trimmed fields of list line n (-1: the last).
    std::vector<std::string> row(int n)
    {
        const std::vector<std::string> lines = vxtest::listLines(win, kList);
        std::istringstream in(lines.at(n < 0 ? lines.size() - 1 : n));
        std::vector<std::string> out;
        for (std::string f; std::getline(in, f, '|');) {
            f.erase(0, f.find_first_not_of(' '));
            out.push_back(f.erase(f.find_last_not_of(' ') + 1));
        }
        return out;
    }
    int endian = gqk_sysendiantype.load();
    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
};

uint32_t bits(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// The tree as indented lines, "[x]" or "[ ]" after an item with a box.
std::string dump(QTreeWidgetItem* item, const std::string& indent = "")
{
    const QVariant box = item->data(0, Qt::CheckStateRole);
    std::string out = indent + item->text(0).toStdString() +
                      (box.isValid() ? item->checkState(0) == Qt::Checked ? "[x]" : "[ ]" : "") + "\n";
    for (int c = 0; c < item->childCount(); ++c) out += dump(item->child(c), indent + " ");
    return out;
}

TEST_F(SpectraTree, TreeShowsTheProfileAndItsBoxesDecideTheRequests)
{
    for (int appType : {6, 7, 8}) {
        SCOPED_TRACE(appType);
        vxSpectraAppInfo& p = load(appType);
        QTreeWidget* tree = vxtest::shown<QTreeWidget>(kTree);
        ASSERT_NE(tree, nullptr);
        // Opened in full, so every box is in sight.
        ASSERT_GT(tree->topLevelItemCount(), 0);
        EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
        // Curves ticked as the profile says, each known by the position at
        // which it was added; root, groups and colours without a box.
        std::string want = "Spectra\n";
        vxSpectraParamInfo* curves[] = {p.plotA, p.plotB, p.plotC};
        const int counts[] = {p.plotAcnt, p.plotBcnt, p.plotCcnt};
        for (int g = 0, position = 1; g < 3; ++g, ++position) {
            want += std::string(" plot ") + char('A' + g) + "\n";
            for (int c = 0; c < counts[g]; ++c, position += 2) {
                const vxSpectraParamInfo& k = curves[g][c];
                want += "  " + std::string(k.name) + (k.state == 1 ? "[x]" : "[ ]") + "\n   " + k.color + "\n";
                EXPECT_EQ(k.tvNdx, position + 1);
            }
        }
        EXPECT_EQ(dump(tree->topLevelItem(0)), want);
        // The user flips the boxes of plot A: the next request list sees it;
        // the copy saved when the page was left ticks them back.
        app->spData.user = p;
        for (int c = 0; c < p.plotAcnt; ++c)
            tree->topLevelItem(0)->child(0)->child(c)->setCheckState(0, p.plotA[c].state ? Qt::Unchecked : Qt::Checked);
        ASSERT_EQ(vxSpectraPageGetTreeViewImages(app.get()), 0);
        for (int c = 0; c < p.plotAcnt; ++c) EXPECT_EQ(p.plotA[c].state, 1 - app->spData.user.plotA[c].state);
        ASSERT_EQ(vxSpectraPageSetUserTreeView(app.get()), 0);
        EXPECT_EQ(dump(tree->topLevelItem(0)), want);
    }
    app->anaDetails.version.appType = 2;   // no spectra profile
    app->spData.tvBuildFlag = 0;
    EXPECT_EQ(vxSpectraPageBuildTreeView(app.get()), -2);
}

TEST_F(SpectraTree, HeaderDecodesIntoTheFc10RowInBothByteOrders)
{
    // Field i holds i + 0.5 as a float, else 7 + i (negative for INT16); NS
    // and FS begin with the date and the time.
    for (const auto& [appType, emuFlag, bigEndian] : {std::tuple{7, 0, true}, {8, 0, true}, {6, 0, false}, {6, 1, true}}) {
        SCOPED_TRACE(testing::Message() << appType << " emu " << emuFlag);
        const bool is2F = appType == 6;
        vxSpectraAppInfo& p = load(appType);
        app->anaDetails.emuFlag = emuFlag;
        app->spData.plots.conPlotDataNdx = 0;
        app->dpRequest.ns.fitRation = 0;
        header(bigEndian, [&](int i) {
            const int t = p.digHdr[i].type;
            return !is2F && i < 2 ? (i == 0 ? 20240315u : 93005u) : t == 5 ? bits(i + 0.5f) : t == 1 ? -7u - i : 7u + i;
        });
        ASSERT_EQ(vxSpectraPageListData(app.get()), 0);
        const std::vector<std::string> head = row(0), data = row(1);
        const size_t first = is2F ? 2 : 1;
        ASSERT_EQ(head.size(), first + p.digHdrCnt);
        ASSERT_EQ(data.size(), head.size());
        EXPECT_EQ(head[0] + "=" + data[0], "Scan=3");
        EXPECT_TRUE(!is2F || std::regex_match(data[1], std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d)"))) << data[1];
        for (int i = 0; i < p.digHdrCnt; ++i) {
            const int t = p.digHdr[i].type;
            char want[32];
            if (t == 5) qkstrfmt(want, sizeof want, "%.4f", i + 0.5);
            else qkstrfmt(want, sizeof want, t == 1 ? "-%5.5d" : t == 2 ? "%5.5d" : "%10.10d", 7 + i);
            if (!is2F && i < 2) qkstrset(want, i == 0 ? "2024/03/15" : "09:30:05");
            EXPECT_EQ(head[first + i] + "=" + data[first + i], std::string(p.digHdr[i].name) + "=" + want);
            EXPECT_STREQ(p.digHdr[i].value, want);
        }
        EXPECT_FLOAT_EQ(app->spData.plots.conPlotData[0], is2F ? 6.5f : 2.5f);   // the concentration
        EXPECT_FLOAT_EQ(app->dpRequest.ns.fitRation, appType == 7 ? 7.5f : 0.0f);
    }

    // Outside overlay mode the list keeps the header and the latest scan, the
    // trend the last ten values; in overlay mode (switching it on drops the
    // scan row) the list keeps the last four scans.
    vxSpectraAppInfo& ns = load(7);
    app->spData.plots.conPlotDataNdx = 0;
    for (int scan = 0; scan < 11; ++scan) {
        header(true, [&](int i) { return i == 0 ? 20240315u : i == 1 ? 93005u + scan : bits(100.0f + scan * (i == 2)); });
        vxSpectraPageListData(app.get());
    }
    EXPECT_EQ(vxtest::listLines(win, kList).size(), 2u);
    const float* trend = app->spData.plots.conPlotData;
    EXPECT_EQ(std::vector<float>(trend, trend + app->spData.plots.conPlotDataNdx),
              std::vector<float>({101, 102, 103, 104, 105, 106, 107, 108, 109, 110}));
    app->spData.overlayFlag = 1;
    qkwinlistdeleteitem(win, kList, 1);
    for (int scan = 1; scan <= 6; ++scan) {
        app->dpRequest.scanCnt = scan;
        app->dpRequest.scanNdx = (scan - 1) % 4;
        vxSpectraPageListData(app.get());
    }
    ASSERT_EQ(vxtest::listLines(win, kList).size(), 5u);
    EXPECT_EQ(row(1)[0] + row(4)[0], "32");

    std::filesystem::create_directories(VX_SPECTRA_SHOT_DIR);
    const std::string shot = std::string(VX_SPECTRA_SHOT_DIR) + "/vxSpectraTree.png";
    EXPECT_EQ(qksyswinsavescreenshot(win, shot.c_str()), 0);
    EXPECT_TRUE(vxtest::imageShowsSomething(shot));

    // A short or garbled header decodes what came in and no more: bytes 0x11,
    // 0x11111111 as yyyymmdd; types without a width repeat the field before.
    app->dpRequest.scanNdx = 0;
    std::memset(app->dpRequest.ns.diagData[0].hdata, 0x11, VX_HDRBYTES);
    const struct {
        std::vector<int> types;   // TYPE words
        int count;                // bytes received
        std::vector<std::string> want;
    } garbled[] = {
        {{3, 3, 5}, 6, {"28633/11/53", "", ""}},
        {{2, 99, 6, 7, 0, 3}, 128, {"04369", "04369", "04369", "04369", "04369", "0286331153"}},
        {std::vector<int>(40, 5), 500, std::vector<std::string>(VX_MAXFC10, "0.0000")},
        {{5, 2}, -5, {"", ""}},
    };
    for (const auto& g : garbled) {
        ns.digHdrCnt = static_cast<int>(g.types.size());
        for (int i = 0; i < ns.digHdrCnt && i < VX_MAXFC10; ++i) ns.digHdr[i].type = g.types[i];
        app->dpRequest.ns.hdrByteCnt = g.count;
        ASSERT_EQ(vxSpectraPageListData(app.get()), 0);
        const std::vector<std::string> data = row(-1);
        EXPECT_EQ(std::vector<std::string>(data.begin() + 1, data.end()), g.want) << g.types.size();
    }
    app->dpRequest.scanNdx = 9;   // outside the ring
    EXPECT_EQ(vxSpectraPageListData(app.get()), -2);
}

}  // namespace
