// vxTcpSrv: the TCP side of the analyzer link. There is no reconnection: a
// lost connection ends the program after an information box.
#include "vxTcpSrv.h"

#include <atomic>

#include "qkcommtcp.h"
#include "qklogsrv.h"
#include "qksyssrv.h"
#include "qksyswinthread.h"
#include "qkthrdsrv.h"
#include "vxAsynSrv.h"
#include "vxInit.h"

namespace {

// Ends the program once the connection is gone. The exit tears down the
// windows, their timers and the page workers, which only the GUI thread may
// do: a worker that finds the connection gone (the connect worker, the
// capture reader, a page's worker) hands the exit to the GUI thread and waits
// there until the exit stops it or ends the process. Ended from a worker
// itself, the process's teardown would race the GUI thread still running.
[[noreturn]] void vxTcpEndProgram()
{
    qklogTrace("vxTcpEndProgram");
    if (qksyswinIsGuiThread()) vxExit();
    static std::atomic<bool> posted{false};
    if (!posted.exchange(true)) qksyswinGuiPost([] { vxExit(); });
    for (;;) qkthrdwait(100);   // throws qkthrdCancel when the exit stops this worker
}

}  // namespace

int vxTcpRead(vxInfo* app)
{
    qklogTrace("vxTcpRead");
    if (app == nullptr) return -2;
    vxAnalyzerComInfo& com = app->anaCom;
    com.rdByteCnt = 0;
    int room = 0;
    unsigned char* target = vxLinkReadBounds(app, &room);
    if (room < 1) return 0;   // a full buffer takes nothing more
    // The buffer goes with the call, not through the record: the capture
    // reader receives while the window sends its requests on the same record.
    int count = qkcommSocketRecvBuf(&com.tcp, target, room);
    if (count == -3) {
        qklogf("vxTcpRead", "TCP/IP shutdown request detected");
        vxMsgInfo("TCP/IP shutdown request detected\nExit Vantorix\n");
        vxTcpEndProgram();
    }
    if (count < 0) {
        qklogf("vxTcpRead", "TCP/IP receive error detected: %d, %d", count, com.tcp.lerrno);
        vxMsgInfo("TCP/IP receive error detected\nExit Vantorix\n");
        vxTcpEndProgram();
    }
    if (count < room) target[count] = 0;   // answers are also read as text
    if (count != 0 && (com.audit & VX_COMAUD_READ)) {
        auto lock = qkloglock();
        qklogf("vxTcpRead", "size: %d, cnt: %d", com.maxbyts, count);
        qksysdump(count, target);
    }
    com.rdByteCnt = count;
    if (count > 0) app->inDataCnt += count;
    return count;
}

int vxTcpWrite(vxInfo* app)
{
    qklogTrace("vxTcpWrite");
    if (app == nullptr) return -2;
    vxAnalyzerComInfo& com = app->anaCom;
    int length = 0;
    unsigned char* data = vxLinkWriteBounds(app, &length);
    com.wrtByteCnt = 0;
    int count = qkcommSocketSendBuf(&com.tcp, data, length);
    if (count <= 0) {
        qklogf("vxTcpWrite", "TCP/IP send error detected");
        if (vxMsgQuestion("TTCP/IP send error detected\nExit Vantorix\n") == QKWIN_MSG_YES) vxTcpEndProgram();
    }
    if (com.audit & VX_COMAUD_READ) {
        auto lock = qkloglock();
        qklogf("vxTcpWrite", "cnt: %d", count);
        if (count > 0) qksysdump(count, data);
    }
    if (count > 0) app->outDataCnt += count;
    return count;
}

int vxTcpStatus(vxInfo* app)
{
    qklogTrace("vxTcpStatus");
    if (app == nullptr) return -2;
    return qkcommNetEvent(&app->anaCom.tcp);
}

int vxTcpFlush(vxInfo* app)
{
    qklogTrace("vxTcpFlush");
    if (app == nullptr) return -2;
    qkcommTCPInfo& tcp = app->anaCom.tcp;
    if (tcp.service != 2) return 0;
    int dropped = qkcommSocketFlush(&tcp);
    if (dropped > 0 && (app->anaCom.audit & VX_COMAUD_READ)) qklogf("vxTcpFlush", "discarded: %d bytes", dropped);
    return dropped < 0 ? dropped : 0;
}

int vxTcpClose(vxInfo* app)
{
    qklogTrace("vxTcpClose");
    if (app == nullptr) return -2;
    return qkcommSocketClose(&app->anaCom.tcp);
}
