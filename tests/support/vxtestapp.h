// Test support for the main program: an installation-like tree with the
// shipped cfg/ and usercfg/, and the application record read from the shipped
// configuration by vxMain's start-up steps from the tree's work/ folder (the
// working folder of the test while the fixture lives).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vxMain.h"
#include "vxtestsupport.h"

namespace vxtest {

class ShippedApp : public ::testing::Test {
protected:
    void SetUp() override;      // tree, working folder, vxInitialize, vxGetResources, vxCfgRead
    void TearDown() override;   // the window, the monitor profile table and the log go
    // The main window set up and shown as the shell does it before the search:
    // paths, defaults, callbacks, page table, display.
    void showAsShell();
    // The program's log as written so far.
    std::string log() const;

    // The emulator on the virtual port COM97 (../dev/ttyV0), logging to
    // emuLog and taking its faults from emuControl, with the extra options
    // (personality, record pause, ...); returns once it is ready.
    void startEmulator(const std::vector<std::string>& extra = {});
    // The serial link at 9600 to it and the analyzer identified with its
    // profiles loaded, as the search leaves them; page switching on.
    void connectEmulator();
    // The emulator's faults from now on (the whole set, as its control file
    // takes them), once it has taken them.
    void emulatorFaults(const std::string& text);

    TempTree tree;
    std::unique_ptr<CwdGuard> cwd;
    std::unique_ptr<vxInfo> app = std::make_unique<vxInfo>();
    qkwinInfo* win = nullptr;
    std::string emuLog = tree.path("work/emu.log");
    std::string emuControl = tree.path("work/faults.txt");
    std::unique_ptr<Process> emu;
};

// ---- the program's windows on the offscreen platform, by control id ----------------

// Waits (bounded) for cond while the GUI thread keeps serving the windows.
bool pumpUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// The visible control with object name "id<n>" of type W in any window; null when none.
template <typename W = QWidget> W* shown(int id)
{
    for (QWidget* w : QApplication::allWidgets())
        if (w->isVisible() && w->objectName() == QStringLiteral("id%1").arg(id))
            if (auto* typed = qobject_cast<W*>(w)) return typed;
    return nullptr;
}

// The text of static id ("" when not shown).
std::string labelText(int id);
// Clicks button id (a failure when it is not shown).
void press(int id);
// Types into an editable combo id, or picks the item with this text.
void choose(int id, const std::string& text);
// The lines of list id of window w, in order.
std::vector<std::string> listLines(qkwinInfo* w, int id);
// The front panel's four display rows of 20 cells as the statics show them
// (an empty static is a blank).
std::vector<std::string> frontPanelRows();
// True when the image file shows more than one colour (the window was drawn).
bool imageShowsSomething(const std::string& path);

}  // namespace vxtest
