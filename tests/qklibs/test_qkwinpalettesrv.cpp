// Named colour palette: the thirteen basic colours, look-ups by name and by
// value, the platform colour reference byte order, the shipped colour list
// against the built-in list, a missing list, the table's room, and colour
// lists of every line form (real files in a temporary tree).
#include "qkwinpalettesrv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

#include "qklogsrv.h"
#include "vxtestsupport.h"

namespace {

const std::string kShipped = std::string(VX_SOURCE_DIR) + "/cfg/qkwinstdxml/qkcolorlist.xml";

class PaletteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logPath = tree.path("palette.log");
        ASSERT_EQ(qklogopn(logPath.c_str()), 0);
    }
    void TearDown() override
    {
        qkwinpalettefreemem(win.get());
        qklogcls();
    }
    std::string log() const { return vxtest::readFile(logPath); }
    bool logged(const std::string& text) const { return log().find(text) != std::string::npos; }
    // A palette built from the given colour list (a missing path gives the built-in list).
    void build(const std::string& path) { ASSERT_EQ(qkwinpalettecreatefrom(win.get(), path.c_str()), 0); }

    vxtest::TempTree tree;
    std::string logPath;
    std::unique_ptr<qkwinInfo> win = std::make_unique<qkwinInfo>();
};

struct Fixed {
    const char* name;
    uint32_t value;
};

const Fixed kFixed[] = {
    {"Black", 0x000000},       {"White", 0xFFFFFF},       {"Red", 0xFF0000},   {"Green", 0x00FF00},
    {"Blue", 0x0000FF},        {"Yellow", 0xFFFF00},      {"Green3", 0x4CC417}, {"DodgerBlue2", 0x157DEC},
    {"LightGray", 0xD3D3D3},   {"Gray", 0x736F6E},        {"DarkSlateGray", 0x2F4F4F},
    {"Brown", 0xA62A2A},       {"AntiqueWhite", 0xF0EEFF},
};

int ref(uint32_t v) { return static_cast<int>(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16)); }

TEST_F(PaletteTest, BasicColoursInBothLists)
{
    for (const std::string& path : {kShipped, tree.path("cfg/none.xml")}) {
        build(path);
        EXPECT_EQ(win->palette.cnt, QKWIN_PALETTEBUILTIN) << path;
        EXPECT_EQ(win->palette.ndx, QKWIN_PALETTEBUILTIN - 1) << path;
        for (const Fixed& f : kFixed) {
            EXPECT_EQ(qkwinpalettegetvalue(win.get(), f.name), ref(f.value)) << f.name << " in " << path;
            const qkwinpalettedef* c = qkwinpalettegetname(win.get(), f.value);
            ASSERT_NE(c, nullptr) << f.name;
            EXPECT_STREQ(c->name, f.name) << "a value look-up finds the basic name first";
            EXPECT_EQ(c->rgb.red, (f.value >> 16) & 0xFF);
            EXPECT_EQ(c->rgb.green, (f.value >> 8) & 0xFF);
            EXPECT_EQ(c->rgb.blue, f.value & 0xFF);
        }
    }
}

// Every colour the shipped definition and profile files name is in the list.
TEST_F(PaletteTest, NamesUsedByTheProgramExist)
{
    build(tree.path("cfg/none.xml"));
    for (const char* name : {"Black", "Blue", "Brown", "Cyan", "DodgerBlue2", "Green3", "Magenta", "Orange", "Red",
                             "White", "Gray", "LightGray", "Yellow", "DarkSlateGray", "AntiqueWhite"})
        EXPECT_GE(qkwinpalettegetvalue(win.get(), name), 0) << name;
    EXPECT_FALSE(logged("could not find color name"));
}

TEST_F(PaletteTest, ShippedListAgreesWithBuiltIn)
{
    build(kShipped);
    auto fromFile = std::make_unique<qkwinInfo>();
    ASSERT_EQ(qkwinpalettecreatefrom(fromFile.get(), kShipped.c_str()), 0);
    build(tree.path("cfg/missing/qkcolorlist.xml"));
    ASSERT_EQ(fromFile->palette.cnt, win->palette.cnt);
    for (int i = 0; i < win->palette.cnt; ++i) {
        const qkwinpalettedef& a = fromFile->palette.idPtr[i];
        const qkwinpalettedef& b = win->palette.idPtr[i];
        EXPECT_STREQ(a.name, b.name) << "record " << i;
        EXPECT_EQ(a.value, b.value) << a.name;
        EXPECT_LT(std::strlen(a.name), 32u);
    }
    // Names are unique, so every name look-up finds its own record.
    for (int i = 0; i < win->palette.cnt; ++i) {
        const qkwinpalettedef& c = win->palette.idPtr[i];
        EXPECT_EQ(qkwinpalettegetvalue(win.get(), c.name), ref(c.value)) << c.name;
        for (int j = 0; j < i; ++j) ASSERT_STRNE(win->palette.idPtr[j].name, c.name);
    }
    qkwinpalettefreemem(fromFile.get());
}

TEST_F(PaletteTest, DefaultPathAndMissingListIsSilent)
{
    {
        vxtest::CwdGuard cwd(tree.work());
        // No colour list beside the working folder: the built-in list, no message.
        EXPECT_EQ(qkwinpalettecreate(win.get()), 0);
        EXPECT_EQ(win->palette.cnt, QKWIN_PALETTEBUILTIN);
        EXPECT_EQ(log(), "");
        // A colour list in ../cfg/qkwinstdxml is read.
        tree.write("cfg/qkwinstdxml/qkcolorlist.xml", "<NAME>Only</NAME><RGB>0x010203</RGB>\n");
        win->palette.audit = QKWIN_PALAUD_COUNT;
        EXPECT_EQ(qkwinpalettecreate(win.get()), 0);
    }
    EXPECT_EQ(win->palette.cnt, 1);
    EXPECT_STREQ(win->palette.idPtr[0].name, "Only");
    EXPECT_TRUE(logged("color count: 1"));
}

// The line forms of a colour list: both tags on one line; a NAME line naming
// the colour that the next RGB line completes (a later NAME replaces it); the
// three number bases; comments and other lines that carry neither tag.
TEST_F(PaletteTest, ColourListLineForms)
{
    std::string path = tree.write("cfg/list.xml",
                                  "<?xml version=\"1.0\"?>\n"
                                  "<COLORLIST>\n"
                                  "  <NAME>Hex</NAME>\t<RGB>0xFF0000</RGB>\n"
                                  "  <NAME>Decimal</NAME> <RGB>16711680</RGB>\n"
                                  "<NAME>Octal</NAME><RGB>0377</RGB>\n"
                                  "<NAME>Dropped</NAME>\n"
                                  "<NAME>Split</NAME>\n"
                                  "<RGB>0x00FF00</RGB>\n"
                                  "<RGB>0x0000FF</RGB>\n"
                                  "<!-- a comment -->\n"
                                  "<NAME>ThisNameIsLongerThanThirtyOneCharacters</NAME><RGB>1</RGB>\n"
                                  "</COLORLIST>\n");
    build(path);
    struct {
        const char* name;
        uint32_t value;
    } want[] = {{"Hex", 0xFF0000}, {"Decimal", 0xFF0000}, {"Octal", 0xFF},
                {"Split", 0x00FF00}, {"", 0x0000FF}, {"ThisNameIsLongerThanThirtyOneCh", 1}};
    ASSERT_EQ(win->palette.cnt, 6);
    EXPECT_EQ(win->palette.ndx, 5);
    for (int i = 0; i < 6; ++i) {
        EXPECT_STREQ(win->palette.idPtr[i].name, want[i].name) << i;
        EXPECT_EQ(win->palette.idPtr[i].value, want[i].value) << i;
    }
    EXPECT_EQ(win->palette.idPtr[2].rgb.blue, 255);
    EXPECT_EQ(qkwinpalettegetvalue(win.get(), "Decimal"), 0x0000FF);
}

TEST_F(PaletteTest, Capacity)
{
    const struct {
        int records;
        int capacity;
    } cases[] = {{-1, 327}, {0, 327}, {10, 327}, {325, 327}, {326, 327}, {327, 328}, {400, 401}};
    for (const auto& c : cases) EXPECT_EQ(qkwinpalettecapacity(c.records), c.capacity) << c.records;

    // A long list fills its table completely.
    std::string text;
    for (int i = 0; i < 400; ++i) text += "<NAME>C" + std::to_string(i) + "</NAME><RGB>" + std::to_string(i) + "</RGB>\n";
    build(tree.write("cfg/long.xml", text));
    EXPECT_EQ(win->palette.cnt, 400);
    EXPECT_STREQ(win->palette.idPtr[399].name, "C399");
}

// A line longer than a record is read in pieces, each of which may complete a
// colour; the table never grows past its room.
TEST_F(PaletteTest, OverlongLinesStayInTheTable)
{
    std::string piece = "<RGB>7</RGB>";
    std::string line;
    while (line.size() < 400 * 1100) line += piece + std::string(1100 - piece.size(), ' ');
    build(tree.write("cfg/wide.xml", line + "\n"));
    EXPECT_EQ(win->palette.cnt, qkwinpalettecapacity(1));
    EXPECT_TRUE(logged("color table full"));
}

TEST_F(PaletteTest, LookUpFailuresAndByteOrder)
{
    build(tree.path("cfg/none.xml"));
    EXPECT_EQ(qkwinpalettegetvalue(win.get(), "red"), -2);
    EXPECT_TRUE(logged("could not find color name: red"));
    EXPECT_EQ(qkwinpalettegetvalue(win.get(), "Red"), 0x0000FF);
    EXPECT_EQ(qkwinpalettegetvalue(win.get(), "DodgerBlue2"), 0xEC7D15);

    // A value not in the table still gives the right colour reference.
    EXPECT_EQ(qkwinpalettecolorref(win.get(), 0x123456), 0x563412);
    EXPECT_TRUE(logged("could not find color value: 1193046"));
    EXPECT_EQ(qkwinpalettecolorref(win.get(), 0x157DEC), 0xEC7D15);
    EXPECT_EQ(qkwinpalettegetname(win.get(), 0x123457), nullptr);
    EXPECT_TRUE(logged("could not find color value: 123457"));

    qkwinpalettedef c{};
    c.value = 0xA62A2A;
    EXPECT_EQ(qkwinpalettesetrgb(win.get(), &c), 0);
    EXPECT_EQ(c.rgb.red, 0xA6);
    EXPECT_EQ(c.rgb.green, 0x2A);
    EXPECT_EQ(c.rgb.blue, 0x2A);
    c.rgb = {0x15, 0x7D, 0xEC};
    EXPECT_EQ(qkwinpalettesetcolorbyrgb(win.get(), &c), 0);
    EXPECT_EQ(c.value, 0x157DECu);
    EXPECT_EQ(qkwinpalettereftovalue(qkwinpalettevaluetoref(0x4CC417)), 0x4CC417u);
}

}  // namespace
