// The smallest Qt Widgets program with a main window and a status bar: the
// baseline the main program's start-up, memory and idle load are set beside.
// Once its window is shown and the event loop runs, it says "shown" on its
// standard output (the main program says in its log when its search has
// started); then it idles until it is ended.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Hello"));
    window.setCentralWidget(new QLabel(QStringLiteral("Hello, world")));
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.resize(800, 600);
    window.show();
    // Said from the event loop, after the show has been handled.
    QTimer::singleShot(0, [] {
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
    });
    return app.exec();
}
