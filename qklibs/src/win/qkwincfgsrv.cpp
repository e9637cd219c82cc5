// qkwincfgsrv: reads UI definition files into a window record: registration
// of the vocabulary, the handler tables and the read loop. Runs on the thread
// that creates the window.
#include "qkwincfgsrv.h"

#include <cstring>

#include "qkfilesrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qkwinbutton.h"
#include "qkwincfgelmsrv.h"
#include "qkwincfgpathsrv.h"
#include "qkwincfgpkgsrv.h"
#include "qkwincombo.h"
#include "qkwindatepick.h"
#include "qkwindlg.h"
#include "qkwinedit.h"
#include "qkwinfont.h"
#include "qkwinfuncsrv.h"
#include "qkwinhdr.h"
#include "qkwinlist.h"
#include "qkwinmenu.h"
#include "qkwinmsg.h"
#include "qkwinpage.h"
#include "qkwinregion.h"
#include "qkwinstatic.h"
#include "qkwintab.h"
#include "qkwintable.h"
#include "qkwintreeview.h"

namespace {

template <int (*F)(qkwinInfo*)> int thunk(void* client)
{
    return F(static_cast<qkwinInfo*>(client));
}

// Fills a handler table from a vocabulary table; entries without a handler
// are left out. Returns the number of entries.
template <class Def> int fillTable(qkcfgfuncInfo (&table)[QKWIN_PKGSTACK], const Def* defs, int count)
{
    int n = 0;
    for (int i = 0; i < count && n < QKWIN_PKGSTACK; ++i) {
        if (defs[i].add == nullptr) continue;
        qkcfgfuncInfo& e = table[n];
        e.id = n + 1;
        e.add = defs[i].add;
        qkstrset(e.name, defs[i].name);
        ++n;
    }
    for (int i = n; i < QKWIN_PKGSTACK; ++i) std::memset(&table[i], 0, sizeof table[i]);
    return n;
}

// Releases the reader record the window created itself (never one it shares).
void releaseOwnReader(qkwinInfo* w)
{
    qkcfgsrvInfo* own = w->cfgOwnPtr;
    if (own == nullptr) return;
    if (w->cfgPtr == own) w->cfgPtr = nullptr;
    w->cfgOwnPtr = nullptr;
    qkcfgfreemem(own);
    qksysMemFree(own);
}

}  // namespace

int qkwincfgsetpath(qkwinInfo* window, const char* path)
{
    qklogTrace("qkwincfgsetpath");
    if (window == nullptr || path == nullptr) return -2;
    releaseOwnReader(window);
    // The reader and its file name share one block, so the name lives exactly
    // as long as the record and any length of name fits.
    size_t len = std::strlen(path);
    size_t size = sizeof(qkcfgsrvInfo) + len + 1;
    void* block = qksysMemAllocate(nullptr, size);
    std::memset(block, 0, size);
    auto* reader = static_cast<qkcfgsrvInfo*>(block);
    char* name = static_cast<char*>(block) + sizeof(qkcfgsrvInfo);
    std::memcpy(name, path, len + 1);
    reader->path = name;
    reader->ndx = -1;
    window->cfgPtr = reader;
    window->cfgOwnPtr = reader;
    return window->os.pthTyp != 0 ? qkfileSetPathType(window->os.pthTyp, name) : 0;
}

int qkwincfgsetaudit(qkwinInfo* window, int bits)
{
    qklogTrace("qkwincfgsetaudit");
    if (window == nullptr) return -2;
    window->audit = bits;
    return 0;
}

int qkwincfgclrcnt(qkwinInfo* window)
{
    qklogTrace("qkwincfgclrcnt");
    if (window == nullptr) return -2;
    qkwinlistfreeitems(window, 0);
    qkwincombofreeitems(window, 0);
    qkwinmenufreesubs(window, 0);
    window->font.cnt = 0;
    window->menu.cnt = 0;
    window->menu.ndx = 0;
    window->btn.cnt = 0;
    window->stat.cnt = 0;
    window->edit.cnt = 0;
    window->list.cnt = 0;
    window->comb.cnt = 0;
    window->commt.cnt = 0;
    window->regn.cnt = 0;
    return 0;
}

namespace {

// The definition text: the reader's file when text is null, else len bytes
// already in memory.
struct Source {
    const char* text;
    size_t len;
};

int loadFrom(qkwinInfo* window, Source src);

int readFrom(qkwinInfo* window, Source src)
{
    if (window == nullptr || window->cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* reader = window->cfgPtr;
    reader->numArgs = 0;
    reader->pkgcnt = 0;
    qkwincfgclrcnt(window);
    int rc = qkwincfgregister(window);
    if (rc == 0) {
        qkwincfgsetpkgfunc(window);
        qkwincfgsetelmfunc(window);
        rc = loadFrom(window, src);
    }
    qkcfgfreemem(reader);
    return rc == 0 ? 0 : -2;
}

int loadFrom(qkwinInfo* window, Source src)
{
    if (window == nullptr || window->cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* reader = window->cfgPtr;
    if (window->audit & QKWINCFG_AUD_FILE)
        qklogf("qkwincfgload", "read config parameters for file: %s", reader->path ? reader->path : "");
    window->cpkg.pkgNdx = 0;
    std::memset(window->cpkg.pkgTyp, 0, sizeof window->cpkg.pkgTyp);
    window->cpkg.pkgPtr = nullptr;
    reader->cnt = 0;
    qkcfgpathsetPtr(&window->cfgpath);
    qkcfgloopInfo loop;
    qkwincfgloopinit(window, &loop, "qkwincfgload");
    // The count is logged with the audit the file itself may have set.
    loop.flags &= ~QKCFG_LOOP_LOGCOUNT;
    const int rc = src.text != nullptr ? qkcfgloadtext(reader, src.text, src.len, &loop) : qkcfgload(reader, &loop);
    if (rc != 0) return -2;
    if (window->audit & QKWINCFG_AUD_FILE) qklogf("qkwincfgload", "processed: %d config parameters", reader->cnt);
    return 0;
}

}  // namespace

int qkwincfgread(qkwinInfo* window)
{
    qklogTrace("qkwincfgread");
    return readFrom(window, Source{nullptr, 0});
}

int qkwincfgreadtext(qkwinInfo* window, const char* text, size_t len)
{
    qklogTrace("qkwincfgreadtext");
    if (text == nullptr) return -2;
    return readFrom(window, Source{text, len});
}

int qkwincfgregister(qkwinInfo* window)
{
    qklogTrace("qkwincfgregister");
    if (window == nullptr || window->cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* reader = window->cfgPtr;
    qkcfgsetdelm(reader, 10);
    for (int i = 0; i < gqk_wincfgpkgdefcnt; ++i) qkcfgaddxmltype(reader, gqk_wincfgpkgdefs[i].name, QKCFG_PACKAGE);
    for (int i = 0; i < gqk_wincfgelmdefcnt; ++i)
        qkcfgaddxmltype(reader, gqk_wincfgelmdefs[i].name, gqk_wincfgelmdefs[i].type);
    return 0;
}

int qkwincfgsetpkgfunc(qkwinInfo* window)
{
    qklogTrace("qkwincfgsetpkgfunc");
    if (window == nullptr) return -2;
    window->cpkg.pkgCnt = fillTable(window->cpkg.pkgFunc, gqk_wincfgpkgdefs, gqk_wincfgpkgdefcnt);
    if (window->audit & QKWINCFG_AUD_FILE)
        qklogf("qkwincfgsetpkgfunc", "%d configuration pakkages defined", window->cpkg.pkgCnt);
    return 0;
}

int qkwincfgsetelmfunc(qkwinInfo* window)
{
    qklogTrace("qkwincfgsetelmfunc");
    if (window == nullptr) return -2;
    window->cpkg.elmCnt = fillTable(window->cpkg.elmFunc, gqk_wincfgelmdefs, gqk_wincfgelmdefcnt);
    if (window->audit & QKWINCFG_AUD_FILE)
        qklogf("qkwincfgsetelmfunc", "%d configuration elements defined", window->cpkg.elmCnt);
    return 0;
}

void qkwincfgloopinit(qkwinInfo* window, qkcfgloopInfo* loop, const char* label)
{
    qklogTrace("qkwincfgloopinit");
    if (loop == nullptr) return;
    loop->client = window;
    loop->pkg = thunk<qkwincfgpkg>;
    loop->elem = thunk<qkwincfgelem>;
    loop->pkgend = thunk<qkwincfgpkgend>;
    loop->flags = QKCFG_LOOP_SKIPSHORT | QKCFG_LOOP_BYCLOSETAG;
    if (window != nullptr && (window->audit & QKWINCFG_AUD_FILE)) loop->flags |= QKCFG_LOOP_LOGCOUNT;
    loop->label = label;
}

int qkwincfgload(qkwinInfo* window)
{
    qklogTrace("qkwincfgload");
    return loadFrom(window, Source{nullptr, 0});
}

int qkwincfgfreetables(qkwinInfo* window)
{
    qklogTrace("qkwincfgfreetables");
    if (window == nullptr) return -2;
    qkwinfontfreemem(window);
    qkwinmenufreemem(window);
    qkwinbuttonfreemem(window);
    qkwinstaticfreemem(window);
    qkwineditfreemem(window);
    qkwinlistfreemem(window);
    qkwincombofreemem(window);
    qkwintablefree(window->commt.idPtr, window->commt.cnt, window->commt.ndx);
    qkwinregionfreemem(window);
    qkwintabfreemem(window);
    qkwinhdrfreemem(window);
    qkwindatepickfreemem(window);
    qkwintrvwfreemem(window);
    qkwindlgfreemem(window);
    qkwinmmsgfreemem(window);
    qkwinpagefreemem(window);
    qkwincfgpathfreemem(window);
    qkwinfuncfreemem(window);
    releaseOwnReader(window);
    window->cfgPtr = nullptr;
    // The element context must not point into the released tables.
    std::memset(&gqk_wincfgelem, 0, sizeof gqk_wincfgelem);
    return 0;
}
