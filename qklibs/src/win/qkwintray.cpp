// qkwintray: the tray icon record of a main window.
#include "qkwintray.h"

#include <cstring>

#include "qkwintable.h"

int qkwintraycreate(qkwinInfo* window)
{
    qklogTrace("qkwintraycreate");
    if (window == nullptr) return -2;
    std::memset(static_cast<void*>(&window->tray), 0, sizeof window->tray);
    window->tray.state = 1;
    window->trayPtr = &window->tray;
    if (window->audit & QKWINCFG_AUD_RECORD)
        qklogf("qkwintraycreate", "tray created, trayPtr: %x", qkwinptrval(window->trayPtr));
    return 0;
}
