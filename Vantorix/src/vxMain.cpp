// vxMain: the entry of the main program. Start-up runs in a fixed order:
// clear the application record, create the window resources, evaluate the
// command line, read the main configuration (which opens the log), log the
// start, display the main window and run it; every end goes through vxExit.
// Main thread.
#include <cstring>

#include "qklogsrv.h"
#include "qkstartup.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qkversion.h"
#include "vxCfgSrv.h"
#include "vxGetOpts.h"
#include "vxInit.h"
#include "vxMain.h"
#include "vxWinSrv.h"

int main(int argc, char** argv)
{
    qklogTrace("vxmain");
    vxPtr = &vx;
    vxInitialize(vxPtr);
    vxTermInit();

    qkstrset(vxPtr->cfg.path, "../cfg/vxMain.xml");
    qkstrset(vxPtr->log.path, "./vxdefault.log");

    vxGetResources(vxPtr);

    vxPtr->suPtr = &qkbwstartup;
    std::memset(&qkbwstartup, 0, sizeof qkbwstartup);
    qkstartupsetargs(vxPtr->suPtr, argc, argv);

    if (vxGetOpts(vxPtr) == 4 || vxPtr->state == 99) vxExit();

    if (vxCfgRead(vxPtr) != 0) {
        qklogf("vxmain", "VX configuration error");
        vxExit();
    }

    qklogf("vxmain", "Vantorix NQE Started");
    qklogverblddate();
    qklogf("vxmain", "%s %s, build: %s", g_vxTitle, g_vxVersion, g_vxBD);

    vxPtr->pid = qksysgetid(1);
    qksysGetSysInfo(1);
    qklogf("vxmain", "OS: %s, process ID: %d", gqk_syswrkbuf, vxPtr->pid);

    // An end request that came during start-up skips the window.
    if (!vxTermRequested()) vxWindowDsp(vxPtr);
    vxExit();
}
