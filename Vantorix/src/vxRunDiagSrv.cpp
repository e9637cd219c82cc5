// vxRunDiagSrv: the capture engine (see the header).
#include "vxRunDiagSrv.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <string>

#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswindlg.h"
#include "qksyswinsrv.h"
#include "qksyswinstatic.h"
#include "qkthrdsrv.h"
#include "vxCallBacks.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxInit.h"
#include "vxWinSrv.h"
#include "vxWorkerSrv.h"

namespace {

constexpr int kDataFileStatic = 1324;
constexpr int kCaptureStatic = 1316;
constexpr int kCaptureDialog = 1350;
constexpr int kStatusTimerEvent = 9;
constexpr int kStatusTimerMs = 500;
constexpr int kListUpdateSize = 21;
// A reader that found nothing on the link looks again after this pause (a
// TCP read does not wait by itself).
constexpr int kIdleWaitMs = 50;
constexpr int kFullPollMs = 5;
constexpr int kSlotSize = sizeof(vxModeDatanfo::dataLine[0]);

int nextSlot(int ndx)
{
    return ndx + 1 < VX_RINGLINES ? ndx + 1 : 0;
}

// Set on the reader thread: a link error there ends the program, whose exit
// must not wait for the thread it runs on.
thread_local bool tls_onReader = false;

// While the save dialog is open the data file is closed: the ticks that run
// meanwhile leave the lines in the ring, so none misses the file.
bool g_saving = false;

void readerEntry(void* argument)
{
    tls_onReader = true;
    vxRunDiagGetData(static_cast<vxInfo*>(argument));
}

void appendByte(vxModeDatanfo& md, char c)
{
    // The last byte of the buffer stays the terminator: a longer line is cut.
    if (md.dataNdx < static_cast<int>(sizeof md.dataBuf) - 1) {
        md.dataBuf[md.dataNdx++] = c;
        md.dataBuf[md.dataNdx] = '\0';
    }
}

}  // namespace

// ---- reader thread ---------------------------------------------------------------------

int vxAnalyzerGetMode1(vxInfo* app)
{
    qklogTrace("vxAnalyzerGetMode1");
    if (app == nullptr) return -2;
    vxModeDatanfo& md = app->runDiag.modeData;
    vxAnalyzerComInfo& com = app->anaCom;
    if (md.byteCnt > com.rdByteCnt) md.byteCnt = 0;   // the chunk is not there any more
    const unsigned char* chunk = com.ibuf;
    while (md.byteCnt > 0) {
        char c = static_cast<char>(chunk[com.rdByteCnt - md.byteCnt]);
        --md.byteCnt;
        if (c == '\r') c = ' ';
        if (c == '\n') {
            appendByte(md, ' ');
            md.dataFlag = 1;
            return 1;
        }
        // A line is text up to its terminator: a NUL (line noise) would end
        // it there and lose the rest of the record in the ring and the file.
        if (c == '\0') continue;
        appendByte(md, c);
    }
    // The chunk is used up: the next one, read into the link's own buffer.
    com.ibPtr = com.ibuf;
    com.maxbyts = VX_LINKBUFSIZE;
    const int n = vxDiagLinkRead(app);
    md.byteCnt = n > 0 ? n : 0;
    return n > 0 ? 0 : -1;
}

int vxRunDiagPutLine(vxInfo* app, int waitMs)
{
    qklogTrace("vxRunDiagPutLine");
    if (app == nullptr) return -2;
    vxModeDatanfo& md = app->runDiag.modeData;
    const int wt = md.dataLineWtNdx.load(std::memory_order_relaxed);
    const int next = nextSlot(wt);
    // The slot after the write index is the read index while the page has
    // not caught up: the ring is full, and a line the page has not read is
    // never overwritten.
    int status = 0;
    for (int waited = 0; next == md.dataLineRdNdx.load(std::memory_order_acquire); waited += kFullPollMs) {
        if (waited >= waitMs) {
            status = -2;
            break;
        }
        qkthrdwait(kFullPollMs);
    }
    if (status == 0) {
        qkstrlcpy(md.dataLine[wt], kSlotSize, md.dataBuf);
        md.dataLineWtNdx.store(next, std::memory_order_release);
    } else {
        const int lost = md.lostCnt.fetch_add(1) + 1;
        // Logged where a run of losses starts (after the wait), not for
        // every line of it; the total goes to the log at the capture's end.
        if (waitMs > 0) qklogf("vxRunDiagPutLine", "Capture ring full, the page does not keep up: lines lost: %d", lost);
    }
    md.dataNdx = 0;
    md.dataFlag = 0;
    md.dataBuf[0] = '\0';
    return status;
}

int vxRunDiagGetData(vxInfo* app)
{
    qklogTrace("vxRunDiagGetData");
    if (app == nullptr) return -2;
    vxModeDatanfo& md = app->runDiag.modeData;
    // The capture flag was cleared before this thread started: clearing it
    // here would end a capture that the user started meanwhile.
    // After a line was lost the reader does not wait again until the page
    // has taken a line: it keeps reading so that the link does not back up.
    bool behind = false;
    while (app->rundiagthrds.state.load() == 1) {
        const int got = vxAnalyzerGetMode1(app);
        if (md.dataFlag == 1) {
            behind = vxRunDiagPutLine(app, behind ? 0 : VX_RINGFULLWAITMS) != 0;
        } else if (got < 0) {
            qkthrdwait(kIdleWaitMs);
        }
    }
    return 0;
}

// ---- window thread ---------------------------------------------------------------------

int vxRunDiagInit(vxInfo* app)
{
    qklogTrace("vxRunDiagInit");
    if (app == nullptr) return -2;
    // A reader of an earlier start ends before its ring is cleared.
    vxRunDiagStop(app);

    vxRunDiagInfo& rd = app->runDiag;
    vxModeDatanfo& md = rd.modeData;
    rd.mode1TimeStart = rd.mode1TimeCount = 0;
    rd.recCnt = rd.modeEndCnt = 0;
    md.capDataFlag.store(0);
    md.lineCnt = md.byteCnt = md.dataCnt = md.dataNdx = md.dataFlag = 0;
    md.listUpdateCnt = 0;
    md.listUpdateSize = kListUpdateSize;
    md.dataBuf[0] = '\0';
    std::memset(md.dataLine, 0, sizeof md.dataLine);
    md.dataLineWtNdx.store(0);
    md.dataLineRdNdx.store(0);
    md.lostCnt.store(0);

    vxFileInfo& file = app->dataFile;
    if (file.fdp != nullptr) {
        qkfileclose(file.fdp);
        file.fdp = nullptr;
    }
    if (file.path[0] != '\0') {
        vxArchiveLog(app);
        file.fdp = qkfileopen(file.path, "w+");
        if (file.fdp == nullptr) qklogf("vxRunDiagInit", "Data file not opened, records are not stored: %s", file.path);
    }
    if (app->winPtr != nullptr) {
        char text[192];
        qkstrfmt(text, sizeof text, "Storing data in: %s", file.path);
        qkwinstaticsettext(app->winPtr, kDataFileStatic, text);
    }
    if (vxWorkerStart(&app->rundiagthrds, readerEntry, app, "vxRunDiagInit", "run diagnostics reader") != 0) return -2;
    if (app->winPtr != nullptr) qkwinstaticsetstate(app->winPtr, kCaptureStatic, 1);
    return 0;
}

int vxRunDiagStop(vxInfo* app)
{
    qklogTrace("vxRunDiagStop");
    if (app == nullptr || tls_onReader) return 0;
    app->rundiagthrds.state.store(0);
    return vxWorkerStop(&app->rundiagthrds);
}

char* vxRunDiagGetDataReadyFlag(vxInfo* app)
{
    qklogTrace("vxRunDiagGetDataReadyFlag");
    if (app == nullptr) return nullptr;
    vxModeDatanfo& md = app->runDiag.modeData;
    const int rd = md.dataLineRdNdx.load(std::memory_order_relaxed);
    if (rd == md.dataLineWtNdx.load(std::memory_order_acquire)) return nullptr;
    return md.dataLine[rd];
}

int vxRunDiagDrain(vxInfo* app, vxRunDiagLineFunc hook)
{
    qklogTrace("vxRunDiagDrain");
    if (app == nullptr) return 0;
    if (g_saving) return 0;
    vxModeDatanfo& md = app->runDiag.modeData;
    const int rate = app->srvrate > 0 ? app->srvrate : 50;
    const auto budget = std::chrono::milliseconds(std::max(rate - 5, 1));
    const auto start = std::chrono::steady_clock::now();
    int drained = 0;
    while (char* line = vxRunDiagGetDataReadyFlag(app)) {
        if (hook != nullptr) hook(app, line);
        line[0] = '\0';
        md.dataLineRdNdx.store(nextSlot(md.dataLineRdNdx.load(std::memory_order_relaxed)), std::memory_order_release);
        ++drained;
        if (std::chrono::steady_clock::now() - start >= budget) break;
    }
    return drained;
}

int vxRunDiagWriteLine(vxInfo* app, const char* line)
{
    qklogTrace("vxRunDiagWriteLine");
    if (app == nullptr || line == nullptr || app->dataFile.fdp == nullptr) return -2;
    char record[sizeof app->runDiag.modeData.dataBuf + 2];
    const int length = qkstrfmt(record, sizeof record, "%s\n", line);
    const int size = std::min(length, static_cast<int>(sizeof record) - 1);
    // One write a line, flushed: the line is the system's before the next tick.
    if (qkfilewrrec(app->dataFile.fdp, size, record) != size) return -1;
    ++app->runDiag.modeData.dataCnt;
    return 0;
}

int vxRunDiagWriteRing(vxInfo* app)
{
    qklogTrace("vxRunDiagWriteRing");
    if (app == nullptr || tls_onReader) return 0;
    vxRunDiagStop(app);
    int written = 0;
    for (int n; (n = vxRunDiagDrain(app, [](vxInfo* a, const char* line) { vxRunDiagWriteLine(a, line); })) > 0;)
        written += n;
    if (written > 0) qklogf("vxRunDiagWriteRing", "Lines still in the ring written to the data file: %d", written);
    return written;
}

bool vxIsArm9(const vxInfo* app)
{
    const int type = app->anaDetails.version.appType;
    return type == VX_APP_NS || type == VX_APP_FS;
}

void vxRunDiagSetMsg(vxInfo* app, const char* text)
{
    qklogTrace("vxRunDiagSetMsg");
    if (app == nullptr || text == nullptr) return;
    const std::string copy = text;
    auto put = [app, &copy] { qkstrset(app->runDiag.msg, copy.c_str()); };
    if (app->winPtr == nullptr || qksyswinOwnerRun(app->winPtr, put) != 0) put();
}

void vxRunDiagBlockEnd(vxInfo* app, bool stopCapture)
{
    qklogTrace("vxRunDiagBlockEnd");
    constexpr int kBlockRecords = 5;   // a block end counts after more records than this
    vxRunDiagInfo& rd = app->runDiag;
    if (rd.recCnt > kBlockRecords) ++rd.modeEndCnt;
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    if (!vxIsArm9(app)) {
        // A 2F analyzer streams on: the timed capture starts at the first counted end.
        if (rd.modeEndCnt == 1 && rd.mode1TimeStart == 0) rd.mode1TimeStart = now;
        return;
    }
    // An ARM9 analyzer sends one block per request: the next is asked for
    // until two blocks have ended or the capture was cancelled.
    if (rd.state.load() == 1 && rd.modeEndCnt < 2) {
        vxBuildDiagReqMsg(app, VX_DP_NEXTBLOCK);
        vxSendDiagReqMsg(app);
        qkstrset(rd.msg, "Mode 6 Request pending");
        return;
    }
    if (stopCapture || rd.mode1TimeStart == 0) rd.mode1TimeStart = now;
    if (stopCapture) rd.modeData.capDataFlag.store(0);
}

int vxRunDiagCountRecord(vxInfo* app)
{
    qklogTrace("vxRunDiagCountRecord");
    if (app == nullptr) return -2;
    vxRunDiagInfo& rd = app->runDiag;
    ++rd.recCnt;
    const int lost = rd.modeData.lostCnt.load();
    if (lost > 0)
        qkstrfmt(rd.msg, sizeof rd.msg, "received record: %d, lost: %d", rd.recCnt, lost);
    else
        qkstrfmt(rd.msg, sizeof rd.msg, "received record: %d", rd.recCnt);
    return 0;
}

int vxRunDiagFinish(vxInfo* app)
{
    qklogTrace("vxRunDiagFinish");
    if (app == nullptr) return -2;
    vxRunDiagInfo& rd = app->runDiag;
    rd.modeData.capDataFlag.store(0);
    rd.state.store(0);
    rd.mode1TimeStart = 0;   // the count-down has run out: it does not run again
    if (app->winPtr != nullptr) qkwindlgExitByID(app->winPtr, kCaptureDialog);
    return 0;
}

int vxRunDiagMode1CountDown(vxInfo* app)
{
    qklogTrace("vxRunDiagMode1CountDown");
    return vxRunDiagMode1CountDownAt(app, static_cast<int64_t>(std::time(nullptr)));
}

int vxRunDiagMode1CountDownAt(vxInfo* app, int64_t now)
{
    qklogTrace("vxRunDiagMode1CountDownAt");
    if (app == nullptr) return -2;
    vxRunDiagInfo& rd = app->runDiag;
    rd.mode1TimeCount = now;
    const int64_t remaining = rd.state.load() == 0 ? 0 : rd.mode1TimeStart + rd.mode1Duration - now;
    if (remaining < 1) {
        qkstrset(rd.msg, "Request complete");
        return vxRunDiagFinish(app);
    }
    qkstrfmt(rd.msg, sizeof rd.msg, "Mode 1 count down second: %d", static_cast<int>(remaining));
    return 0;
}

int vxRunDiagExit(vxInfo* app)
{
    qklogTrace("vxRunDiagExit");
    if (app == nullptr) return -2;
    vxRunDiagStop(app);
    app->runDiag.modeData.capDataFlag.store(0);
    const int lost = app->runDiag.modeData.lostCnt.load();
    if (lost > 0) qklogf("vxRunDiagExit", "Lines lost while the page fell behind: %d", lost);
    return vxRunDiagSave(app);
}

int vxRunDiagSave(vxInfo* app)
{
    qklogTrace("vxRunDiagSave");
    if (app == nullptr) return -2;
    g_saving = true;
    const int status = vxRunDiagSaveDataFile(app);
    g_saving = false;
    return status;
}

int vxRunDiagCaptureStart(vxInfo* app, const char* code, const char* pending)
{
    qklogTrace("vxRunDiagCaptureStart");
    if (app == nullptr || code == nullptr || pending == nullptr) return -2;
    int status = vxCheckStatus(app, 10);
    if (status == 0) status = vxCheckStatus(app, 20);
    if (status != 0) return status;

    vxRunDiagInfo& rd = app->runDiag;
    vxBuildDiagReqMsg(app, code);
    vxSendDiagReqMsg(app);
    qkstrset(rd.msg, pending);
    rd.recCnt = 0;
    rd.modeEndCnt = 0;
    rd.mode1TimeStart = 0;   // an earlier capture's count-down is over
    rd.modeData.listUpdateCnt = 0;
    rd.modeData.capDataFlag.store(1);
    rd.state.store(1);
    app->refreashFlag.store(1);
    app->rdUpdateNdx = 0;

    qkwinInfo* win = app->winPtr;
    if (win == nullptr) return 0;
    if (qkwindlgSetTimerByID(win, kCaptureDialog, kStatusTimerEvent, kStatusTimerMs, vxRunDiagStatusUpdateCB) != 0)
        return -2;
    qkwindlgdspbyID(win, kCaptureDialog);
    return 0;
}
