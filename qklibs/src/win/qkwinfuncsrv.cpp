// qkwinfuncsrv: callback table and control event dispatch (see the header).
#include "qkwinfuncsrv.h"

#include <cstdint>
#include <cstring>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qkwinmsgbox.h"

namespace {

// Addresses appear in the trace lines as hexadecimal numbers; the low 32 bits
// tell entries apart and show whether one is bound.
unsigned addrBits(qkwincallback f)
{
    return static_cast<unsigned>(reinterpret_cast<uintptr_t>(f) & 0xFFFFFFFFu);
}

const char* orEmpty(const char* s) { return s ? s : ""; }

// The prefix rule of binding by name: the entry's name begins with name. An
// empty name would match every entry of the table, so it matches none.
bool beginsWith(const qkwinfuncIDInfo& e, const char* name)
{
    size_t len = name ? std::strlen(name) : 0;
    return len > 0 && std::strncmp(e.name, name, len) == 0;
}

bool auditOn(const qkwinInfo* w, int bit) { return (w->audit & bit) != 0; }

const char* procName(int proc)
{
    switch (proc) {
    case QKWIN_PROC_CHILD: return "qksyswinchildproc";
    case QKWIN_PROC_DLG: return "qksyswindlgproc";
    case QKWIN_PROC_SUBTAB: return "qksyswinsubtabproc";
    default: return "qksyswinproc";
    }
}

}  // namespace

int qkwinfuncregister(qkwinInfo* window, int kind, int id, const char* name)
{
    qklogTrace("qkwinfuncregister");
    if (window == nullptr) return -2;
    qkwinfunctionInfo& t = window->func;
    size_t bytes = sizeof(qkwinfuncIDInfo) * static_cast<size_t>(t.cnt + 1);
    t.idPtr = static_cast<qkwinfuncIDInfo*>(qksysMemAllocate(t.idPtr, bytes));
    qkwinfuncIDInfo& e = t.idPtr[t.cnt];
    std::memset(&e, 0, sizeof e);
    e.type = kind;
    e.gflag = 0;
    e.id = id;
    e.add = nullptr;
    qkstrset(e.name, name);
    t.ndx = t.cnt;
    ++t.cnt;
    if (auditOn(window, QKWIN_AUD_FUNCREG))
        qklogf("qkwinfuncregister", "index: %d, type: %d, id: %d, name: %s", t.ndx, e.type, e.id, e.name);
    return 0;
}

int qkwinfuncloadaddr(qkwinInfo* window, const char* name, qkwincallback address)
{
    qklogTrace("qkwinfuncloadaddr");
    if (window == nullptr || address == nullptr) return -2;
    qkwinfunctionInfo& t = window->func;
    for (int i = 0; i < t.cnt; ++i) {
        qkwinfuncIDInfo& e = t.idPtr[i];
        if (auditOn(window, QKWIN_AUD_FUNCLOOKUP))
            qklogf("qkwinfuncloadaddr", "ndx: %d, type: %d, id: %d, func: %s, name: %s, add: %x", i, e.type, e.id,
                   e.name, orEmpty(name), addrBits(e.add));
        if (beginsWith(e, name)) e.add = address;
    }
    return -2;
}

qkwincallback qkwinfuncgetaddr(qkwinInfo* window, int kind, int id, const char* name)
{
    qklogTrace("qkwinfuncgetaddr");
    if (window == nullptr) return nullptr;
    const bool trace = auditOn(window, QKWIN_AUD_FUNCLOOKUP);
    if (trace) qklogf("qkwinfuncgetaddr", "gtype: %d, gid: %d, gname: %s", kind, id, orEmpty(name));
    const qkwinfunctionInfo& t = window->func;
    bool idSeen = false;
    for (int i = 0; i < t.cnt; ++i) {
        const qkwinfuncIDInfo& e = t.idPtr[i];
        if (trace) qklogf("qkwinfuncgetaddr", "ndx: %d, type: %d, id: %d, func: %s", i, e.type, e.id, e.name);
        if (kind == QKWIN_FUNC_BYNAME && beginsWith(e, name)) return e.add;
        if (kind == QKWIN_FUNC_BYID && e.id == id) {
            idSeen = true;
            if (e.add != nullptr) return e.add;
        }
    }
    // Id 1 is asked for every window class; without an entry the framework's
    // own procedure is used, which is no fault.
    if (kind == QKWIN_FUNC_BYID && id != 1 && !idSeen)
        qklogf("qkwinfuncgetaddr", "address not found for - gtype: %d, gid: %d, gname: %s", kind, id, orEmpty(name));
    return nullptr;
}

int qkwinfuncsetgflag(qkwinInfo* window, const char* name)
{
    qklogTrace("qkwinfuncsetgflag");
    if (window == nullptr) return -2;
    qkwinfunctionInfo& t = window->func;
    for (int i = 0; i < t.cnt; ++i) {
        qkwinfuncIDInfo& e = t.idPtr[i];
        if (!beginsWith(e, name)) continue;
        e.gflag = 1;
        if (auditOn(window, QKWIN_AUD_FUNCLOOKUP))
            qklogf("qkwinfuncsetgflag", "ndx: %d, name: %s, idPtr.name: %s", i, orEmpty(name), e.name);
    }
    return -2;
}

int qkwinfuncsetcallback(qkwinInfo* window, int id, const char* name, qkwincallback address, int inherit)
{
    qklogTrace("qkwinfuncsetcallback");
    if (window == nullptr) return -2;
    qkwinfuncregister(window, QKWIN_FUNC_BYNAME, id, name);
    qkwinfuncloadaddr(window, name, address);
    if (inherit != 0) qkwinfuncsetgflag(window, name);
    return 0;
}

int qkwinfuncloglist(qkwinInfo* window)
{
    qklogTrace("qkwinfuncloglist");
    if (window == nullptr) return -2;
    auto lock = qkloglock();   // the list stays in one piece in the log
    qklogf("qkwinfuncloglist", "Log list of defined functions/callbacks");
    const qkwinfunctionInfo& t = window->func;
    for (int i = 0; i < t.cnt; ++i) {
        const qkwinfuncIDInfo& e = t.idPtr[i];
        qklogf("qkwinfuncloglist", "ndx: %d, type: %d, id: %d, name: %s, add: %x", i, e.type, e.id, e.name,
               addrBits(e.add));
    }
    return 0;
}

int qkwinfuncfreemem(qkwinInfo* window)
{
    qklogTrace("qkwinfuncfreemem");
    if (window == nullptr) return -2;
    qksysMemFree(window->func.idPtr);
    window->func.idPtr = nullptr;
    window->func.cnt = 0;
    window->func.ndx = 0;
    return 0;
}

int qkwinfuncinherit(qkwinInfo* child, const qkwinInfo* parent)
{
    qklogTrace("qkwinfuncinherit");
    if (child == nullptr || parent == nullptr || child == parent) return -2;
    const qkwinfunctionInfo& pt = parent->func;
    // The entries the child's own definition made come before the inherited ones.
    const int own = child->func.cnt;
    for (int i = 0; i < pt.cnt; ++i) {
        const qkwinfuncIDInfo& e = pt.idPtr[i];
        if (e.gflag == 1) qkwinfuncsetcallback(child, e.id, e.name, e.add, 1);
    }
    // The window's own functions. A function the child's definition names
    // (USERSTARTFUNCTION and the like) is the one meant once its name is bound
    // (inherited or standard): the parent holds several entries under the fixed
    // ids (the serial port loader and the scale display also sit at 199). Else
    // the program bound it in the parent under the child's fixed id, and the
    // last entry with the id is the one it meant.
    auto pick = [&](int id, qkwincallback& out) {
        if (id == 0) return;
        for (int i = 0; i < own; ++i) {
            const qkwinfuncIDInfo& e = child->func.idPtr[i];
            if (e.id != id) continue;
            if (e.add != nullptr) {
                out = e.add;
                return;
            }
            for (int k = pt.cnt - 1; k >= 0; --k)
                if (pt.idPtr[k].add != nullptr && std::strcmp(pt.idPtr[k].name, e.name) == 0) {
                    out = pt.idPtr[k].add;
                    return;
                }
        }
        for (int i = pt.cnt - 1; i >= 0; --i)
            if (pt.idPtr[i].id == id) {
                out = pt.idPtr[i].add;
                return;
            }
    };
    pick(child->startcbid, child->userStartFunc);
    pick(child->runcbid, child->userRunFunc);
    pick(child->updatecbid, child->userUpdateFunc);
    pick(child->closecbid, child->userCloseFunc);
    return 0;
}

int qkwinfuncgetevent(int code)
{
    qklogTrace("qkwinfuncgetevent");
    // Notification codes of buttons, lists, combo boxes and edit fields (click,
    // selection change, double click, focus, edit change, drop-down, close-up,
    // text update, text limit) and the framework's event numbers.
    static const struct {
        int code;
        int event;
    } kEvents[] = {
        {0, 6},  {1, 7},   {2, 3},    {3, 16},   {4, 17},    {5, 1},     {7, 22},
        {9, 8},  {10, 20}, {199, 13}, {256, 21}, {768, 14}, {1024, 12}, {1281, 11},
    };
    for (const auto& m : kEvents)
        if (m.code == code) return m.event;
    return QKWIN_EVENT_NONE;
}

int qkwinfuncdispatch(qkwinInfo* window, int proc, int id, int code)
{
    qklogTrace("qkwinfuncdispatch");
    if (window == nullptr) return -2;
    const char* label = procName(proc);
    const bool byAddress = proc == QKWIN_PROC_DLG || proc == QKWIN_PROC_SUBTAB;
    const bool trace = byAddress && auditOn(window, QKWIN_AUD_FUNCDLG);
    const qkwinfunctionInfo& t = window->func;

    const qkwinfuncIDInfo* entry = nullptr;
    for (int i = 0; i < t.cnt && entry == nullptr; ++i) {
        const qkwinfuncIDInfo& e = t.idPtr[i];
        if (trace)
            qklogf(label, "cnt: %d, ndx: %d, id: %d, func.id: %d, add: %x", t.cnt, i, id, e.id, addrBits(e.add));
        if (e.id == id) entry = &e;
    }
    if (entry == nullptr) {
        qklogf(label, "function not found for id: %d", id);
        return -2;
    }

    // Dialogs and sub-tab pages share ids with the definitions of their parent
    // and take the first entry of the id that is bound.
    qkwincallback fn = byAddress ? qkwinfuncgetaddr(window, QKWIN_FUNC_BYID, id, entry->name) : entry->add;
    if (fn == nullptr) {
        char text[256];
        if (proc == QKWIN_PROC_DLG)
            qkstrfmt(text, sizeof text, "%s no callback defined for\nid: %d\n name: %s", label, entry->id, entry->name);
        else if (proc == QKWIN_PROC_SUBTAB)
            qkstrfmt(text, sizeof text, "TAB no callback defined for\nid: %d\n name: %s", entry->id, entry->name);
        else
            qkstrfmt(text, sizeof text, "no callback defined for\nid: %d\n name: %s", entry->id, entry->name);
        qkwinmsgboxshow(window, QKWIN_MSG_ERROR, text);
        return -2;
    }
    window->actitemid = id;
    window->actitemevent = qkwinfuncgetevent(code);
    fn(window);
    return 0;
}
