// vxParamModbusTestSrv: the Modbus test tab of the parameters page (see the header).
#include "vxParamModbusTestSrv.h"

#include "qklogsrv.h"

int vxParamPageMBstop(vxInfo* app)
{
    qklogTrace("vxParamPageMBstop");
    return app == nullptr ? -2 : 0;
}
