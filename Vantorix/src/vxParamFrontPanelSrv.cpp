// vxParamFrontPanelSrv: the front-panel tab of the parameters page (see the header).
#include "vxParamFrontPanelSrv.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "qkcommasyn.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinbutton.h"
#include "qksyswinstatic.h"
#include "qkthrdsrv.h"
#include "vxAsynSrv.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxFPDecode.h"
#include "vxInit.h"
#include "vxRunDiagSrv.h"
#include "vxWinSrv.h"
#include "vxWorkerSrv.h"

namespace {

constexpr int kClickEvent = 6;
constexpr int kEnableButton = 1332;
// The statics of the display: row r (1-4), column c (1-20) is 16000 + 100 r + c.
constexpr int kGridBase = 16000;
// The console of an ARM9 analyzer opens with this eight-digit code, a
// constant of the analyzer firmware; the text is built when it is sent.
constexpr long kConsoleAccessCode = 47110815;
// Control-W: what follows is a console command, not a key.
constexpr char kConsoleWord = 0x17;
// A reader that found nothing on the link looks again after this pause (a
// TCP read does not wait by itself).
constexpr int kIdleWaitMs = 50;
// A reader whose port failed looks at it again after this pause.
constexpr int kLostWaitMs = 500;
constexpr int kFullPollMs = 5;
constexpr int kSlotSize = sizeof(vxFrontPanelInfo::dataLine[0]);

// The keypad: button id and the character the analyzer takes for that key.
struct Key {
    int id;
    char key;
};
constexpr Key kKeys[] = {{16501, '#'}, {16502, '*'}, {16503, 'E'}, {16504, 'T'}, {16505, '1'}, {16506, '2'},
                         {16507, '3'}, {16508, '4'}, {16509, '5'}, {16510, '6'}, {16511, '7'}, {16512, '8'},
                         {16513, '9'}, {16514, '-'}, {16515, '0'}, {16516, '.'}};

int nextSlot(int ndx)
{
    return ndx + 1 < VX_FPRINGLINES ? ndx + 1 : 0;
}


// True when the link has data waiting (looked at without reading, so a
// failed port logs nothing); a TCP link is read again at once.
bool portHasData(vxInfo* app)
{
    if (app->anaCom.connectType != 1) return true;
    return qkcommAsynStat(app->anaCom.asyn.fd) == 1;
}

void readerEntry(void* argument)
{
    vxParamPageGetFPdata(static_cast<vxInfo*>(argument));
}

void appendByte(vxFrontPanelInfo& fp, char c)
{
    // The last byte of the buffer stays the terminator: a longer line is cut.
    if (fp.dataNdx < static_cast<int>(sizeof fp.dataBuf) - 1) {
        fp.dataBuf[fp.dataNdx++] = c;
        fp.dataBuf[fp.dataNdx] = '\0';
    }
}

// Hands the complete line in dataBuf to the page: a full ring is never
// overwritten; the reader waits up to waitMs for the page and otherwise
// drops the line. 0 stored (or empty), -2 lost.
int putLine(vxInfo* app, int waitMs)
{
    vxFrontPanelInfo& fp = app->ppData.fpData;
    int status = 0;
    if (fp.dataNdx > 0) {
        const int wt = fp.dataLineWtNdx.load(std::memory_order_relaxed);
        const int next = nextSlot(wt);
        for (int waited = 0; next == fp.dataLineRdNdx.load(std::memory_order_acquire); waited += kFullPollMs) {
            if (waited >= waitMs) {
                status = -2;
                break;
            }
            qkthrdwait(kFullPollMs);
        }
        if (status == 0) {
            qkstrlcpy(fp.dataLine[wt], kSlotSize, fp.dataBuf);
            fp.dataLineWtNdx.store(next, std::memory_order_release);
        } else {
            const int lost = fp.lostCnt.fetch_add(1) + 1;
            if (waitMs > 0) qklogf("vxParamPageGetFPdata", "Front panel ring full, the page does not keep up: lines lost: %d", lost);
        }
    }
    fp.dataNdx = 0;
    fp.dataFlag = 0;
    fp.dataBuf[0] = '\0';
    return status;
}

// The link as the exchanges of this tab want it: own buffers, full capacity.
void prepareLink(vxInfo* app)
{
    vxAnalyzerComInfo& com = app->anaCom;
    com.ibPtr = com.ibuf;
    com.obPtr = com.obuf;
    com.maxbyts = VX_LINKBUFSIZE;
}

// Text for the analyzer's console, sent as it is (no request address).
int sendText(vxInfo* app, const char* text)
{
    vxAnalyzerComInfo& com = app->anaCom;
    qkstrlcpy(reinterpret_cast<char*>(com.obuf), sizeof com.obuf, text);
    com.obPtr = com.obuf;
    com.wrtByteCnt = 0;
    return vxSendDiagReqMsg(app);
}

int sendRequest(vxInfo* app, const char* code)
{
    prepareLink(app);
    vxBuildDiagReqMsg(app, code);
    return vxSendDiagReqMsg(app);
}

void setUpdate(vxInfo* app, vxPageFunc f)
{
    const int ndx = app->ppData.fpData.updateNdx;
    if (ndx >= 0 && ndx < app->page.update.funcCnt) app->page.update.func[ndx].address.store(f);
}

// The reader ends (at its next wait point) before anyone else uses the link.
void stopReader(vxInfo* app)
{
    app->paramfpthrds.state.store(0);
    vxWorkerStop(&app->paramfpthrds);
}

void clearRow(qkwinInfo* win, int n)
{
    if (win == nullptr || n < 1 || n > VX_FPROWS) return;
    for (int c = 1; c <= VX_FPCOLS; ++c) qkwinstaticsettext(win, kGridBase + 100 * n + c, " ");
}

// The decoded command onto the grid: a cursor position with text writes the
// text from there, an erase of the display blanks it; the rest changes nothing.
void applyCmd(vxInfo* app)
{
    vxFrontPanelInfo& fp = app->ppData.fpData;
    const vxFPdataTermInfo& cmd = fp.cmd;
    qkwinInfo* win = fp.winPtr;
    if (win == nullptr) return;
    for (int i = 0; i < cmd.codeNdx && i < VX_FPMAXCODES; ++i) {
        if (cmd.code[i].type == VX_FPCODE_CLEARALL) {
            for (int n = 1; n <= VX_FPROWS; ++n) clearRow(win, n);
        } else if (cmd.code[i].type == VX_FPCODE_POSTEXT) {
            const int cells = vxFPTextCells(cmd);
            for (int k = 0; k < cells; ++k) {
                const char text[2] = {cmd.msg[k], '\0'};
                qkwinstaticsettext(win, kGridBase + 100 * (cmd.row + 1) + cmd.col + 1 + k, text);
            }
        }
    }
}

// Switches the emulation on: front-panel mode, the console's access code and
// its "display" command, then the reader and the page tick.
int enable(vxInfo* app, qkwinInfo* window)
{
    vxFrontPanelInfo& fp = app->ppData.fpData;
    fp.winPtr = window;
    qkwinbtnsetstate(window, kEnableButton, 1);
    // Nothing else may read the answers meanwhile.
    stopReader(app);
    sendRequest(app, VX_DP_PANEL_ON);
    vxLinkSleep(app, 1);
    char code[16];
    qkstrfmt(code, sizeof code, "%08ld\r\n", kConsoleAccessCode);
    sendText(app, code);
    vxLinkSleep(app, 1);
    vxGetDiagRespMsg(app);
    vxLinkSleep(app, 1);
    sendText(app, "display\r\n");
    vxLinkSleep(app, 1);
    vxGetDiagRespMsg(app);
    if (vxParamPageFPinit(app) != 0) return -2;
    setUpdate(app, vxParamPageFPupdate);
    return 0;
}

// Switches the emulation off: the display stream and the console end, then
// front-panel mode.
int disable(vxInfo* app, qkwinInfo* window)
{
    vxFrontPanelInfo& fp = app->ppData.fpData;
    stopReader(app);
    fp.winPtr = nullptr;
    fp.state = 0;
    setUpdate(app, nullptr);
    qkwinbtnsetstate(window, kEnableButton, 0);
    prepareLink(app);
    const char exitCmd[] = {kConsoleWord, 'e', 'x', 'i', 't', '\r', '\n', '\0'};
    sendText(app, exitCmd);
    vxLinkSleep(app, 5);
    return sendRequest(app, VX_DP_PANEL_OFF) < 0 ? -2 : 0;
}

}  // namespace

// ---- reader thread ---------------------------------------------------------------------

int vxAnalyzerGetFPdata(vxInfo* app)
{
    qklogTrace("vxAnalyzerGetFPdata");
    if (app == nullptr) return -2;
    vxFrontPanelInfo& fp = app->ppData.fpData;
    vxAnalyzerComInfo& com = app->anaCom;
    if (fp.byteCnt > com.rdByteCnt) fp.byteCnt = 0;   // the chunk is not there any more
    while (fp.byteCnt > 0) {
        char c = static_cast<char>(com.ibuf[com.rdByteCnt - fp.byteCnt]);
        --fp.byteCnt;
        if (c == '\n') {
            // The line ends with carriage return and line feed: the blank
            // that stands for the carriage return goes again.
            if (fp.dataNdx > 0 && fp.dataBuf[fp.dataNdx - 1] == ' ') fp.dataBuf[--fp.dataNdx] = '\0';
            fp.dataFlag = 1;
            return 1;
        }
        // A line is text up to its terminator: a NUL (line noise before the
        // line) would cut the whole display line off in the ring.
        if (c == '\0') continue;
        appendByte(fp, c == '\r' ? ' ' : c);
    }
    com.ibPtr = com.ibuf;
    com.maxbyts = VX_LINKBUFSIZE;
    const int n = vxDiagLinkRead(app);
    fp.byteCnt = n > 0 ? n : 0;
    return n > 0 ? 0 : (n < 0 ? -2 : -1);
}

int vxParamPageGetFPdata(vxInfo* app)
{
    qklogTrace("vxParamPageGetFPdata");
    if (app == nullptr) return -2;
    vxFrontPanelInfo& fp = app->ppData.fpData;
    // Logged however the thread ends (a stop unwinds it from a wait point).
    struct ExitLog {
        int id;
        ~ExitLog() { qklogf("vxParamPageGetFPdata", "Exit parameter page front panel update thread id: %d", id); }
    } exitLog{app->paramfpthrds.thrdid.load()};
    fp.capDataFlag.store(0);
    // After a lost line the reader does not wait again until the page has
    // taken one: it keeps reading so that the link does not back up.
    bool behind = false;
    // A port that failed (an unplugged adapter) is not read again until it
    // reports data: every read of it would only fail and log once more.
    bool portLost = false;
    while (app->paramfpthrds.state.load() == 1) {
        if (portLost) {
            if (!portHasData(app)) {
                qkthrdwait(kLostWaitMs);
                continue;
            }
            portLost = false;
            qklogf("vxParamPageGetFPdata", "Front panel: the analyzer link delivers data again");
        }
        const int got = vxAnalyzerGetFPdata(app);
        if (fp.dataFlag == 1) {
            behind = putLine(app, behind ? 0 : VX_FPRINGFULLWAITMS) != 0;
        } else if (got == -2) {
            portLost = true;
            qklogf("vxParamPageGetFPdata", "Front panel: analyzer link read error, the display waits for the port");
        } else if (got < 0) {
            qkthrdwait(kIdleWaitMs);
        }
    }
    return 0;
}

// ---- window thread ---------------------------------------------------------------------

int vxParamPageFPinit(vxInfo* app)
{
    qklogTrace("vxParamPageFPinit");
    if (app == nullptr) return -2;
    // A reader of an earlier start ends before its ring is cleared.
    stopReader(app);
    vxFrontPanelInfo& fp = app->ppData.fpData;
    fp.capDataFlag.store(0);
    fp.lineCnt = fp.byteCnt = fp.dataCnt = fp.dataNdx = fp.dataFlag = 0;
    fp.cmdSize = 0;
    fp.reqPtr = nullptr;
    fp.cmdPtr = fp.termReg;
    std::memset(fp.termReg, 0, sizeof fp.termReg);
    std::memset(fp.dataBuf, 0, sizeof fp.dataBuf);
    std::memset(fp.dataLine, 0, sizeof fp.dataLine);
    std::memset(&fp.cmd, 0, sizeof fp.cmd);
    fp.dataLineWtNdx.store(0);
    fp.dataLineRdNdx.store(0);
    fp.lostCnt.store(0);
    vxAsynFlush(app);
    prepareLink(app);
    return vxWorkerStart(&app->paramfpthrds, readerEntry, app, "vxParamPageFPinit", "front panel reader") == 0 ? 0 : -2;
}

int vxParamPageFPParseCmds(vxInfo* app)
{
    qklogTrace("vxParamPageFPParseCmds");
    if (app == nullptr) return -2;
    vxFrontPanelInfo& fp = app->ppData.fpData;
    if (fp.reqPtr == nullptr) return 0;
    fp.cmdPtr = fp.termReg;
    const char* req = fp.reqPtr;
    const int len = vxFPSplitCmd(&req, fp.cmdPtr, sizeof fp.termReg);
    fp.reqPtr += req - fp.reqPtr;
    fp.cmdSize = len > 0 ? len : 0;
    return len;
}

int vxParamPageFPgetCmd(vxInfo* app)
{
    qklogTrace("vxParamPageFPgetCmd");
    if (app == nullptr) return -2;
    vxFrontPanelInfo& fp = app->ppData.fpData;
    return vxFPDecodeCmd(fp.termReg, fp.cmdSize, &fp.cmd);
}

int vxParamPageGetTermCode(vxInfo* app)
{
    qklogTrace("vxParamPageGetTermCode");
    if (app == nullptr) return -2;
    vxFrontPanelInfo& fp = app->ppData.fpData;
    return vxFPGetTermCodes(fp.termReg, fp.cmdSize, &fp.cmd);
}

int vxParamPageFPupdate(vxInfo* app)
{
    qklogTrace("vxParamPageFPupdate");
    if (app == nullptr) return 0;
    vxFrontPanelInfo& fp = app->ppData.fpData;
    // The display shows the newest lines; a tick takes what has come while
    // it has time (srvrate - 5 ms).
    const int rate = app->srvrate > 0 ? app->srvrate : 50;
    const auto budget = std::chrono::milliseconds(std::max(rate - 5, 1));
    const auto start = std::chrono::steady_clock::now();
    int taken = 0;
    for (;;) {
        const int rd = fp.dataLineRdNdx.load(std::memory_order_relaxed);
        if (rd == fp.dataLineWtNdx.load(std::memory_order_acquire)) break;
        char* line = fp.dataLine[rd];
        fp.reqPtr = line;
        for (int len; (len = vxParamPageFPParseCmds(app)) != 0;)
            if (len > 0 && vxParamPageFPgetCmd(app) == 0) applyCmd(app);
        fp.reqPtr = nullptr;
        line[0] = '\0';
        fp.dataLineRdNdx.store(nextSlot(rd), std::memory_order_release);
        ++fp.lineCnt;
        ++taken;
        if (std::chrono::steady_clock::now() - start >= budget) break;
    }
    return taken;
}

int vxParamPageFPclearLine(vxInfo* app, int n)
{
    qklogTrace("vxParamPageFPclearLine");
    if (app == nullptr) return -2;
    clearRow(app->ppData.fpData.winPtr, n);
    return 0;
}

int vxParamPageFPstop(vxInfo* app)
{
    qklogTrace("vxParamPageFPstop");
    if (app == nullptr) return -2;
    vxFrontPanelInfo& fp = app->ppData.fpData;
    stopReader(app);
    setUpdate(app, nullptr);
    if (fp.winPtr == nullptr) return 0;
    qkwinInfo* win = fp.winPtr;
    fp.winPtr = nullptr;
    fp.state = 0;
    sendRequest(app, VX_DP_PANEL_OFF);
    qkwinbtnsetstate(win, kEnableButton, 0);
    return 0;
}

// ---- callbacks -------------------------------------------------------------------------

int vxParamsFPenableCB(qkwinInfo* window)
{
    qklogTrace("vxParamsFPenableCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    int status = vxCheckStatus(app, 10);
    if (status == 0) status = vxCheckStatus(app, 20);
    if (status != 0) return status;
    if (!vxIsArm9(app)) {
        const vxAnalyzerVersion& v = app->anaDetails.version;
        char text[192];
        qkstrfmt(text, sizeof text, "Front panel emulation for Analyzer version:\n %s - %s \n NOT supported", v.hwName,
                 v.appName);
        vxMsgInfo(text);
        return -2;
    }
    int checked = 0;
    qkwinbtngetstate(window, kEnableButton, &checked);
    return checked == 1 ? disable(app, window) : enable(app, window);
}

int vxParamsFPclearCB(qkwinInfo* window)
{
    qklogTrace("vxParamsFPclearCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    qkwinInfo* win = app->ppData.fpData.winPtr != nullptr ? app->ppData.fpData.winPtr : window;
    for (int n = 1; n <= VX_FPROWS; ++n) clearRow(win, n);
    return 0;
}

int vxParamsFPkeypadCB(qkwinInfo* window)
{
    qklogTrace("vxParamsFPkeypadCB");
    vxInfo* app = vxAppOf(window);
    if (app == nullptr) return -2;
    if (window->actitemevent != kClickEvent) return 0;
    for (const Key& k : kKeys) {
        if (k.id != window->actitemid) continue;
        const char text[2] = {k.key, '\0'};
        return sendText(app, text);
    }
    return -2;
}
