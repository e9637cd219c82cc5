// qkhelpwinsrv: the help launcher's window. Main thread.
#include "qkhelpwinsrv.h"

#include <cstring>

#include "qkfilesrv.h"
#include "qkhelpwincallbacks.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswindrive.h"
#include "qksyswinlist.h"
#include "qksyswinsrv.h"
#include "qkwinfuncsrv.h"

namespace {

constexpr int kPathFileSize = 4096;

// Reads one path file's viewer into out; false (logged) when the file cannot be read.
bool readPathFile(qkhelpwinInfo* app, const char* path, char* out, size_t size)
{
    if (qkfilerd(path, app->inbuf, kPathFileSize, 0) < 0) {
        qklogf("qkhelpwinLoadViewers", "file read error for: %s", path);
        return false;
    }
    return qkhelpwinPathValue(app->inbuf, out, size);
}

void replaceKind(qkhelpdocIdInfo& doc, const char* kind, const char* viewer)
{
    if (std::strcmp(doc.exec, kind) == 0) qkstrset(doc.exec, viewer);
}

}  // namespace

bool qkhelpwinDocUsed(const qkhelpdocIdInfo* doc)
{
    qklogTrace("qkhelpwinDocUsed");
    return doc != nullptr && std::strstr(doc->name, "NOTUSED") == nullptr;
}

bool qkhelpwinPathValue(const char* text, char* out, size_t size)
{
    qklogTrace("qkhelpwinPathValue");
    if (text == nullptr || out == nullptr || size == 0) return false;
    const char* eq = std::strchr(text, '=');
    if (eq == nullptr || eq[1] == '\0') return false;
    const char* start = eq + 2;   // past the opening double quote
    size_t len = std::strcspn(start, "\"\r\n");
    qkstrlcpy(out, len + 1 < size ? len + 1 : size, start);
    return true;
}

const char* qkhelpwinFileName(const char* name)
{
    qklogTrace("qkhelpwinFileName");
    if (name == nullptr) return "";
    const char* sep = std::strrchr(name, '\\');
    if (sep == nullptr) sep = std::strrchr(name, '/');
    return sep != nullptr ? sep + 1 : name;
}

int qkhelpwinLoadViewers(qkhelpwinInfo* app)
{
    qklogTrace("qkhelpwinLoadViewers");
    if (app == nullptr) return -2;
    qkhelpdocInfo& doc = app->doc;
    char path[256];
    if (readPathFile(app, "../usercfg/pdfPath.txt", path, sizeof path)) {
        // No "/n" (new window) switch after the path: that is a switch of
        // viewers on another desktop; the viewers here take it for a file.
        qkstrset(doc.pdfexe, path);
        qkstrset(doc.pdfrdexe, doc.pdfexe);
        qklogf("qkhelpwinLoadViewers", "PDF path: %s", doc.pdfexe);
    }
    if (readPathFile(app, "../usercfg/docPath.txt", path, sizeof path)) {
        qkstrset(doc.docexe, path);
        qklogf("qkhelpwinLoadViewers", "DOC path: %s", doc.docexe);
    }
    if (readPathFile(app, "../usercfg/htmPath.txt", path, sizeof path)) {
        qkstrset(doc.htmlexe, path);
        qklogf("qkhelpwinLoadViewers", "HTML path: %s", doc.htmlexe);
    }
    if (app->winPtr != nullptr) qkwinlistsethscroll(app->winPtr, QKHELPWIN_LISTID, 1024);
    for (int i = 0; i < doc.cnt && doc.idPtr != nullptr; ++i) {
        qkhelpdocIdInfo& d = doc.idPtr[i];
        if (!qkhelpwinDocUsed(&d)) continue;
        replaceKind(d, "PDF", doc.pdfexe);
        replaceKind(d, "PDFRD", doc.pdfrdexe);
        replaceKind(d, "DOC", doc.docexe);
        replaceKind(d, "HTML", doc.htmlexe);
    }
    return 0;
}

int qkhelpwinFillList(qkhelpwinInfo* app)
{
    qklogTrace("qkhelpwinFillList");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    qkhelpdocInfo& doc = app->doc;
    qkwinlistclear(app->winPtr, QKHELPWIN_LISTID);
    app->rowCnt = 0;
    if (doc.cnt <= 0 || doc.idPtr == nullptr) return 0;
    app->rowDoc = static_cast<int*>(qksysMemAllocate(app->rowDoc, static_cast<size_t>(doc.cnt) * sizeof(int)));
    for (int i = 0; i < doc.cnt; ++i) {
        const qkhelpdocIdInfo& d = doc.idPtr[i];
        if (!qkhelpwinDocUsed(&d) || d.name[0] == '\0') continue;
        if (qkwinlistadditem(app->winPtr, QKHELPWIN_LISTID, qkhelpwinFileName(d.name)) != 0) continue;
        app->rowDoc[app->rowCnt++] = i;
    }
    qklogf("qkhelpwinFillList", "Documents listed: %d of %d", app->rowCnt, doc.cnt);
    return app->rowCnt;
}

int qkhelpwinDsp(qkhelpwinInfo* app)
{
    qklogTrace("qkhelpwinDsp");
    if (app == nullptr || app->winPtr == nullptr) return -2;
    qkwinInfo* win = app->winPtr;
    win->state.store(1);
    qkwinsethomedir(win, nullptr);
    win->userCloseFunc = qkhelpwinClose;
    qkwinfuncsetcallback(win, QKHELPWIN_LISTID, "qkhelpwinlistcb", qkhelpwinlistcb, 0);
    qksyswinsetstyle(win);
    qksyswinsetclass(win);
    if (qksyswindsp(win) != 0) return -1;   // the framework has said why

    qkhelpwinLoadViewers(app);
    qkhelpwinFillList(app);
    qksyswindrivestart(win);   // VX_DRIVE: the steps of a test or demonstration run
    qksyswinwaitmsg(win);
    return 0;
}
