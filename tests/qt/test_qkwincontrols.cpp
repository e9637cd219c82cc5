// The controls of a window on Qt: real windows built from definition files,
// found by their ids and driven with QTest; the program's widget operations
// (also from several threads at once); page switching; and a rendered window
// for a person to look at (window.png in the test's working folder).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QDropEvent>
#include <QUrl>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "qkstrsrv.h"
#include "qksyswinobj.h"
#include "qksyswinsrv.h"
#include "qksyswintreeview.h"
#include "qksyswinwidgets.h"
#include "qkwincfgsrv.h"
#include "qkwinfuncsrv.h"
#include "qkwinpalettesrv.h"
#include "vxtestqt.h"

namespace {

// Every callback of the test windows records (window, actitemid, actitemevent).
struct Fired {
    qkwinInfo* win;
    int id;
    int event;
};
std::vector<Fired> g_fired;

int record(qkwinInfo* w)
{
    g_fired.push_back({w, w->actitemid, w->actitemevent});
    return 0;
}

std::string color(const char* kind, const char* name)
{
    return std::string("<") + kind + ">\n<NAME>" + name + "</NAME>\n</" + kind + ">\n";
}

// A window with one control of every kind; its first sub-tab shows the monitor page.
std::string everyKind()
{
    return "<TITLE>Controls</TITLE>\n<WIDTH>760</WIDTH>\n<HEIGHT>520</HEIGHT>\n"
           "<FONT>\n<ID>318</ID>\n<NAME>DejaVu Sans Mono</NAME>\n<HEIGHT>13</HEIGHT>\n<FAMILY>MODERN</FAMILY>\n</FONT>\n"
           "<MENU>\n<ID>10</ID>\n<NAME>File</NAME>\n"
           "<SUBMENU>\n<ID>11</ID>\n<NAME>Open</NAME>\n<FUNCTION>tstMenu</FUNCTION>\n</SUBMENU>\n"
           "<SUBMENU>\n<ID>12</ID>\n<NAME>Exit</NAME>\n<FUNCTION>tstMenu</FUNCTION>\n</SUBMENU>\n</MENU>\n"
           "<MENU>\n<ID>20</ID>\n<NAME>Help</NAME>\n<FUNCTION>tstMenu</FUNCTION>\n</MENU>\n"
           "<REGION>\n<SHAPE>ROUNDEDRECTANGLE</SHAPE>\n<XORIG>5</XORIG>\n<YORIG>30</YORIG>\n"
           "<WIDTH>250</WIDTH>\n<HEIGHT>200</HEIGHT>\n<COLOR>\n" + color("BACKGROUND", "LightGray") + "</COLOR>\n"
           "<BORDER>\n<WIDTH>2</WIDTH>\n<COLOR>\n" + color("FORGROUND", "DodgerBlue2") + "</COLOR>\n</BORDER>\n</REGION>\n"
           "<BUTTON>\n<ID>101</ID>\n<NAME>Start</NAME>\n<STYLE>PUSHBUTTON</STYLE>\n<XORIG>15</XORIG>\n<YORIG>40</YORIG>\n"
           "<WIDTH>100</WIDTH>\n<HEIGHT>26</HEIGHT>\n<FUNCTION>tstButton</FUNCTION>\n"
           "<COLOR>\n" + color("BACKGROUND", "Green3") + color("TEXT", "White") + "</COLOR>\n</BUTTON>\n"
           "<BUTTON>\n<ID>102</ID>\n<NAME>Overlay</NAME>\n<STYLE>CHECKBUTTON</STYLE>\n<XORIG>15</XORIG>\n<YORIG>72</YORIG>\n"
           "<WIDTH>100</WIDTH>\n<HEIGHT>22</HEIGHT>\n<FUNCTION>tstButton</FUNCTION>\n</BUTTON>\n"
           "<BUTTON>\n<ID>103</ID>\n<NAME>Auto scan</NAME>\n<STYLE>AUTOCHECKBUTTON</STYLE>\n<XORIG>125</XORIG>\n"
           "<YORIG>72</YORIG>\n<WIDTH>120</WIDTH>\n<HEIGHT>22</HEIGHT>\n<FUNCTION>tstButton</FUNCTION>\n</BUTTON>\n"
           "<BUTTON>\n<ID>104</ID>\n<NAME>Serial</NAME>\n<STYLE>AUTORADIOBUTTON</STYLE>\n<XORIG>15</XORIG>\n"
           "<YORIG>98</YORIG>\n<WIDTH>90</WIDTH>\n<HEIGHT>22</HEIGHT>\n</BUTTON>\n"
           "<BUTTON>\n<ID>105</ID>\n<NAME>TCP</NAME>\n<STYLE>AUTORADIOBUTTON</STYLE>\n<XORIG>125</XORIG>\n"
           "<YORIG>98</YORIG>\n<WIDTH>90</WIDTH>\n<HEIGHT>22</HEIGHT>\n</BUTTON>\n"
           "<BUTTON>\n<ID>106</ID>\n<NAME>Link</NAME>\n<STYLE>GROUPBUTTON</STYLE>\n<XORIG>10</XORIG>\n<YORIG>124</YORIG>\n"
           "<WIDTH>240</WIDTH>\n<HEIGHT>100</HEIGHT>\n</BUTTON>\n"
           "<STATIC>\n<ID>201</ID>\n<STRING>Pressure</STRING>\n<ALIGN>RIGHT</ALIGN>\n<XORIG>20</XORIG>\n<YORIG>145</YORIG>\n"
           "<WIDTH>100</WIDTH>\n<HEIGHT>22</HEIGHT>\n<FUNCTION>tstStatic</FUNCTION>\n"
           "<COLOR>\n" + color("BACKGROUND", "Yellow") + color("TEXT", "Blue") + "</COLOR>\n</STATIC>\n"
           "<STATIC>\n<ID>202</ID>\n<STRING>Serial Line NOT connected</STRING>\n<XORIG>20</XORIG>\n<YORIG>195</YORIG>\n"
           "<WIDTH>220</WIDTH>\n<HEIGHT>22</HEIGHT>\n<BORDER>\n<TYPE>SUNKEN</TYPE>\n</BORDER>\n</STATIC>\n"
           "<EDIT>\n<ID>301</ID>\n<STRING>1013</STRING>\n<XORIG>130</XORIG>\n<YORIG>145</YORIG>\n<WIDTH>110</WIDTH>\n"
           "<HEIGHT>22</HEIGHT>\n<FUNCTION>tstEdit</FUNCTION>\n</EDIT>\n"
           "<EDIT>\n<ID>302</ID>\n<STRING>secret</STRING>\n<STYLE>PASSWORD</STYLE>\n<XORIG>130</XORIG>\n<YORIG>170</YORIG>\n"
           "<WIDTH>110</WIDTH>\n<HEIGHT>22</HEIGHT>\n</EDIT>\n"
           "<LIST>\n<ID>401</ID>\n<NAME>Ports</NAME>\n<ITEM>COM1</ITEM>\n<ITEM>COM7</ITEM>\n<ITEM>COM33</ITEM>\n"
           "<XORIG>270</XORIG>\n<YORIG>30</YORIG>\n<WIDTH>150</WIDTH>\n<HEIGHT>110</HEIGHT>\n<FONTID>318</FONTID>\n"
           "<FUNCTION>tstList</FUNCTION>\n</LIST>\n"
           "<COMBO>\n<ID>402</ID>\n<NAME>Baud rate</NAME>\n<ITEM>9600</ITEM>\n<ITEM>115200</ITEM>\n<XORIG>270</XORIG>\n"
           "<YORIG>150</YORIG>\n<WIDTH>150</WIDTH>\n<HEIGHT>120</HEIGHT>\n<FUNCTION>tstCombo</FUNCTION>\n</COMBO>\n"
           "<DATEPICK>\n<ID>450</ID>\n<STYLE>LONGTIME</STYLE>\n<XORIG>270</XORIG>\n<YORIG>185</YORIG>\n<WIDTH>150</WIDTH>\n"
           "<HEIGHT>24</HEIGHT>\n</DATEPICK>\n"
           "<TAB>\n<ID>500</ID>\n<NAME>Pages</NAME>\n<XORIG>440</XORIG>\n<YORIG>30</YORIG>\n<WIDTH>310</WIDTH>\n"
           "<HEIGHT>200</HEIGHT>\n<FUNCTION>tstTab</FUNCTION>\n"
           "<SUBTAB>\n<ID>511</ID>\n<NAME>Monitor</NAME>\n<TOOLTIP>Measurement records</TOOLTIP>\n<PATH>{cfg}/monitor.xml</PATH>\n<FUNCTION>tstSubTab</FUNCTION>\n</SUBTAB>\n"
           "<SUBTAB>\n<ID>512</ID>\n<NAME>Spectra</NAME>\n</SUBTAB>\n</TAB>\n"
           "<HDR>\n<ID>600</ID>\n<NAME>FC10</NAME>\n<INDEX>59</INDEX>\n<PATH>hdr.txt</PATH>\n<XORIG>10</XORIG>\n"
           "<YORIG>240</YORIG>\n<WIDTH>420</WIDTH>\n<HEIGHT>120</HEIGHT>\n"
           "<SUBHDR>\n<ID>601</ID>\n<NAME>Name</NAME>\n<FUNCTION>tstColumn</FUNCTION>\n</SUBHDR>\n"
           "<SUBHDR>\n<ID>602</ID>\n<NAME>Value</NAME>\n</SUBHDR>\n</HDR>\n"
           "<STATBAR>\n<ID>700</ID>\n<HEIGHT>24</HEIGHT>\n"
           "<SUBSTATBAR>\n<ID>701</ID>\n<WIDTH>260</WIDTH>\n<NAME>SCREEN ID: HOME</NAME>\n</SUBSTATBAR>\n"
           "<SUBSTATBAR>\n<ID>702</ID>\n<WIDTH>150</WIDTH>\n<NAME>Rx: 0</NAME>\n</SUBSTATBAR>\n"
           "<SUBSTATBAR>\n<ID>703</ID>\n<WIDTH>-1</WIDTH>\n<NAME>Serial Line NOT connected</NAME>\n</SUBSTATBAR>\n"
           "</STATBAR>\n";
}

const char* kMonitorPage =
    "<?xml version=\"1.0\"?>\n<MAINWINDOW>\n"
    "<STATIC>\n<ID>1201</ID>\n<STRING>Records</STRING>\n<XORIG>10</XORIG>\n<YORIG>10</YORIG>\n<WIDTH>120</WIDTH>\n"
    "<HEIGHT>20</HEIGHT>\n</STATIC>\n"
    "<BUTTON>\n<ID>1202</ID>\n<NAME>Capture</NAME>\n<XORIG>10</XORIG>\n<YORIG>40</YORIG>\n<WIDTH>100</WIDTH>\n"
    "<HEIGHT>24</HEIGHT>\n<FUNCTION>tstPageButton</FUNCTION>\n</BUTTON>\n"
    "<LIST>\n<ID>1203</ID>\n<ITEM>2024/05/01 H2O 12.5 ppmv</ITEM>\n<XORIG>10</XORIG>\n<YORIG>70</YORIG>\n"
    "<WIDTH>280</WIDTH>\n<HEIGHT>90</HEIGHT>\n</LIST>\n"
    "</MAINWINDOW>\n";

// A window of the framework with the monitor page beside its definition,
// displayed; its callbacks named "tst..." are bound to record(), those named
// "page..." to the page display callback.
class Window : public vxtest::QtWindow {
public:
    explicit Window(const std::string& body) : QtWindow(body, {{{"monitor.xml", kMonitorPage}}, bind})
    {
        // Sub-tab pages bind their own callbacks.
        qkwinInfo* w = win();
        for (int i = 0; i < w->tab.cnt; ++i)
            for (int k = 0; k < w->tab.idPtr[i].subCnt; ++k)
                if (qkwinInfo* page = w->tab.idPtr[i].subidPtr[k].cldPtr) qkwinfuncloadaddr(page, "tst", record);
        g_fired.clear();
    }
    ~Window() { g_fired.clear(); }

private:
    static void bind(qkwinInfo* w)
    {
        qkwinfuncloadaddr(w, "tst", record);
        qkwinfuncloadaddr(w, "page", qkstdpagedspcb);
    }
};

QColor bgOf(QWidget* w, QPalette::ColorRole role) { return w->palette().color(role); }

}  // namespace

// Every kind of control is made with its id, text, colours and state.
TEST(QkWinControls, EveryKindOfControlFromTheDefinition)
{
    std::ofstream("hdr.txt") << "Laser Temp C;25.01\nPeak Index;212;extra\n";
    Window w(everyKind());

    struct Case {
        int id;
        const char* cls;
        QString text;
    };
    const Case cases[] = {
        {101, "QPushButton", "Start"},      {102, "QCheckBox", "Overlay"},  {103, "QCheckBox", "Auto scan"},
        {104, "QRadioButton", "Serial"},    {105, "QRadioButton", "TCP"},   {106, "QGroupBox", "Link"},
        {201, "QLabel", "Pressure"},        {202, "QLabel", "Serial Line NOT connected"},
        {301, "QLineEdit", "1013"},         {401, "QListWidget", "Ports"},  {402, "QComboBox", "Baud rate"},
        {450, "QDateTimeEdit", "time"},     {500, "QTabWidget", "Pages"},   {600, "QTreeWidget", "FC10"},
        {1201, "QLabel", "Records"},        {1202, "QPushButton", "Capture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        QWidget* ctl = w.find(c.id);
        ASSERT_NE(ctl, nullptr);
        EXPECT_TRUE(ctl->inherits(c.cls)) << ctl->metaObject()->className();
        EXPECT_EQ(ctl->accessibleDescription(), QStringLiteral("control %1").arg(c.id));
        EXPECT_EQ(ctl->accessibleName(), c.text);
    }
    EXPECT_EQ(w.find<QLineEdit>(301)->text(), "1013");
    // The password field shows no text and does not name it.
    EXPECT_EQ(w.find<QLineEdit>(302)->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(w.find(302)->accessibleName().isEmpty());
    EXPECT_EQ(w.find<QLabel>(201)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(bgOf(w.find(201), QPalette::Window), QColor(0xFF, 0xFF, 0x00));
    EXPECT_EQ(bgOf(w.find(201), QPalette::WindowText), QColor(0x00, 0x00, 0xFF));
    EXPECT_EQ(bgOf(w.find(101), QPalette::Button), QColor(0x4C, 0xC4, 0x17));
    EXPECT_EQ(w.find<QLabel>(202)->frameShadow(), QFrame::Sunken);
    // Positions are those of the definition (scale not set).
    EXPECT_EQ(w.find(101)->geometry(), QRect(15, 40, 100, 26));

    // Check boxes and radio buttons start clear; a list shows its lines in
    // the list's font; a combo box starts with nothing chosen.
    EXPECT_FALSE(w.find<QCheckBox>(102)->isChecked());
    auto* list = w.find<QListWidget>(401);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(2)->text(), "COM33");
    EXPECT_EQ(list->currentRow(), -1);
    EXPECT_TRUE(list->font().fixedPitch() || QFontInfo(list->font()).fixedPitch());
    auto* combo = w.find<QComboBox>(402);
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentText(), "");

    // Menu bar, tab pages, header rows from its file, status bar parts.
    auto* bar = w.top()->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[0]->text(), "File");
    EXPECT_EQ(bar->actions()[0]->menu()->actions().size(), 2);
    auto* tabs = w.find<QTabWidget>(500);
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1), "Spectra");
    EXPECT_EQ(tabs->tabToolTip(0), "Measurement records");
    EXPECT_EQ(w.win()->tab.csid, 511);
    EXPECT_NE(w.win()->tab.ccldPtr, nullptr);
    EXPECT_EQ(qkwintabgetactivecldPtr(w.win()), w.win()->tab.idPtr[0].subidPtr[0].cldPtr);
    auto* hdr = w.find<QTreeWidget>(600);
    ASSERT_EQ(hdr->topLevelItemCount(), 2);
    EXPECT_EQ(hdr->headerItem()->text(1), "Value");
    EXPECT_EQ(hdr->topLevelItem(0)->text(1), "25.01");
    EXPECT_EQ(hdr->topLevelItem(1)->text(1), "212;extra");
    auto* status = w.find<QStatusBar>(700);
    EXPECT_EQ(status->height(), 24);
    auto* part0 = status->findChild<QLabel*>("sbpart0");
    ASSERT_NE(part0, nullptr);
    EXPECT_EQ(part0->text(), "SCREEN ID: HOME");
    EXPECT_EQ(part0->width(), 260);
    auto* region = w.top()->findChild<QWidget*>("region0");
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(region->geometry(), QRect(5, 30, 250, 200));
}

// Clicking a control calls its callback with the control's id and the event
// the notification maps to.
TEST(QkWinControls, ClicksDispatchTheBoundCallback)
{
    Window w(everyKind());
    qkwinInfo* win = w.win();
    auto last = [&](int id) -> int {
        for (auto it = g_fired.rbegin(); it != g_fired.rend(); ++it)
            if (it->id == id) return it->event;
        return -1000;
    };

    QTest::mouseClick(w.find(101), Qt::LeftButton);
    EXPECT_EQ(last(101), 6);
    // A plain check box leaves its mark to the program; an automatic one toggles.
    QTest::mouseClick(w.find(102), Qt::LeftButton);
    EXPECT_EQ(last(102), 6);
    EXPECT_FALSE(w.find<QCheckBox>(102)->isChecked());
    QTest::mouseClick(w.find(103), Qt::LeftButton);
    EXPECT_EQ(last(103), 6);
    EXPECT_TRUE(w.find<QCheckBox>(103)->isChecked());
    QTest::mouseClick(w.find(201), Qt::LeftButton);
    EXPECT_EQ(last(201), 6);

    // List: a line selected by the user is a selection change (7); the
    // callback sees the selection. A double click is event 3.
    auto* list = w.find<QListWidget>(401);
    const QPoint row1 = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row1);
    EXPECT_EQ(last(401), 7);
    EXPECT_EQ(qkwinlistgetcursel(win, 401), 1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row1);
    EXPECT_EQ(last(401), 3);

    // Edit: typing is an edit change (14); focus gained is 21.
    g_fired.clear();
    QTest::mouseClick(w.find(301), Qt::LeftButton);
    QTest::keyClicks(w.find(301), "5");
    EXPECT_EQ(last(301), 14);
    EXPECT_EQ(w.find<QLineEdit>(301)->text(), "10135");

    // Combo box: an entry chosen with the keyboard is a selection change (7).
    auto* combo = w.find<QComboBox>(402);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(last(402), 7);
    char text[16];
    EXPECT_EQ(qkwincombogetedit(win, 402, sizeof text, text), 0);
    EXPECT_STREQ(text, "9600");

    // Menu items are commands (6).
    w.top()->findChild<QMenuBar*>()->actions()[0]->menu()->actions()[1]->trigger();
    EXPECT_EQ(last(12), 6);

    // Selecting the second sub-tab: the tab control's callback (the sub-tab
    // has none) with a click; the page of the second sub-tab becomes current.
    auto* tabs = w.find<QTabWidget>(500);
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(last(500), 6);
    EXPECT_EQ(win->tab.csid, 512);
    EXPECT_EQ(qkwintabgetactivesubID(win, 500), 512);
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(0).center());
    EXPECT_EQ(last(511), 6);
    EXPECT_EQ(win->tab.csid, 511);

    // A control of a sub-tab page calls the page's own callback.
    qkwinInfo* pageWin = win->tab.ccldPtr;
    ASSERT_NE(pageWin, nullptr);
    QTest::mouseClick(w.find(1202), Qt::LeftButton);
    ASSERT_FALSE(g_fired.empty());
    EXPECT_EQ(g_fired.back().win, pageWin);
    EXPECT_EQ(g_fired.back().id, 1202);
    EXPECT_EQ(g_fired.back().event, 6);

    // A column title of a header notifies the column's id.
    auto* hdr = w.find<QTreeWidget>(600);
    QHeaderView* head = hdr->header();
    QTest::mouseClick(head->viewport(), Qt::LeftButton, {}, QPoint(head->sectionViewportPosition(0) + 5, head->height() / 2));
    EXPECT_EQ(last(601), 6);

    // Dropped files: exactly one reaches the window's drop callback, with
    // its name; two at once are refused as a whole.
    win->drgDrp.userFunc = record;
    auto drop = [&](const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.top(), &enter);
        QDropEvent ev(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.top(), &ev);
    };
    g_fired.clear();
    drop({QUrl::fromLocalFile("/tmp/a.txt"), QUrl::fromLocalFile("/tmp/b.txt")});
    drop({QUrl::fromLocalFile("/tmp/spectra.txt")});
    EXPECT_TRUE(QTest::qWaitFor([] { return !g_fired.empty(); }, 2000));
    QCoreApplication::processEvents();
    EXPECT_EQ(g_fired.size(), 1u);
    EXPECT_STREQ(win->drgDrp.fName, "/tmp/spectra.txt");
}

// Every operation of the widget table, and -2 for controls that do not exist.
TEST(QkWinControls, WidgetOperations)
{
    std::string parts;
    for (int i = 0; i < 16; ++i) parts += "<SUBSTATBAR>\n<WIDTH>40</WIDTH>\n<NAME>p" + std::to_string(i) + "</NAME>\n</SUBSTATBAR>\n";
    std::string body = everyKind();
    body = body.substr(0, body.find("<STATBAR>")) + "<STATBAR>\n" + parts + "</STATBAR>\n";
    Window w(body);
    qkwinInfo* win = w.win();

    // Statics: text (the record keeps 127 characters), state, colour, show.
    const std::string longText(200, 'x');
    EXPECT_EQ(qkwinstaticsettext(win, 201, "H2O 12.5 ppmv"), 0);
    EXPECT_EQ(w.find<QLabel>(201)->text(), "H2O 12.5 ppmv");
    EXPECT_EQ(w.find(201)->accessibleName(), "H2O 12.5 ppmv");
    EXPECT_EQ(qkwinstaticsettext(win, 201, longText.c_str()), 0);
    EXPECT_EQ(std::string(win->stat.idPtr[0].text), longText.substr(0, 127));
    EXPECT_EQ(qkwinstaticsetstate(win, 201, 0), 0);
    EXPECT_FALSE(w.find(201)->isEnabled());
    EXPECT_EQ(qkwinstaticsetstate(win, 201, 1), 0);
    EXPECT_TRUE(w.find(201)->isEnabled());
    EXPECT_EQ(qkwinstatchgcolor(win, 201, 1, "Red"), 0);
    EXPECT_EQ(bgOf(w.find(201), QPalette::Window), QColor(0xFF, 0, 0));
    EXPECT_EQ(qkwinstatchgcolor(win, 201, 3, "White"), 0);
    EXPECT_EQ(bgOf(w.find(201), QPalette::WindowText), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_STREQ(win->stat.idPtr[0].color.text.name, "White");
    EXPECT_EQ(qkwinstatchgcolor(win, 201, 1, "red"), -2);
    EXPECT_EQ(qkwinstatchgcolor(win, 201, 2, "Red"), -2);
    EXPECT_EQ(qkwinstaticdsp(win, 201, 0), 0);
    EXPECT_TRUE(w.find(201)->isHidden());
    EXPECT_EQ(qkwinstaticdsp(win, 201, 1), 0);
    EXPECT_FALSE(w.find(201)->isHidden());

    // Buttons: push buttons are enabled and disabled, check and radio buttons
    // checked and cleared; other states are ignored.
    int state = -1;
    EXPECT_EQ(qkwinbtnsetstate(win, 101, 0), 0);
    EXPECT_FALSE(w.find(101)->isEnabled());
    EXPECT_EQ(qkwinbtnsetstate(win, 101, 1), 0);
    EXPECT_TRUE(w.find(101)->isEnabled());
    EXPECT_EQ(qkwinbtnsetstate(win, 102, 1), 0);
    EXPECT_TRUE(w.find<QCheckBox>(102)->isChecked());
    EXPECT_TRUE(w.find(102)->isEnabled());
    EXPECT_EQ(qkwinbtngetstate(win, 102, &state), 0);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(qkwinbtnsetstate(win, 102, 7), 0);
    EXPECT_TRUE(w.find<QCheckBox>(102)->isChecked());
    EXPECT_EQ(qkwinbtnsetstate(win, 105, 1), 0);
    EXPECT_EQ(qkwinbtngetstate(win, 105, &state), 0);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(qkwinbtngetstate(win, 101, &state), 0);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(qkwinbtndsp(win, 101, 0), 0);
    EXPECT_TRUE(w.find(101)->isHidden());
    EXPECT_EQ(qkwinbtnchgcolor(win, 101, 1, "Red"), 0);
    EXPECT_EQ(bgOf(w.find(101), QPalette::Button), QColor(0xFF, 0, 0));

    // Edits: text in and out, bounded by the buffer.
    char buf[8];
    EXPECT_EQ(qkwineditsettext(win, 301, "9876543210"), 0);
    EXPECT_EQ(qkwineditgettext(win, 301, sizeof buf, buf), 0);
    EXPECT_STREQ(buf, "9876543");
    EXPECT_EQ(qkwineditgettext(win, 301, 0, buf), -2);
    g_fired.clear();

    // Lists.
    EXPECT_EQ(qkwinlistgetcount(win, 401), 3);
    EXPECT_EQ(qkwinlistadditem(win, 401, "COM65"), 0);
    EXPECT_EQ(qkwinlistgetcount(win, 401), 4);
    EXPECT_EQ(qkwinlistgetcursel(win, 401), -1);
    EXPECT_EQ(qksyswinlistsetndx(win, 401, 3), 0);
    EXPECT_EQ(qkwinlistgetcursel(win, 401), 3);
    EXPECT_EQ(qkwinlistgetitem(win, 401, 3, sizeof buf, buf), 0);
    EXPECT_STREQ(buf, "COM65");
    EXPECT_EQ(qkwinlistgetitem(win, 401, 4, sizeof buf, buf), -2);
    EXPECT_EQ(qksyswinlistsetndx(win, 401, 4), -2);
    EXPECT_EQ(qkwinlistdeleteitem(win, 401, 0), 0);
    EXPECT_EQ(qkwinlistgetitem(win, 401, 0, sizeof buf, buf), 0);
    EXPECT_STREQ(buf, "COM7");
    EXPECT_EQ(qkwinlistdeleteitem(win, 401, 9), -2);
    EXPECT_EQ(qkwinlistdeleteitem(win, 401, -1), 0);
    EXPECT_EQ(qkwinlistgetcount(win, 401), 0);
    EXPECT_EQ(qkwinlistgetcursel(win, 401), -1);
    EXPECT_EQ(qkwinlistadditem(win, 401, "row"), 0);
    EXPECT_EQ(qkwinlistclear(win, 401), 0);
    EXPECT_EQ(qkwinlistgetcount(win, 401), 0);
    EXPECT_EQ(qkwinlistsethscroll(win, 401, 7168), 0);
    EXPECT_EQ(qkwinlistadditem(win, 401, "  Scan                |  Peak Index          |"), 0);
    QCoreApplication::processEvents();
    EXPECT_GT(w.find<QListWidget>(401)->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(qkwinlistsetstate(win, 401, 0), 0);
    EXPECT_FALSE(w.find(401)->isEnabled());
    // The program's own changes do not call the list's callback.
    EXPECT_TRUE(g_fired.empty());

    // Combo boxes: the edit field and the entries.
    EXPECT_EQ(qkwincombosetedit(win, 402, "115200"), 0);
    EXPECT_EQ(w.find<QComboBox>(402)->currentIndex(), 1);
    EXPECT_EQ(qkwincombogetedit(win, 402, sizeof buf, buf), 0);
    EXPECT_STREQ(buf, "115200");
    EXPECT_EQ(qkwincomboclear(win, 402), 0);
    EXPECT_EQ(w.find<QComboBox>(402)->count(), 0);
    EXPECT_EQ(qkwincombogetedit(win, 402, sizeof buf, buf), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(qkwincomboadditem(win, 402, "COM1"), 0);
    EXPECT_EQ(qkwincomboadditem(win, 402, "COM7"), 0);
    EXPECT_EQ(qkwincombogetcount(win, 402), 2);
    EXPECT_EQ(qkwincombogetedit(win, 402, sizeof buf, buf), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_TRUE(g_fired.empty());

    // Status bar: 16 parts, numbered from 0.
    EXPECT_EQ(qkwinUpdateStatBarItem(win, 15, "SCREEN ID: SPECTRA"), 0);
    EXPECT_EQ(w.top()->findChild<QLabel*>("sbpart15")->text(), "SCREEN ID: SPECTRA");
    EXPECT_STREQ(win->sbar.parts[15].text, "SCREEN ID: SPECTRA");
    EXPECT_EQ(qkwinUpdateStatBarItem(win, 16, "x"), -2);
    EXPECT_EQ(qkwinUpdateStatBarItem(win, -1, "x"), -2);

    // Progress bar: shown from the record, moved by pos (kept in range), removed.
    qkwinprgbarInfo bar{};
    bar.id = 800;
    bar.xorig = 50;
    bar.yorig = 400;
    bar.xsize = 300;
    bar.ysize = 30;
    bar.maxval = 1000;
    bar.pos = 5;
    EXPECT_EQ(qkwinUpdatePrgBar(&bar), -2);
    EXPECT_EQ(qkwinCreatePrgBar(win, &bar, "Analyzer Connection", 1, "Green3"), 0);
    auto* pb = w.find<QProgressBar>(800);
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(pb->value(), 5);
    EXPECT_EQ(pb->maximum(), 1000);
    EXPECT_EQ(pb->palette().color(QPalette::Highlight), QColor(0x4C, 0xC4, 0x17));
    EXPECT_EQ(bar.state.load(), 1);
    EXPECT_EQ(win->pbarPtr, &bar);
    bar.pos = 500;
    EXPECT_EQ(qkwinUpdatePrgBar(&bar), 0);
    EXPECT_EQ(pb->value(), 500);
    bar.pos = 1005;
    EXPECT_EQ(qkwinUpdatePrgBar(&bar), 0);
    EXPECT_EQ(pb->value(), 1000);
    EXPECT_EQ(qkwinDestroyPrgBar(&bar), 0);
    EXPECT_EQ(bar.state.load(), 0);
    EXPECT_EQ(w.top()->findChild<QProgressBar*>("id800"), nullptr);
    EXPECT_EQ(qkwinUpdatePrgBar(&bar), -2);

    // Menus: 2 greys an item, anything else enables it; unknown ids -2.
    QAction* exitItem = w.top()->findChild<QMenuBar*>()->actions()[0]->menu()->actions()[1];
    EXPECT_EQ(qkwinmenusetstate(win, 12, 2), 0);
    EXPECT_FALSE(exitItem->isEnabled());
    EXPECT_EQ(qkwinmenusetstate(win, 12, 0), 0);
    EXPECT_TRUE(exitItem->isEnabled());
    EXPECT_EQ(qkwinmenusetstate(win, 20, 2), 0);
    EXPECT_FALSE(w.top()->findChild<QMenuBar*>()->actions()[1]->isEnabled());
    EXPECT_EQ(qkwinmenusetstate(win, 13, 2), -2);

    // Tabs: a sub-tab id selects its page.
    EXPECT_EQ(qksyswinSetActiveTabID(win, 512), 0);
    EXPECT_EQ(qksyswinsubtabdsp(win), 0);
    EXPECT_EQ(win->tab.csid, 512);
    EXPECT_EQ(w.find<QTabWidget>(500)->currentIndex(), 1);
    EXPECT_EQ(qksyswinSetActiveTabID(win, 599), -2);

    // Ids that no control has (or of another kind), and no window at all.
    struct Unknown {
        const char* what;
        int rc;
    };
    const Unknown unknown[] = {
        {"btnsetstate", qkwinbtnsetstate(win, 201, 1)},   {"btngetstate", qkwinbtngetstate(win, 999, &state)},
        {"btndsp", qkwinbtndsp(win, 999, 1)},             {"statictext", qkwinstaticsettext(win, 101, "x")},
        {"staticstate", qkwinstaticsetstate(win, 999, 1)}, {"staticcolor", qkwinstatchgcolor(win, 999, 1, "Red")},
        {"staticdsp", qkwinstaticdsp(win, 999, 1)},       {"edittext", qkwineditsettext(win, 999, "x")},
        {"editget", qkwineditgettext(win, 999, sizeof buf, buf)}, {"listadd", qkwinlistadditem(win, 402, "x")},
        {"listdel", qkwinlistdeleteitem(win, 999, -1)},   {"listcount", qkwinlistgetcount(win, 999)},
        {"listsel", qkwinlistgetcursel(win, 999)},         {"listitem", qkwinlistgetitem(win, 999, 0, 8, buf)},
        {"listscroll", qkwinlistsethscroll(win, 999, 10)}, {"liststate", qkwinlistsetstate(win, 999, 1)},
        {"listndx", qksyswinlistsetndx(win, 999, 0)},      {"comboset", qkwincombosetedit(win, 401, "x")},
        {"comboget", qkwincombogetedit(win, 999, 8, buf)}, {"comboclear", qkwincomboclear(win, 999)},
        {"comboadd", qkwincomboadditem(win, 999, "x")},    {"statbar", qkwinUpdateStatBarItem(nullptr, 0, "x")},
        {"menu", qkwinmenusetstate(nullptr, 12, 2)},      {"static null", qkwinstaticsettext(nullptr, 201, "x")},
    };
    for (const Unknown& u : unknown) EXPECT_EQ(u.rc, -2) << u.what;
}

// Page switching shows the controls of the page and of its sub-pages, hides
// the controls of every other page, and leaves the controls of no page.
TEST(QkWinControls, PageSwitchingShowsAndHidesByPageId)
{
    auto st = [](int id, int pageid) {
        return "<STATIC>\n<ID>" + std::to_string(id) + "</ID>\n<STRING>s" + std::to_string(id) +
               "</STRING>\n<PAGEID>" + std::to_string(pageid) + "</PAGEID>\n<XORIG>10</XORIG>\n<YORIG>" +
               std::to_string(id - 190) + "</YORIG>\n<WIDTH>60</WIDTH>\n<HEIGHT>18</HEIGHT>\n</STATIC>\n";
    };
    Window w("<WIDTH>400</WIDTH>\n<HEIGHT>300</HEIGHT>\n"
             "<MENU>\n<ID>10</ID>\n<NAME>Zoom</NAME>\n<PAGEID>2</PAGEID>\n</MENU>\n"
             "<BUTTON>\n<ID>101</ID>\n<NAME>Monitor</NAME>\n<XORIG>200</XORIG>\n<YORIG>10</YORIG>\n"
             "<FUNCTION>pageShow</FUNCTION>\n</BUTTON>\n"
             "<BUTTON>\n<ID>102</ID>\n<NAME>Spectra</NAME>\n<XORIG>200</XORIG>\n<YORIG>40</YORIG>\n"
             "<FUNCTION>pageShow</FUNCTION>\n</BUTTON>\n" +
             st(211, 0) + st(212, 1) + st(213, 2) + st(214, 3) + st(215, 4) +
             "<LIST>\n<ID>411</ID>\n<PAGEID>2</PAGEID>\n<XORIG>100</XORIG>\n<YORIG>100</YORIG>\n<WIDTH>80</WIDTH>\n"
             "<HEIGHT>60</HEIGHT>\n</LIST>\n"
             "<PAGE>\n<ID>101</ID>\n<PAGEID>1</PAGEID>\n<NAME>MONITOR</NAME>\n"
             "<SUBPAGE>\n<PAGEID>3</PAGEID>\n</SUBPAGE>\n</PAGE>\n"
             "<PAGE>\n<ID>102</ID>\n<PAGEID>2</PAGEID>\n<NAME>SPECTRA</NAME>\n</PAGE>\n");
    qkwinInfo* win = w.win();
    QAction* zoom = w.top()->findChild<QMenuBar*>()->actions()[0];

    auto shown = [&] {
        std::string s;
        for (int id : {211, 212, 213, 214, 215, 411})
            if (!w.find(id)->isHidden()) s += std::to_string(id) + " ";
        return s + (zoom->isEnabled() ? "zoom" : "-");
    };
    // Page switching is off until the program turns it on.
    const std::string before = shown();
    QTest::mouseClick(w.find(101), Qt::LeftButton);
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(qkstdpagedsetstate(win, 1), 0);
    QTest::mouseClick(w.find(101), Qt::LeftButton);
    EXPECT_EQ(qkwingetcurrentpageID(win), 1);
    EXPECT_EQ(shown(), "211 212 214 -");
    QTest::mouseClick(w.find(102), Qt::LeftButton);
    EXPECT_EQ(qkwingetcurrentpageID(win), 2);
    EXPECT_EQ(shown(), "211 213 411 zoom");
    // Events other than clicks and selections (above 6) switch nothing.
    win->actitemid = 101;
    win->actitemevent = 14;
    EXPECT_EQ(qkstdpagedspcb(win), 0);
    EXPECT_EQ(shown(), "211 213 411 zoom");
    // A sub-page adds its controls and hides nothing.
    EXPECT_EQ(qksyswinsubpagedsp(win, 4), 0);
    EXPECT_EQ(shown(), "211 213 215 411 zoom");
    EXPECT_EQ(qksyswinpagedsp(win, 7), 0);
    EXPECT_EQ(shown(), "211 -");
    EXPECT_EQ(qkwinpagegetIDpointer(win, 1)->pageid, 2);
    EXPECT_EQ(qkwinpagegetIDpointer(win, 2), nullptr);
}

// Positions, sizes and font heights follow the window's display scale.
TEST(QkWinControls, ControlsFollowTheDisplayScale)
{
    Window w("<SCALE>150</SCALE>\n<WIDTH>400</WIDTH>\n<HEIGHT>200</HEIGHT>\n"
             "<FONT>\n<ID>2</ID>\n<NAME>DejaVu Sans</NAME>\n<HEIGHT>12</HEIGHT>\n</FONT>\n"
             "<BUTTON>\n<ID>101</ID>\n<NAME>Start</NAME>\n<XORIG>10</XORIG>\n<YORIG>20</YORIG>\n<WIDTH>100</WIDTH>\n"
             "<HEIGHT>26</HEIGHT>\n<FONTID>2</FONTID>\n</BUTTON>\n"
             "<STATIC>\n<ID>201</ID>\n<STRING>x</STRING>\n<XORIG>1</XORIG>\n<YORIG>0</YORIG>\n<WIDTH>3</WIDTH>\n"
             "<HEIGHT>1</HEIGHT>\n</STATIC>\n");
    EXPECT_EQ(w.find(101)->geometry(), QRect(15, 30, 150, 39));
    EXPECT_EQ(w.find(101)->font().pixelSize(), 18);
    // 1.5 rounds to 2, 4.5 to 5; a position of 0 stays 0.
    EXPECT_EQ(w.find(201)->geometry(), QRect(2, 0, 5, 2));
}

// Workers write statics, lists and the status bar while the GUI thread keeps
// serving events: every write arrives, nothing blocks.
TEST(QkWinControls, WorkersWriteControlsWhileTheLoopRuns)
{
    Window w(everyKind());
    qkwinInfo* win = w.win();
    ASSERT_EQ(qkwinlistclear(win, 401), 0);

    constexpr int kThreads = 4;
    constexpr int kWrites = 150;
    std::atomic<int> done{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            char text[64];
            for (int i = 0; i < kWrites; ++i) {
                qkstrfmt(text, sizeof text, "worker %d line %d", t, i);
                if (qkwinstaticsettext(win, 201, text) != 0) ++failures;
                if (qkwinlistadditem(win, 401, text) != 0) ++failures;
                if (qkwinUpdateStatBarItem(win, t % 3, text) != 0) ++failures;
                if (qkwinlistgetcount(win, 401) < i + 1) ++failures;
                if (qkwineditsettext(win, 301, text) != 0) ++failures;
            }
            ++done;
        });
    }
    // The GUI thread runs its event loop (as the program's message loop does)
    // until the workers are done; the blocking calls are served at once.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done.load() == kThreads) loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    const bool finished = done.load() == kThreads;
    for (std::thread& t : workers) t.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(qkwinlistgetcount(win, 401), kThreads * kWrites);
    EXPECT_TRUE(w.find<QLabel>(201)->text().endsWith(QStringLiteral("line %1").arg(kWrites - 1)));
}

// A representative window rendered to window.png in the test's working
// folder, for a person to look at; its text must be drawn.
TEST(QkWinControls, RendersARepresentativeWindow)
{
    if (!vxtest::haveFonts({"DejaVu Sans", "DejaVu Sans Mono"}))
        GTEST_SKIP() << "fonts-dejavu-core is not installed";
    std::ofstream("hdr.txt") << "Laser Temp C;25.01\nPeak Index;212\nFit Ratio;0.9871\n";
    std::string body = everyKind();
    body.insert(body.find("<STATBAR>"),
                "<TREEVIEW>\n<ID>1430</ID>\n<XORIG>440</XORIG>\n<YORIG>240</YORIG>\n<WIDTH>310</WIDTH>\n"
                "<HEIGHT>220</HEIGHT>\n</TREEVIEW>\n");
    Window w(body);
    qkwinInfo* win = w.win();

    // The spectra curve tree as the spectra page builds it.
    ASSERT_EQ(qkwinCreateTrVw(win, 1430, QKWIN_TRVW_CHECKBOXES), 0);
    ASSERT_EQ(qkwinSetTrVwMaxCnt(win, 1430, 100), 0);
    ASSERT_EQ(qkwinInitTrVw(win, 1430, "Spectra"), 0);
    ASSERT_EQ(qkwinSetTrVwPrtndx(win, 1430, 0), 0);
    ASSERT_EQ(qkwinAddTrVwIndex(win, 1430, "plot A"), 0);
    ASSERT_EQ(qkwinAddTrVwItem(win, 1430, "2f spectrum"), 0);
    ASSERT_EQ(qkwinAddTrVwItem(win, 1430, "DC level"), 0);
    ASSERT_EQ(qkwinSetTrVwPrtndx(win, 1430, 0), 0);
    ASSERT_EQ(qkwinAddTrVwIndex(win, 1430, "plot B"), 0);
    ASSERT_EQ(qkwinAddTrVwItem(win, 1430, "reference"), 0);
    qksyswinTrVwSetChkBoxByID(win, 1430, 2, 1);
    if (auto* tree = w.find<QTreeWidget>(1430)) tree->expandAll();

    // The FC10 list and the rest, as the pages fill them.
    qkwinlistclear(win, 401);
    qkwinlistadditem(win, 401, "COM1 - /dev/ttyS0");
    qkwinlistadditem(win, 401, "COM33 - /dev/ttyUSB0");
    qksyswinlistsetndx(win, 401, 1);
    qkwincombosetedit(win, 402, "115200");
    qkwinbtnsetstate(win, 102, 1);
    qkwinbtnsetstate(win, 104, 1);
    qkwinstaticsettext(win, 201, "1013.2 mbar");
    qkwinUpdateStatBarItem(win, 1, "Rx: 10240 Tx: 512");
    qkwinprgbarInfo bar{};
    bar.xorig = 10;
    bar.yorig = 375;
    bar.xsize = 420;
    bar.ysize = 26;
    bar.maxval = 1000;
    bar.pos = 400;
    ASSERT_EQ(qkwinCreatePrgBar(win, &bar, "Analyzer Connection", 1, "Green3"), 0);

    QWidget* top = w.top();
    QCoreApplication::processEvents();
    const QImage image = top->grab().toImage();
    ASSERT_TRUE(image.save("window.png"));
    qkwinDestroyPrgBar(&bar);

    // Text is drawn: the status bar's first part (text at its left, nothing
    // at its right end) holds glyph pixels much darker than its background.
    auto* part0 = top->findChild<QLabel*>("sbpart0");
    ASSERT_NE(part0, nullptr);
    const QImage part = part0->grab().toImage();
    const int background = qGray(part.pixel(part.width() - 6, part.height() / 2));
    int glyph = 0;
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width() / 2; ++x)
            if (qGray(part.pixel(x, y)) < background - 100) ++glyph;
    EXPECT_GT(background, 150);
    EXPECT_GT(glyph, 40);
    EXPECT_GE(image.width(), 760);
}
