// vxCfgSrv: reading the main configuration file of the main program.
// Main thread, at start-up.
#include "vxCfgSrv.h"

#include "qklogsrv.h"

// Stand-in until the configuration reader exists: nothing is read yet and the
// start-up goes on with the defaults.
int vxCfgRead(vxInfo* app)
{
    qklogTrace("vxCfgRead");
    (void)app;
    return 0;
}
