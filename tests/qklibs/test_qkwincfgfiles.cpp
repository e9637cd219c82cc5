// UI definition files: resource, include and user-definition files, the second
// pass over the main configuration file, the package stack under misplaced,
// unknown and unterminated packages, and input beyond the fixed capacities.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qkcfgsrv.h"
#include "qkwincfgpkgsrv.h"
#include "qkwincfgsrv.h"
#include "qkwincfgtestutil.h"
#include "qkwinresfilesrv.h"

namespace {

using wincfgtest::mainwindow;
using wincfgtest::Window;

TEST(QkWinCfgFiles, ResourceFileReplacesInTheRestOfTheFile)
{
    Window w;
    std::string res = w.file("res.txt",
                             "first line without a name\n"
                             "\t QKD$TITLE\tMy window \r\n"
                             "QKD$NOTAB has no tab\n"
                             "QKD$X\t640\n"
                             "QKD$\n");
    ASSERT_EQ(w.read(mainwindow("<AUDIT>8</AUDIT>\n<RESOURCEFILE>\n<AUDIT>1</AUDIT>\n<NAME>" + res +
                                "</NAME>\n</RESOURCEFILE>\n<TITLE>QKD$TITLE</TITLE>\n<WIDTH>QKD$X</WIDTH>\n"
                                "<BUTTON>\n<NAME>QKD$NOTAB</NAME>\n</BUTTON>\n")),
              0);
    EXPECT_STREQ(w->title, "My window");
    EXPECT_EQ(w->xsize, 640);
    EXPECT_STREQ(w->btn.idPtr[0].name, "QKD$NOTAB");
    EXPECT_EQ(w->resfle.audit, 1);
    EXPECT_EQ(w->resfle.state, 1);
    std::string log = w.log();
    EXPECT_NE(log.find("resource file: " + res), std::string::npos);
    EXPECT_NE(log.find("WIN Resource name: QKD$TITLE value: My window"), std::string::npos);
    EXPECT_NE(log.find("WIN Resource name: QKD$X value: 640"), std::string::npos);
    EXPECT_EQ(log.find("QKD$NOTAB value"), std::string::npos);
}

TEST(QkWinCfgFiles, ResourceReplacementNeverOverrunsTheText)
{
    Window w;
    // Each token grows a hundredfold: the replacement would not fit the text
    // buffer (twice the file size) and is left out.
    std::string big(120, 'x');
    std::string res = w.file("res.txt", "QKD$A\t" + big + "\n");
    std::string body = "<RESOURCEFILE>\n<NAME>" + res + "</NAME>\n</RESOURCEFILE>\n";
    for (int i = 0; i < 20; ++i) body += "<STATIC>\n<STRING>QKD$A</STRING>\n</STATIC>\n";
    ASSERT_EQ(w.read(mainwindow(body)), 0);
    ASSERT_EQ(w->stat.cnt, 20);
    EXPECT_STREQ(w->stat.idPtr[19].text, "QKD$A");
    EXPECT_NE(w.log().find("resource name: QKD$A does not fit"), std::string::npos);
}

TEST(QkWinCfgFiles, MissingResourceAndIncludeNamesAreReportedAndReadingGoesOn)
{
    Window w;
    ASSERT_EQ(w.read(mainwindow("<RESOURCEFILE>\n<NAME></NAME>\n</RESOURCEFILE>\n"
                                "<INCLUDEFILE>\n<NAME></NAME>\n</INCLUDEFILE>\n"
                                "<RESOURCEFILE>\n<NAME>/nonexistent/res.txt</NAME>\n</RESOURCEFILE>\n"
                                "<INCLUDEFILE>\n<NAME>/nonexistent/inc.xml</NAME>\n</INCLUDEFILE>\n"
                                "<TITLE>still read</TITLE>\n")),
              0);
    EXPECT_STREQ(w->title, "still read");
    EXPECT_EQ(vxtest::countLines(w.log(), "no path name"), 3);
    EXPECT_EQ(qkwinresflegetfile(w.get()), -2);
}

TEST(QkWinCfgFiles, IncludeFileDeclaresIntoTheIncludingWindow)
{
    Window w;
    std::string inner = w.file("inner.xml", mainwindow("<STATIC>\n<ID>3</ID>\n</STATIC>\n"));
    std::string inc = w.file("inc.xml", mainwindow("<BUTTON>\n<ID>2</ID>\n<NAME>Included</NAME>\n</BUTTON>\n"
                                                   "<INCLUDEFILE>\n<NAME>" +
                                                   inner + "</NAME>\n</INCLUDEFILE>\n"));
    qkwincfgsetaudit(w.get(), QKWINCFG_AUD_FILE);
    ASSERT_EQ(w.read(mainwindow("<BUTTON>\n<ID>1</ID>\n</BUTTON>\n"
                                "<INCLUDEFILE>\n<NAME>" +
                                inc +
                                "</NAME>\n</INCLUDEFILE>\n"
                                "<BUTTON>\n<ID>4</ID>\n</BUTTON>\n<TITLE>after include</TITLE>\n")),
              0);
    ASSERT_EQ(w->btn.cnt, 3);
    EXPECT_EQ(w->btn.idPtr[0].id, 1);
    EXPECT_EQ(w->btn.idPtr[1].id, 2);
    EXPECT_STREQ(w->btn.idPtr[1].name, "Included");
    EXPECT_EQ(w->btn.idPtr[2].id, 4);
    ASSERT_EQ(w->stat.cnt, 1);
    EXPECT_EQ(w->stat.idPtr[0].id, 3);
    EXPECT_STREQ(w->title, "after include");
    EXPECT_EQ(w->cpkg.pkgNdx, 0);
    std::string log = w.log();
    EXPECT_NE(log.find("read config parameters for include: " + inc), std::string::npos);
    EXPECT_NE(log.find("read config parameters for file: "), std::string::npos);
    EXPECT_NE(log.find("43 configuration pakkages defined"), std::string::npos);
    EXPECT_NE(log.find("44 configuration elements defined"), std::string::npos);
    EXPECT_GE(vxtest::countLines(log, "processed: "), 3);
}

TEST(QkWinCfgFiles, IncludeOfItselfAndSpecialFilesAreNotRead)
{
    Window w;
    std::string self = w.tree().path("self.xml");
    w.file("self.xml", mainwindow("<BUTTON>\n</BUTTON>\n<INCLUDEFILE>\n<NAME>" + self + "</NAME>\n</INCLUDEFILE>\n"));
    ASSERT_EQ(w.readFile(self), 0);
    EXPECT_EQ(w->btn.cnt, 1);
    // A device or folder is no definition text.
    Window v;
    ASSERT_EQ(v.read(mainwindow("<INCLUDEFILE>\n<NAME>/dev/zero</NAME>\n</INCLUDEFILE>\n"
                                "<RESOURCEFILE>\n<NAME>/dev/zero</NAME>\n</RESOURCEFILE>\n"
                                "<INCLUDEFILE>\n<NAME>/tmp</NAME>\n</INCLUDEFILE>\n<TITLE>done</TITLE>\n")),
              0);
    EXPECT_STREQ(v->title, "done");
}

TEST(QkWinCfgFiles, UserDefinitionsReplaceTokens)
{
    Window w;
    std::string defs = w.file("userresource.txt", "USER$SCALE\t150\r\nUSER$TITLE\tOperator view\n");
    ASSERT_EQ(w.read(mainwindow("<USERDEFINITION>\n<NAME>" + defs +
                                "</NAME>\n</USERDEFINITION>\n<SCALE>USER$SCALE</SCALE>\n<TITLE>USER$TITLE</TITLE>\n")),
              0);
    EXPECT_EQ(w->scale.xval, 150);
    EXPECT_STREQ(w->title, "Operator view");
}

// The main program reads its configuration with its own keys, then the window
// framework reads the same file again on the same reader with its names added.
TEST(QkWinCfgFiles, SecondPassOverTheMainConfiguration)
{
    Window w;
    std::string cfg = w.file("vxMain.xml",
                             "<?xml version=\"1.0\"?>\n"
                             "<!-- main settings -->\n"
                             "<LOGCFG>\n  <NAME>../logs/vxMain.log</NAME>\n</LOGCFG>\n"
                             "<MAINCFG>\n  <SCANRATE>50</SCANRATE>\n  <AUDIT>4</AUDIT>\n</MAINCFG>\n"
                             "<MAINWINDOW>\n"
                             "  <ID>1</ID>\n  <TITLE>Vantorix</TITLE>\n  <WIDTH>1024</WIDTH>\n  <HEIGHT>768</HEIGHT>\n"
                             "  <CALLBACK>vxMainWinProc</CALLBACK>\n"
                             "  <MAINCFG>\n    <SCANRATE>70</SCANRATE>\n  </MAINCFG>\n"
                             "  <BUTTON>\n    <ID>1001</ID>\n    <FUNCTION>vxHomeCB</FUNCTION>\n  </BUTTON>\n"
                             "  <PAGE>\n    <ID>1001</ID>\n    <PAGEID>2</PAGEID>\n    <NAME>MONITOR</NAME>\n  </PAGE>\n"
                             "</MAINWINDOW>\n"
                             "<MONITORPROFILE>\n  <NAME>Date</NAME>\n</MONITORPROFILE>\n");
    // Step 1 of the main program: the reader record and the framework's tables.
    ASSERT_EQ(qkwincfgsetpath(w.get(), cfg.c_str()), 0);
    qkcfgsrvInfo* r = w->cfgPtr;
    r->pkgcnt = 0;
    qkwincfgclrcnt(w.get());
    qkwincfgsetpkgfunc(w.get());
    qkwincfgsetelmfunc(w.get());
    // The main program's own keys come first on the reader.
    for (const char* pkg : {"LOGCFG", "MAINCFG", "MONITORPROFILE"}) qkcfgaddxmltype(r, pkg, QKCFG_PACKAGE);
    qkcfgaddxmltype(r, "NAME", QKCFG_STRING);
    qkcfgaddxmltype(r, "SCANRATE", QKCFG_SHORT);
    qkcfgaddxmltype(r, "AUDIT", QKCFG_LONG);
    qkcfgsetdelm(r, 10);
    qkcfgloopInfo none{};
    none.flags = QKCFG_LOOP_SKIPSHORT;
    ASSERT_EQ(qkcfgload(r, &none), 0);
    // Step 4: the window framework's names on the same reader, the same file again.
    r->pkgcnt = 0;
    ASSERT_EQ(qkwincfgregister(w.get()), 0);
    ASSERT_EQ(qkwincfgload(w.get()), 0);
    EXPECT_EQ(w->id, 1);
    EXPECT_STREQ(w->title, "Vantorix");
    EXPECT_EQ(w->xsize, 1024);
    EXPECT_EQ(w->ysize, 768);
    // AUDIT of MAINCFG is the program's, not the window's.
    EXPECT_EQ(w->audit, 0);
    ASSERT_EQ(w->btn.cnt, 1);
    EXPECT_EQ(w->btn.idPtr[0].id, 1001);
    ASSERT_EQ(w->page.cnt, 1);
    EXPECT_STREQ(w->page.idPtr[0].name, "MONITOR");
    ASSERT_EQ(w->func.cnt, 2);
    EXPECT_STREQ(w->func.idPtr[0].name, "vxMainWinProc");
    EXPECT_EQ(w->func.idPtr[0].id, 1);
    EXPECT_EQ(w->cpkg.pkgNdx, 0);
    // The program keeps its reader; the window frees it with its tables.
    EXPECT_NE(r->cfgBufPtr, nullptr);
}

// Where the stack stands after packages that are misplaced, unknown, left
// open or closed too often, and whether what follows still counts.
TEST(QkWinCfgFiles, PackageStackUnderOddNesting)
{
    struct Case {
        const char* name;
        const char* body;   // inside MAINWINDOW, followed by a BUTTON with ID 9
        int buttons;        // buttons declared in all
        int lastId;         // id of the last button
    };
    const Case cases[] = {
        // A button inside another package opens a level but declares nothing.
        {"button in dialog", "<DIALOG>\n<BUTTON>\n<ID>5</ID>\n<NAME>x</NAME>\n</BUTTON>\n</DIALOG>\n", 1, 9},
        // These open no level outside MAINWINDOW, and their closing tags close nothing.
        {"region in button", "<BUTTON>\n<ID>4</ID>\n<REGION>\n<POINTS>1,2</POINTS>\n</REGION>\n<NAME>b</NAME>\n</BUTTON>\n", 2, 9},
        {"plot in static", "<STATIC>\n<PLOT>\n<PATH>p.xml</PATH>\n</PLOT>\n</STATIC>\n", 1, 9},
        {"child in tab", "<TAB>\n<CHILD>\n</CHILD>\n<PROCESS>\n</PROCESS>\n<ACTION>\n</ACTION>\n<EXTDATA>\n</EXTDATA>\n</TAB>\n", 1, 9},
        // A registered name without handler opens nothing and closes nothing.
        {"timepick", "<TIMEPICK>\n<ID>3</ID>\n</TIMEPICK>\n", 1, 9},
        // Closing tags of names that are no package, and of packages never opened.
        {"stray closings", "</TITLE>\n</NOSUCH>\n</BUTTON>\n</SUBTAB>\n", 1, 9},
        // A package left open is closed with the package around it.
        {"unterminated", "<BUTTON>\n<ID>6</ID>\n<LIST>\n<ITEM>a</ITEM>\n</MAINWINDOW>\n<MAINWINDOW>\n", 2, 9},
        {"unknown packages", "<GADGET>\n<WIDGET>\n<ID>7</ID>\n</WIDGET>\n</GADGET>\n", 1, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window w;
        ASSERT_EQ(w.read(mainwindow(std::string(c.body) + "<BUTTON>\n<ID>9</ID>\n</BUTTON>\n<TITLE>t</TITLE>\n")), 0);
        EXPECT_EQ(w->btn.cnt, c.buttons);
        ASSERT_GT(w->btn.cnt, 0);
        EXPECT_EQ(w->btn.idPtr[w->btn.cnt - 1].id, c.lastId);
        EXPECT_STREQ(w->title, "t");
        EXPECT_EQ(w->cpkg.pkgNdx, 0);
        EXPECT_EQ(w->regn.cnt, 0);
        EXPECT_EQ(w->cfgpath.cnt, 0);
    }
}

TEST(QkWinCfgFiles, ElementsOutsideTheirPlacesChangeNothing)
{
    Window w;
    ASSERT_EQ(w.read("<TITLE>outside</TITLE>\n<WIDTH>5</WIDTH>\n</MAINWINDOW>\n</MAINWINDOW>\n" +
                     mainwindow("<BUTTON>\n<TITLE>in button</TITLE>\n<STRING>s</STRING>\n<SCALE>3</SCALE>\n"
                                "<MODE>TEST</MODE>\n<ITEM>i</ITEM>\n<POINTS>1,1</POINTS>\n</BUTTON>\n"
                                "<ITEM>loose</ITEM>\n<POINTS>2,2</POINTS>\n<TOOLTIP>t</TOOLTIP>\n"
                                "<VERSION>v</VERSION>\n<INDEX>3</INDEX>\n")),
              0);
    EXPECT_STREQ(w->title, "");
    EXPECT_EQ(w->xsize, 0);
    EXPECT_EQ(w->scale.xval, 0);
    EXPECT_EQ(w->opts.mode, 0);
    EXPECT_STREQ(w->help.version, "");
    ASSERT_EQ(w->btn.cnt, 1);
    EXPECT_STREQ(w->btn.idPtr[0].name, "");
    EXPECT_EQ(w->list.cnt, 0);
    EXPECT_EQ(w->cpkg.pkgNdx, 0);
}

TEST(QkWinCfgFiles, BadInput)
{
    {
        SCOPED_TRACE("unreadable file");
        Window w;
        EXPECT_EQ(w.readFile(w.tree().path("missing.xml")), -2);
        w.file("empty.xml", "");
        EXPECT_EQ(w.readFile(w.tree().path("empty.xml")), -2);
        EXPECT_EQ(qkwincfgread(nullptr), -2);
        EXPECT_EQ(qkwincfgload(nullptr), -2);
    }
    {
        SCOPED_TRACE("a record without a tag ends the reading, what came before stands");
        Window w;
        ASSERT_EQ(w.read(mainwindow("<TITLE>kept</TITLE>\n<BUTTON>\n</BUTTON>\nplain text\n<WIDTH>7</WIDTH>\n")), 0);
        EXPECT_STREQ(w->title, "kept");
        EXPECT_EQ(w->btn.cnt, 1);
        EXPECT_EQ(w->xsize, 0);
    }
    {
        SCOPED_TRACE("texts of 127 characters fit, longer ones end the reading");
        Window w;
        std::string t127(127, 'a');
        ASSERT_EQ(w.read(mainwindow("<TITLE>" + t127 + "</TITLE>\n<STATIC>\n<STRING>" + t127 + "b</STRING>\n"
                                    "</STATIC>\n<WIDTH>9</WIDTH>\n")),
                  0);
        EXPECT_EQ(std::string(w->title), t127);
        EXPECT_STREQ(w->stat.idPtr[0].text, "");
        EXPECT_EQ(w->xsize, 0);
    }
    {
        SCOPED_TRACE("callback names are cut to 63 characters");
        Window w;
        std::string name(100, 'c');
        ASSERT_EQ(w.read(mainwindow("<BUTTON>\n<ID>3</ID>\n<FUNCTION>" + name + "</FUNCTION>\n</BUTTON>\n")), 0);
        ASSERT_EQ(w->func.cnt, 1);
        EXPECT_EQ(std::strlen(w->func.idPtr[0].name), 63u);
    }
    {
        SCOPED_TRACE("nesting deeper than the stack");
        Window w;
        std::string open, close;
        for (int i = 0; i < 300; ++i) {
            open += "<VALUE>\n";
            close += "</VALUE>\n";
        }
        ASSERT_EQ(w.read(mainwindow(open + close + "<TITLE>deep</TITLE>\n")), 0);
        EXPECT_STREQ(w->title, "deep");
        EXPECT_EQ(w->cpkg.pkgNdx, 0);
    }
    {
        SCOPED_TRACE("numbers out of range");
        Window w;
        ASSERT_EQ(w.read(mainwindow("<WIDTH>99999</WIDTH>\n<REGION>\n<POINTS>99999999999,-99999999999</POINTS>\n"
                                    "</REGION>\n<AUDIT>0xFFFFFFFF</AUDIT>\n")),
                  0);
        EXPECT_EQ(w->xsize, static_cast<int16_t>(99999));
        EXPECT_EQ(w->regn.idPtr[0].points[0].x, 2147483647);
        EXPECT_EQ(w->regn.idPtr[0].points[0].y, -2147483647 - 1);
        EXPECT_EQ(w->audit, -1);
    }
}

TEST(QkWinCfgFiles, AuditLines)
{
    Window w;
    ASSERT_EQ(w.read(mainwindow("<AUDIT>15</AUDIT>\n<BUTTON>\n<ID>1</ID>\n</BUTTON>\n<UNKNOWN>x</UNKNOWN>\n"
                                "<PLOT>\n<ID>2</ID>\n</PLOT>\n<DIALOG>\n</DIALOG>\n<PAGE>\n<SUBPAGE>\n</SUBPAGE>\n</PAGE>\n")),
              0);
    std::string log = w.log();
    for (const char* line :
         {"config name: UNKNOWN", "button count: 1, idPtr: ", "cfgpath count: 1, index: 0",
          "dlg count: 1, index: 0, size: ", "page count: 1, index: 0", "sub page count: 1, index: 0",
          "package index: 2 type: 150, name: BUTTON", "package index: 1, name: /BUTTON", "ndx: 2, name: ID",
          "package index: 2 type: 150, name: ID", "processed: "})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST(QkWinCfgFiles, ReadingAgainStartsTheDeclaredTablesAfresh)
{
    Window w;
    std::string a = w.file("a.xml", mainwindow("<BUTTON>\n<ID>1</ID>\n</BUTTON>\n<LIST>\n<ITEM>x</ITEM>\n<ITEM>y</ITEM>\n"
                                               "</LIST>\n<MENU>\n<SUBMENU>\n</SUBMENU>\n</MENU>\n"
                                               "<DIALOG>\n<ID>5</ID>\n</DIALOG>\n"));
    ASSERT_EQ(w.readFile(a), 0);
    ASSERT_EQ(w.readFile(a), 0);
    EXPECT_EQ(w->btn.cnt, 1);
    ASSERT_EQ(w->list.cnt, 1);
    EXPECT_EQ(w->list.idPtr[0].itemCnt, 2);
    EXPECT_EQ(w->menu.idPtr[0].subCnt, 1);
    // Dialogs are not among the tables a read starts afresh.
    EXPECT_EQ(w->dlg.cnt, 2);
}

}  // namespace
