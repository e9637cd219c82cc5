// qksyswinpage: page display on Qt (see the header). Hiding a control hides
// its widget; a menu item is greyed instead; a tree view (made by the tree
// module) is found by its object name among the canvas's children. GUI
// thread; the operations come through qksyswinGuiCall.
#include "qksyswinpage.h"

#include <QAction>

#include "qklogsrv.h"
#include "qksyswinctrl.h"
#include "qksyswinthread.h"

namespace {

constexpr int kKinds[] = {QKSYSWIN_CTL_REGN, QKSYSWIN_CTL_BTN,      QKSYSWIN_CTL_STAT,
                          QKSYSWIN_CTL_EDIT, QKSYSWIN_CTL_LIST,     QKSYSWIN_CTL_COMB,
                          QKSYSWIN_CTL_TAB,  QKSYSWIN_CTL_HDR,      QKSYSWIN_CTL_DATEPICK};

// Applies show(pageid of a control) -> -1 leave, 0 hide, 1 show to every
// control of the window.
void apply(qkwinInfo* win, const std::function<int(int pageid)>& show)
{
    qksyswinCtrlSet* set = qksyswinCtrlGet(win);
    if (set == nullptr) return;
    for (int kind : kKinds) {
        const int cnt = qksyswinCtrlCount(win, kind);
        for (int pos = 0; pos < cnt; ++pos) {
            const int verdict = show(qksyswinCtrlPageId(win, kind, pos));
            if (verdict < 0) continue;
            // By position: the first record with an id is not always this one.
            std::vector<QPointer<QWidget>>* v = qksyswinCtrlWidgets(*set, kind);
            if (v != nullptr && pos < static_cast<int>(v->size())) qksyswinCtrlShow((*v)[static_cast<size_t>(pos)], verdict == 1);
        }
    }
    for (int i = 0; win->tv.idPtr != nullptr && i < win->tv.cnt; ++i) {
        const int verdict = show(win->tv.idPtr[i].pageid);
        if (verdict < 0 || !set->canvas) continue;
        const QString name = QStringLiteral("id%1").arg(win->tv.idPtr[i].id);
        if (auto* tree = set->canvas->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly)) tree->setVisible(verdict == 1);
    }
    // Menu items: enabled on their page, greyed elsewhere.
    auto menuItem = [&](int id, int pageid) {
        const int verdict = show(pageid);
        if (verdict < 0) return;
        for (auto& [itemId, action] : set->menuItems)
            if (itemId == id && action) action->setEnabled(verdict == 1);
    };
    for (int i = 0; win->menu.idPtr != nullptr && i < win->menu.cnt; ++i) {
        const qkwinMenuIDInfo& m = win->menu.idPtr[i];
        menuItem(m.id, m.pageid);
        for (int k = 0; m.subidPtr != nullptr && k < m.subCnt; ++k) menuItem(m.subidPtr[k].id, m.subidPtr[k].pageid);
    }
}

}  // namespace

int qkstdpagedsetstate(qkwinInfo* window, int state)
{
    qklogTrace("qkstdpagedsetstate");
    if (window == nullptr) return -2;
    window->page.state = state;
    return 0;
}

int qkstdpagedspcb(qkwinInfo* window)
{
    qklogTrace("qkstdpagedspcb");
    if (window == nullptr) return -2;
    if (window->actitemevent > 6 || window->page.state != 1) return 0;
    for (int i = 0; window->page.idPtr != nullptr && i < window->page.cnt; ++i) {
        const qkwinPageIDInfo& p = window->page.idPtr[i];
        if (p.itemid != window->actitemid) continue;
        window->page.currentpageid = p.pageid;
        qksyswinpagedsp(window, p.pageid);
        for (int k = 0; p.subidPtr != nullptr && k < p.subCnt; ++k) qksyswinsubpagedsp(window, p.subidPtr[k].pageid);
    }
    return 0;
}

int qksyswinpagedsp(qkwinInfo* window, int pageid)
{
    qklogTrace("qksyswinpagedsp");
    if (window == nullptr) return -2;
    qksyswinGuiCall([&] { apply(window, [pageid](int pid) { return pid <= 0 ? -1 : (pid == pageid ? 1 : 0); }); });
    return 0;
}

int qksyswinsubpagedsp(qkwinInfo* window, int pageid)
{
    qklogTrace("qksyswinsubpagedsp");
    if (window == nullptr) return -2;
    qksyswinGuiCall([&] { apply(window, [pageid](int pid) { return pid == pageid ? 1 : -1; }); });
    return 0;
}

qkwinPageIDInfo* qkwinpagegetIDpointer(qkwinInfo* window, int index)
{
    qklogTrace("qkwinpagegetIDpointer");
    if (window == nullptr || window->page.idPtr == nullptr || index < 0 || index >= window->page.cnt) return nullptr;
    return &window->page.idPtr[index];
}

int qkwingetcurrentpageID(qkwinInfo* window)
{
    qklogTrace("qkwingetcurrentpageID");
    return window != nullptr ? window->page.currentpageid : -2;
}

int qkwinsetstartpageID(qkwinInfo* window, int pageid)
{
    qklogTrace("qkwinsetstartpageID");
    if (window == nullptr) return -2;
    window->page.startpageid = pageid;
    return 0;
}

int qkwingethomepageID(qkwinInfo* window)
{
    qklogTrace("qkwingethomepageID");
    return window != nullptr ? window->page.homepageid : -2;
}

int qkwinsethomepageID(qkwinInfo* window, int pageid)
{
    qklogTrace("qkwinsethomepageID");
    if (window == nullptr) return -2;
    window->page.homepageid = pageid;
    return 0;
}
