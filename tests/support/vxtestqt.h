// Window fixtures shared by the window-layer tests (tests/qt): a main window
// of the framework built from a definition file in a temporary tree and shown
// on the offscreen platform, and look-ups of controls and top-level windows.
#pragma once

#include <QRgb>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "qkwinsrv.h"
#include "vxtestsupport.h"

namespace vxtest {

struct WindowSetup {
    // Files written into the tree's cfg/ folder beside the definition;
    // "{cfg}" in the definition stands for that folder.
    std::vector<std::pair<std::string, std::string>> files{};
    // Runs after the definition is read, before the window shows (binds callbacks).
    std::function<void(qkwinInfo*)> bind{};
    // Displays the window; without it the test calls qksyswindsp itself.
    bool show = true;
    // The colour list; by default none, so the built-in colour names apply.
    std::string colours{};
};

// body is the text between <MAINWINDOW> and </MAINWINDOW>; it is written to
// cfg/main.xml. The destructor frees the window and everything it owns.
class QtWindow {
public:
    explicit QtWindow(const std::string& body, const WindowSetup& setup = {});
    ~QtWindow();
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    qkwinInfo* win() const { return w_; }
    QWidget* top() const;
    QWidget* canvas() const;
    const TempTree& tree() const { return tree_; }
    // The control with object name "id<n>" in the window or its pages (a
    // failure when there is none).
    template <class T = QWidget> T* find(int id) const
    {
        T* c = top()->findChild<T*>(QStringLiteral("id%1").arg(id));
        EXPECT_NE(c, nullptr) << "control " << id;
        return c;
    }
    // A pixel of the backing image (the window's picture without controls).
    QRgb pixel(int x, int y) const;

private:
    TempTree tree_;
    qkwinInfo* w_ = nullptr;
};

// The control with object name "id<n>" below top; nullptr when either is missing.
template <class T = QWidget> T* control(QWidget* top, int id)
{
    return top ? top->findChild<T*>(QStringLiteral("id%1").arg(id)) : nullptr;
}

// The visible top-level window with this title.
QWidget* topLevel(const QString& title);

// True when every font family is installed (text renders only with a font).
bool haveFonts(const std::vector<QString>& families);

// The library's log written into a file of a temporary tree while this lives.
class LogFile {
public:
    LogFile();
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    // What has been logged so far.
    std::string text() const;

private:
    TempTree tree_;
    std::string path_;
};

}  // namespace vxtest
