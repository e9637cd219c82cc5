// vxMbModeSrv: the Modbus-mode switch (see the header).
#include "vxMbModeSrv.h"

#include <cstring>

#include "qklogsrv.h"
#include "vxAsynSrv.h"
#include "vxInit.h"
#include "vxModbusProtocolSrv.h"

void vxMbPrepareLink(vxInfo* app)
{
    // The switch commands go to the analyzer's address, and so do the frames after them.
    vxModbusInfo& mb = app->mbData;
    mb.modbusAddr = app->diagProt.modbusAddr;
    mb.mbSlaveAddr = app->diagProt.modbusAddr;
    vxAnalyzerComInfo& com = app->anaCom;
    vxAsynFlush(app);
    com.ibPtr = com.ibuf;
    com.obPtr = com.obuf;
    com.maxbyts = VX_LINKBUFSIZE;
}

int vxParamPageSetMbMode(vxInfo* app, const char* mode)
{
    qklogTrace("vxParamPageSetMbMode");
    if (app == nullptr || mode == nullptr) return -2;
    const bool on = std::strcmp(mode, "ENABLED") == 0;
    if (!on && std::strcmp(mode, "DISABLED") != 0) return -2;

    vxMbPrepareLink(app);
    if (!on) {
        vxBuildMbDpOffMsg(app);
        vxSendMbReqMsg(app);
        return 0;
    }
    vxBuildMbDpOnMsg(app);
    if (vxSendMbReqMsg(app) < 0) return -2;
    if (vxGetMbDpOnOkMsg(app) == 2) return 0;
    return vxMsgQuestion("Enable MODBUS mode failed\ncontinue") == QKWIN_MSG_YES ? 0 : -2;
}
