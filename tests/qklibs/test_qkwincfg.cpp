// UI definition files: what each package and element declares in the window
// record, grouped by widget kind, with the keyword tables and the places where
// an element counts. Every case reads a real definition file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qkwincfgpathsrv.h"
#include "qkwincfgpkgsrv.h"
#include "qkwinfuncsrv.h"
#include "qkwincfgtestutil.h"

namespace {

using wincfgtest::colorref;
using wincfgtest::mainwindow;
using wincfgtest::Window;

// The callback entries of the window as "id:name" texts.
std::string callbacks(qkwinInfo* w)
{
    std::string out;
    for (int i = 0; i < w->func.cnt; ++i) {
        const qkwinfuncIDInfo& f = w->func.idPtr[i];
        EXPECT_EQ(f.type, 2);
        EXPECT_EQ(f.add, nullptr);
        out += std::to_string(f.id) + ":" + f.name + " ";
    }
    return out;
}

TEST(QkWinCfg, MainWindowGeometryAndEmptyTables)
{
    Window w;
    ASSERT_EQ(w.read(mainwindow("<TITLE>Main</TITLE>\n<XORIG>10</XORIG>\n<YORIG>20</YORIG>\n"
                                "<WIDTH>640</WIDTH>\n<HEIGHT>0x1E0</HEIGHT>\n")),
              0);
    EXPECT_STREQ(w->title, "Main");
    EXPECT_EQ(w->xorig, 10);
    EXPECT_EQ(w->yorig, 20);
    EXPECT_EQ(w->xsize, 640);
    EXPECT_EQ(w->ysize, 480);
    for (int cnt : {w->btn.cnt, w->stat.cnt, w->edit.cnt, w->list.cnt, w->comb.cnt, w->regn.cnt, w->font.cnt,
                    w->menu.cnt, w->tab.cnt, w->hdr.cnt, w->dlg.cnt, w->page.cnt, w->cfgpath.cnt, w->tv.cnt,
                    w->datepick.cnt, w->mmsg.cnt, w->func.cnt})
        EXPECT_EQ(cnt, 0);
    EXPECT_EQ(w->cpkg.pkgNdx, 0);
    // The handler tables: 43 packages with handlers (TIMEPICK has none), 44 elements.
    EXPECT_EQ(w->cpkg.pkgCnt, 43);
    EXPECT_EQ(w->cpkg.elmCnt, 44);
    EXPECT_STREQ(w->cpkg.elmFunc[0].name, "TITLE");
    EXPECT_EQ(w->cpkg.elmFunc[43].id, 44);
    EXPECT_STREQ(w->cpkg.elmFunc[43].name, "FILLSCREEN");
    // The reader's text and keys are released after the read.
    ASSERT_NE(w->cfgPtr, nullptr);
    EXPECT_EQ(w->cfgPtr->cfgBufPtr, nullptr);
    EXPECT_EQ(w->cfgPtr->argsPtr, nullptr);
}

TEST(QkWinCfg, MainWindowSettingsAndOwnCallbacks)
{
    Window w;
    ASSERT_EQ(w.read(mainwindow("<ID>1</ID>\n<CALLBACK>vxMainProc</CALLBACK>\n<FONTID>3</FONTID>\n"
                                "<SCALE>125</SCALE>\n<SCROLLBAR>VERTICAL</SCROLLBAR>\n"
                                "<SCROLLBAR>HORIZONTAL</SCROLLBAR>\n<SHAPE>ELLIPTICAL</SHAPE>\n"
                                "<PAGEID>2</PAGEID>\n<AUDIT>0</AUDIT>\n"
                                "<USERSTARTFUNCTION>vxStart</USERSTARTFUNCTION>\n"
                                "<USERRUNFUNCTION>vxRun</USERRUNFUNCTION>\n"
                                "<USERUPDATEFUNCTION>vxUpdate</USERUPDATEFUNCTION>\n"
                                "<USERCLOSEFUNCTION>vxClose</USERCLOSEFUNCTION>\n"
                                "<HELP>\n<VERSION>v1.6</VERSION>\n<CONTACT>service desk</CONTACT>\n</HELP>\n"
                                "<OPTIONS>\n<USERACCOUNTS>ENABLE</USERACCOUNTS>\n<DATABASE>DISABLE</DATABASE>\n"
                                "<STOPCHILDS>ENABLE</STOPCHILDS>\n<TOPMOST>ENABLE</TOPMOST>\n"
                                "<FILLSCREEN>ENABLE</FILLSCREEN>\n<MODE>DEVELOPMENT</MODE>\n</OPTIONS>\n")),
              0);
    EXPECT_EQ(w->id, 1);
    EXPECT_EQ(w->fontid, 3);
    EXPECT_EQ(w->scale.xval, 125);
    EXPECT_EQ(w->scale.yval, 125);
    EXPECT_EQ(w->sbmask, 3);
    EXPECT_EQ(w->shape, 4);
    EXPECT_EQ(w->page.startpageid, 2);
    EXPECT_EQ(w->startcbid, 199);
    EXPECT_EQ(w->runcbid, 198);
    EXPECT_EQ(w->updatecbid, 197);
    EXPECT_EQ(w->closecbid, 196);
    EXPECT_EQ(callbacks(w.get()), "1:vxMainProc 199:vxStart 198:vxRun 197:vxUpdate 196:vxClose ");
    EXPECT_STREQ(w->help.version, "v1.6");
    EXPECT_STREQ(w->help.contact, "service desk");
    EXPECT_EQ(w->opts.useraccts, 1);
    EXPECT_EQ(w->opts.dbreq, 0);
    EXPECT_EQ(w->opts.stopChilds, 1);
    EXPECT_EQ(w->opts.topmost, 1);
    EXPECT_EQ(w->opts.fillscreen, 1);
    EXPECT_EQ(w->opts.mode, 1);
}

// Keyword elements: the value stored for each text, unknown texts included.
TEST(QkWinCfg, KeywordValues)
{
    struct Case {
        const char* body;   // inside MAINWINDOW
        int (*get)(qkwinInfo*);
        int expect;
    };
    auto btnStyle = [](qkwinInfo* w) { return w->btn.idPtr[0].style; };
    auto editStyle = [](qkwinInfo* w) { return w->edit.idPtr[0].style; };
    auto border = [](qkwinInfo* w) { return w->btn.idPtr[0].bdr.type; };
    auto msgType = [](qkwinInfo* w) { return w->mmsg.idPtr[0].type; };
    auto charset = [](qkwinInfo* w) { return w->font.idPtr[0].charsetID; };
    auto weight = [](qkwinInfo* w) { return w->font.idPtr[0].weight; };
    auto family = [](qkwinInfo* w) { return w->font.idPtr[0].familyID; };
    auto mode = [](qkwinInfo* w) { return w->opts.mode; };
    auto shape = [](qkwinInfo* w) { return w->regn.idPtr[0].shape; };
    auto date = [](qkwinInfo* w) { return w->datepick.idPtr[0].style; };
    auto align = [](qkwinInfo* w) { return w->stat.idPtr[0].align; };
    const Case cases[] = {
        {"<BUTTON>\n<STYLE>PUSHBUTTON</STYLE>\n</BUTTON>\n", btnStyle, 1},
        {"<BUTTON>\n<STYLE>AUTORADIOBUTTON</STYLE>\n</BUTTON>\n", btnStyle, 7},
        {"<BUTTON>\n<STYLE>pushbutton</STYLE>\n</BUTTON>\n", btnStyle, 0},
        {"<EDIT>\n<STYLE>PASSWORD</STYLE>\n</EDIT>\n", editStyle, 1},
        {"<EDIT>\n<STYLE>PLAIN</STYLE>\n</EDIT>\n", editStyle, 0},
        {"<BUTTON>\n<BORDER>\n<TYPE>SUNKEN</TYPE>\n</BORDER>\n</BUTTON>\n", border, 8},
        {"<BUTTON>\n<BORDER>\n<TYPE>DOTTED</TYPE>\n</BORDER>\n</BUTTON>\n", border, 0},
        {"<MSGBOX>\n<TYPE>QUESTION</TYPE>\n</MSGBOX>\n", msgType, 101},
        {"<MSGBOX>\n<TYPE>ERROR</TYPE>\n</MSGBOX>\n", msgType, 105},
        {"<MSGBOX>\n<TYPE>NOTICE</TYPE>\n</MSGBOX>\n", msgType, 103},
        {"<FONT>\n<CHARSET>RUSSIAN</CHARSET>\n</FONT>\n", charset, 4},
        {"<FONT>\n<CHARSET>LATIN</CHARSET>\n</FONT>\n", charset, 1},
        {"<FONT>\n<WEIGHT>THIN</WEIGHT>\n</FONT>\n", weight, 4},
        {"<FONT>\n<WEIGHT>HEAVY</WEIGHT>\n</FONT>\n", weight, 5},
        {"<FONT>\n<FAMILY>MODERN</FAMILY>\n</FONT>\n", family, 3},
        {"<FONT>\n<FAMILY>SCRIPT</FAMILY>\n</FONT>\n", family, 2},
        {"<OPTIONS>\n<MODE>TEST</MODE>\n</OPTIONS>\n", mode, 3},
        {"<OPTIONS>\n<MODE>PRODUCTION</MODE>\n</OPTIONS>\n", mode, 0},
        {"<OPTIONS>\n<MODE>2</MODE>\n</OPTIONS>\n", mode, 0},
        {"<REGION>\n<SHAPE>POLYGON</SHAPE>\n</REGION>\n", shape, 3},
        {"<REGION>\n<SHAPE>STAR</SHAPE>\n</REGION>\n", shape, 1},
        {"<DATEPICK>\n<STYLE>LONGTIME</STYLE>\n</DATEPICK>\n", date, 2},
        {"<DATEPICK>\n<STYLE>SHORT</STYLE>\n</DATEPICK>\n", date, 0},
        {"<STATIC>\n<ALIGN>CENTER</ALIGN>\n</STATIC>\n", align, 5},
        {"<STATIC>\n<ALIGN>RIGHT</ALIGN>\n<ALIGN>MIDDLE</ALIGN>\n</STATIC>\n", align, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        Window w;
        ASSERT_EQ(w.read(mainwindow(c.body)), 0);
        EXPECT_EQ(c.get(w.get()), c.expect);
    }
}

TEST(QkWinCfg, ButtonsTakeTheirElementsInOrder)
{
    Window w;
    ASSERT_EQ(w.read(mainwindow("<BUTTON>\n<ID>101</ID>\n<NAME>Start</NAME>\n<FUNCTION>vxStartCB</FUNCTION>\n"
                                "<XORIG>5</XORIG>\n<YORIG>6</YORIG>\n<WIDTH>70</WIDTH>\n<HEIGHT>20</HEIGHT>\n"
                                "<FONTID>2</FONTID>\n<PAGEID>3</PAGEID>\n"
                                "<ICON>\n<PATH>../cfg/start.ico</PATH>\n<WIDTH>16</WIDTH>\n<HEIGHT>15</HEIGHT>\n</ICON>\n"
                                "<COLOR>\n<BACKGROUND>\n<NAME>Red</NAME>\n</BACKGROUND>\n"
                                "<TEXT>\n<NAME>DodgerBlue2</NAME>\n</TEXT>\n</COLOR>\n"
                                "</BUTTON>\n"
                                "<BUTTON>\n<ID>102</ID>\n<FUNCTION>vxStopCB</FUNCTION>\n"
                                "<COLOR>\n<BACKGROUND>\n<NAME>TRANSPARENT</NAME>\n</BACKGROUND>\n</COLOR>\n"
                                "</BUTTON>\n")),
              0);
    ASSERT_EQ(w->btn.cnt, 2);
    const qkwinbtnIDInfo& a = w->btn.idPtr[0];
    const qkwinbtnIDInfo& b = w->btn.idPtr[1];
    EXPECT_EQ(a.id, 101);
    EXPECT_EQ(a.ndx, 0);
    EXPECT_STREQ(a.name, "Start");
    EXPECT_EQ(a.xorig, 5);
    EXPECT_EQ(a.yorig, 6);
    EXPECT_EQ(a.xsize, 70);
    EXPECT_EQ(a.ysize, 20);
    EXPECT_EQ(a.fontid, 2);
    EXPECT_EQ(a.pageid, 3);
    EXPECT_STREQ(a.icon.path, "../cfg/start.ico");
    EXPECT_EQ(a.icon.xsize, 16);
    EXPECT_EQ(a.icon.ysize, 15);
    EXPECT_STREQ(a.color.bg.name, "Red");
    EXPECT_EQ(a.color.bg.rgb, colorref(0xFF0000));
    EXPECT_STREQ(a.color.text.name, "DodgerBlue2");
    EXPECT_EQ(a.color.text.rgb, colorref(0x157DEC));
    EXPECT_EQ(a.color.fg.rgb, static_cast<int>(QKWIN_NOCOLOR));
    // The second button: its own id and callback; transparency leaves the colour unchosen.
    EXPECT_EQ(b.id, 102);
    EXPECT_EQ(b.ndx, 1);
    EXPECT_EQ(b.name[0], '\0');
    EXPECT_EQ(b.xsize, 0);
    EXPECT_EQ(b.color.bg.flags, 1);
    EXPECT_EQ(b.color.bg.rgb, static_cast<int>(QKWIN_NOCOLOR));
    EXPECT_EQ(callbacks(w.get()), "101:vxStartCB 102:vxStopCB ");
}

TEST(QkWinCfg, StaticsAndEdits)
{
    Window w;
    ASSERT_EQ(w.read(mainwindow("<STATIC>\n<ID>201</ID>\n<STRING>Pressure</STRING>\n<ALIGN>LEFT</ALIGN>\n"
                                "<FUNCTION>vxStaticCB</FUNCTION>\n<BORDER>\n<TYPE>FLAT</TYPE>\n</BORDER>\n"
                                "<ICON>\n<PATH>warn.ico</PATH>\n<WIDTH>32</WIDTH>\n</ICON>\n"
                                "<COLOR>\n<BACKGROUND>\n<RGB>0x00FF00</RGB>\n</BACKGROUND>\n"
                                "<FORGROUND>\n<RGB>0x0000FF</RGB>\n</FORGROUND>\n"
                                "<EDGE>\n<RGB>0xFFFF00</RGB>\n</EDGE>\n"
                                "<TEXT>\n<RGB>16711680</RGB>\n</TEXT>\n</COLOR>\n"
                                "</STATIC>\n"
                                "<EDIT>\n<ID>301</ID>\n<STRING>1013</STRING>\n<ALIGN>RIGHT</ALIGN>\n"
                                "<STYLE>PASSWORD</STYLE>\n<FONTID>4</FONTID>\n<PAGEID>5</PAGEID>\n"
                                "<BORDER>\n<TYPE>RAISED</TYPE>\n</BORDER>\n"
                                "<COLOR>\n<BACKGROUND>\n<NAME>Yellow</NAME>\n</BACKGROUND>\n"
                                "<FORGROUND>\n<RGB>0x0000FF</RGB>\n</FORGROUND>\n</COLOR>\n"
                                "</EDIT>\n")),
              0);
    ASSERT_EQ(w->stat.cnt, 1);
    const qkwinstaticIDInfo& s = w->stat.idPtr[0];
    EXPECT_EQ(s.id, 201);
    EXPECT_STREQ(s.text, "Pressure");
    EXPECT_EQ(s.align, 3);
    EXPECT_EQ(s.bdr.type, 6);
    EXPECT_STREQ(s.icon.path, "warn.ico");
    EXPECT_EQ(s.icon.xsize, 32);
    EXPECT_EQ(s.color.bg.rgb, colorref(0x00FF00));
    EXPECT_EQ(s.color.fg.rgb, colorref(0x0000FF));
    EXPECT_EQ(s.color.border.rgb, colorref(0xFFFF00));
    EXPECT_EQ(s.color.text.rgb, colorref(0xFF0000));
    ASSERT_EQ(w->edit.cnt, 1);
    const qkwineditIDInfo& e = w->edit.idPtr[0];
    EXPECT_EQ(e.id, 301);
    EXPECT_STREQ(e.text, "1013");
    EXPECT_EQ(e.align, 4);
    EXPECT_EQ(e.style, 1);
    EXPECT_EQ(e.fontid, 4);
    EXPECT_EQ(e.pageid, 5);
    EXPECT_EQ(e.bdr.type, 7);
    EXPECT_EQ(e.color.bg.rgb, colorref(0xFFFF00));
    // Raw colour values count only in the window's and statics' colours.
    EXPECT_EQ(e.color.fg.rgb, static_cast<int>(QKWIN_NOCOLOR));
    EXPECT_EQ(callbacks(w.get()), "201:vxStaticCB ");
}

TEST(QkWinCfg, ListAndComboItems)
{
    Window w;
    ASSERT_EQ(w.read(mainwindow("<LIST>\n<ID>401</ID>\n<NAME>Ports</NAME>\n<ITEM>COM1</ITEM>\n<ITEM>COM2</ITEM>\n"
                                "<ITEM>COM3</ITEM>\n<FUNCTION>vxPortCB</FUNCTION>\n<PAGEID>1</PAGEID>\n</LIST>\n"
                                "<COMBO>\n<ID>402</ID>\n<ITEM>9600</ITEM>\n<ITEM>115200</ITEM>\n"
                                "<BORDER>\n<TYPE>SUNKEN</TYPE>\n</BORDER>\n</COMBO>\n"
                                "<LIST>\n<ID>403</ID>\n</LIST>\n")),
              0);
    ASSERT_EQ(w->list.cnt, 2);
    const qkwinlistIDInfo& l = w->list.idPtr[0];
    EXPECT_EQ(l.id, 401);
    EXPECT_STREQ(l.name, "Ports");
    EXPECT_EQ(l.pageid, 1);
    ASSERT_EQ(l.itemCnt, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(l.itemidPtr[i].id, i + 1);
        EXPECT_EQ(std::string(l.itemidPtr[i].item), "COM" + std::to_string(i + 1));
    }
    EXPECT_EQ(w->list.idPtr[1].itemCnt, 0);
    ASSERT_EQ(w->comb.cnt, 1);
    const qkwincomboIDInfo& c = w->comb.idPtr[0];
    EXPECT_EQ(c.id, 402);
    EXPECT_EQ(c.bdr.type, 8);
    ASSERT_EQ(c.itemCnt, 2);
    EXPECT_STREQ(c.itemidPtr[1].item, "115200");
    EXPECT_EQ(c.itemidPtr[1].id, 2);
    EXPECT_EQ(callbacks(w.get()), "401:vxPortCB ");
}

TEST(QkWinCfg, RegionShapePointsAndBorder)
{
    Window w;
    std::string points;
    for (int i = 0; i < 34; ++i) points += "<POINTS>" + std::to_string(i) + "," + std::to_string(2 * i) + "</POINTS>\n";
    ASSERT_EQ(w.read(mainwindow("<REGION>\n<SHAPE>TRIANGLE</SHAPE>\n<XORIG>1</XORIG>\n<WIDTH>50</WIDTH>\n"
                                "<PAGEID>4</PAGEID>\n<POINTS>10,20</POINTS>\n<POINTS>30 40</POINTS>\n"
                                "<POINTS>-5, 7</POINTS>\n"
                                "<BORDER>\n<WIDTH>3</WIDTH>\n<TYPE>RAISED</TYPE>\n"
                                "<COLOR>\n<BACKGROUND>\n<NAME>Black</NAME>\n</BACKGROUND>\n"
                                "<FORGROUND>\n<NAME>White</NAME>\n</FORGROUND>\n</COLOR>\n</BORDER>\n"
                                "<COLOR>\n<BACKGROUND>\n<NAME>Gray</NAME>\n</BACKGROUND>\n</COLOR>\n"
                                "</REGION>\n"
                                "<REGION>\n" +
                                points + "</REGION>\n")),
              0);
    ASSERT_EQ(w->regn.cnt, 2);
    const qkwinregionIDInfo& r = w->regn.idPtr[0];
    EXPECT_EQ(r.shape, 5);
    EXPECT_EQ(r.xorig, 1);
    EXPECT_EQ(r.xsize, 50);
    EXPECT_EQ(r.pageid, 4);
    // A value without a comma adds no point.
    ASSERT_EQ(r.ptscnt, 2);
    EXPECT_EQ(r.points[0].x, 10);
    EXPECT_EQ(r.points[0].y, 20);
    EXPECT_EQ(r.points[1].x, -5);
    EXPECT_EQ(r.points[1].y, 7);
    EXPECT_EQ(r.bdr.width, 3);
    EXPECT_EQ(r.bdr.type, 7);
    EXPECT_EQ(r.bdr.color.bg.rgb, colorref(0x000000));
    EXPECT_EQ(r.bdr.color.fg.rgb, colorref(0xFFFFFF));
    EXPECT_EQ(r.color.bg.rgb, colorref(0x736F6E));
    // A region keeps 32 points; the rest are left out.
    const qkwinregionIDInfo& many = w->regn.idPtr[1];
    EXPECT_EQ(many.ptscnt, QKWIN_MAXPOINTS);
    EXPECT_EQ(many.points[31].x, 31);
    EXPECT_EQ(many.points[31].y, 62);
    EXPECT_NE(w.log().find("region points: 32"), std::string::npos);
}

TEST(QkWinCfg, MenusWithSubmenus)
{
    Window w;
    ASSERT_EQ(w.read(mainwindow("<MENU>\n<ID>10</ID>\n<INDEX>1</INDEX>\n<NAME>File</NAME>\n<FONTID>2</FONTID>\n"
                                "<PAGEID>0</PAGEID>\n"
                                "<SUBMENU>\n<ID>11</ID>\n<INDEX>1</INDEX>\n<NAME>Open</NAME>\n"
                                "<FUNCTION>qksyswinopenfile</FUNCTION>\n</SUBMENU>\n"
                                "<SUBMENU>\n<ID>12</ID>\n<NAME>Exit</NAME>\n<FUNCTION>qksyswinexitconf</FUNCTION>\n"
                                "<COLOR>\n<TEXT>\n<NAME>Red</NAME>\n</TEXT>\n</COLOR>\n</SUBMENU>\n"
                                "</MENU>\n"
                                "<MENU>\n<ID>20</ID>\n<NAME>Help</NAME>\n<FUNCTION>qkwinhelpabout</FUNCTION>\n</MENU>\n")),
              0);
    ASSERT_EQ(w->menu.cnt, 2);
    const qkwinMenuIDInfo& file = w->menu.idPtr[0];
    EXPECT_EQ(file.id, 10);
    EXPECT_EQ(file.gid, 1);
    EXPECT_STREQ(file.name, "File");
    EXPECT_EQ(file.fontid, 2);
    ASSERT_EQ(file.subCnt, 2);
    EXPECT_EQ(file.subidPtr[0].id, 11);
    EXPECT_STREQ(file.subidPtr[1].name, "Exit");
    EXPECT_EQ(file.subidPtr[1].color.text.rgb, colorref(0xFF0000));
    EXPECT_EQ(w->menu.idPtr[1].subCnt, 0);
    EXPECT_EQ(callbacks(w.get()), "11:qksyswinopenfile 12:qksyswinexitconf 20:qkwinhelpabout ");
}

TEST(QkWinCfg, TabsHeadersAndStatusBar)
{
    Window w;
    ASSERT_EQ(w.read(mainwindow("<TAB>\n<ID>500</ID>\n<NAME>Pages</NAME>\n<STARTID>510</STARTID>\n"
                                "<STYLE>PUSHBUTTON</STYLE>\n<FUNCTION>vxTabCB</FUNCTION>\n"
                                "<SIZETAB>\n<WIDTH>80</WIDTH>\n<HEIGHT>18</HEIGHT>\n</SIZETAB>\n"
                                "<SUBTAB>\n<ID>511</ID>\n<NAME>Monitor</NAME>\n<PATH>../cfg/monitor.xml</PATH>\n"
                                "<TOOLTIP>Measurement records</TOOLTIP>\n<FUNCTION>vxSubTabCB</FUNCTION>\n"
                                "<ICON>\n<PATH>mon.ico</PATH>\n<HEIGHT>12</HEIGHT>\n</ICON>\n"
                                "<IMAGE>\n<PATH>mon.bmp</PATH>\n<WIDTH>40</WIDTH>\n</IMAGE>\n</SUBTAB>\n"
                                "<SUBTAB>\n<ID>512</ID>\n<NAME>Spectra</NAME>\n</SUBTAB>\n"
                                "</TAB>\n"
                                "<HDR>\n<ID>600</ID>\n<INDEX>59</INDEX>\n<PATH>hdr.txt</PATH>\n<NAME>Values</NAME>\n"
                                "<STYLE>FLAT</STYLE>\n"
                                "<SUBHDR>\n<ID>601</ID>\n<NAME>Name</NAME>\n<FUNCTION>vxColCB</FUNCTION>\n</SUBHDR>\n"
                                "<SUBHDR>\n<ID>602</ID>\n<NAME>Value</NAME>\n</SUBHDR>\n</HDR>\n"
                                "<STATBAR>\n<ID>700</ID>\n<HEIGHT>22</HEIGHT>\n<FONTID>1</FONTID>\n"
                                "<SUBSTATBAR>\n<ID>701</ID>\n<WIDTH>200</WIDTH>\n<NAME>SCREEN ID: HOME</NAME>\n"
                                "</SUBSTATBAR>\n<SUBSTATBAR>\n<WIDTH>-1</WIDTH>\n</SUBSTATBAR>\n</STATBAR>\n")),
              0);
    ASSERT_EQ(w->tab.cnt, 1);
    const qkwinTabIDInfo& t = w->tab.idPtr[0];
    EXPECT_EQ(t.id, 500);
    EXPECT_STREQ(t.name, "Pages");
    EXPECT_EQ(t.startid, 510);
    EXPECT_EQ(t.style, 1);
    EXPECT_EQ(t.txsize, 80);
    EXPECT_EQ(t.tysize, 18);
    ASSERT_EQ(t.subCnt, 2);
    const qkwinSubTabIDInfo& st = t.subidPtr[0];
    EXPECT_EQ(st.id, 511);
    EXPECT_STREQ(st.name, "Monitor");
    EXPECT_STREQ(st.path, "../cfg/monitor.xml");
    EXPECT_STREQ(st.ttip, "Measurement records");
    EXPECT_STREQ(st.icon.path, "mon.ico");
    EXPECT_EQ(st.icon.ysize, 12);
    EXPECT_STREQ(st.image.path, "mon.bmp");
    EXPECT_EQ(st.image.xsize, 40);
    EXPECT_STREQ(t.subidPtr[1].name, "Spectra");

    ASSERT_EQ(w->hdr.cnt, 1);
    const qkwinHdrIDInfo& h = w->hdr.idPtr[0];
    EXPECT_EQ(h.delm, 59);
    EXPECT_STREQ(h.path, "hdr.txt");
    EXPECT_STREQ(h.name, "Values");
    EXPECT_EQ(h.style, 0);
    ASSERT_EQ(h.subCnt, 2);
    EXPECT_STREQ(h.subidPtr[1].name, "Value");

    EXPECT_EQ(w->sbarPtr, &w->sbar);
    EXPECT_EQ(w->sbar.id, 700);
    EXPECT_EQ(w->sbar.hight, 22);
    EXPECT_EQ(w->sbar.fontid, 1);
    EXPECT_EQ(w->sbar.numParts, 2);
    EXPECT_EQ(w->sbar.ndx, 1);
    EXPECT_EQ(w->sbar.parts[0].id, 701);
    EXPECT_EQ(w->sbar.parts[0].width, 200);
    EXPECT_STREQ(w->sbar.parts[0].text, "SCREEN ID: HOME");
    EXPECT_EQ(w->sbar.parts[1].width, -1);
    EXPECT_EQ(callbacks(w.get()), "500:vxTabCB 511:vxSubTabCB 601:vxColCB ");
}

TEST(QkWinCfg, StatusBarKeepsSixteenParts)
{
    Window w;
    std::string parts;
    for (int i = 1; i <= 18; ++i)
        parts += "<SUBSTATBAR>\n<ID>" + std::to_string(i) + "</ID>\n<NAME>part " + std::to_string(i) +
                 "</NAME>\n</SUBSTATBAR>\n";
    ASSERT_EQ(w.read(mainwindow("<STATBAR>\n" + parts + "</STATBAR>\n<TITLE>after</TITLE>\n")), 0);
    EXPECT_EQ(w->sbar.numParts, QKWIN_MAXSBARPARTS);
    EXPECT_EQ(w->sbar.parts[15].id, 16);
    EXPECT_STREQ(w->sbar.parts[15].text, "part 16");
    EXPECT_STREQ(w->title, "after");
}

TEST(QkWinCfg, FontsDialogsMessagesPagesTrayTreesDates)
{
    Window w;
    ASSERT_EQ(
        w.read(mainwindow(
            "<FONT>\n<ID>7</ID>\n<NAME>DejaVu Sans Mono with a face name longer than the field</NAME>\n"
            "<HEIGHT>14</HEIGHT>\n<ANGLE>90</ANGLE>\n<STYLE>ITALIC</STYLE>\n<STYLE>UNDERLINE</STYLE>\n"
            "<WEIGHT>BOLD</WEIGHT>\n</FONT>\n"
            "<DIALOG>\n<ID>9560</ID>\n<TITLE>Connection</TITLE>\n<PATH>../cfg/conn.xml</PATH>\n"
            "<STARTID>9371</STARTID>\n<XORIG>30</XORIG>\n<FONTID>7</FONTID>\n"
            "<USERSTARTFUNCTION>vxConnStart</USERSTARTFUNCTION>\n</DIALOG>\n"
            "<MSGBOX>\n<ID>1</ID>\n<TYPE>WARN</TYPE>\n<CAPTION>Vantorix</CAPTION>\n"
            "<MESSAGE>Analyzer not found</MESSAGE>\n<FONTID>5</FONTID>\n</MSGBOX>\n"
            "<PAGE>\n<ID>1201</ID>\n<PAGEID>2</PAGEID>\n"
            "<NAME>MONITOR page with a name that does not fit into the sixty-four characters of a page</NAME>\n"
            "<SUBPAGE>\n<PAGEID>20</PAGEID>\n</SUBPAGE>\n<SUBPAGE>\n<PAGEID>21</PAGEID>\n</SUBPAGE>\n</PAGE>\n"
            "<PAGE>\n<ID>1202</ID>\n<PAGEID>3</PAGEID>\n<NAME>SPECTRA</NAME>\n</PAGE>\n"
            "<TRAY>\n<ID>900</ID>\n<INDEX>901</INDEX>\n<NAME>Exit</NAME>\n<CAPTION>Vantorix running</CAPTION>\n"
            "<ICON>\n<PATH>tray.ico</PATH>\n<WIDTH>16</WIDTH>\n</ICON>\n</TRAY>\n"
            "<TREEVIEW>\n<ID>1300</ID>\n<XORIG>3</XORIG>\n<HEIGHT>200</HEIGHT>\n<PAGEID>6</PAGEID>\n"
            "<COLOR>\n<BACKGROUND>\n<NAME>White</NAME>\n</BACKGROUND>\n</COLOR>\n</TREEVIEW>\n"
            "<DATEPICK>\n<ID>1400</ID>\n<STYLE>LONGDATE</STYLE>\n<FONTID>2</FONTID>\n"
            "<FUNCTION>vxDateCB</FUNCTION>\n</DATEPICK>\n"
            "<ICON>\n<PATH>main.ico</PATH>\n<WIDTH>48</WIDTH>\n</ICON>\n"
            "<IMAGE>\n<PATH>logo.bmp</PATH>\n<HEIGHT>60</HEIGHT>\n</IMAGE>\n")),
        0);
    ASSERT_EQ(w->font.cnt, 1);
    const qkwinfontIDInfo& f = w->font.idPtr[0];
    EXPECT_EQ(f.id, 1);
    EXPECT_EQ(f.itemid, 7);
    EXPECT_EQ(std::strlen(f.name), 31u);
    EXPECT_EQ(std::string(f.name), std::string("DejaVu Sans Mono with a face name").substr(0, 31));
    EXPECT_EQ(f.height, 14);
    EXPECT_EQ(f.angle, 90);
    EXPECT_EQ(f.italicFlag, 1);
    EXPECT_EQ(f.underlineFlag, 1);
    EXPECT_EQ(f.weight, 1);

    ASSERT_EQ(w->dlg.cnt, 1);
    const qkwindlgIDInfo& d = w->dlg.idPtr[0];
    EXPECT_EQ(d.id, 9560);
    EXPECT_STREQ(d.name, "Connection");
    EXPECT_STREQ(d.path, "../cfg/conn.xml");
    EXPECT_EQ(d.startid, 9371);
    EXPECT_EQ(d.xorig, 30);
    EXPECT_EQ(d.fontid, 7);
    EXPECT_EQ(d.startcbid, 199);
    EXPECT_EQ(w->startcbid, 0);
    EXPECT_STREQ(w->title, "");

    ASSERT_EQ(w->mmsg.cnt, 1);
    EXPECT_EQ(w->mmsg.idPtr[0].id, 1);
    EXPECT_EQ(w->mmsg.idPtr[0].type, 102);
    EXPECT_STREQ(w->mmsg.idPtr[0].caption, "Vantorix");
    EXPECT_STREQ(w->mmsg.idPtr[0].msg, "Analyzer not found");
    EXPECT_EQ(w->mbox.fontid, 5);

    ASSERT_EQ(w->page.cnt, 2);
    const qkwinPageIDInfo& p = w->page.idPtr[0];
    EXPECT_EQ(p.pageNdx, 1);
    EXPECT_EQ(p.itemid, 1201);
    EXPECT_EQ(p.pageid, 2);
    EXPECT_EQ(std::strlen(p.name), 63u);
    ASSERT_EQ(p.subCnt, 2);
    EXPECT_EQ(p.subidPtr[1].pageid, 21);
    EXPECT_EQ(w->page.idPtr[1].pageNdx, 2);
    EXPECT_STREQ(w->page.idPtr[1].name, "SPECTRA");

    EXPECT_EQ(w->trayPtr, &w->tray);
    EXPECT_EQ(w->tray.id, 900);
    EXPECT_EQ(w->tray.eid, 901);
    EXPECT_STREQ(w->tray.ename, "Exit");
    EXPECT_STREQ(w->tray.commt, "Vantorix running");
    EXPECT_STREQ(w->tray.icon.path, "tray.ico");
    EXPECT_EQ(w->tray.icon.xsize, 16);

    ASSERT_EQ(w->tv.cnt, 1);
    EXPECT_EQ(w->tv.idPtr[0].id, 1300);
    EXPECT_EQ(w->tv.idPtr[0].xorig, 3);
    EXPECT_EQ(w->tv.idPtr[0].ysize, 200);
    EXPECT_EQ(w->tv.idPtr[0].pageid, 6);
    EXPECT_EQ(w->tv.idPtr[0].color.bg.rgb, colorref(0xFFFFFF));

    ASSERT_EQ(w->datepick.cnt, 1);
    EXPECT_EQ(w->datepick.idPtr[0].style, 1);
    EXPECT_EQ(w->datepick.idPtr[0].fontid, 2);

    EXPECT_STREQ(w->icon.path, "main.ico");
    EXPECT_EQ(w->icon.xsize, 48);
    EXPECT_STREQ(w->image.path, "logo.bmp");
    EXPECT_EQ(w->image.ysize, 60);
    EXPECT_EQ(callbacks(w.get()), "199:vxConnStart 1400:vxDateCB ");
}

TEST(QkWinCfg, WindowColours)
{
    Window w;
    ASSERT_EQ(w.read(mainwindow("<COLOR>\n<BACKGROUND>\n<NAME>LightGray</NAME>\n</BACKGROUND>\n"
                                "<TEXT>\n<RGB>0x2F4F4F</RGB>\n</TEXT>\n"
                                "<FORGROUND>\n<RGB>0x112233</RGB>\n</FORGROUND>\n</COLOR>\n")),
              0);
    EXPECT_STREQ(w->color.bg.name, "LightGray");
    EXPECT_EQ(w->color.bg.rgb, colorref(0xD3D3D3));
    EXPECT_EQ(w->color.text.rgb, colorref(0x2F4F4F));
    EXPECT_EQ(w->color.fg.rgb, 0);   // the record starts zeroed; a window's foreground takes no RGB
    // A name the palette does not know leaves the colour as it was.
    Window v;
    ASSERT_EQ(v.read(mainwindow("<BUTTON>\n<COLOR>\n<BACKGROUND>\n<NAME>NoSuchColour</NAME>\n</BACKGROUND>\n"
                                "</COLOR>\n</BUTTON>\n")),
              0);
    EXPECT_STREQ(v->btn.idPtr[0].color.bg.name, "NoSuchColour");
    EXPECT_EQ(v->btn.idPtr[0].color.bg.rgb, static_cast<int>(QKWIN_NOCOLOR));
    EXPECT_NE(v.log().find("could not find color name: NoSuchColour"), std::string::npos);
}

TEST(QkWinCfg, PathRecordsAndLookups)
{
    Window w;
    ASSERT_EQ(w.read(mainwindow("<PLOT>\n<ID>1501</ID>\n<PATH>../cfg/plotA.xml</PATH>\n</PLOT>\n"
                                "<CHILD>\n<ID>1502</ID>\n<PATH>../cfg/child.xml</PATH>\n</CHILD>\n"
                                "<PROCESS>\n<ID>1503</ID>\n<PATH>qkhelpwin -f ../cfg/help.xml</PATH>\n</PROCESS>\n"
                                "<EXTDATA>\n<ID>1504</ID>\n<PATH>data.txt</PATH>\n</EXTDATA>\n"
                                "<ACTION>\n<ID>77</ID>\n</ACTION>\n"
                                "<CHILD>\n<ID>1502</ID>\n</CHILD>\n")),
              0);
    ASSERT_EQ(w->cfgpath.cnt, 5);
    const int types[] = {1, 2, 3, 4, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(w->cfgpath.idPtr[i].id, i + 1);
        EXPECT_EQ(w->cfgpath.idPtr[i].type, types[i]);
    }
    EXPECT_EQ(w->cfgpath.idPtr[2].itemid, 1503);
    EXPECT_STREQ(w->cfgpath.idPtr[2].path, "qkhelpwin -f ../cfg/help.xml");
    EXPECT_EQ(qkwincfgpathgetIDptrByID(w.get(), 2), &w->cfgpath.idPtr[1]);
    EXPECT_EQ(qkwincfgpathgetIDptrByID(w.get(), 0), nullptr);
    EXPECT_EQ(qkwincfgpathgetIDptrByID(w.get(), 6), nullptr);
    // The first record with the item id.
    EXPECT_EQ(qkwincfgpathgetIDptrByItemID(w.get(), 1502), &w->cfgpath.idPtr[1]);
    EXPECT_EQ(qkwincfgpathgetIDptrByItemID(w.get(), 9999), nullptr);
    EXPECT_EQ(qkcfgpathgetPtr(), &w->cfgpath);
}

TEST(QkWinCfg, PathTypeConvertsFileNames)
{
    Window w;
    w->os.pthTyp = 1;
    ASSERT_EQ(w.read(mainwindow("<CHILD>\n<ID>1</ID>\n<PATH>..\\cfg\\child.xml</PATH>\n</CHILD>\n"
                                "<ICON>\n<PATH>..\\cfg\\main.ico</PATH>\n</ICON>\n")),
              0);
    EXPECT_STREQ(w->cfgpath.idPtr[0].path, "../cfg/child.xml");
    EXPECT_STREQ(w->icon.path, "../cfg/main.ico");
}

}  // namespace
