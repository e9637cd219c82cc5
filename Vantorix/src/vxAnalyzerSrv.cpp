// vxAnalyzerSrv: identification sequences and the parsing of the identity
// block.
#include "vxAnalyzerSrv.h"

#include <algorithm>
#include <cstring>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswinsrv.h"
#include "qksyswinstatic.h"
#include "vxAnaVersionSrv.h"
#include "vxAsynSrv.h"
#include "vxDiagnosticProtocolSrv.h"

namespace {

constexpr int kQueries = 2;
constexpr int kStepTenths = 5;          // the analyzer needs half a second between steps
constexpr int kProgressText = 1126;     // static of the search window
constexpr int kPumpMessages = 30;
constexpr int kSimulateBit = 128;       // application audit: simulate an unknown analyzer
constexpr int kHC12Baud = 9600;         // the HC12 analyzers talk at 9600 baud only
constexpr int kDualBuild = 59649;       // single-peak analyzers built later are dual
constexpr int kEmulatorBit = 0x0400;
constexpr int kMaxWords = 7;

constexpr const char* kTypeNames[] = {"      ", "single", "dual", "CO2"};

qkwinInfo* searchWindow(vxInfo* app)
{
    return app->anaDetails.winPtr != nullptr ? app->anaDetails.winPtr : app->winPtr;
}

// Half-second waits that keep the windows responsive.
void waitStep(vxInfo* app)
{
    qkwinsleep(searchWindow(app), 2, kStepTenths);
}

void showProgress(vxInfo* app, const char* text)
{
    if (app->anaDetails.winPtr != nullptr) qkwinstaticsettext(app->anaDetails.winPtr, kProgressText, text);
}

bool cancelled(const vxInfo* app)
{
    return app->anaFind.cancelFlag.load() == 1;
}

void prepareLink(vxInfo* app, bool flush)
{
    vxAnalyzerComInfo& com = app->anaCom;
    if (flush) vxAsynFlush(app);
    com.ibPtr = com.ibuf;
    com.obPtr = com.obuf;
    com.maxbyts = VX_LINKBUFSIZE;
    com.checkBaud = 0;
}

int send(vxInfo* app, const char* code)
{
    vxBuildDiagReqMsg(app, code);
    return vxSendDiagReqMsg(app);
}

// The readability check belongs to the identification exchanges only.
struct CheckBaudScope {
    vxAnalyzerComInfo& com;
    explicit CheckBaudScope(vxAnalyzerComInfo& c) : com(c) { com.checkBaud = 1; }
    ~CheckBaudScope() { com.checkBaud = 0; }
};

// Keeps the payload of the last data block (at most 64 bytes) as the identity.
void storeIdentity(vxInfo* app, const char* label)
{
    vxAnalyzerInfo& ana = app->anaDetails;
    const vxDiagProtInfo& dp = app->diagProt;
    const int count = std::clamp(dp.dataCnt, 0, static_cast<int>(sizeof dp.rspBuf));
    // The version text (up to the first comma) never holds a "[": one there
    // is the real block's opener, and what stands before it is line noise
    // that carried a "[" of its own.
    int from = 0;
    for (int i = 0; i < count && dp.rspBuf[i] != ','; ++i)
        if (dp.rspBuf[i] == '[') from = i + 1;
    ana.size = std::min(count - from, static_cast<int>(sizeof ana.dataID));
    std::memset(ana.dataID, 0, sizeof ana.dataID);
    std::memcpy(ana.dataID, dp.rspBuf + from, static_cast<std::size_t>(ana.size));
    auto lock = qkloglock();
    qklogf(label, " Analyzer ID data size: %d", ana.size);
    qksysdump(ana.size, ana.dataID);
}

int noResponse(const char* label, int result)
{
    qklogf(label, " Analyzer ID: NO response");
    return result;
}

// ---- parsing -------------------------------------------------------------------------

// A field of the block is a copy of its bytes, blanks trimmed.
void textField(char* out, std::size_t size, const unsigned char* bytes, int n)
{
    char tmp[sizeof(vxAnalyzerInfo::dataID) + 1] = {};
    std::memcpy(tmp, bytes, static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof tmp) - 1)));
    qkstrTrim(tmp, ' ');
    qkstrlcpy(out, size, tmp);
}

// The two type bytes, the first as the low byte: bit 10 marks an emulator,
// whose value is then the first byte alone; an analyzer sends its value high
// byte first.
void typeField(vxAnalyzerInfo& ana, const unsigned char* bytes, int n)
{
    const int b0 = n > 0 ? bytes[0] : 0;
    const int b1 = n > 1 ? bytes[1] : 0;
    const int word = b0 | (b1 << 8);
    int value;
    if (word & kEmulatorBit) {
        ana.emuFlag = 1;
        value = b0;
    } else {
        value = (b0 << 8) | b1;
    }
    ana.ID.type = value != 0 ? 3 : 1;
}

void storeField(vxAnalyzerInfo& ana, int field, const unsigned char* bytes, int n)
{
    vxAnalyzerID& id = ana.ID;
    switch (field) {
    case 0: textField(id.version, sizeof id.version, bytes, n); break;
    case 1:
        ana.emuFlag = 0;
        typeField(ana, bytes, n);
        break;
    case 2: id.tempUnit = n > 0 ? static_cast<char>(bytes[0]) : '\0'; break;
    case 3: textField(id.presUnit, sizeof id.presUnit, bytes, n); break;
    case 4: textField(id.concUnit, sizeof id.concUnit, bytes, n); break;
    default: break;
    }
}

// Splits the version text at blanks (the first hyphen counts as one) and
// feeds the words to the version setters.
int parseVersion(vxInfo* app)
{
    vxAnalyzerVersion* ver = app->anaVerPtr;
    int result = vxVersionSetUnknown(app);
    char text[sizeof(vxAnalyzerID::version)];
    qkstrset(text, app->anaDetails.ID.version);
    if (char* hyphen = std::strchr(text, '-')) *hyphen = ' ';
    char* words[kMaxWords] = {};
    int cnt = 0;
    for (char* p = text; *p != '\0' && cnt < kMaxWords;) {
        while (*p == ' ') *p++ = '\0';
        if (*p == '\0') break;
        words[cnt++] = p;
        while (*p != '\0' && *p != ' ') ++p;
    }
    if (cnt <= 1) return result;
    vxVersionSetHW(app, words[0]);
    qklogf("vxParseAnalyzerID", "Analyzer hardware: %d, %s", ver->hwType, ver->hwName);
    result = vxVersionSetApp(app, words[0]);
    qklogf("vxParseAnalyzerID", "Analyzer application: %d, %s", ver->appType, ver->appName);
    result = vxVersionSetRevision(app, words[1]);
    qklogf("vxParseAnalyzerID", "Analyzer revision: %d, %s", ver->revision, ver->revName);
    if (cnt > 2) {
        result = vxVersionSetBuild(app, words[2]);
        qklogf("vxParseAnalyzerID", "Analyzer build: %d, %s", ver->build, ver->bldName);
    }
    return result;
}

}  // namespace

// ---- dispatch ---------------------------------------------------------------------------

int vxAnalyzerGetID(vxInfo* app)
{
    qklogTrace("vxAnalyzerGetID");
    if (app == nullptr) return -2;
    app->diagProt.modbusAddr = 1;
    const int appType = app->anaDetails.version.appType;
    const int baud = app->anaCom.asyn.baud;
    switch (app->anaCom.connectType) {
    case 1: {
        int result = 0;
        if ((appType == VX_APP_PP2F || appType == 2) && baud == kHC12Baud) {
            showProgress(app, "Trying HC12");
            qklogf("vxAnalyzerGetID", "Trying HC12 analyzer at: %d", baud);
            result = vxHC12AnalyzerGetID(app);
            if (result == 2) return 2;
        }
        if (appType == VX_APP_NS || appType == VX_APP_FS || appType == 2) {
            showProgress(app, "Trying ARM9");
            qklogf("vxAnalyzerGetID", "Trying ARM9 analyzer at: %d", baud);
            result = vxARM9AnalyzerAsynGetID(app);
        }
        return result;
    }
    case 2:
        showProgress(app, "Trying ARM9 over TCP");
        return vxARM9AnalyzerTcpGetID(app);
    default:
        qklogf("vxAnalyzerGetID", "Analyzer connection type : %d, not supported", app->anaCom.connectType);
        return 0;
    }
}

// ---- sequences ---------------------------------------------------------------------------

int vxHC12AnalyzerGetID(vxInfo* app)
{
    qklogTrace("vxHC12AnalyzerGetID");
    if (app == nullptr) return -2;
    prepareLink(app, true);
    int result = send(app, VX_DP_HC12_MBOFF);
    if (result < 0) return result;
    const int ack = vxGetDiagOkMsg(app);
    CheckBaudScope check(app->anaCom);

    result = 0;
    for (int query = 1; query <= kQueries; ++query) {
        if (cancelled(app)) return -2;
        char text[32];
        qkstrfmt(text, sizeof text, "HC12 query: %d", query);
        showProgress(app, text);
        qkwinrunwinpeekmsg(app->anaDetails.winPtr, kPumpMessages);
        qkwinrunwinpeekmsg(app->winPtr, kPumpMessages);
        if (app->audit & kSimulateBit) {
            qklogf("vxHC12AnalyzerGetID", "Simulating unknown analyzer");
            result = ack == 2 ? 2 : ack;
        } else {
            int sent = send(app, VX_DP_IDENTITY);
            if (sent < 0) return sent;
            waitStep(app);
            result = vxGetDiagRespMsg(app);
        }
        if (result == 2) break;
        waitStep(app);
    }
    if (result != 2) return noResponse("vxHC12AnalyzerGetID", result);
    storeIdentity(app, "vxHC12AnalyzerGetID");
    return 2;
}

int vxARM9AnalyzerAsynGetID(vxInfo* app)
{
    qklogTrace("vxARM9AnalyzerAsynGetID");
    if (app == nullptr) return -2;
    prepareLink(app, true);
    // Front-panel mode and Modbus mode off, so that the analyzer answers
    // plain diagnostic requests.
    send(app, VX_DP_PANEL_OFF);
    waitStep(app);
    send(app, VX_DP_ARM9_MBOFF);
    waitStep(app);
    vxGetDiagOkMsg(app);
    CheckBaudScope check(app->anaCom);

    int result = 0;
    for (int query = 1; query <= kQueries; ++query) {
        if (cancelled(app)) return -2;
        char text[32];
        qkstrfmt(text, sizeof text, "ARM9 query: %d", query);
        showProgress(app, text);
        if (app->audit & kSimulateBit) {
            qklogf("vxARM9AnalyzerAsynGetID", "Simulating unknown analyzer");
        } else {
            int sent = send(app, VX_DP_IDENTITY);
            if (sent < 0) return sent;
        }
        waitStep(app);
        result = vxGetDiagRespMsg(app);
        if (result == 2) {
            storeIdentity(app, "vxARM9AnalyzerAsynGetID");
            vxAsynFlush(app);
            send(app, VX_DP_PANEL_OFF);   // no answer awaited
            return 2;
        }
        waitStep(app);
    }
    return noResponse("vxARM9AnalyzerAsynGetID", result);
}

int vxARM9AnalyzerTcpGetID(vxInfo* app)
{
    qklogTrace("vxARM9AnalyzerTcpGetID");
    if (app == nullptr) return -2;
    prepareLink(app, false);
    // The acknowledgement of Modbus mode off is skipped by the block reader.
    send(app, VX_DP_ARM9_MBOFF);
    waitStep(app);
    int result = 0;
    for (int query = 1; query <= kQueries; ++query) {
        if (cancelled(app)) return -2;
        int sent = send(app, VX_DP_IDENTITY);
        if (sent < 0) return sent;
        waitStep(app);
        result = vxGetDiagRespMsg(app);
        if (result == 2) {
            storeIdentity(app, "vxARM9AnalyzerTcpGetID");
            return 2;
        }
        waitStep(app);
    }
    return noResponse("vxARM9AnalyzerTcpGetID", result);
}

// ---- identity ------------------------------------------------------------------------------

int vxSetAnalyzerID(vxInfo* app)
{
    qklogTrace("vxSetAnalyzerID");
    if (app == nullptr) return -2;
    app->anaDetails.ID = vxAnalyzerID{};
    return 0;
}

int vxParseAnalyzerID(vxInfo* app)
{
    qklogTrace("vxParseAnalyzerID");
    if (app == nullptr) return -2;
    vxAnalyzerInfo& ana = app->anaDetails;
    vxAnalyzerID& id = ana.ID;
    id.type = 0;

    // The first five commas end the fields; the raw block stays as it came.
    const int size = std::clamp(ana.size, 0, static_cast<int>(sizeof ana.dataID));
    int field = 0;
    int start = 0;
    for (int i = 0; i < size && field < 5; ++i) {
        if (ana.dataID[i] != ',') continue;
        storeField(ana, field, ana.dataID + start, i - start);
        ++field;
        start = i + 1;
    }

    app->anaVerPtr = &ana.version;
    const int result = parseVersion(app);

    if (id.type == 1 && ana.version.build > kDualBuild) {
        id.type = 2;
        app->spData.getH2OFlag = 1;   // the spectra page asks for the H2O peak type
    }
    qklogf("vxParseAnalyzerID", "Analyzer version: %s", id.version);
    if (ana.version.hwType == VX_HW_ARM9) id.type = 0;
    if (id.type < 0 || id.type > 4) id.type = 0;
    if (ana.emuFlag) qklogf("vxParseAnalyzerID", "Analyzer connected to emulator");
    qklogf("vxParseAnalyzerID", "Analyzer type: %s", id.type < 4 ? kTypeNames[id.type] : kTypeNames[0]);
    qklogf("vxParseAnalyzerID", "Analyzer temperatue unit: %c", id.tempUnit != '\0' ? id.tempUnit : ' ');
    qklogf("vxParseAnalyzerID", "Analyzer pressure unit: %s", id.presUnit);
    qklogf("vxParseAnalyzerID", "Analyzer concentration unit: %s", id.concUnit);
    return result;
}
