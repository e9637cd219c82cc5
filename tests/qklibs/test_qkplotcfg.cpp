// Plot definition files: the vocabulary, what each key sets in which package
// path, palette colours by name and by number, resource and include files,
// look-ups, slot reuse and the audit lines. Files are written to a temporary
// tree and read through the real configuration reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qkplotpkgsrv.h"
#include "qkplotsrv.h"
#include "qkstrsrv.h"
#include "qksysplotsrv.h"
#include "qkwincfgtestutil.h"

namespace {

using wincfgtest::colorref;

// A window with the built-in palette and a plot record bound to it.
class PlotFile : public wincfgtest::Window {
public:
    PlotFile() : p(qkwinplotcreate(get())) {}
    ~PlotFile() { qkwinplotfree(get()); }

    int read(const std::string& text, const std::string& name = "plot.xml")
    {
        qkstrset(p->path, file(name, text).c_str());
        return qkplotcfgread(p);
    }

    qkplotInfo* p;
};

// One tag a line, as definition files are written; "/X" closes X.
std::string lines(const std::vector<std::string>& tags)
{
    std::string out = "<?xml version=\"1.0\"?>\n";
    for (const std::string& t : tags) out += t[0] == '<' ? t + "\n" : "<" + t + ">\n";
    return out;
}

}  // namespace

TEST(QkPlotCfg, RegistersTheVocabularyInOrderWithTheTwoRepeatedNames)
{
    qkplotInfo* p = qkplotcreate();
    qkcfgsrvInfo r{};
    r.ndx = -1;
    p->cfgPtr = &r;
    ASSERT_EQ(qkplotcfgregister(p), 0);
    const std::vector<std::pair<std::string, int>> want = {
        {"PLOT", 5}, {"CLASS", 5}, {"SIZE", 5}, {"GRID", 5}, {"AXIS", 5}, {"COLOR", 5}, {"BACKGROUND", 5},
        {"FORGROUND", 5}, {"EDGE", 5}, {"TEXT", 5}, {"MARGIN", 5}, {"SCALE", 5}, {"MAJOR", 5}, {"MINOR", 5},
        {"PEN", 5}, {"COMMENT", 5}, {"BORDER", 5}, {"RESOURCEFILE", 5}, {"INCLUDEFILE", 5}, {"RESOURCEFILE", 5},
        {"INCLUDEFILE", 5}, {"USERDEFINITION", 5}, {"XORIG", 1}, {"YORIG", 1}, {"WIDTH", 1}, {"HEIGHT", 1},
        {"RGB", 2}, {"INCREMENT", 1}, {"TOP", 1}, {"BOTTOM", 1}, {"LEFT", 1}, {"RIGHT", 1}, {"STYLE", 4},
        {"TYPE", 4}, {"LENGTH", 1}, {"NAME", 4}, {"STRING", 4}, {"FONTID", 1}, {"ID", 1}, {"ADJUST", 1}};
    ASSERT_EQ(r.numArgs, static_cast<int>(want.size()));
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(r.argsPtr[i].name, want[i].first) << i;
        EXPECT_EQ(r.argsPtr[i].type, want[i].second) << i;
    }
    EXPECT_EQ(r.pkgcnt, 22);
    p->cfgPtr = nullptr;
    qkcfgfreemem(&r);
    qkplotdestroy(p);
}

TEST(QkPlotCfg, KeysSetWhatTheirPackagePathSays)
{
    PlotFile f;
    // A closing tag of a package never opened leaves the stack where it is.
    const std::string text = lines({
        "/GRID", "<!-- plot one -->", "PLOT", "<ID>1460</ID>", "<LENGTH>5</LENGTH>", "<UNKNOWN>1</UNKNOWN>",
        "CLASS", "<TYPE>BAR</TYPE>", "<INCREMENT>2</INCREMENT>", "PEN", "<STYLE>DOT</STYLE>", "<STYLE>WAVY</STYLE>",
        "<WIDTH>3</WIDTH>", "COLOR", "BACKGROUND", "<NAME>Red</NAME>", "<RGB>0x00FF00</RGB>", "/BACKGROUND", "/COLOR",
        "/PEN", "/CLASS",
        "SIZE", "<XORIG>10</XORIG>", "<YORIG>20</YORIG>", "<WIDTH>300</WIDTH>", "<HEIGHT>200</HEIGHT>", "COLOR",
        "BACKGROUND", "<NAME>LightGray</NAME>", "/BACKGROUND", "/COLOR", "BORDER", "<WIDTH>2</WIDTH>", "COLOR",
        "FORGROUND", "<NAME>White</NAME>", "/FORGROUND", "EDGE", "<NAME>NoSuchColour</NAME>", "/EDGE", "/COLOR",
        "/BORDER", "/SIZE",
        "GRID", "COLOR", "BACKGROUND", "<RGB>0xD3D3D3</RGB>", "/BACKGROUND", "/COLOR", "MARGIN", "<TOP>11</TOP>",
        "<BOTTOM>12</BOTTOM>", "<LEFT>13</LEFT>", "<RIGHT>14</RIGHT>", "/MARGIN", "SCALE", "MAJOR",
        "<INCREMENT>32</INCREMENT>", "PEN", "<STYLE>DASH</STYLE>", "<WIDTH>2</WIDTH>", "/PEN", "/MAJOR", "MINOR",
        "<INCREMENT>8</INCREMENT>", "PEN", "<STYLE>DASHDOT</STYLE>", "/PEN", "/MINOR", "/SCALE", "/GRID",
        "AXIS", "<TYPE>LEFT</TYPE>", "<INCREMENT>4</INCREMENT>", "<ADJUST>-3</ADJUST>", "<FONTID>318</FONTID>", "PEN",
        "<WIDTH>2</WIDTH>", "COLOR", "BACKGROUND", "<NAME>Blue</NAME>", "/BACKGROUND", "/COLOR", "/PEN", "/AXIS",
        "AXIS", "<TYPE>BOTTOM</TYPE>", "/AXIS",
        // The ellipsis rows match a SIZE anywhere, the exact ones only in PLOT.
        "COMMENT", "<XORIG>5</XORIG>", "<STRING>Plot A</STRING>", "<FONTID>310</FONTID>", "SIZE",
        "<WIDTH>999</WIDTH>", "<HEIGHT>77</HEIGHT>", "/SIZE", "COLOR", "TEXT", "<NAME>Navy</NAME>", "/TEXT",
        "BACKGROUND", "<RGB>16711680</RGB>", "/BACKGROUND", "/COLOR", "/COMMENT",
        "/PLOT",
        "PLOT", "<ID>1462</ID>", "GRID", "COLOR", "BACKGROUND", "<NAME>LightGray</NAME>", "/BACKGROUND", "/COLOR",
        "/GRID", "/PLOT",
    });
    ASSERT_EQ(f.read(text), 0);
    qkplotInfo* p = f.p;
    ASSERT_EQ(p->cnt, 2);
    EXPECT_EQ(p->cpkg.pkgNdx, 0);
    EXPECT_EQ(p->cfgPtr, nullptr);   // the reader lives only while a file is read
    const qkplotIDInfo& a = p->idPtr[0];
    const qkplotIDInfo& b = p->idPtr[1];
    EXPECT_EQ(a.id * 10000 + a.itemid, 11460);
    EXPECT_EQ(b.id * 10000 + b.itemid, 21462);
    ASSERT_EQ(a.axisCnt, 2);
    ASSERT_EQ(a.commtCnt, 1);

    struct Check {
        const char* what;
        int got;
        int want;
    };
    const Check checks[] = {
        {"class type", a.pclass.type, 2},
        {"class pen style (DOT, then an unknown word)", a.pclass.pen.type, 2},
        {"class pen width", a.pclass.pen.width, 3},
        {"class pen colour (NAME only there)", a.pclass.pen.color, colorref(0xFF0000)},
        {"xpos", a.size.xpos, 10},
        {"width of PLOT/SIZE, not COMMENT/SIZE", a.size.xsize, 300},
        {"height of any SIZE", a.size.ysize, 77},
        {"size colour", a.size.color, colorref(0xD3D3D3)},
        {"border fg", a.size.border.fgcolor, colorref(0xFFFFFF)},
        {"border edge, unknown name", a.size.border.edcolor, -2},
        {"grid colour by RGB", a.grid.bgcolor, colorref(0xD3D3D3)},
        {"grid colour by NAME", b.grid.bgcolor, colorref(0xD3D3D3)},
        {"margin top", a.grid.margin.top, 11},
        {"margin right", a.grid.margin.right, 14},
        {"major inc", a.grid.incmnt.major, 32},
        {"major style", a.grid.majorpen.type, 3},
        {"minor style", a.grid.minorpen.type, 4},
        {"left type", a.axisidPtr[0].type, 3},
        {"left maxchar", a.axisidPtr[0].maxchar, 6},
        {"left inc", a.axisidPtr[0].inc, 4},
        {"left adj", a.axisidPtr[0].adj, -3},
        {"left font", a.axisidPtr[0].fontid, 318},
        {"left pen colour", a.axisidPtr[0].pen.color, colorref(0x0000FF)},
        {"bottom type", a.axisidPtr[1].type, 2},
        {"bottom maxchar", a.axisidPtr[1].maxchar, 3},
        {"comment x", a.commtidPtr[0].xpos, 5},
        {"comment font", a.commtidPtr[0].fontid, 310},
        {"comment text colour", a.commtidPtr[0].color.text.rgb, colorref(0x000080)},
        {"comment background", a.commtidPtr[0].color.bg.rgb, colorref(0xFF0000)},
    };
    for (const Check& c : checks) EXPECT_EQ(c.got, c.want) << c.what;
    EXPECT_STREQ(a.axisidPtr[0].format, "%-10.4f");
    EXPECT_STREQ(a.axisidPtr[1].format, "%3.3d");
    EXPECT_STREQ(a.commtidPtr[0].text, "Plot A");
    EXPECT_STREQ(a.commtidPtr[0].color.text.name, "Navy");
    EXPECT_STREQ(a.commtidPtr[0].color.bg.name, "");   // RGB keeps no name

    EXPECT_EQ(qkplotgetIDbyItemID(p, 1462), 2);
    EXPECT_EQ(qkplotgetIDbyItemID(p, 9999), -2);
    EXPECT_EQ(qkplotgetIDpointer(p, 3), nullptr);
    EXPECT_EQ(qkplotgetsize(p, 2), &p->idPtr[1].size);
    const std::string log = f.log();
    EXPECT_NE(log.find("could not find color name: NoSuchColour"), std::string::npos);
    EXPECT_NE(log.find("plot id: 9999\n could not find ID pointer"), std::string::npos);
    EXPECT_NE(log.find("plot id: 3\n could not find ID pointer"), std::string::npos);
}

TEST(QkPlotCfg, ResourceAndIncludeFilesOfTheWindowApplyToThePlotFile)
{
    PlotFile f;
    f.file("plot.res", "QKD$PLOTID\t1470\nQKD$GRIDCOLOR\tNavy\n");
    // An include is read in place, inside the INCLUDEFILE package: exact rows
    // such as PLOT/SIZE do not reach into it, GRID/MARGIN and .../SIZE do.
    const std::string inc = f.file("inc.xml", lines({"GRID", "MARGIN", "<LEFT>33</LEFT>", "/MARGIN", "/GRID", "SIZE",
                                                     "<WIDTH>55</WIDTH>", "<HEIGHT>123</HEIGHT>", "/SIZE"}));
    const std::string text = lines({"RESOURCEFILE", "<NAME>" + f.tree().path("plot.res") + "</NAME>", "/RESOURCEFILE",
                                    "PLOT", "<ID>QKD$PLOTID</ID>", "INCLUDEFILE", "<NAME>" + inc + "</NAME>",
                                    "/INCLUDEFILE", "SIZE", "<WIDTH>400</WIDTH>", "/SIZE", "GRID", "COLOR",
                                    "BACKGROUND", "<NAME>QKD$GRIDCOLOR</NAME>", "/BACKGROUND", "/COLOR", "/GRID",
                                    "/PLOT"});
    ASSERT_EQ(f.read(text), 0);
    ASSERT_EQ(f.p->cnt, 1);
    const qkplotIDInfo& e = f.p->idPtr[0];
    EXPECT_EQ(e.itemid, 1470);
    EXPECT_EQ(e.grid.margin.left, 33);
    EXPECT_EQ(e.grid.bgcolor, colorref(0x000080));
    EXPECT_EQ(e.size.ysize, 123);
    EXPECT_EQ(e.size.xsize, 400);
    EXPECT_EQ(f.p->cpkg.pkgNdx, 0);
    EXPECT_STREQ(f->incfle.name, inc.c_str());
}

TEST(QkPlotCfg, ShippedPlotDefinitionsGiveWholeGridSteps)
{
    // Every shipped plot has its grid, ticks and labels: a minor step of at
    // least one pixel, a major step that is a whole number of minor steps,
    // and bottom labels that land on whole points.
    struct Case {
        const char* file;
        int item;
        int points;
        int gw, gh, minstep, majstep;
    };
    const Case cases[] = {
        {"vxSpectraPlots.xml", 1460, 512, 352, 110, 11, 44}, {"vxSpectraPlots.xml", 1462, 512, 352, 110, 11, 44},
        {"vxSpectraPlots.xml", 1464, 512, 352, 110, 11, 44}, {"vxSpectraPlots.xml", 1466, 10, 350, 110, 35, 35},
        {"vxSnapPlots.xml", 1472, 512, 512, 400, 16, 64},    {"vxSnapPlots.xml", 1474, 512, 512, 400, 16, 64},
        {"vxSnapPlots.xml", 1476, 512, 512, 400, 16, 64},
    };
    wincfgtest::Window w;
    w->scale.xval = 0;
    for (const Case& c : cases) {
        qkplotInfo* p = qkwinplotcreate(w.get());
        qkstrset(p->path, (std::string(VX_SOURCE_DIR) + "/cfg/vxplot/" + c.file).c_str());
        ASSERT_EQ(qkplotcfgread(p), 0) << c.file;
        const int id = qkplotgetIDbyItemID(p, c.item);
        ASSERT_GT(id, 0) << c.item;
        qkplotIDInfo& e = p->idPtr[id - 1];
        e.data.cnt = c.points;
        qkplotGeomInfo g;
        qkplotgeometry(p, &e, &g);
        EXPECT_EQ(g.gw, c.gw) << c.item;
        EXPECT_EQ(g.gh, c.gh) << c.item;
        EXPECT_EQ(g.minstep, c.minstep) << c.item;
        EXPECT_EQ(g.majstep, c.majstep) << c.item;
        EXPECT_EQ(g.majstep * c.points % g.gw, 0) << c.item;
        qkwinplotfree(w.get());
    }
    EXPECT_EQ(w.log().find("could not find color name"), std::string::npos);
}

TEST(QkPlotCfg, FreedSlotsAreReusedAndAllocationsAreAudited)
{
    PlotFile f;
    qkplotsetaudit(f.p, QKPLOT_AUD_FILE | QKPLOT_AUD_ALLOC);
    const std::string one = lines({"PLOT", "<ID>1</ID>", "AXIS", "/AXIS", "COMMENT", "/COMMENT", "/PLOT"});
    ASSERT_EQ(f.read(one), 0);
    ASSERT_EQ(f.read(lines({"PLOT", "<ID>2</ID>", "/PLOT"}), "two.xml"), 0);
    ASSERT_EQ(f.p->cnt, 2);
    EXPECT_EQ(qkplotfreeplot(f.p, 1), 0);
    EXPECT_EQ(f.p->idPtr[0].id, 0);
    EXPECT_EQ(f.p->idPtr[0].axisidPtr, nullptr);
    // The next plot takes the free slot; the table does not grow.
    ASSERT_EQ(f.read(lines({"PLOT", "<ID>3</ID>", "/PLOT"}), "three.xml"), 0);
    EXPECT_EQ(f.p->cnt, 2);
    EXPECT_EQ(f.p->idPtr[0].itemid, 3);
    EXPECT_EQ(f.p->idPtr[0].id, 1);
    EXPECT_EQ(qkplotgetIDbyItemID(f.p, 3), 1);
    EXPECT_EQ(qkplotgetPtr(), f.p);

    const std::string log = f.log();
    for (const std::string& want :
         {"read config parameters for file: " + f.tree().path("plot.xml"), std::string("cnt: 1,  ndx: 0"),
          std::string("count: 1, index: 0, ID: 1"), std::string("Axis count: 1, ID: 1"),
          std::string("Comment count: 1, ID: 1"), std::string("cnt: 2,  ndx: 1"), std::string("cnt: 2,  ndx: 0"),
          std::string("processed: 4 config parameters")})
        EXPECT_NE(log.find(want), std::string::npos) << want;
    EXPECT_EQ(qkplotfreemem(f.p), 0);
    EXPECT_EQ(f.p->cnt, 0);
}
