// Test support for the main program: the shipped configuration read as vxMain reads it.
#include "vxtestapp.h"

#include <filesystem>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "vxCfgSrv.h"
#include "qksyswinsrv.h"
#include "vxInit.h"
#include "vxWinSrv.h"

namespace fs = std::filesystem;

namespace vxtest {

void ShippedApp::SetUp()
{
    for (const char* dir : {"cfg", "usercfg"})
        fs::copy(fs::path(VX_SOURCE_DIR) / dir, tree.path(dir), fs::copy_options::recursive);
    fs::create_directories(tree.path("logs"));
    fs::create_directories(tree.work());
    cwd = std::make_unique<CwdGuard>(tree.work());   // "../cfg", and COM97 is ../dev/ttyV0

    vxInitialize(app.get());
    qkstrset(app->cfg.path, "../cfg/vxMain.xml");
    qkstrset(app->log.path, "./vxdefault.log");
    ASSERT_EQ(vxGetResources(app.get()), 0);
    ASSERT_EQ(vxCfgRead(app.get()), 0);
    win = app->winPtr;
    ASSERT_NE(win, nullptr);
}

void ShippedApp::TearDown()
{
    vxFreeResources(app.get());
    qksysMemFree(app->mpData.mode1.idPtr);
    qklogcls();
    cwd.reset();
}

void ShippedApp::showAsShell()
{
    for (auto step : {vxSetPaths, vxSetDefaults, vxDefineCallbacks, vxBuildPageFunctions})
        ASSERT_EQ(step(app.get()), 0);
    ASSERT_EQ(qksyswinsetclass(win), 0);
    ASSERT_EQ(qksyswindsp(win), 0);
}

std::string ShippedApp::log() const
{
    std::fflush(qkloggetfd());
    return readFile(tree.path("logs/vxMain.log"));
}

}  // namespace vxtest
