// qkwinmgr: the window management table (see the header).
#include "qkwinmgr.h"

#include <cstring>
#include <mutex>

#include "qklogsrv.h"
#include "qksyssrv.h"
#include "qkwintable.h"

namespace {

std::recursive_mutex gqk_winmgrlock;

qkwinInfo* asWin(intptr_t v)
{
    return reinterpret_cast<qkwinInfo*>(v);
}

intptr_t fieldOf(const qkwinhandInfo& slot, int kind)
{
    switch (kind) {
    case QKWINMGR_PARENT: return reinterpret_cast<intptr_t>(slot.prtwinhdl);
    case QKWINMGR_CHILD: return reinterpret_cast<intptr_t>(slot.cldwinhdl);
    case QKWINMGR_SYSWIN: return reinterpret_cast<intptr_t>(slot.syswinhdl);
    case QKWINMGR_ITEM: return slot.itemID;
    default: return 0;
    }
}

bool setField(qkwinhandInfo& slot, int kind, intptr_t value)
{
    switch (kind) {
    case QKWINMGR_PARENT: slot.prtwinhdl = asWin(value); return true;
    case QKWINMGR_CHILD: slot.cldwinhdl = asWin(value); return true;
    case QKWINMGR_SYSWIN: slot.syswinhdl = reinterpret_cast<void*>(value); return true;
    case QKWINMGR_ITEM: slot.itemID = static_cast<int>(value); return true;
    default: return false;
    }
}

unsigned hexOf(intptr_t v)
{
    return static_cast<unsigned>(static_cast<uintptr_t>(v));
}

int setndxLocked(qkwinmanagementInfo* table)
{
    for (int i = 0; i < QKWIN_MAXWINDOWS; ++i) {
        if (table->hndl[i].cldwinhdl != nullptr) continue;
        table->ndx = i;
        if (i >= table->cnt) table->cnt = i + 1;
        if (table->audit & QKWINMGR_AUD_SLOT)
            qklogf("qkwinmgrsetndx", "cnt: %d, cndx: %d, cldPtr: %x", table->cnt, i, 0u);
        return i;
    }
    qklogf("qkwinmgrsetndx", "Max window count reached: %d", QKWIN_MAXWINDOWS);
    return -2;
}

}  // namespace

qkwinmanagementInfo* qkwinmgrallocate()
{
    qklogTrace("qkwinmgrallocate");
    auto* table = static_cast<qkwinmanagementInfo*>(qksysMemAllocate(nullptr, sizeof(qkwinmanagementInfo)));
    std::memset(static_cast<void*>(table), 0, sizeof *table);
    return table;
}

int qkwinmgrfreemem(qkwinmanagementInfo* table)
{
    qklogTrace("qkwinmgrfreemem");
    if (table == nullptr) return -2;
    qksysMemFree(table);
    return 0;
}

int qkwinmgrsetndx(qkwinmanagementInfo* table)
{
    qklogTrace("qkwinmgrsetndx");
    if (table == nullptr) return -2;
    std::lock_guard<std::recursive_mutex> lock(gqk_winmgrlock);
    return setndxLocked(table);
}

int qkwinmgrsethdl(qkwinmanagementInfo* table, int kind, intptr_t value)
{
    qklogTrace("qkwinmgrsethdl");
    if (table == nullptr || table->ndx < 0 || table->ndx >= QKWIN_MAXWINDOWS) return -2;
    std::lock_guard<std::recursive_mutex> lock(gqk_winmgrlock);
    qkwinhandInfo& slot = table->hndl[table->ndx];
    if (!setField(slot, kind, value)) return -2;
    if (table->audit & QKWINMGR_AUD_SET)
        qklogf("qkwinmgrsethdl", "type: %d, cnt: %d, ndx: %d, itemID: %d, prthdl: %x, cldhdl: %x, syshdl: %x", kind,
               table->cnt, table->ndx, slot.itemID, qkwinptrval(slot.prtwinhdl), qkwinptrval(slot.cldwinhdl),
               qkwinptrval(slot.syswinhdl));
    return 0;
}

intptr_t qkwinmgrgethdl(qkwinmanagementInfo* table, int stype, int rtype, intptr_t value)
{
    qklogTrace("qkwinmgrgethdl");
    if (table == nullptr) return 0;
    std::lock_guard<std::recursive_mutex> lock(gqk_winmgrlock);
    for (int i = 0; i < table->cnt && i < QKWIN_MAXWINDOWS; ++i) {
        const qkwinhandInfo& slot = table->hndl[i];
        if (slot.cldwinhdl == nullptr || fieldOf(slot, stype) != value) continue;
        intptr_t r = fieldOf(slot, rtype);
        if (table->audit & QKWINMGR_AUD_GET)
            qklogf("qkwinmgrgethdl", "cnt: %d, stype: %d, rtype: %d, ddl: %x", i, stype, rtype, hexOf(r));
        return r;
    }
    return 0;
}

int qkwinmgrclrhdl(qkwinmanagementInfo* table, int kind, intptr_t value)
{
    qklogTrace("qkwinmgrclrhdl");
    if (table == nullptr) return 0;
    std::lock_guard<std::recursive_mutex> lock(gqk_winmgrlock);
    int n = 0;
    for (int i = 0; i < table->cnt && i < QKWIN_MAXWINDOWS; ++i) {
        qkwinhandInfo& slot = table->hndl[i];
        if (fieldOf(slot, kind) != value) continue;
        setField(slot, kind, 0);
        ++n;
        if (table->audit & QKWINMGR_AUD_SLOT)
            qklogf("qkwinmgrclrhdl", "cnt: %d, stype: %d, hdl: %x", i, kind, hexOf(value));
    }
    return n;
}

int qkwinmgrclrndx(qkwinmanagementInfo* table, int ndx)
{
    qklogTrace("qkwinmgrclrndx");
    if (table == nullptr || ndx < 0 || ndx >= QKWIN_MAXWINDOWS) return -2;
    std::lock_guard<std::recursive_mutex> lock(gqk_winmgrlock);
    std::memset(static_cast<void*>(&table->hndl[ndx]), 0, sizeof table->hndl[ndx]);
    return 0;
}

int qkwinmgrsrchhdl(qkwinmanagementInfo* table, int kind, intptr_t value)
{
    qklogTrace("qkwinmgrsrchhdl");
    if (table == nullptr) return -2;
    std::lock_guard<std::recursive_mutex> lock(gqk_winmgrlock);
    for (int i = 0; i < table->cnt && i < QKWIN_MAXWINDOWS; ++i) {
        const qkwinhandInfo& slot = table->hndl[i];
        if (slot.cldwinhdl != nullptr && fieldOf(slot, kind) == value) return i;
    }
    return -2;
}

int qkwinmgrloglist(qkwinmanagementInfo* table)
{
    qklogTrace("qkwinmgrloglist");
    if (table == nullptr) return -2;
    std::lock_guard<std::recursive_mutex> lock(gqk_winmgrlock);
    for (int i = 0; i < table->cnt && i < QKWIN_MAXWINDOWS; ++i) {
        const qkwinhandInfo& slot = table->hndl[i];
        if (slot.cldwinhdl == nullptr) continue;
        qklogf("qkwinmgrloglist", "cnt: %d, ndx: %d, itemID: %d, prtwinhdl: %x, cldwinhdl: %x syswinhdl: %x", table->cnt,
               i, slot.itemID, qkwinptrval(slot.prtwinhdl), qkwinptrval(slot.cldwinhdl), qkwinptrval(slot.syswinhdl));
    }
    return 0;
}

int qkwinmgrtakeslot(qkwinmanagementInfo* table, int itemID, qkwinInfo* parent, qkwinInfo* child, void* syswin)
{
    qklogTrace("qkwinmgrtakeslot");
    if (table == nullptr || child == nullptr) return -2;
    std::lock_guard<std::recursive_mutex> lock(gqk_winmgrlock);
    int ndx = setndxLocked(table);
    if (ndx < 0) return ndx;
    qkwinmgrsethdl(table, QKWINMGR_ITEM, itemID);
    qkwinmgrsethdl(table, QKWINMGR_PARENT, reinterpret_cast<intptr_t>(parent));
    qkwinmgrsethdl(table, QKWINMGR_CHILD, reinterpret_cast<intptr_t>(child));
    qkwinmgrsethdl(table, QKWINMGR_SYSWIN, reinterpret_cast<intptr_t>(syswin));
    return ndx;
}

int qkwinmgrforeach(qkwinmanagementInfo* table, const std::function<void(int, qkwinhandInfo&)>& fn)
{
    qklogTrace("qkwinmgrforeach");
    if (table == nullptr) return 0;
    std::lock_guard<std::recursive_mutex> lock(gqk_winmgrlock);
    int n = 0;
    for (int i = 0; i < table->cnt && i < QKWIN_MAXWINDOWS; ++i) {
        if (table->hndl[i].cldwinhdl == nullptr) continue;
        fn(i, table->hndl[i]);
        ++n;
    }
    return n;
}

int qkwinmgrcallback(qkwinInfo* window)
{
    qklogTrace("qkwinmgrcallback");
    if (window == nullptr || window->mgrPtr == nullptr) return -2;
    switch (window->actitemid) {
    case 9352: qkwinmgrloglist(window->mgrPtr); break;
    case 9356: window->mgrPtr->audit = QKWINMGR_AUD_ALL; break;
    case 9358: window->mgrPtr->audit = 0; break;
    default: break;
    }
    return 0;
}
