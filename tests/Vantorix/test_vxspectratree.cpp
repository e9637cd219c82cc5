// The spectra page's curve tree 1430 and FC10 list 1444 on the shipped main
// window, with the shipped spectra profiles of the 2F, NS and FS versions.
#include <gtest/gtest.h>

#include <QTreeWidget>

#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswincapture.h"
#include "qksyswinlist.h"
#include "qksyswinpage.h"
#include "vxAnaVersionSrv.h"
#include "vxSpectraTreeSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTree = 1430;
constexpr int kList = 1444;
constexpr int kSpectraPage = 5;

class SpectraTree : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
        qksyswinpagedsp(win, kSpectraPage);
    }
    void TearDown() override
    {
        gqk_sysendiantype = endian;
        ShippedApp::TearDown();
    }

    // Identifies the analyzer as the supported version of this application
    // and loads its profiles, as the search does; the tree is due again.
    vxSpectraAppInfo& load(int appType)
    {
        vxInfo* a = app.get();
        for (int i = 0; i < a->anaSupVer.cnt; ++i) {
            const vxAnalyzerVersion entry = a->anaSupVer.version[i];
            if (entry.appType != appType) continue;
            a->anaVerPtr = &a->anaDetails.version;
            vxVersionSetUnknown(a);
            vxVersionSetHW(a, entry.hwName);
            vxVersionSetApp(a, entry.appName);
            vxVersionSetRevision(a, entry.revName);
            vxVersionSetBuild(a, entry.bldName);
            EXPECT_EQ(vxLoadDataCfgFiles(a), 0);
            break;
        }
        EXPECT_EQ(a->anaDetails.version.appType, appType);
        a->spData.tvBuildFlag = 0;
        return appType == 6 ? a->spData.f2 : appType == 7 ? a->spData.ns : a->spData.fs;
    }

    // The header of the current scan slot written field by field by the
    // profile's TYPE words; value(i, type) gives each field's raw bits.
    template <class F> void writeHeader(vxAnalyzerDiagnosticDataHC12& block, int32_t& count,
                                        const vxSpectraAppInfo& p, bool bigEndian, F value)
    {
        std::memset(block.hdata, 0, sizeof block.hdata);
        int pos = 0;
        for (int i = 0; i < p.digHdrCnt; ++i) {
            const int t = p.digHdr[i].type;
            const int width = t == 1 || t == 2 ? 2 : t >= 3 && t <= 5 ? 4 : 0;
            const uint32_t bits = value(i, t);
            for (int b = 0; b < width && pos + b < VX_HDRBYTES; ++b) {
                const int shift = bigEndian ? 8 * (width - 1 - b) : 8 * b;
                block.hdata[pos + b] = static_cast<unsigned char>(bits >> shift);
            }
            pos += width;
        }
        count = VX_HDRBYTES;
    }

    static std::vector<std::string> fields(const std::string& row)
    {
        std::vector<std::string> out;
        size_t start = 0, bar;
        while ((bar = row.find('|', start)) != std::string::npos) {
            std::string f = row.substr(start, bar - start);
            f.erase(0, f.find_first_not_of(' '));
            f.erase(f.find_last_not_of(' ') + 1);
            out.push_back(f);
            start = bar + 1;
        }
        return out;
    }

    int endian = gqk_sysendiantype.load();
    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
};

uint32_t floatBits(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// Raw bits of the test value of field i, and the text it must show.
uint32_t testValue(int i, int type)
{
    switch (type) {
    case 1: return static_cast<uint16_t>(-300 - i);
    case 2: return 60000u + i;
    case 3:
    case 4: return 7u + i;
    case 5: return floatBits(0.5f + i);
    default: return 0;
    }
}
std::string testText(int i, int type)
{
    char t[64];
    switch (type) {
    case 1: qkstrfmt(t, sizeof t, "%5.5d", -300 - i); break;
    case 2: qkstrfmt(t, sizeof t, "%5.5u", 60000u + i); break;
    case 3:
    case 4: qkstrfmt(t, sizeof t, "%10.10d", 7 + i); break;
    case 5: qkstrfmt(t, sizeof t, "%.4f", 0.5 + i); break;
    default: return "";
    }
    return t;
}

TEST_F(SpectraTree, TreeShowsTheProfileAndItsBoxesDecideTheRequests)
{
    for (int appType : {6, 7, 8}) {
        SCOPED_TRACE(appType);
        vxSpectraAppInfo& p = load(appType);
        ASSERT_EQ(vxSpectraPageBuildTreeView(app.get()), 0);
        EXPECT_EQ(app->spData.appPtr, &p);
        EXPECT_EQ(app->spData.state.load(), 1);
        ASSERT_EQ(vxSpectraPageSetTreeViewImages(app.get()), 0);
        QTreeWidget* tree = vxtest::shown<QTreeWidget>(kTree);
        ASSERT_NE(tree, nullptr);

        // Root, three groups, each curve with its colour under it; only the
        // curves carry a box, ticked as the profile says.
        QTreeWidgetItem* root = tree->topLevelItem(0);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->text(0), "Spectra");
        ASSERT_EQ(root->childCount(), 3);
        const vxSpectraParamInfo* curves[] = {p.plotA, p.plotB, p.plotC};
        const int counts[] = {p.plotAcnt, p.plotBcnt, p.plotCcnt};
        auto noBox = [](QTreeWidgetItem* item) { return !item->data(0, Qt::CheckStateRole).isValid(); };
        EXPECT_TRUE(noBox(root));
        int position = 1;
        for (int g = 0; g < 3; ++g) {
            QTreeWidgetItem* group = root->child(g);
            EXPECT_EQ(group->text(0).toStdString(), std::string("plot ") + char('A' + g));
            EXPECT_TRUE(noBox(group));
            ASSERT_EQ(group->childCount(), counts[g]);
            ++position;
            for (int c = 0; c < counts[g]; ++c, position += 2) {
                QTreeWidgetItem* item = group->child(c);
                EXPECT_EQ(item->text(0).toStdString(), curves[g][c].name);
                EXPECT_EQ(curves[g][c].tvNdx, position);
                EXPECT_EQ(item->checkState(0), curves[g][c].state == 1 ? Qt::Checked : Qt::Unchecked);
                ASSERT_EQ(item->childCount(), 1);
                EXPECT_EQ(item->child(0)->text(0).toStdString(), curves[g][c].color);
                EXPECT_TRUE(noBox(item->child(0)));
            }
        }
        EXPECT_EQ(app->spData.tvImageCnt, 4 + counts[0] + counts[1] + counts[2]);

        // The user flips every box of plot A: the next request list sees it.
        std::vector<int> before;
        for (int c = 0; c < p.plotAcnt; ++c) {
            before.push_back(p.plotA[c].state);
            root->child(0)->child(c)->setCheckState(0, p.plotA[c].state == 1 ? Qt::Unchecked : Qt::Checked);
        }
        ASSERT_EQ(vxSpectraPageGetTreeViewImages(app.get()), 0);
        for (int c = 0; c < p.plotAcnt; ++c) EXPECT_EQ(p.plotA[c].state, 1 - before[c]) << p.plotA[c].name;

        // The copy saved when the page was left ticks the boxes again.
        app->spData.user = p;
        for (int c = 0; c < p.plotAcnt; ++c) app->spData.user.plotA[c].state = before[c];
        ASSERT_EQ(vxSpectraPageSetUserTreeView(app.get()), 0);
        for (int c = 0; c < p.plotAcnt; ++c) {
            EXPECT_EQ(p.plotA[c].state, before[c]);
            EXPECT_EQ(root->child(0)->child(c)->checkState(0), before[c] == 1 ? Qt::Checked : Qt::Unchecked);
        }
        // Built once per profile load.
        EXPECT_EQ(vxSpectraPageBuildTreeView(app.get()), 0);
        EXPECT_EQ(vxtest::shown<QTreeWidget>(kTree), tree);
    }

    // An application without a spectra profile gets no tree.
    app->anaDetails.version.appType = 2;
    app->spData.tvBuildFlag = 0;
    EXPECT_EQ(vxSpectraPageBuildTreeView(app.get()), -2);
}

TEST_F(SpectraTree, H2OReferenceOfThe2FAnalyzerType)
{
    const struct {
        int type;
        const char* ticked;   // the plot-B curve name part, null: none
    } rows[] = {{1, "single"}, {2, "dual"}, {3, "CO2"}, {0, nullptr}, {4, nullptr}};
    vxSpectraAppInfo& p = load(6);
    app->spData.appPtr = &p;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.type);
        for (int c = 0; c < p.plotBcnt; ++c) p.plotB[c].state = 0;
        app->anaDetails.ID.type = static_cast<int16_t>(row.type);
        EXPECT_EQ(vxSpectraPageSetH2OTreeView(app.get()), 0);
        int ticked = 0;
        for (int c = 0; c < p.plotBcnt; ++c)
            if (p.plotB[c].state == 1) {
                ++ticked;
                EXPECT_NE(std::strstr(p.plotB[c].name, row.ticked ? row.ticked : "-"), nullptr);
            }
        EXPECT_EQ(ticked, row.ticked ? 1 : 0);
    }
}

TEST_F(SpectraTree, ListFieldPadsToTwentyTwoAndStaysInItsBuffer)
{
    char row[128] = "x|";
    vxSpectraPageListField(row, sizeof row, "abc");
    EXPECT_EQ(std::string(row), "x|  abc" + std::string(17, ' ') + "|");
    const std::string longer(25, 'L');
    row[0] = '\0';
    vxSpectraPageListField(row, sizeof row, longer.c_str());
    EXPECT_EQ(std::string(row), "  " + longer + "|");
    char small[8] = "";
    EXPECT_EQ(vxSpectraPageListField(small, sizeof small, "abc"), 0);
    EXPECT_EQ(std::string(small), "  abc  ");
    EXPECT_EQ(vxSpectraPageListField(nullptr, 8, "abc"), -2);
}

TEST_F(SpectraTree, HeaderDecodesIntoTheFc10RowInBothByteOrders)
{
    gqk_sysendiantype = 2;   // as the program runs
    const struct {
        int appType;
        int emuFlag;
        bool bigEndian;
    } rows[] = {{7, 0, true}, {8, 0, true}, {6, 0, false}, {6, 1, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.appType << " emu " << row.emuFlag);
        vxSpectraAppInfo& p = load(row.appType);
        ASSERT_EQ(vxSpectraPageBuildTreeView(app.get()), 0);
        app->anaDetails.emuFlag = row.emuFlag;
        ASSERT_EQ(vxSpectraPageSetListHdr(app.get()), 0);
        const bool is2F = row.appType == 6;
        vxAnalyzereDataInfo& dp = app->dpRequest;
        dp.scanNdx = 2;
        auto* block = is2F ? &dp.f2.diagData[2] : row.appType == 7 ? &dp.ns.diagData[2] : &dp.fs.diagData[2];
        int32_t& count = is2F ? dp.f2.hdrByteCnt : row.appType == 7 ? dp.ns.hdrByteCnt : dp.fs.hdrByteCnt;
        // NS and FS begin with the date and the time.
        writeHeader(*block, count, p, row.bigEndian, [&](int i, int t) {
            return !is2F && i == 0 ? 20240315u : !is2F && i == 1 ? 93005u : testValue(i, t);
        });
        dp.ns.fitRation = 0;
        app->spData.plots.conPlotDataNdx = 0;
        ASSERT_EQ(vxSpectraPageListData(app.get()), 0);

        const std::vector<std::string> lines = vxtest::listLines(win, kList);
        ASSERT_EQ(lines.size(), 2u);
        const std::vector<std::string> head = fields(lines[0]), data = fields(lines[1]);
        const size_t first = is2F ? 2 : 1;
        ASSERT_EQ(head.size(), first + p.digHdrCnt);
        ASSERT_EQ(data.size(), head.size());
        EXPECT_EQ(head[0], "Scan");
        EXPECT_EQ(data[0], "3");
        if (is2F) {
            EXPECT_EQ(head[1], "Date & Time");
            EXPECT_TRUE(std::regex_match(data[1], std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d)"))) << data[1];
        }
        for (int i = 0; i < p.digHdrCnt; ++i) {
            SCOPED_TRACE(p.digHdr[i].name);
            EXPECT_EQ(head[first + i], p.digHdr[i].name);
            const std::string want = !is2F && i == 0 ? "2024/03/15" : !is2F && i == 1 ? "09:30:05" : testText(i, p.digHdr[i].type);
            EXPECT_EQ(data[first + i], want);
            EXPECT_EQ(p.digHdr[i].value, want);
        }
        // The trend takes the concentration; NS scales by its fit ratio.
        const int trendNdx = is2F ? 6 : 2;
        EXPECT_EQ(app->spData.plots.conPlotDataNdx, 1);
        EXPECT_FLOAT_EQ(app->spData.plots.conPlotData[0], 0.5f + trendNdx);
        EXPECT_FLOAT_EQ(dp.ns.fitRation, row.appType == 7 ? 7.5f : 0.0f);
    }

    // Outside overlay mode the list keeps the header and the latest scan; the
    // trend keeps the last ten values.
    vxSpectraAppInfo& ns = load(7);
    ASSERT_EQ(vxSpectraPageBuildTreeView(app.get()), 0);
    ASSERT_EQ(vxSpectraPageSetListHdr(app.get()), 0);
    app->spData.plots.conPlotDataNdx = 0;
    for (int scan = 0; scan < 11; ++scan) {
        writeHeader(app->dpRequest.ns.diagData[2], app->dpRequest.ns.hdrByteCnt, ns, true,
                    [&](int i, int t) {
                        return i == 0 ? 20240315u : i == 1 ? 93005u + scan : i == 2 ? floatBits(100.0f + scan) : testValue(i, t);
                    });
        vxSpectraPageListData(app.get());
    }
    EXPECT_EQ(vxtest::listLines(win, kList).size(), 2u);
    EXPECT_EQ(app->spData.plots.conPlotDataNdx, 10);
    EXPECT_FLOAT_EQ(app->spData.plots.conPlotData[0], 101.0f);
    EXPECT_FLOAT_EQ(app->spData.plots.conPlotData[9], 110.0f);

    // In overlay mode (switching it on drops the scan row) it keeps the last four scans.
    app->spData.overlayFlag = 1;
    qkwinlistdeleteitem(win, kList, 1);
    for (int scan = 1; scan <= 6; ++scan) {
        app->dpRequest.scanCnt = scan;
        app->dpRequest.scanNdx = (scan - 1) % 4;
        vxSpectraPageListData(app.get());
    }
    const std::vector<std::string> lines = vxtest::listLines(win, kList);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(fields(lines[1])[0], "3");
    EXPECT_EQ(fields(lines[4])[0], "2");

    fs::create_directories(VX_SPECTRA_SHOT_DIR);
    const std::string shot = std::string(VX_SPECTRA_SHOT_DIR) + "/vxSpectraTree.png";
    ASSERT_EQ(vxSpectraPageSetTreeViewImages(app.get()), 0);
    vxtest::shown<QTreeWidget>(kTree)->expandAll();
    EXPECT_EQ(qksyswinsavescreenshot(win, shot.c_str()), 0);
    EXPECT_TRUE(vxtest::imageShowsSomething(shot));
}

TEST_F(SpectraTree, ShortOrGarbledHeaderDecodesWhatItCan)
{
    gqk_sysendiantype = 2;
    vxSpectraAppInfo& ns = load(7);
    app->spData.appPtr = &ns;
    vxAnalyzereDataInfo& dp = app->dpRequest;
    dp.scanNdx = 0;
    std::memset(dp.ns.diagData[0].hdata, 0x11, VX_HDRBYTES);

    const struct {
        const char* what;
        std::vector<int> types;   // TYPE words of the header
        int count;                // bytes received
        int slot;
        std::vector<std::string> want;
    } rows[] = {
        // 0x11111111 as yyyymmdd, then fields past the six bytes received
        {"short", {3, 3, 5}, 6, 0, {"28633/11/53", "", ""}},
        {"unknown and text types take no bytes", {2, 99, 6, 7, 0, 3}, 128, 0,
         {"04369", "04369", "04369", "04369", "04369", "0286331153"}},
        {"more fields and bytes than a header holds", std::vector<int>(33, 5), 500, 0,
         std::vector<std::string>(VX_MAXFC10, "0.0000")},
        {"negative count", {5, 2}, -5, 0, {"", ""}},
        {"slot outside the ring", {2}, 128, 9, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ns.digHdrCnt = static_cast<int>(row.types.size());
        for (size_t i = 0; i < row.types.size() && i < VX_MAXFC10; ++i) ns.digHdr[i].type = row.types[i];
        dp.ns.hdrByteCnt = row.count;
        dp.scanNdx = row.slot;
        const int status = vxSpectraPageListData(app.get());
        EXPECT_EQ(status, row.want.empty() ? -2 : 0);
        if (status != 0) continue;
        const std::vector<std::string> data = fields(vxtest::listLines(win, kList).back());
        ASSERT_EQ(data.size(), 1 + row.want.size());
        for (size_t i = 0; i < row.want.size(); ++i) EXPECT_EQ(data[1 + i], row.want[i]) << i;
    }
}

}  // namespace
