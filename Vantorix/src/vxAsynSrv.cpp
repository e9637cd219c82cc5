// vxAsynSrv: the serial side of the analyzer link. The analyzer answers in
// pieces, so a read polls twice and takes what has arrived by then; the
// protocol readers call it again until their frame is complete.
#include "vxAsynSrv.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>

#include "qkcommasyn.h"
#include "qklogsrv.h"
#include "qksyssrv.h"
#include "qksyswinsrv.h"
#include "vxTcpSrv.h"

namespace {

constexpr int kReadPolls = 2;
constexpr int kCheckBytes = 32;

bool inside(const unsigned char* p, const unsigned char* begin, std::size_t size)
{
    std::less_equal<const unsigned char*> le;
    std::less<const unsigned char*> lt;
    return le(begin, p) && lt(p, begin + size);
}

// The bytes left in a buffer from p to its end.
int rest(const unsigned char* p, const unsigned char* begin, std::size_t size)
{
    return static_cast<int>(begin + size - p);
}

}  // namespace

unsigned char* vxLinkReadBounds(vxInfo* app, int* room)
{
    qklogTrace("vxLinkReadBounds");
    if (app == nullptr || room == nullptr) return nullptr;
    vxAnalyzerComInfo& com = app->anaCom;
    unsigned char* p = com.ibPtr != nullptr ? com.ibPtr : com.ibuf;
    int n = std::max(com.maxbyts, 0);
    // A pointer into one of the program's own buffers is held to that
    // buffer's end whatever maxbyts says.
    struct Known {
        unsigned char* begin;
        std::size_t size;
    } known[] = {{com.ibuf, sizeof com.ibuf},
                 {app->mbData.msgBuf, sizeof app->mbData.msgBuf},
                 {app->diagProt.rspBuf, sizeof app->diagProt.rspBuf}};
    for (const Known& k : known) {
        if (inside(p, k.begin, k.size)) n = std::min(n, rest(p, k.begin, k.size));
    }
    *room = n;
    return p;
}

unsigned char* vxLinkWriteBounds(vxInfo* app, int* length)
{
    qklogTrace("vxLinkWriteBounds");
    if (app == nullptr || length == nullptr) return nullptr;
    vxAnalyzerComInfo& com = app->anaCom;
    unsigned char* data = com.obPtr != nullptr ? com.obPtr : com.obuf;
    int n = com.wrtByteCnt != 0 ? com.wrtByteCnt
                                : static_cast<int>(strnlen(reinterpret_cast<const char*>(com.obuf), sizeof com.obuf));
    if (inside(data, com.obuf, sizeof com.obuf)) n = std::min(n, rest(data, com.obuf, sizeof com.obuf));
    *length = n;
    return data;
}

int vxLinkSleep(vxInfo* app, int tenths)
{
    qklogTrace("vxLinkSleep");
    return qkwinsleep(app != nullptr ? app->winPtr : nullptr, 2, tenths);
}

int vxAsynStatus(vxInfo* app)
{
    qklogTrace("vxAsynStatus");
    if (app == nullptr) return -2;
    int status = qkcommAsynStat(app->anaCom.asyn.fd);
    if (status != 0) vxLinkSleep(app, 1);   // let more of the answer arrive
    return status;
}

int vxAsynRead(vxInfo* app)
{
    qklogTrace("vxAsynRead");
    if (app == nullptr) return -2;
    vxAnalyzerComInfo& com = app->anaCom;
    com.rdByteCnt = 0;
    int capacity = 0;
    unsigned char* start = vxLinkReadBounds(app, &capacity);
    unsigned char* pos = start;
    int room = capacity;
    int total = 0;

    // The transport puts a terminator after the bytes it reads; it lands in
    // this bounce buffer, never past the caller's.
    unsigned char bounce[VX_LINKBUFSIZE + 1];
    for (int poll = 0; poll < kReadPolls && room > 0; ++poll) {
        if (vxAsynStatus(app) != 0) {
            int n = qkcommAsynRead(com.asyn.fd, bounce, std::min(room, VX_LINKBUFSIZE));
            if (n > 0) {
                std::memcpy(pos, bounce, static_cast<std::size_t>(n));
                pos += n;
                room -= n;
                total += n;
                if (room > 0) *pos = 0;
                if (total >= capacity) break;
            } else if (total > 0) {
                break;
            } else if (n < 0) {
                qklogf("vxAsynRead", "read error size: %d, cnt: %d", com.maxbyts, total);
                return -1;
            }
        }
        vxLinkSleep(app, 1);
    }
    if (total > 0 && (com.audit & VX_COMAUD_READ)) {
        auto lock = qkloglock();   // the line and its dump stay together
        qklogf("vxAsynRead", "size: %d, cnt: %d", com.maxbyts, total);
        qksysdump(total, start);
    }
    com.rdByteCnt = total;
    if (total > 0) app->inDataCnt += total;
    return total;
}

int vxAsynWrite(vxInfo* app)
{
    qklogTrace("vxAsynWrite");
    if (app == nullptr) return -2;
    vxAnalyzerComInfo& com = app->anaCom;
    int length = 0;
    const unsigned char* data = vxLinkWriteBounds(app, &length);
    com.wrtByteCnt = 0;
    int result = qkcommAsynWrite(com.asyn.fd, data, length);
    if ((com.audit & VX_COMAUD_WRITE) || result < 0) {
        auto lock = qkloglock();
        qklogf("vxAsynWrite", "err: %d, cnt: %d", result, length);
        qksysdump(length, data);
    }
    if (result > 0) app->outDataCnt += result;
    return result;
}

int vxAsynFlush(vxInfo* app)
{
    qklogTrace("vxAsynFlush");
    if (app == nullptr) return -2;
    // A socket has no purge of its own; an analyzer that answered late has
    // left its answer there for the next reader.
    if (app->anaCom.connectType == 2) vxTcpFlush(app);
    return qkcommAsynFlush(app->anaCom.asyn.fd);
}

int vxAsynClose(vxInfo* app)
{
    qklogTrace("vxAsynClose");
    if (app == nullptr) return -2;
    int status = qkcommAsynClose(app->anaCom.asyn.fd);
    app->anaCom.asyn.fd = 0;
    return status;
}

int vxAsynBaudDetection(vxInfo* app)
{
    qklogTrace("vxAsynBaudDetection");
    if (app == nullptr) return -2;
    vxAnalyzerComInfo& com = app->anaCom;
    for (int i = 0; i < kCheckBytes; ++i) {
        unsigned char c = com.ibuf[i];
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
        if (c < 32 || c > 126) return -2;
    }
    com.baudDetected = 1;
    qklogf("vxAsynBaudDetection", "baudDetected: %d", com.baudDetected);
    return 0;
}
