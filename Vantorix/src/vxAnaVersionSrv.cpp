// vxAnaVersionSrv: analyzer versions, the supported-version match and the
// loading of a version's four profiles (spectra page, parameters page,
// diagnostics page, diagnostic alarms). The setters are called by the
// configuration handlers and by the identity parser; the loading is called
// after every identification by the analyzer search and the connection
// callbacks, on whichever thread identified the analyzer.
#include "vxAnaVersionSrv.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "vxCfgSrv.h"
#include "vxInit.h"

namespace {

// Poll rates used when the spectra profile gives none: seconds between
// automatic scans, tenths of a second after the start-of-scan request.
constexpr int kDefaultAutoPollRate = 15;
constexpr int kDefaultDemandPollRate = 40;

// Passes of the window's message pump between two loading steps.
constexpr int kPumpPasses = 30;

constexpr const char* kSpectraProfile = "../cfg/versioncfg/%s/vxSpectraPageProfile.xml";
constexpr const char* kParamsProfile = "../cfg/versioncfg/%s/vxParamsPageProfile.xml";
constexpr const char* kDiagProfile = "../cfg/versioncfg/%s/vxDiagnosticPageProfile.xml";
constexpr const char* kAlarmsProfile = "../cfg/versioncfg/%s/vxDiagnosticAlarmsProfile.xml";

bool contains(const char* text, const char* word)
{
    return std::strstr(text, word) != nullptr;
}

bool sameText(const char (&a)[8], const char (&b)[8])
{
    return std::strncmp(a, b, sizeof a) == 0;
}

int hexDigit(unsigned char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Build numbers run past FFFF by counting on in the first character: G001
// follows FFFF, so a first character above "F" reads as "F" plus
// (its code - "F") * 4096. The rest is plain hexadecimal up to the first
// character that is not a hex digit. The text is at most 7 characters, so the
// number always fits.
int buildNumber(const char* text)
{
    int extra = 0;
    int number = 0;
    for (int i = 0; text[i] != '\0'; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (i == 0 && c > 'F') {
            extra = (c - 'F') * 4096;
            c = 'F';
        }
        int digit = hexDigit(c);
        if (digit < 0) break;
        number = number * 16 + digit;
    }
    return number + extra;
}

// Reads one profile of the version folder as an include file with the main
// program's handlers, starting with no package open. An empty folder gives an
// empty file name, which the reader refuses.
int readProfile(vxInfo* app, const char* format, const char* folder)
{
    if (folder[0] == '\0') return vxCfgReadInclude(app, "");
    char path[256];
    if (qkstrfmt(path, sizeof path, format, folder) >= static_cast<int>(sizeof path)) return -2;
    return vxCfgReadInclude(app, path);
}

// The analyzer is not in the supported list: ask whether to end the program;
// otherwise mark it not supported and leave it without profiles.
int refuseVersion(vxInfo* app)
{
    const char* idText = app->anaDetails.ID.version;
    qklogf("vxLoadDataCfgFiles", "version: %s, not supported", idText);

    char question[256];
    qkstrfmt(question, sizeof question, "Version: %s, not supported\n exit Vantorix\n Select \"Yes\" to exit", idText);
    if (vxMsgQuestion(question) == QKWIN_MSG_YES) vxExit();

    qkstrfmt(app->anaFind.msgBuf, sizeof app->anaFind.msgBuf, " Analyzer ID: %s  **NOT SUPPORTED**", idText);
    vxVersionShowStatus(app, app->anaFind.msgBuf);
    vxVersionRefreshTitle(app);
    app->state = 13;
    app->anaDetails.status = -2;
    return -2;
}

int loadSpectraProfile(vxInfo* app, const char* folder)
{
    vxRecordClear(app->spData);
    if (readProfile(app, kSpectraProfile, folder) != 0) return -2;

    vxSpectraPageInfo& sp = app->spData;
    if (sp.autoPollRate < 1) sp.autoPollRate = kDefaultAutoPollRate;
    if (sp.demandPollRate < 1) sp.demandPollRate = kDefaultDemandPollRate;
    qklogf("vxLoadDataCfgFiles", "Auto poll rate: %d", sp.autoPollRate);
    qklogf("vxLoadDataCfgFiles", "Demand poll rate: %d", sp.demandPollRate);
    if (const vxSpectraAppInfo* spApp = sp.appPtr) {
        qklogf("vxLoadDataCfgFiles", "Loaded: %d, Plot A curves", spApp->plotAcnt);
        qklogf("vxLoadDataCfgFiles", "Loaded: %d, Plot B curves", spApp->plotBcnt);
        qklogf("vxLoadDataCfgFiles", "Loaded: %d, Plot C curves", spApp->plotCcnt);
        qklogf("vxLoadDataCfgFiles", "Loaded: %d, FC10 parameters", spApp->digHdrCnt);
    }
    return 0;
}

int loadParamsProfile(vxInfo* app, const char* folder)
{
    vxParamListInfo& pl = app->ppData.plData;
    vxRecordClear(pl.tvMenu);
    std::fill(std::begin(pl.tvImageNdx), std::end(pl.tvImageNdx), 0);
    pl.tvCatCnt = 0;
    if (readProfile(app, kParamsProfile, folder) != 0) return -2;
    qklogf("vxLoadDataCfgFiles", "Loaded: %d, parameter groups", pl.tvMenu.groupCnt);
    return 0;
}

// The diagnostic keys of the profiles fill the record of the analyzer's
// application, so it is selected before they are read.
void selectDiagRecord(vxInfo* app)
{
    vxDiagValueInfo& dv = app->dpData.dvData;
    if (app->anaVerPtr == nullptr) return;
    switch (app->anaVerPtr->appType) {
    case VX_APP_PP2F: dv.appPtr = &dv.f2; break;
    case VX_APP_NS: dv.appPtr = &dv.ns; break;
    case VX_APP_FS: dv.appPtr = &dv.fs; break;
    default: break;   // the selection stays as it was
    }
}

int loadDiagProfile(vxInfo* app, const char* folder)
{
    vxDiagValueInfo& dv = app->dpData.dvData;
    selectDiagRecord(app);
    vxRecordClear(dv.f2);
    vxRecordClear(dv.ns);
    vxRecordClear(dv.fs);
    if (readProfile(app, kDiagProfile, folder) != 0) return -2;
    if (dv.appPtr != nullptr) qklogf("vxLoadDataCfgFiles", "Loaded: %d, diagnostic parameter", dv.appPtr->paramCnt);
    return 0;
}

void loadAlarmsProfile(vxInfo* app, const char* folder)
{
    // Without alarm definitions the diagnostics page still shows its values.
    readProfile(app, kAlarmsProfile, folder);
    const vxDiagValueInfo& dv = app->dpData.dvData;
    if (dv.appPtr != nullptr) qklogf("vxLoadDataCfgFiles", "Loaded: %d, diagnostic alarms", dv.appPtr->alarmCnt);
}

}  // namespace

// ---- setters ----------------------------------------------------------------

int vxVersionSetUnknown(vxInfo* app)
{
    qklogTrace("vxVersionSetUnknown");
    if (app == nullptr || app->anaVerPtr == nullptr) return -2;
    vxAnalyzerVersion* ver = app->anaVerPtr;
    qkstrset(ver->hwName, "Unknown");
    qkstrset(ver->appName, "Unknown");
    qkstrset(ver->revName, "Unknown");
    qkstrset(ver->bldName, "Unknown");
    ver->hwType = VX_TYPE_UNKNOWN;
    ver->appType = VX_TYPE_UNKNOWN;
    ver->revision = 1;
    ver->build = 1;
    return 0;
}

int vxVersionSetHW(vxInfo* app, const char* text)
{
    qklogTrace("vxVersionSetHW");
    if (app == nullptr || app->anaVerPtr == nullptr || text == nullptr) return -2;
    vxAnalyzerVersion* ver = app->anaVerPtr;
    // Each test may override the one before it.
    if (contains(text, "HC12")) {
        qkstrset(ver->hwName, "HC12");
        qkstrset(ver->appName, "PP2F");
        ver->hwType = VX_HW_PP2F;
        ver->appType = VX_APP_PP2F;
    }
    if (contains(text, "KT700")) {
        qkstrset(ver->hwName, "KT700");
        qkstrset(ver->appName, "PP2F");
        ver->hwType = VX_HW_PP2F;
        ver->appType = VX_APP_PP2F;
    }
    if (contains(text, "ARM9")) {
        qkstrset(ver->hwName, "ARM9");
        ver->hwType = VX_HW_ARM9;
    }
    return 0;
}

int vxVersionSetApp(vxInfo* app, const char* text)
{
    qklogTrace("vxVersionSetApp");
    if (app == nullptr || app->anaVerPtr == nullptr || text == nullptr) return -2;
    vxAnalyzerVersion* ver = app->anaVerPtr;
    // Each test may override the one before it; NS and FS run only on ARM9.
    if (contains(text, "PP2F")) {
        qkstrset(ver->appName, "PP2F");
        ver->appType = VX_APP_PP2F;
    }
    if (contains(text, "HC12")) {
        qkstrset(ver->appName, "PP2F");
        ver->appType = VX_APP_PP2F;
    }
    if (contains(text, "NS")) {
        qkstrset(ver->appName, "NS");
        ver->appType = VX_APP_NS;
        qkstrset(ver->hwName, "ARM9");
        ver->hwType = VX_HW_ARM9;
    }
    if (contains(text, "FS")) {
        qkstrset(ver->appName, "FS");
        ver->appType = VX_APP_FS;
        qkstrset(ver->hwName, "ARM9");
        ver->hwType = VX_HW_ARM9;
    }
    return 0;
}

int vxVersionSetRevision(vxInfo* app, const char* text)
{
    qklogTrace("vxVersionSetRevision");
    if (app == nullptr || app->anaVerPtr == nullptr || text == nullptr) return -2;
    qkstrset(app->anaVerPtr->revName, text);
    app->anaVerPtr->revision = 1;
    return 0;
}

int vxVersionSetBuild(vxInfo* app, const char* text)
{
    qklogTrace("vxVersionSetBuild");
    if (app == nullptr || app->anaVerPtr == nullptr || text == nullptr) return -2;
    vxAnalyzerVersion* ver = app->anaVerPtr;
    qkstrset(ver->bldName, text);
    // The number is read from the stored text, so name and number always agree.
    ver->build = buildNumber(ver->bldName);
    return 0;
}

int vxVersionSetFolder(vxInfo* app, const char* text)
{
    qklogTrace("vxVersionSetFolder");
    if (app == nullptr || app->anaVerPtr == nullptr || text == nullptr) return -2;
    qkstrset(app->anaVerPtr->verFolder, text);
    return 0;
}

// ---- message ------------------------------------------------------------------

int vxVersionMessage(vxInfo* app, int kind)
{
    qklogTrace("vxVersionMessage");
    if (app == nullptr) return -2;
    const vxAnalyzerVersion& ver = app->anaDetails.version;
    char text[256];
    switch (kind) {
    case 1:
        qkstrfmt(text, sizeof text, "Analyzer version: %s - %s\nLimited functionality supported", ver.hwName,
                 ver.appName);
        break;
    case 2:
        qkstrfmt(text, sizeof text, "Page disabled for Analyzer version: %s - %s", ver.hwName, ver.appName);
        break;
    default:
        return 0;
    }
    vxMsgInfo(text);
    return 0;
}

// ---- matching and loading -----------------------------------------------------

const vxAnalyzerVersion* vxVersionFindSupported(const vxInfo* app)
{
    qklogTrace("vxVersionFindSupported");
    if (app == nullptr) return nullptr;
    const vxAnalyzerVersion& ana = app->anaDetails.version;
    const vxAnaSupVerInfo& sup = app->anaSupVer;
    // The hardware is not compared: the same firmware runs on more than one board.
    int cnt = sup.cnt < 0 ? 0 : sup.cnt;
    if (cnt > static_cast<int>(std::size(sup.version))) cnt = static_cast<int>(std::size(sup.version));
    for (int i = 0; i < cnt; ++i) {
        const vxAnalyzerVersion& entry = sup.version[i];
        if (entry.appType == ana.appType && sameText(entry.revName, ana.revName) &&
            sameText(entry.bldName, ana.bldName))
            return &entry;
    }
    return nullptr;
}

int vxLoadDataCfgFiles(vxInfo* app)
{
    qklogTrace("vxLoadDataCfgFiles");
    if (app == nullptr) return -2;
    const vxAnalyzerVersion* entry = vxVersionFindSupported(app);
    if (entry == nullptr) return refuseVersion(app);

    // The profiles replace each other's records in a fixed order; the window
    // keeps answering between the steps. The folder is kept aside because the
    // profiles are read with the same handlers that fill the supported list.
    char folder[sizeof entry->verFolder];
    qkstrset(folder, entry->verFolder);
    vxVersionPumpMessages(app);
    if (loadSpectraProfile(app, folder) != 0) return -2;
    vxVersionPumpMessages(app);
    if (loadParamsProfile(app, folder) != 0) return -2;
    vxVersionPumpMessages(app);
    if (loadDiagProfile(app, folder) != 0) return -2;
    vxVersionPumpMessages(app);
    loadAlarmsProfile(app, folder);

    app->anaDetails.status = 0;
    return 0;
}

// ---- window steps ---------------------------------------------------------------

int vxVersionPumpMessages(vxInfo* app)
{
    qklogTrace("vxVersionPumpMessages");
    (void)app;
    (void)kPumpPasses;   // the main window's non-blocking pump, kPumpPasses - 1 passes
    return 0;
}

int vxVersionShowStatus(vxInfo* app, const char* text)
{
    qklogTrace("vxVersionShowStatus");
    (void)app;
    (void)text;
    return 0;
}

int vxVersionRefreshTitle(vxInfo* app)
{
    qklogTrace("vxVersionRefreshTitle");
    (void)app;
    return 0;
}
