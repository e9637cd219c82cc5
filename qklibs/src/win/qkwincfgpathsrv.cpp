// qkwincfgpathsrv: the path table of a window and its look-ups.
#include "qkwincfgpathsrv.h"

#include <atomic>

#include "qkwincfgsrv.h"
#include "qkwintable.h"

namespace {
// Written by the thread that reads a definition file, read by the thread that
// starts a child or plot afterwards.
std::atomic<qkwincfgpathInfo*> gqk_wincfgpathPtr{nullptr};
}  // namespace

int qkwincfgpathregister(qkwinInfo* window)
{
    qklogTrace("qkwincfgpathregister");
    if (window == nullptr) return -2;
    qkwincfgpathInfo& table = window->cfgpath;
    qkwincfgpathIDInfo* rec = qkwintableadd(table.idPtr, table.cnt);
    rec->id = table.cnt;
    table.ndx = table.cnt - 1;
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwincfgpathregister", "cfgpath count: %d, index: %d", table.cnt, table.ndx);
    return 0;
}

qkwincfgpathIDInfo* qkwincfgpathgetIDptrByID(qkwinInfo* window, int id)
{
    qklogTrace("qkwincfgpathgetIDptrByID");
    if (window == nullptr || window->cfgpath.idPtr == nullptr) return nullptr;
    if (id < 1 || id > window->cfgpath.cnt) return nullptr;
    return &window->cfgpath.idPtr[id - 1];
}

qkwincfgpathIDInfo* qkwincfgpathgetIDptrByItemID(qkwinInfo* window, int itemid)
{
    qklogTrace("qkwincfgpathgetIDptrByItemID");
    if (window == nullptr || window->cfgpath.idPtr == nullptr) return nullptr;
    for (int i = 0; i < window->cfgpath.cnt; ++i)
        if (window->cfgpath.idPtr[i].itemid == itemid) return &window->cfgpath.idPtr[i];
    return nullptr;
}

qkwincfgpathInfo* qkcfgpathgetPtr()
{
    qklogTrace("qkcfgpathgetPtr");
    return gqk_wincfgpathPtr.load(std::memory_order_acquire);
}

void qkcfgpathsetPtr(qkwincfgpathInfo* table)
{
    qklogTrace("qkcfgpathsetPtr");
    gqk_wincfgpathPtr.store(table, std::memory_order_release);
}

int qkwincfgpathfreemem(qkwinInfo* window)
{
    qklogTrace("qkwincfgpathfreemem");
    if (window == nullptr) return -2;
    // The remembered table must not outlive its window.
    qkwincfgpathInfo* expected = &window->cfgpath;
    gqk_wincfgpathPtr.compare_exchange_strong(expected, nullptr);
    qkwintablefree(window->cfgpath.idPtr, window->cfgpath.cnt, window->cfgpath.ndx);
    return 0;
}
