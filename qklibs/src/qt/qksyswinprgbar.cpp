// qksyswinprgbar: progress bars on Qt (see the header). The QProgressBar is a
// child of the window's canvas; the table of shown bars holds it behind a
// QPointer, so a bar whose window ended (and took the bar with it) is never
// touched. GUI thread; the operations come through qksyswinGuiCall.
#include "qksyswinprgbar.h"

#include <QProgressBar>

#include <map>

#include "qklogsrv.h"
#include "qksyswinctrl.h"
#include "qksyswinthread.h"
#include "qkwinpalettesrv.h"

namespace {

// Shown bars by record; GUI thread only.
std::map<qkwinprgbarInfo*, QPointer<QProgressBar>>& bars()
{
    static std::map<qkwinprgbarInfo*, QPointer<QProgressBar>> b;
    return b;
}

int clamp(const qkwinprgbarInfo* bar)
{
    const int lo = std::min(bar->minval, bar->maxval);
    const int hi = std::max(bar->minval, bar->maxval);
    return std::clamp(bar->pos.load(), lo, hi);
}

}  // namespace

int qkwinCreatePrgBar(qkwinInfo* window, qkwinprgbarInfo* bar, const char* title, int style, const char* colour)
{
    qklogTrace("qkwinCreatePrgBar");
    if (window == nullptr) return -2;
    if (bar == nullptr) bar = window->pbarPtr;
    if (bar == nullptr) return -2;
    const int ref = (colour != nullptr && colour[0] != '\0') ? qkwinpalettegetvalue(window, colour) : -2;
    int rc = -2;
    qksyswinGuiCall([&] {
        qksyswinObj* obj = qksyswinobj(window);
        if (obj == nullptr || obj->canvas == nullptr) {
            qklogf("qkwinCreatePrgBar", "window id: %d has no controls yet, no control %d", window->id, bar->id);
            return;
        }
        auto it = bars().find(bar);
        if (it != bars().end()) {
            delete it->second.data();
            bars().erase(it);
        }
        auto* pb = new QProgressBar(obj->canvas);
        pb->setRange(std::min(bar->minval, bar->maxval), std::max(bar->minval, bar->maxval));
        pb->setValue(clamp(bar));
        if (title != nullptr && title[0] != '\0') {
            pb->setFormat(qksyswinCtrlText(title));
            pb->setTextVisible(true);
            pb->setAlignment(Qt::AlignCenter);
        } else {
            pb->setTextVisible(false);
        }
        if (ref != -2) {
            qkwincolordef c{};
            c.rgb = ref;
            QPalette pal = pb->palette();
            pal.setColor(QPalette::Highlight, qksyswinCtrlColor(c));
            pb->setPalette(pal);
        }
        (void)style;   // the platform's smooth or segmented look: Qt draws one kind
        qksyswinCtrlIdentify(pb, bar->id, title != nullptr ? qksyswinCtrlText(title) : QStringLiteral("progress"));
        qksyswinCtrlPlace(window, pb, bar->xorig, bar->yorig, bar->xsize, bar->ysize);
        pb->raise();
        pb->setVisible(true);
        bar->winPtr = window;
        bar->sysPtr = pb;
        bar->state = 1;
        window->pbarPtr = bar;
        bars()[bar] = pb;
        rc = 0;
    });
    return rc;
}

int qkwinUpdatePrgBar(qkwinprgbarInfo* bar)
{
    qklogTrace("qkwinUpdatePrgBar");
    if (bar == nullptr) return -2;
    int rc = -2;
    qksyswinGuiCall([&] {
        auto it = bars().find(bar);
        if (it == bars().end() || !it->second) return;
        it->second->setValue(clamp(bar));
        rc = 0;
    });
    if (rc != 0) qklogf("qkwinUpdatePrgBar", "progress bar, no control %d", bar->id);
    return rc;
}

int qkwinDestroyPrgBar(qkwinprgbarInfo* bar)
{
    qklogTrace("qkwinDestroyPrgBar");
    if (bar == nullptr) return -2;
    qksyswinGuiCall([&] {
        auto it = bars().find(bar);
        if (it != bars().end()) {
            delete it->second.data();
            bars().erase(it);
        }
    });
    bar->sysPtr = nullptr;
    bar->state = 0;
    return 0;
}
