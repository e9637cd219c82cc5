// qkwinmsgbox: the settable message box entry point (see the header).
#include "qkwinmsgbox.h"

#include <atomic>

#include "qklogsrv.h"

namespace {
std::atomic<qkwinmsgboxhook> g_hook{nullptr};
}

qkwinmsgboxhook qkwinsetmsgboxhook(qkwinmsgboxhook hook)
{
    qklogTrace("qkwinsetmsgboxhook");
    return g_hook.exchange(hook, std::memory_order_acq_rel);
}

int qkwinmsgboxshow(qkwinInfo* window, int msgType, const char* text)
{
    qklogTrace("qkwinmsgboxshow");
    if (text == nullptr) text = "";
    qkwinmsgboxhook hook = g_hook.load(std::memory_order_acquire);
    if (hook == nullptr || msgType == QKWIN_MSG_STOP || msgType == QKWIN_MSG_ERROR)
        qklogf("qkwinmsgboxshow", "%s", text);
    return hook ? hook(window, msgType, text) : -2;
}
