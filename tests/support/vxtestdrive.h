// Test support for the built main program run end to end: vxMain offscreen in
// an installation-like tree with the shipped cfg/ and usercfg/, beside analyzer
// emulators, worked through its windows by a drive file (VX_DRIVE) as a user
// would. Message boxes are answered automatically ("no" unless a test says
// otherwise); screenshots go to the shot folder given by the test program.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vxtestsupport.h"

namespace vxtest {

class DrivenMain : public ::testing::Test {
protected:
    explicit DrivenMain(std::string shotDir);
    void SetUp() override;   // cfg/, usercfg/, logs/, work/ and the shot folder

    // The program's log of the last run as written so far, and its standard
    // error (the boxes answered automatically, sanitizer reports).
    std::string log() const;
    std::string errors() const { return readFile(tree.path("logs/vxMain.err")); }
    // The emulators' log (all of them write into it) and their control file.
    std::string emuLog() const { return tree.path("work/emu.log"); }
    std::string emuControl() const { return tree.path("work/faults.txt"); }

    // Starts an emulator with these options; returns its ready line ("tcp ADDR
    // PORT" for a TCP analyzer).
    std::string emulator(std::vector<std::string> options);
    // The options given plus those that put the emulator on the virtual port COM97.
    std::vector<std::string> onVirtualPort(std::vector<std::string> options) const;
    // The emulators' faults from now on (the whole set), once they took them.
    void emulatorFaults(const std::string& text);

    // Runs vxMain with these steps (and meanwhile, in the test, given the
    // program's process) until it ends, at most timeout; its exit status (-1
    // when it did not end). The shots named are removed first, so none is
    // left from an earlier run.
    int drive(const std::string& steps, const std::vector<std::string>& shots,
              const std::function<void(Process&)>& meanwhile = nullptr,
              std::chrono::milliseconds timeout = std::chrono::seconds(60));
    std::string shot(const std::string& name) const { return shotDir_ + "/" + name + ".png"; }
    const std::string& shotDir() const { return shotDir_; }

    TempTree tree;
    std::vector<std::unique_ptr<Process>> emus;

private:
    std::string shotDir_;
    EnvGuard offscreen_{"QT_QPA_PLATFORM", "offscreen"};
    EnvGuard answer_{"VX_MSGBOX_AUTOANSWER", "no"};
    EnvGuard screenshots_;
};

// Text made a regular expression that matches it literally.
std::string quoted(const std::string& text);

// The lines the emulator logged as sent (it runs with -v: whole) since it
// acknowledged the monitor page's Modbus mode off, as the capture file keeps
// them: carriage return and line feed become blanks.
std::vector<std::string> sentLines(const std::string& emuLogText);

}  // namespace vxtest
