// vxParamFrontPanelSrv: the front-panel tab of the parameters page (see the header).
#include "vxParamFrontPanelSrv.h"

#include "qklogsrv.h"

int vxParamPageFPstop(vxInfo* app)
{
    qklogTrace("vxParamPageFPstop");
    return app == nullptr ? -2 : 0;
}
