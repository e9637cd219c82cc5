// vxModbusProtocolSrv: the Modbus exchange with the analyzer. The analyzer
// keeps its 16-bit integers, 32-bit integers and floats in three register
// ranges, so the address alone tells how to read a value.
// Called from the configuration reader (main thread) and from the page
// workers, one at a time.
#include "vxModbusProtocolSrv.h"

#include "qklogsrv.h"

int vxValidateMbReg(vxInfo* app)
{
    qklogTrace("vxValidateMbReg");
    if (app == nullptr) return -2;
    vxModbusInfo& mb = app->mbData;
    if (mb.mbReg >= 3000 && mb.mbReg <= 4999) {
        mb.mbRegType = VX_MBREG_INT16;
    } else if (mb.mbReg >= 5000 && mb.mbReg <= 6999) {
        mb.mbRegType = VX_MBREG_INT32;
    } else if (mb.mbReg >= 7000 && mb.mbReg <= 8999) {
        mb.mbRegType = VX_MBREG_FLOAT;
    } else {
        mb.mbRegType = VX_MBREG_INVALID;
        qklogf("vxValidateMbReg", "Invalid modbus register: %d", mb.mbReg);
        return -2;
    }
    return 0;
}
