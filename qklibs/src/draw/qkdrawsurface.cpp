// qkdrawsurface: the opening hook of the drawing surface (see the header).
#include "qkdrawsurface.h"

#include <atomic>

#include "qklogsrv.h"

namespace {
std::atomic<qkdrawopenhook> g_openhook{nullptr};
}

int qkdrawSurface::polyline(const qkdrawPointInfo* points, int count)
{
    qklogTrace("qkdrawSurface::polyline");
    if (points == nullptr || count < 1) return -2;
    moveTo(points[0].x, points[0].y);
    for (int i = 1; i < count; ++i) lineTo(points[i].x, points[i].y);
    return 0;
}

qkdrawopenhook qkdrawsetopenhook(qkdrawopenhook hook)
{
    qklogTrace("qkdrawsetopenhook");
    return g_openhook.exchange(hook);
}

std::unique_ptr<qkdrawSurface> qkdrawopen(qkwinInfo* window)
{
    qklogTrace("qkdrawopen");
    qkdrawopenhook hook = g_openhook.load();
    if (window == nullptr || hook == nullptr) return nullptr;
    return hook(window);
}

const qkwinfontIDInfo* qkdrawfindfont(const qkwinInfo* window, int fontid)
{
    qklogTrace("qkdrawfindfont");
    if (window == nullptr || fontid == 0) return nullptr;
    for (int i = 0; window->font.idPtr != nullptr && i < window->font.cnt; ++i)
        if (window->font.idPtr[i].itemid == fontid) return &window->font.idPtr[i];
    for (int i = 0; window->font.idPtr != nullptr && i < window->font.cnt; ++i)
        if (window->font.idPtr[i].id == fontid) return &window->font.idPtr[i];
    // A page or dialog may name a font of the window that made it.
    if (window->prntPtr != nullptr && window->prntPtr != window) return qkdrawfindfont(window->prntPtr, fontid);
    return nullptr;
}
