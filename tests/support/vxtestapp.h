// Test support for the main program: an installation-like tree with the
// shipped cfg/ and usercfg/, and the application record read from the shipped
// configuration by vxMain's start-up steps from the tree's work/ folder (the
// working folder of the test while the fixture lives).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

    TempTree tree;
    std::unique_ptr<CwdGuard> cwd;
    std::unique_ptr<vxInfo> app = std::make_unique<vxInfo>();
    qkwinInfo* win = nullptr;
};

}  // namespace vxtest
