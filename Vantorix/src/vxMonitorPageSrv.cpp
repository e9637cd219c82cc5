// vxMonitorPageSrv: the monitor page. The monitor profiles are filled by the
// configuration reader on the main thread; the page reads them when it writes
// its header line. The page functions run on the main window's thread.
#include "vxMonitorPageSrv.h"

#include <cstring>
#include <ctime>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswinlist.h"
#include "vxAsynSrv.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxModbusProtocolSrv.h"
#include "vxRunDiagSrv.h"

namespace {

constexpr int kRecordList = 1312;
constexpr int kListExtent = 4096;
constexpr int kListLines = 1024;
// Records counted in a capture before a block end counts: the first block
// may have started before the capture did.


void scrollToNewest(qkwinInfo* win)
{
    const int count = qkwinlistgetcount(win, kRecordList);
    if (count > 0) qksyswinlistsetndx(win, kRecordList, count - 1);
}

// One record line from the ring: list, data file, capture.
void monitorLine(vxInfo* app, const char* line)
{
    vxRunDiagInfo& rd = app->runDiag;
    vxModeDatanfo& md = rd.modeData;
    ++app->mpData.recCnt;
    const bool capturing = md.capDataFlag.load() == 1;
    if (capturing) vxRunDiagCountRecord(app);

    if (qkwinInfo* win = app->winPtr) {
        qkwinlistadditem(win, kRecordList, line);
        // While ARM9 blocks pour in, the list scrolls only every 22nd line.
        const bool sparse = capturing && rd.state.load() == 1 && app->anaDetails.version.appType != VX_APP_PP2F;
        if (!sparse || ++md.listUpdateCnt > md.listUpdateSize) {
            md.listUpdateCnt = 0;
            scrollToNewest(win);
        }
        if (++md.lineCnt > kListLines) qkwinlistdeleteitem(win, kRecordList, 0);
    }
    vxRunDiagWriteLine(app, line);
    if (capturing && std::strstr(line, "]]") != nullptr) vxRunDiagBlockEnd(app, true);
}

}  // namespace

int vxMonProfileRegister(vxMonitorMode1Info* mode1)
{
    qklogTrace("vxMonProfileRegister");
    if (mode1 == nullptr) return -2;
    mode1->ndx = mode1->cnt;
    size_t want = sizeof(vxMonitorMode1Data) * static_cast<size_t>(mode1->cnt + 1);
    mode1->idPtr = static_cast<vxMonitorMode1Data*>(qksysMemAllocate(mode1->idPtr, want));
    vxMonitorMode1Data* entry = &mode1->idPtr[mode1->ndx];
    std::memset(entry, 0, sizeof *entry);
    mode1->cnt++;
    entry->id = mode1->cnt;
    return 0;
}

int vxMonPageInit(vxInfo* app)
{
    qklogTrace("vxMonPageInit");
    if (app == nullptr) return -2;
    qklogf("vxMonPageInit", "Started Run Diagnostics");
    vxAnalyzerComInfo& com = app->anaCom;
    vxAsynFlush(app);
    com.ibPtr = com.ibuf;
    com.obPtr = com.obuf;
    com.maxbyts = VX_LINKBUFSIZE;
    // An analyzer left in Modbus mode would not stream text.
    vxBuildMbDpOffMsg(app);
    vxSendMbReqMsg(app);

    app->mpData.recCnt = 0;
    app->runDiag.appID = 1;
    if (app->winPtr != nullptr) qkwinlistsethscroll(app->winPtr, kRecordList, kListExtent);
    const int status = vxRunDiagInit(app);
    vxMonPageBuildListHdr(app);
    return status;
}

int vxMonPageUpdate(vxInfo* app)
{
    qklogTrace("vxMonPageUpdate");
    if (app == nullptr) return -2;
    vxRunDiagInfo& rd = app->runDiag;
    vxRunDiagDrain(app, monitorLine);
    if (rd.modeData.capDataFlag.load() == 1 && rd.state.load() == 0) {
        // Cancelled: the capture ends now, whether or not a block end comes.
        vxRunDiagFinish(app);
    } else if (rd.mode1TimeStart != 0) {
        vxRunDiagMode1CountDown(app);
    }
    return 0;
}

int vxMonPageExit(vxInfo* app)
{
    qklogTrace("vxMonPageExit");
    if (app == nullptr) return -2;
    // The lines the reader has handed over still reach the list and the file.
    vxRunDiagStop(app);
    while (vxRunDiagDrain(app, monitorLine) > 0) {
    }
    const int status = vxRunDiagExit(app);
    qklogf("vxMonPageExit", "Run Diagnostics complete, recordes saved: %d", app->mpData.recCnt);
    return status;
}

int vxMonPageBuildListHdr(vxInfo* app)
{
    qklogTrace("vxMonPageBuildListHdr");
    if (app == nullptr) return -2;
    const int appType = app->anaDetails.version.appType;
    // Column names are joined by tabs; the 2F analyzer separates its values by commas.
    const char* format = appType == VX_APP_PP2F ? "  %s, " : "  %s\t";
    char header[4096] = "";
    const vxMonitorMode1Info& mode1 = app->mpData.mode1;
    for (int p = 0; mode1.idPtr != nullptr && p < mode1.cnt; ++p) {
        const vxMonitorMode1Data& profile = mode1.idPtr[p];
        // A profile names the application it is for; one without applies to all.
        if (profile.version.appType != 0 && profile.version.appType != appType) continue;
        for (int n = 0; n < profile.paramCnt && n < VX_MAXMONCOLUMNS; ++n) {
            char column[48];
            qkstrfmt(column, sizeof column, format, profile.name[n]);
            qkstradd(header, column);
        }
    }
    if (qkwinInfo* win = app->winPtr) {
        qkwinlistclear(win, kRecordList);
        if (header[0] != '\0') {
            qkwinlistadditem(win, kRecordList, header);
            qksyswinlistsetndx(win, kRecordList, 0);
        }
    }
    if (header[0] != '\0') vxRunDiagWriteLine(app, header);
    return 0;
}
