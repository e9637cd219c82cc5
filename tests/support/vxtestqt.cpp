#include "vxtestqt.h"

#include <QApplication>
#include <QFontDatabase>

#include <cstdio>
#include <mutex>

#include "qklogsrv.h"

#include "qksyswinobj.h"
#include "qksyswinsrv.h"
#include "qkwincfgsrv.h"
#include "qkwinpalettesrv.h"

namespace vxtest {

QtWindow::QtWindow(const std::string& body, const WindowSetup& setup)
{
    for (const auto& [name, text] : setup.files) tree_.write("cfg/" + name, text);
    std::string text = "<?xml version=\"1.0\"?>\n<MAINWINDOW>\n" + body + "</MAINWINDOW>\n";
    for (size_t at; (at = text.find("{cfg}")) != std::string::npos;) text.replace(at, 5, tree_.path("cfg"));
    const std::string def = tree_.write("cfg/main.xml", text);
    w_ = qkwinallocate();
    const std::string colours = setup.colours.empty() ? tree_.path("no-colours.xml") : setup.colours;
    qkwinpalettecreatefrom(w_, colours.c_str());
    EXPECT_EQ(qkwincfgsetpath(w_, def.c_str()), 0);
    EXPECT_EQ(qkwincfgread(w_), 0);
    if (setup.bind) setup.bind(w_);
    qksyswinsetstyle(w_);
    qksyswinsetclass(w_);
    if (setup.show) {
        EXPECT_EQ(qksyswindsp(w_), 0);
    }
}

QtWindow::~QtWindow() { qksyswinfree(w_); }

QWidget* QtWindow::top() const { return qksyswinobj(w_)->top; }

QWidget* QtWindow::canvas() const { return qksyswinobj(w_)->canvas; }

QRgb QtWindow::pixel(int x, int y) const
{
    qksyswinObj* obj = qksyswinobj(w_);
    std::lock_guard<std::recursive_mutex> lock(obj->imageLock);
    return obj->image->pixel(x, y);
}

QWidget* topLevel(const QString& title)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == title) return w;
    return nullptr;
}

bool haveFonts(const std::vector<QString>& families)
{
    const QStringList installed = QFontDatabase::families();
    for (const QString& f : families)
        if (!installed.contains(f)) return false;
    return true;
}

LogFile::LogFile() : path_(tree_.path("work/test.log"))
{
    tree_.write("work/.keep", "");
    EXPECT_EQ(qklogopn(path_.c_str()), 0);
}

LogFile::~LogFile() { qklogcls(); }

std::string LogFile::text() const
{
    std::fflush(qkloggetfd());
    return readFile(path_);
}

}  // namespace vxtest
