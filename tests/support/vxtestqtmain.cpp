// Main of the window-layer test programs: tests run headless on Qt's
// offscreen platform (unless the caller chose another), on the GUI thread,
// with one QApplication for the whole program.
#include <QApplication>
#include <QFontDatabase>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Qt switches the C locale to the user's; the library parses numbers itself.
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
