// qkhelpwincfg: the help launcher's configuration keys and their handlers.
// Main thread.
#include "qkhelpwincfg.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstartup.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qkwincfgsrv.h"

namespace {

// The keys, in registration order.
enum Key : int {
    K_MAINCFG, K_LOGCFG, K_CONFIGFILECFG, K_DOCUSE, K_DOCUMENT, K_USERDEFINITION, K_NAME, K_STDOUTFLAG,
    K_QKCFGAUDIT, K_FILEAUDIT, K_AUDIT, K_DOCID, K_DOCNAME, K_DOCEXEC, K_USERROOTDIR, K_USERPDFEXE,
    K_USERPDFRDEXE, K_USERDOCEXE, K_USERHTMLEXE, K_USEREXIT, K_COUNT
};

using KeyDef = qkcfgKeyDef;

constexpr KeyDef kKeys[K_COUNT] = {
    {"MAINCFG", QKCFG_PACKAGE, QKHELPWIN_PKG_MAINCFG},
    {"LOGCFG", QKCFG_PACKAGE, QKHELPWIN_PKG_LOGCFG},
    {"CONFIGFILECFG", QKCFG_PACKAGE, QKHELPWIN_PKG_CONFIGFILECFG},
    {"DOCUSE", QKCFG_PACKAGE, QKHELPWIN_PKG_DOCUSE},
    {"DOCUMENT", QKCFG_PACKAGE, QKHELPWIN_PKG_DOCUMENT},
    {"USERDEFINITION", QKCFG_PACKAGE, QKHELPWIN_PKG_USERDEFINITION},
    {"NAME", QKCFG_STRING, 0},
    {"STDOUTFLAG", QKCFG_SHORT, 0},
    {"QKCFGAUDIT", QKCFG_SHORT, 0},
    {"FILEAUDIT", QKCFG_SHORT, 0},
    {"AUDIT", QKCFG_LONG, 0},
    {"DOCID", QKCFG_LONG, 0},
    {"DOCNAME", QKCFG_STRING, 0},
    {"DOCEXEC", QKCFG_STRING, 0},
    {"USERROOTDIR", QKCFG_STRING, 0},
    {"USERPDFEXE", QKCFG_STRING, 0},
    {"USERPDFRDEXE", QKCFG_STRING, 0},
    {"USERDOCEXE", QKCFG_STRING, 0},
    {"USERHTMLEXE", QKCFG_STRING, 0},
    {"USEREXIT", QKCFG_STRING, 0},
};

int topCode(const qkhelpwincfgInfo& cfg)
{
    return cfg.pkgNdx >= 0 && cfg.pkgNdx < 128 ? cfg.pkgTyp[cfg.pkgNdx] : 0;
}

int16_t low16(int32_t value) { return static_cast<int16_t>(static_cast<uint32_t>(value) & 0xFFFFu); }

int pkgHandler(void* client) { return qkhelpwinCfgPkg(static_cast<qkhelpwinInfo*>(client)); }
int elemHandler(void* client) { return qkhelpwinCfgElem(static_cast<qkhelpwinInfo*>(client)); }
int pkgEndHandler(void* client) { return qkhelpwinCfgPkgEnd(static_cast<qkhelpwinInfo*>(client)); }

// A new, zeroed document at the end of the table; it becomes the current one.
void appendDocument(qkhelpdocInfo& doc)
{
    const size_t size = static_cast<size_t>(doc.cnt + 1) * sizeof(qkhelpdocIdInfo);
    doc.idPtr = static_cast<qkhelpdocIdInfo*>(qksysMemAllocate(doc.idPtr, size));
    std::memset(&doc.idPtr[doc.cnt], 0, sizeof(qkhelpdocIdInfo));
    ++doc.cnt;
    doc.ndx = doc.cnt - 1;
}

qkhelpdocIdInfo* currentDocument(qkhelpdocInfo& doc)
{
    if (doc.idPtr == nullptr || doc.ndx < 0 || doc.ndx >= doc.cnt) return nullptr;
    return &doc.idPtr[doc.ndx];
}

void elemName(qkhelpwinInfo* app, qkcfgsrvInfo* r, int top, const char* value)
{
    if (top == QKHELPWIN_PKG_LOGCFG) {
        qkstrset(app->log.path, value);
        if (qklogopn(app->log.path) != 0) {
            std::printf("Could not create log file: %s\r\n", app->log.path);
            std::fflush(stdout);
            qkhelpwinExit();
        }
    } else if (top == QKHELPWIN_PKG_USERDEFINITION) {
        qkstrset(app->defName, value);
        qkstrset(r->defName, value);
        qklogf("qkhelpwinCfgElem", "resource file: %s", app->defName);
        qkcfggetuserdefs(r);
    }
}

void elemSettings(qkhelpwinInfo* app, qkcfgsrvInfo* r, int key, int top, const qkcfgsrvArgValInfo& v)
{
    switch (key) {
    case K_STDOUTFLAG:
        if (top != QKHELPWIN_PKG_LOGCFG) break;
        app->log.stdoutflag = v.sht;
        // The -d option of the command line keeps the copy on.
        qklogsetstdout(qkstartupisset(app->suPtr, 'd') ? 1 : v.sht);
        break;
    case K_QKCFGAUDIT:
        if (top == QKHELPWIN_PKG_CONFIGFILECFG) qkcfgsetaudit(r, v.sht);
        break;
    case K_FILEAUDIT:
        if (top == QKHELPWIN_PKG_CONFIGFILECFG) qkFileSetAudit(v.sht);
        break;
    case K_AUDIT:
        if (top == QKHELPWIN_PKG_CONFIGFILECFG) {
            app->cfg.audit = low16(v.lng);
            qkcfgsetaudit(r, app->cfg.audit);
        } else if (top == QKHELPWIN_PKG_MAINCFG) {
            app->audit = low16(v.lng);
        }
        break;
    default: break;
    }
}

void elemViewers(qkhelpwinInfo* app, int key, const char* value)
{
    qkhelpdocInfo& doc = app->doc;
    switch (key) {
    case K_USERROOTDIR: qkstrset(doc.rootdir, value); break;
    case K_USERPDFEXE: qkstrset(doc.pdfexe, value); break;
    case K_USERPDFRDEXE: qkstrset(doc.pdfrdexe, value); break;
    case K_USERDOCEXE: qkstrset(doc.docexe, value); break;
    case K_USERHTMLEXE: qkstrset(doc.htmlexe, value); break;
    case K_USEREXIT: doc.exitFlag = std::strcmp(value, "YES") == 0 ? 1 : 0; break;
    default: break;
    }
}

void elemDocument(qkhelpwinInfo* app, int key, const qkcfgsrvArgValInfo& v)
{
    qkhelpdocIdInfo* entry = currentDocument(app->doc);
    if (entry == nullptr) return;
    switch (key) {
    case K_DOCID: entry->id = low16(v.lng); break;
    case K_DOCNAME: qkstrset(entry->name, v.str); break;
    case K_DOCEXEC: qkstrset(entry->exec, v.str); break;
    default: break;
    }
}

}  // namespace

int qkhelpwinCfgRead(qkhelpwinInfo* app)
{
    qklogTrace("qkhelpwinCfgRead");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    qkwinInfo* win = app->winPtr;
    if (qkwincfgsetpath(win, app->cfg.path) == -2 || win->cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* r = win->cfgPtr;
    r->pkgcnt = 0;
    qkwincfgclrcnt(win);
    qkwincfgsetpkgfunc(win);
    qkwincfgsetelmfunc(win);
    app->cfg.cfgPtr = r;
    app->cfgPtr = &app->cfg;

    // The launcher's keys first, read with its own handlers.
    qkcfgsetdelm(r, 10);
    qkcfgaddkeys(r, kKeys, K_COUNT);
    std::memset(app->cfg.pkgTyp, 0, sizeof app->cfg.pkgTyp);
    app->cfg.pkgNdx = -1;
    qkcfgloopInfo loop{};
    loop.client = app;
    loop.pkg = pkgHandler;
    loop.elem = elemHandler;
    loop.pkgend = pkgEndHandler;
    loop.flags = QKCFG_LOOP_LOGCOUNT;
    loop.label = "qkhelpwinCfgRead";
    int status = qkcfgload(r, &loop);

    // Then the framework's names on the same reader, and the same file again
    // for the window and its controls.
    if (status == 0) {
        r->pkgcnt = 0;
        status = qkwincfgregister(win);
    }
    if (status == 0) status = qkwincfgload(win);
    qkcfgfreemem(r);
    if (status != 0) return -2;
    if (win->id == 0) {
        qklogf("qkhelpwinCfgRead", "No main window defined in: %s", app->cfg.path);
        return -2;
    }
    return 0;
}

int qkhelpwinCfgPkg(qkhelpwinInfo* app)
{
    qklogTrace("qkhelpwinCfgPkg");
    if (app == nullptr || app->cfg.cfgPtr == nullptr) return -2;
    int key = qkcfgmatchedkey(app->cfg.cfgPtr, kKeys, K_COUNT);
    if (key < 0 || kKeys[key].code == 0) return 0;
    qkhelpwincfgInfo& cfg = app->cfg;
    qkcfgstackpush(cfg.pkgTyp, &cfg.pkgNdx, 128, kKeys[key].code);
    if (kKeys[key].code == QKHELPWIN_PKG_DOCUMENT) appendDocument(app->doc);
    return 0;
}

int qkhelpwinCfgPkgEnd(qkhelpwinInfo* app)
{
    qklogTrace("qkhelpwinCfgPkgEnd");
    if (app == nullptr || app->cfg.cfgPtr == nullptr) return -2;
    const qkcfgsrvInfo* r = app->cfg.cfgPtr;
    // Only the packages these handlers open are closed by them.
    if (r->ename[0] != '/') return 0;
    int key = qkcfgkeyindex(kKeys, K_COUNT, r->ename + 1);
    if (key < 0 || kKeys[key].code == 0) return 0;
    qkcfgstackpop(app->cfg.pkgTyp, &app->cfg.pkgNdx, -1);
    return 0;
}

int qkhelpwinCfgElem(qkhelpwinInfo* app)
{
    qklogTrace("qkhelpwinCfgElem");
    if (app == nullptr || app->cfg.cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* r = app->cfg.cfgPtr;
    int key = qkcfgmatchedkey(r, kKeys, K_COUNT);
    int top = topCode(app->cfg);
    if (key < 0 || top <= 0 || kKeys[key].code != 0) return 0;
    // Copy the value: a user-definition read from here reuses the key slots.
    qkcfgsrvArgValInfo v = r->argsPtr[r->ndx].val;
    switch (key) {
    case K_NAME: elemName(app, r, top, v.str); break;
    case K_STDOUTFLAG: case K_QKCFGAUDIT: case K_FILEAUDIT: case K_AUDIT:
        elemSettings(app, r, key, top, v);
        break;
    case K_DOCID: case K_DOCNAME: case K_DOCEXEC:
        if (top == QKHELPWIN_PKG_DOCUMENT) elemDocument(app, key, v);
        break;
    case K_USERROOTDIR: case K_USERPDFEXE: case K_USERPDFRDEXE: case K_USERDOCEXE: case K_USERHTMLEXE:
    case K_USEREXIT:
        if (top == QKHELPWIN_PKG_DOCUSE) elemViewers(app, key, v.str);
        break;
    default: break;
    }
    return 0;
}
