// vxCfgSrv: the main program's configuration keys and their handlers. The
// same three handlers read the main configuration file, every file it
// includes and the version profiles loaded after an analyzer is identified.
// The package stack (cfg.pkgTyp, cfg.pkgNdx) tells each key where it stands:
// a key acts only inside the package it belongs to, and a list entry is
// filled at the list's count until the key that closes the entry advances it.
// Main thread.
#include "vxCfgSrv.h"

#include <cstdio>
#include <cstring>

#include "qkcfgsrv.h"
#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstartup.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qkwincfgsrv.h"
#include "vxAnaVersionSrv.h"
#include "vxInit.h"
#include "vxModbusProtocolSrv.h"
#include "vxMonitorPageSrv.h"
#include "vxSpectraPage2fSrv.h"

namespace {

// The keys, in registration order.
enum Key : int {
    K_LOGCFG, K_NAME, K_STDOUTFLAG, K_PATH, K_CONFIGFILECFG, K_QKCFGAUDIT, K_FILEAUDIT, K_AUDIT,
    K_MAINCFG, K_COMMAUDIT, K_SCANRATE, K_FINDANALYZER, K_EXCLUDE, K_BAUDRATE, K_DATAFILE,
    K_CAPTUREDATA, K_USERDEFINITION, K_INCLUDE, K_SUPPORTED, K_VXVERSION, K_RUNDIAGNOSTICS,
    K_MODE1DURATION, K_MONITORPROFILE, K_MODE1, K_HWTYPE, K_APPTYPE, K_REVISION, K_BUILD, K_FOLDER,
    K_SPECTRAPROFILE, K_APPLICATION, K_PARAMETER, K_PLOTA, K_PLOTB, K_PLOTC, K_DIAGNOSTICHEADER,
    K_STATE, K_OVERLAY, K_DISPLAY, K_TYPE, K_INT16, K_UINT16, K_INT32, K_UINT32, K_FLOAT32, K_CHAR8,
    K_UCHAR8, K_COLOR, K_DPID, K_AUTOPOLLRATE, K_DEMANDPOLLRATE, K_SPECTRASIZE, K_PARAMETERPROFILE,
    K_PARAMLISTGROUP, K_PARAMGROUP, K_PARAMNAME, K_PARAMAPP, K_PARAMPROMPT, K_PARAMMAX, K_PARAMMIN,
    K_PARAMPASSWORD, K_PARAMREGISTER, K_DIAGNOSTICPROFILE, K_DIAGNOSTICDATA, K_DIAGNOSTICALARMS,
    K_DIAGPARAMETER, K_DIAGPARAMNAME, K_DIAGPARAMREGISTER, K_ALARMNAME, K_ALARMID, K_ALARMREGISTER,
    K_COUNT
};
static_assert(K_COUNT == VX_CFGKEYCNT);

using KeyDef = qkcfgKeyDef;

constexpr KeyDef kKeys[K_COUNT] = {
    {"LOGCFG", QKCFG_PACKAGE, VX_PKG_LOGCFG},
    {"NAME", QKCFG_STRING, 0},
    {"STDOUTFLAG", QKCFG_SHORT, 0},
    {"PATH", QKCFG_STRING, 0},
    {"CONFIGFILECFG", QKCFG_PACKAGE, VX_PKG_CONFIGFILECFG},
    {"QKCFGAUDIT", QKCFG_SHORT, 0},
    {"FILEAUDIT", QKCFG_SHORT, 0},
    {"AUDIT", QKCFG_LONG, 0},
    {"MAINCFG", QKCFG_PACKAGE, VX_PKG_MAINCFG},
    {"COMMAUDIT", QKCFG_LONG, 0},
    {"SCANRATE", QKCFG_SHORT, 0},
    {"FINDANALYZER", QKCFG_PACKAGE, VX_PKG_FINDANALYZER},
    {"EXCLUDE", QKCFG_STRING, 0},
    {"BAUDRATE", QKCFG_LONG, 0},
    {"DATAFILE", QKCFG_PACKAGE, VX_PKG_DATAFILE},
    {"CAPTUREDATA", QKCFG_STRING, 0},
    {"USERDEFINITION", QKCFG_PACKAGE, VX_PKG_USERDEFINITION},
    {"INCLUDE", QKCFG_PACKAGE, VX_PKG_INCLUDE},
    {"SUPPORTED", QKCFG_PACKAGE, VX_PKG_SUPPORTED},
    {"VXVERSION", QKCFG_PACKAGE, VX_PKG_VXVERSION},
    {"RUNDIAGNOSTICS", QKCFG_PACKAGE, VX_PKG_RUNDIAGNOSTICS},
    {"MODE1DURATION", QKCFG_SHORT, 0},
    {"MONITORPROFILE", QKCFG_PACKAGE, VX_PKG_MONITORPROFILE},
    {"MODE1", QKCFG_PACKAGE, VX_PKG_MODE1},
    {"HWTYPE", QKCFG_STRING, 0},
    {"APPTYPE", QKCFG_STRING, 0},
    {"REVISION", QKCFG_STRING, 0},
    {"BUILD", QKCFG_STRING, 0},
    {"FOLDER", QKCFG_STRING, 0},
    {"SPECTRAPROFILE", QKCFG_PACKAGE, VX_PKG_SPECTRAPROFILE},
    {"APPLICATION", QKCFG_PACKAGE, VX_PKG_APPLICATION},
    {"PARAMETER", QKCFG_PACKAGE, VX_PKG_PARAMETER},
    {"PLOTA", QKCFG_PACKAGE, VX_PKG_PLOTA},
    {"PLOTB", QKCFG_PACKAGE, VX_PKG_PLOTB},
    {"PLOTC", QKCFG_PACKAGE, VX_PKG_PLOTC},
    {"DIAGNOSTICHEADER", QKCFG_PACKAGE, VX_PKG_DIAGNOSTICHEADER},
    {"STATE", QKCFG_STRING, 0},
    {"OVERLAY", QKCFG_STRING, 0},
    {"DISPLAY", QKCFG_STRING, 0},
    {"TYPE", QKCFG_STRING, 0},
    {"INT16", QKCFG_STRING, 0},
    {"UINT16", QKCFG_STRING, 0},
    {"INT32", QKCFG_STRING, 0},
    {"UINT32", QKCFG_STRING, 0},
    {"FLOAT32", QKCFG_STRING, 0},
    {"CHAR8", QKCFG_STRING, 0},
    {"UCHAR8", QKCFG_STRING, 0},
    {"COLOR", QKCFG_STRING, 0},
    {"DPID", QKCFG_LONG, 0},
    {"AUTOPOLLRATE", QKCFG_SHORT, 0},
    {"DEMANDPOLLRATE", QKCFG_SHORT, 0},
    {"SPECTRASIZE", QKCFG_SHORT, 0},
    {"PARAMETERPROFILE", QKCFG_PACKAGE, VX_PKG_PARAMETERPROFILE},
    {"PARAMLISTGROUP", QKCFG_PACKAGE, VX_PKG_PARAMLISTGROUP},
    {"PARAMGROUP", QKCFG_STRING, 0},
    {"PARAMNAME", QKCFG_STRING, 0},
    {"PARAMAPP", QKCFG_SHORT, 0},
    {"PARAMPROMPT", QKCFG_STRING, 0},
    {"PARAMMAX", QKCFG_FLOAT, 0},
    {"PARAMMIN", QKCFG_FLOAT, 0},
    {"PARAMPASSWORD", QKCFG_LONG, 0},
    {"PARAMREGISTER", QKCFG_LONG, 0},
    {"DIAGNOSTICPROFILE", QKCFG_PACKAGE, VX_PKG_DIAGNOSTICPROFILE},
    {"DIAGNOSTICDATA", QKCFG_PACKAGE, VX_PKG_DIAGNOSTICDATA},
    {"DIAGNOSTICALARMS", QKCFG_PACKAGE, VX_PKG_DIAGNOSTICALARMS},
    {"DIAGPARAMETER", QKCFG_PACKAGE, VX_PKG_DIAGPARAMETER},
    {"DIAGPARAMNAME", QKCFG_STRING, 0},
    {"DIAGPARAMREGISTER", QKCFG_LONG, 0},
    {"ALARMNAME", QKCFG_STRING, 0},
    {"ALARMID", QKCFG_LONG, 0},
    {"ALARMREGISTER", QKCFG_LONG, 0},
};

// Audit bits of the reader that these handlers use.
constexpr int kAudPkgStart = 1;
constexpr int kAudConfigName = 2;
constexpr int kAudEntry = 4;

// Codes of the innermost package and of the one below it (0 when none).
int topCode(const vxcfgInfo& cfg)
{
    return cfg.pkgNdx >= 0 && cfg.pkgNdx < 128 ? cfg.pkgTyp[cfg.pkgNdx] : 0;
}

int belowCode(const vxcfgInfo& cfg)
{
    return cfg.pkgNdx >= 1 && cfg.pkgNdx < 128 ? cfg.pkgTyp[cfg.pkgNdx - 1] : 0;
}

void resetStack(vxcfgInfo& cfg)
{
    std::memset(cfg.pkgTyp, 0, sizeof cfg.pkgTyp);
    cfg.pkgNdx = -1;
    cfg.paramGroup = -1;
}

bool isEnabled(const char* value) { return std::strcmp(value, "ENABLED") == 0; }

// ---- the handlers as the reader's loop calls them --------------------------------

int pkgHandler(void* client) { return vxCfgPkg(static_cast<vxInfo*>(client)); }
int elemHandler(void* client) { return vxCfgElem(static_cast<vxInfo*>(client)); }
int pkgEndHandler(void* client) { return vxCfgPkgEnd(static_cast<vxInfo*>(client)); }

qkcfgloopInfo makeLoop(vxInfo* app, int flags, const char* label)
{
    qkcfgloopInfo loop{};
    loop.client = app;
    loop.pkg = pkgHandler;
    loop.elem = elemHandler;
    loop.pkgend = pkgEndHandler;
    loop.flags = flags;
    loop.label = label;
    return loop;
}

// ---- current entries -----------------------------------------------------------------

// The curve list of the plot package code, with its count; null when no
// spectra application is selected or the code is no plot.
vxSpectraParamInfo* plotList(vxInfo* app, int code, int** count)
{
    vxSpectraAppInfo* sp = app->spData.appPtr;
    if (sp == nullptr) return nullptr;
    switch (code) {
    case VX_PKG_PLOTA: *count = &sp->plotAcnt; return sp->plotA;
    case VX_PKG_PLOTB: *count = &sp->plotBcnt; return sp->plotB;
    case VX_PKG_PLOTC: *count = &sp->plotCcnt; return sp->plotC;
    default: return nullptr;
    }
}

// The curve being filled in the plot package code; null when the plot's list is full.
vxSpectraParamInfo* currentCurve(vxInfo* app, int code, int** count)
{
    vxSpectraParamInfo* list = plotList(app, code, count);
    if (list == nullptr || **count < 0 || **count >= VX_MAXCURVES) return nullptr;
    return &list[**count];
}

vxSpectraFC10Data* currentHeader(vxInfo* app)
{
    vxSpectraAppInfo* sp = app->spData.appPtr;
    if (sp == nullptr || sp->digHdrCnt < 0 || sp->digHdrCnt >= VX_MAXFC10) return nullptr;
    return &sp->digHdr[sp->digHdrCnt];
}

vxParamTvGroupInfo* currentGroup(vxInfo* app)
{
    vxParamTvInfo& tv = app->ppData.plData.tvMenu;
    int g = app->cfg.paramGroup;
    if (g < 0 || g >= tv.groupCnt || g >= VX_MAXPARAMGROUPS) return nullptr;
    return &tv.group[g];
}

vxParamTvItemInfo* currentParam(vxInfo* app)
{
    vxParamTvGroupInfo* group = currentGroup(app);
    if (group == nullptr || group->itemCnt < 0 || group->itemCnt >= VX_MAXGROUPPARAMS) return nullptr;
    return &group->items[group->itemCnt];
}

vxMonitorMode1Data* currentMonitorProfile(vxInfo* app)
{
    vxMonitorMode1Info& m = app->mpData.mode1;
    if (m.idPtr == nullptr || m.ndx < 0 || m.ndx >= m.cnt) return nullptr;
    return &m.idPtr[m.ndx];
}

// The version entry the version keys fill: the next free supported entry, or
// the version of the current monitor profile.
vxAnalyzerVersion* currentVersion(vxInfo* app, int top, int below)
{
    if (top != VX_PKG_VXVERSION) return nullptr;
    if (below == VX_PKG_SUPPORTED) {
        vxAnaSupVerInfo& sv = app->anaSupVer;
        return sv.cnt >= 0 && sv.cnt < VX_MAXSUPVER ? &sv.version[sv.cnt] : nullptr;
    }
    if (below == VX_PKG_MONITORPROFILE) {
        vxMonitorMode1Data* profile = currentMonitorProfile(app);
        return profile ? &profile->version : nullptr;
    }
    return nullptr;
}

// ---- key groups ----------------------------------------------------------------------

// NAME: its meaning depends on the package it stands in.
void elemName(vxInfo* app, qkcfgsrvInfo* r, int top, int below, const char* value)
{
    switch (top) {
    case VX_PKG_LOGCFG:
        qkstrset(app->log.path, value);
        if (qklogopn(app->log.path) != 0) {
            std::printf("Could not create log file: %s\r\n", app->log.path);
            std::fflush(stdout);
            vxExit();
        }
        break;
    case VX_PKG_USERDEFINITION:
        qkstrset(r->defName, value);
        qkcfggetuserdefs(r);
        break;
    case VX_PKG_INCLUDE:
        qkstrset(app->cfg.incName, value);
        vxGetIncludeFile(app);
        break;
    case VX_PKG_APPLICATION: {
        vxSpectraPageInfo& sp = app->spData;
        if (std::strcmp(value, "PP2F") == 0) sp.appPtr = &sp.f2;
        else if (std::strcmp(value, "NS") == 0) sp.appPtr = &sp.ns;
        else if (std::strcmp(value, "FS") == 0) sp.appPtr = &sp.fs;
        else sp.appPtr = nullptr;
        break;
    }
    case VX_PKG_PARAMETER:
        if (below == VX_PKG_DIAGNOSTICHEADER) {
            if (vxSpectraFC10Data* h = currentHeader(app)) qkstrset(h->name, value);
        }
        break;
    case VX_PKG_PLOTA:
    case VX_PKG_PLOTB:
    case VX_PKG_PLOTC: {
        int* count = nullptr;
        if (vxSpectraParamInfo* c = currentCurve(app, top, &count)) qkstrset(c->name, value);
        break;
    }
    case VX_PKG_MODE1:
        if (vxMonitorMode1Data* m = currentMonitorProfile(app)) {
            if (m->paramCnt >= 0 && m->paramCnt < VX_MAXMONCOLUMNS) qkstrset(m->name[m->paramCnt++], value);
        }
        break;
    case VX_PKG_PARAMLISTGROUP: {
        vxParamTvInfo& tv = app->ppData.plData.tvMenu;
        if (tv.groupCnt >= 0 && tv.groupCnt < VX_MAXPARAMGROUPS) {
            qkstrset(tv.group[tv.groupCnt].name, value);
            app->cfg.paramGroup = tv.groupCnt++;
        } else {
            // A group beyond the capacity takes no parameters either.
            app->cfg.paramGroup = -1;
        }
        break;
    }
    default: break;
    }
}

// Keys of the log, reader, main and search settings.
void elemSettings(vxInfo* app, qkcfgsrvInfo* r, int key, int top, int below, const qkcfgsrvArgValInfo& v)
{
    switch (key) {
    case K_STDOUTFLAG:
        if (top != VX_PKG_LOGCFG) break;
        app->log.stdoutflag = v.sht;
        // The -d option of the command line keeps the copy on.
        qklogsetstdout(qkstartupisset(app->suPtr, 'd') ? 1 : v.sht);
        break;
    case K_QKCFGAUDIT:
        if (top == VX_PKG_CONFIGFILECFG) qkcfgsetaudit(r, v.sht);
        else if (top == VX_PKG_MAINCFG) app->audit = v.sht;
        break;
    case K_FILEAUDIT:
        if (top == VX_PKG_CONFIGFILECFG) qkFileSetAudit(v.sht);
        break;
    case K_AUDIT:
        if (top != VX_PKG_MAINCFG) break;
        app->audit = static_cast<int16_t>(static_cast<uint32_t>(v.lng) & 0xFFFFu);
        if (app->audit & VX_AUD_TRACE) qklogsettrace(1);
        break;
    case K_COMMAUDIT:
        if (top == VX_PKG_MAINCFG) app->anaCom.audit = v.lng;
        break;
    case K_SCANRATE:
        if (top == VX_PKG_MAINCFG) app->srvrate = v.sht;
        break;
    case K_EXCLUDE: {
        vxFindAnalyzerInfo& f = app->anaFind;
        if (top == VX_PKG_FINDANALYZER && f.excludeCnt >= 0 && f.excludeCnt < VX_MAXEXCLUDE)
            qkstrset(f.exclude[f.excludeCnt++], v.str);
        break;
    }
    case K_BAUDRATE: {
        vxFindAnalyzerInfo& f = app->anaFind;
        if (top == VX_PKG_FINDANALYZER && f.baudCnt >= 0 && f.baudCnt < VX_MAXBAUDRATE)
            f.buadRate[f.baudCnt++] = v.lng;
        break;
    }
    case K_CAPTUREDATA:
        if (top != VX_PKG_DATAFILE || below != VX_PKG_MAINCFG) break;
        qkstrset(app->dataFile.path, v.str);
        qklogf("vxCfgElem", "CAPTUREDATA file name: %s", app->dataFile.path);
        break;
    case K_MODE1DURATION:
        if (top != VX_PKG_RUNDIAGNOSTICS) break;
        app->runDiag.mode1Duration = static_cast<int64_t>(v.sht) * 60;
        qklogf("vxCfgElem", "Run Diagnostics mode 1 duration is: %d seconds",
               static_cast<int>(app->runDiag.mode1Duration));
        break;
    default: break;
    }
}

// Version keys: they fill the current version entry through the version
// setters, which write the version at anaVerPtr.
void elemVersion(vxInfo* app, int key, int top, int below, const char* value)
{
    vxAnalyzerVersion* entry = currentVersion(app, top, below);
    if (entry == nullptr) {
        if (key == K_FOLDER && top == VX_PKG_VXVERSION && below == VX_PKG_SUPPORTED &&
            app->anaSupVer.cnt >= VX_MAXSUPVER)
            qklogf("vxCfgElem", "Max number of supported vesrion exceeded: %d", VX_MAXSUPVER);
        return;
    }
    // The setters write through anaVerPtr; it points back at the analyzer's
    // version afterwards, so no later setter call can change a list entry.
    vxAnalyzerVersion* inEffect = app->anaVerPtr;
    app->anaVerPtr = entry;
    switch (key) {
    case K_HWTYPE: vxVersionSetHW(app, value); break;
    case K_APPTYPE: vxVersionSetApp(app, value); break;
    case K_REVISION: vxVersionSetRevision(app, value); break;
    case K_BUILD: vxVersionSetBuild(app, value); break;
    case K_FOLDER:
        vxVersionSetFolder(app, value);
        if (below == VX_PKG_SUPPORTED) app->anaSupVer.cnt++;
        break;
    default: break;
    }
    app->anaVerPtr = inEffect;
}

// Keys of the spectra profile: curves, FC10 header entries and poll rates.
void elemSpectra(vxInfo* app, int key, int top, int below, const qkcfgsrvArgValInfo& v)
{
    int* count = nullptr;
    switch (key) {
    case K_STATE:
        if (vxSpectraParamInfo* c = currentCurve(app, top, &count)) {
            c->state = isEnabled(v.str) ? 1 : 0;
            ++*count;
        }
        break;
    case K_OVERLAY:
        if (vxSpectraParamInfo* c = currentCurve(app, top, &count)) c->overLay = isEnabled(v.str) ? 1 : 0;
        break;
    case K_COLOR:
        if (vxSpectraParamInfo* c = currentCurve(app, top, &count)) qkstrset(c->color, v.str);
        break;
    case K_DPID:
        if (vxSpectraParamInfo* c = currentCurve(app, top, &count)) c->dpid = v.lng;
        break;
    case K_PATH:
        // A stored reference curve: its DPID stands before the DATAFILE block.
        if (top != VX_PKG_DATAFILE) break;
        if (vxSpectraParamInfo* c = currentCurve(app, below, &count)) vxSPload2FdataFile(app, c->dpid, v.str);
        break;
    case K_DISPLAY:
        if (top != VX_PKG_PARAMETER) break;
        if (vxSpectraFC10Data* h = currentHeader(app)) {
            h->dspFlag = isEnabled(v.str) ? 1 : 0;
            app->spData.appPtr->digHdrCnt++;
        }
        break;
    case K_TYPE: {
        if (top != VX_PKG_PARAMETER) break;
        static constexpr const char* kTypes[] = {"INT16", "UINT16", "INT32", "UINT32", "FLOAT32", "CHAR8", "UCHAR8"};
        if (vxSpectraFC10Data* h = currentHeader(app)) {
            h->type = VX_FC10_NONE;
            for (int i = 0; i < 7; ++i)
                if (std::strcmp(v.str, kTypes[i]) == 0) h->type = i + 1;
        }
        break;
    }
    case K_AUTOPOLLRATE:
        if (top == VX_PKG_SPECTRAPROFILE) app->spData.autoPollRate = v.sht;
        break;
    case K_DEMANDPOLLRATE:
        if (top == VX_PKG_SPECTRAPROFILE) app->spData.demandPollRate = v.sht;
        break;
    default: break;
    }
}

// Keys of the parameters profile: the parameter being filled in the current group.
void elemParameter(vxInfo* app, int key, int top, const qkcfgsrvArgValInfo& v)
{
    if (top != VX_PKG_PARAMETER) return;
    vxParamTvItemInfo* item = currentParam(app);
    if (item == nullptr) return;
    switch (key) {
    case K_PARAMNAME: qkstrset(item->paramName, v.str); break;
    case K_PARAMAPP: item->paramApp = v.sht; break;
    case K_PARAMPROMPT: qkstrset(item->paramPrompt, v.str); break;
    case K_PARAMMAX: item->paramMax = v.flt; break;
    case K_PARAMMIN: item->paramMin = v.flt; break;
    case K_PARAMPASSWORD: item->paramPwId = v.lng; break;
    case K_PARAMREGISTER:
        // The profile numbers registers from 40001; the analyzer from 0.
        item->paramMbReg = v.lng;
        app->mbData.mbReg = v.lng - 40001;
        vxValidateMbReg(app);
        item->paramType = app->mbData.mbRegType;
        currentGroup(app)->itemCnt++;
        break;
    default: break;
    }
}

// Keys of the diagnostics profiles; they fill the diagnostic record selected
// by the analyzer's application type.
void elemDiagnostic(vxInfo* app, int key, int top, const qkcfgsrvArgValInfo& v)
{
    vxDiagAppInfo* d = app->dpData.dvData.appPtr;
    if (d == nullptr) return;
    bool paramFree = d->paramCnt >= 0 && d->paramCnt < VX_MAXDIAGPARAMS;
    bool alarmFree = d->alarmCnt >= 0 && d->alarmCnt < VX_MAXDIAGALARMS;
    switch (key) {
    case K_DIAGPARAMNAME:
        if (top == VX_PKG_DIAGPARAMETER && paramFree) qkstrset(d->param[d->paramCnt].name, v.str);
        break;
    case K_DIAGPARAMREGISTER:
        if (top == VX_PKG_DIAGPARAMETER && paramFree) d->param[d->paramCnt++].mbReg = v.lng;
        break;
    case K_ALARMNAME:
        if (top == VX_PKG_DIAGNOSTICALARMS && alarmFree) qkstrset(d->alarm[d->alarmCnt].name, v.str);
        break;
    case K_ALARMID:
        if (top == VX_PKG_DIAGNOSTICALARMS && alarmFree) d->alarm[d->alarmCnt++].id = v.lng;
        break;
    case K_ALARMREGISTER:
        if (top == VX_PKG_DIAGNOSTICPROFILE) d->alarmRegister = v.lng;
        break;
    default: break;
    }
}

}  // namespace

// ---- reading ---------------------------------------------------------------------------

int vxCfgRead(vxInfo* app)
{
    qklogTrace("vxCfgRead");
    if (app == nullptr) return -2;
    qkwinInfo* win = app->winPtr;
    if (win == nullptr) {
        // vxGetResources creates the main window record before the read.
        qklogf("vxCfgRead", "no main window record");
        return -2;
    }
    // The main window's reader record is the program's too: it stays for the
    // whole run, so the version profiles can be read with it later.
    vxCfgFree(app);
    if (qkwincfgsetpath(win, app->cfg.path) == -2 || win->cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* r = win->cfgPtr;
    r->pkgcnt = 0;
    qkwincfgclrcnt(win);
    qkwincfgsetpkgfunc(win);
    qkwincfgsetelmfunc(win);
    app->cfg.cfgPtr = r;
    app->cfgPtr = &app->cfg;

    if (vxCfgRegister(app) != 0) return -2;
    if (vxCfgLoad(app) != 0) return -2;
    // The window framework adds its names to the same reader and reads the
    // same file again: the main window, its menus, pages, dialogs and tabs.
    r->pkgcnt = 0;
    if (qkwincfgregister(win) != 0) return -2;
    if (qkwincfgload(win) != 0) return -2;
    return 0;
}

int vxCfgRegister(vxInfo* app)
{
    qklogTrace("vxCfgRegister");
    if (app == nullptr || app->cfg.cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* r = app->cfg.cfgPtr;
    qkcfgsetdelm(r, 10);
    return qkcfgaddkeys(r, kKeys, K_COUNT);
}

int vxCfgLoad(vxInfo* app)
{
    qklogTrace("vxCfgLoad");
    if (app == nullptr || app->cfg.cfgPtr == nullptr) return -2;
    resetStack(app->cfg);
    qkcfgloopInfo loop = makeLoop(app, QKCFG_LOOP_LOGCOUNT, "vxCfgLoad");
    // Every record reaches a handler, short ones included (as package ends).
    return qkcfgload(app->cfg.cfgPtr, &loop);
}

int vxGetIncludeFile(vxInfo* app)
{
    qklogTrace("vxGetIncludeFile");
    if (app == nullptr || app->cfg.cfgPtr == nullptr) return -2;
    // The name field is written again by an include nested in this one.
    char name[128];
    qkstrset(name, app->cfg.incName);
    if (name[0] == '\0') {
        qklogf("vxGetIncludeFile", "no path name");
        return -2;
    }
    bool audit = (app->cfg.audit & QKWINCFG_AUD_FILE) != 0;   // include reads, as the window logs them
    if (audit) qklogf("vxGetIncludeFile", "read config parameters for include: %s", name);
    qkcfgloopInfo loop = makeLoop(app, audit ? QKCFG_LOOP_LOGCOUNT : 0, "vxGetIncludeFile");
    // The include stands in the place of its key: packages that it leaves
    // open (a file cut short) or closes without opening them must not change
    // the meaning of the keys after it.
    int savedTyp[128];
    std::memcpy(savedTyp, app->cfg.pkgTyp, sizeof savedTyp);
    int savedNdx = app->cfg.pkgNdx;
    int status = qkcfgreadinclude(app->cfg.cfgPtr, name, &loop);
    std::memcpy(app->cfg.pkgTyp, savedTyp, sizeof savedTyp);
    app->cfg.pkgNdx = savedNdx;
    return status;
}

int vxCfgReadInclude(vxInfo* app, const char* path)
{
    qklogTrace("vxCfgReadInclude");
    if (app == nullptr || app->cfg.cfgPtr == nullptr) return -2;
    if (path == nullptr || path[0] == '\0') {
        qklogf("vxCfgReadInclude", "no path name");
        return -2;
    }
    // A profile is a file of its own: packages that an earlier file left open
    // do not reach into it, and none of its own stay open after it.
    resetStack(app->cfg);
    qkstrset(app->cfg.incName, path);
    int status = vxGetIncludeFile(app);
    resetStack(app->cfg);
    return status;
}

int vxCfgFree(vxInfo* app)
{
    qklogTrace("vxCfgFree");
    if (app == nullptr || app->cfg.cfgPtr == nullptr) return 0;
    qkcfgsrvInfo* r = app->cfg.cfgPtr;
    // A reader that the main window created is the window's no longer.
    if (qkwinInfo* win = app->winPtr) {
        if (win->cfgPtr == r) win->cfgPtr = nullptr;
        if (win->cfgOwnPtr == r) win->cfgOwnPtr = nullptr;
    }
    qkcfgfreemem(r);
    qksysMemFree(r);
    app->cfg.cfgPtr = nullptr;
    return 0;
}

// ---- handlers ----------------------------------------------------------------------------

int vxCfgPkg(vxInfo* app)
{
    qklogTrace("vxCfgPkg");
    if (app == nullptr || app->cfg.cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* r = app->cfg.cfgPtr;
    int key = qkcfgmatchedkey(r, kKeys, K_COUNT);
    if (key < 0 || kKeys[key].code == 0) return 0;
    vxcfgInfo& cfg = app->cfg;
    int code = kKeys[key].code;
    qkcfgstackpush(cfg.pkgTyp, &cfg.pkgNdx, 128, code);
    if (code == VX_PKG_MONITORPROFILE) vxMonProfileRegister(&app->mpData.mode1);
    if (code == VX_PKG_PARAMLISTGROUP) cfg.paramGroup = -1;   // no group until its NAME
    if (r->audit & kAudPkgStart) qklogf("vxCfgPkg", "package index: %d type: %d", cfg.pkgNdx, code);
    return 0;
}

int vxCfgPkgEnd(vxInfo* app)
{
    qklogTrace("vxCfgPkgEnd");
    if (app == nullptr || app->cfg.cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* r = app->cfg.cfgPtr;
    vxcfgInfo& cfg = app->cfg;
    if (r->audit & kAudEntry) qklogf("vxCfgPkgEnd", "ndx: %d, name: %s", cfg.pkgNdx, r->ename);
    // Only the packages these handlers open are closed by them.
    if (r->ename[0] != '/') return 0;
    int key = qkcfgkeyindex(kKeys, K_COUNT, r->ename + 1);
    if (key < 0 || kKeys[key].code == 0) return 0;
    qkcfgstackpop(cfg.pkgTyp, &cfg.pkgNdx, -1);
    if (r->audit & kAudEntry) qklogf("vxCfgPkgEnd", "package index: %d", cfg.pkgNdx);
    return 0;
}

int vxCfgElem(vxInfo* app)
{
    qklogTrace("vxCfgElem");
    if (app == nullptr || app->cfg.cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* r = app->cfg.cfgPtr;
    int key = qkcfgmatchedkey(r, kKeys, K_COUNT);
    if (r->audit & kAudEntry) qklogf("vxCfgElem", "ndx: %d, name: %s", r->ndx, r->ename);
    if (key < 0) return 0;
    int top = topCode(app->cfg);
    int below = belowCode(app->cfg);
    if (top <= 0 || kKeys[key].code != 0) return 0;   // no package open, or a package key
    if (r->audit & kAudConfigName) qklogf("vxCfgElem", "config name: %s", kKeys[key].name);

    // Copy the value: an include read from here reuses the key slots.
    qkcfgsrvArgValInfo v = r->argsPtr[r->ndx].val;
    switch (key) {
    case K_NAME:
        elemName(app, r, top, below, v.str);
        break;
    case K_STDOUTFLAG: case K_QKCFGAUDIT: case K_FILEAUDIT: case K_AUDIT: case K_COMMAUDIT:
    case K_SCANRATE: case K_EXCLUDE: case K_BAUDRATE: case K_CAPTUREDATA: case K_MODE1DURATION:
        elemSettings(app, r, key, top, below, v);
        break;
    case K_HWTYPE: case K_APPTYPE: case K_REVISION: case K_BUILD: case K_FOLDER:
        elemVersion(app, key, top, below, v.str);
        break;
    case K_STATE: case K_OVERLAY: case K_COLOR: case K_DPID: case K_PATH: case K_DISPLAY: case K_TYPE:
    case K_AUTOPOLLRATE: case K_DEMANDPOLLRATE:
        elemSpectra(app, key, top, below, v);
        break;
    case K_PARAMNAME: case K_PARAMAPP: case K_PARAMPROMPT: case K_PARAMMAX: case K_PARAMMIN:
    case K_PARAMPASSWORD: case K_PARAMREGISTER:
        elemParameter(app, key, top, v);
        break;
    case K_DIAGPARAMNAME: case K_DIAGPARAMREGISTER: case K_ALARMNAME: case K_ALARMID: case K_ALARMREGISTER:
        elemDiagnostic(app, key, top, v);
        break;
    default:
        // Registered words without an effect of their own (the TYPE words,
        // SPECTRASIZE, PARAMGROUP).
        qkcfgvalxmltype(r, kKeys[key].name);
        break;
    }
    return 0;
}
