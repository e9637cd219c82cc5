// qksyswintab: tab controls and their sub-tab pages on Qt (see the header). A
// tab control is a QTabWidget; every sub-tab is a tab whose page holds the
// canvas of a page window (qksyswinNewPageWindow) read from the sub-tab's
// definition file, with the sub-tab's label, tooltip and icon. Label size
// (SIZETAB) sets the size of every tab; style 1 (PUSHBUTTON) draws the tabs as
// buttons without a frame. When the user selects a sub-tab, its page is shown,
// the others hidden, cid/csid/ccldPtr updated, and the sub-tab's id (or the
// tab control's, when only that has a callback) notifies code 0.
// GUI thread; the operations come through qksyswinGuiCall.
#include "qksyswintab.h"

#include <QIcon>
#include <QResizeEvent>
#include <QPixmap>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

#include "qklogsrv.h"
#include "qksyswinctrl.h"
#include "qksyswinsrv.h"
#include "qksyswinthread.h"

namespace {

QTabWidget* tabWidget(qkwinInfo* win, int pos)
{
    qksyswinCtrlSet* set = qksyswinCtrlGet(win);
    if (set == nullptr || pos < 0 || pos >= static_cast<int>(set->tab.size())) return nullptr;
    return qobject_cast<QTabWidget*>(set->tab[static_cast<size_t>(pos)].data());
}

// Shows the selected page of the tab control at pos and records it.
void showSelected(qkwinInfo* win, int pos)
{
    QTabWidget* tw = tabWidget(win, pos);
    qkwinTabIDInfo& rec = win->tab.idPtr[pos];
    if (tw == nullptr || rec.subidPtr == nullptr) return;
    const int sel = tw->currentIndex();
    for (int k = 0; k < rec.subCnt && k < tw->count(); ++k) {
        qkwinInfo* page = rec.subidPtr[k].cldPtr;
        qksyswinObj* obj = qksyswinobj(page);
        if (obj != nullptr && obj->canvas != nullptr) obj->canvas->setVisible(k == sel);
    }
    win->tab.cid = rec.id;
    if (sel >= 0 && sel < rec.subCnt) {
        win->tab.csid = rec.subidPtr[sel].id;
        win->tab.ccldPtr = rec.subidPtr[sel].cldPtr;
    }
}

void selected(qkwinInfo* win, int pos)
{
    showSelected(win, pos);
    if (qksyswinObj* obj = qksyswinobj(win)) obj->tabFlag.store(true);
    const int tabId = win->tab.idPtr[pos].id;
    const int subId = win->tab.csid;
    if (qksyswinCtrlHasCallback(win, subId))
        qksyswinNotify(win, subId, 0);
    else if (qksyswinCtrlHasCallback(win, tabId))
        qksyswinNotify(win, tabId, 0);
}

// Keeps the canvas of a sub-tab page at least as large as its tab's page area.
class PageHost : public QWidget {
public:
    qkwinInfo* page = nullptr;

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QWidget::resizeEvent(e);
        qksyswinObj* obj = qksyswinobj(page);
        if (obj == nullptr || obj->canvas == nullptr || obj->canvas->parentWidget() != this) return;
        const QSize want = obj->canvas->size().expandedTo(size());
        if (want != obj->canvas->size()) obj->canvas->resize(want);
    }
};

void addPages(qkwinInfo* win, int pos, QTabWidget* tw, qksyswinCtrlSet& set)
{
    qkwinTabIDInfo& rec = win->tab.idPtr[pos];
    for (int k = 0; rec.subidPtr != nullptr && k < rec.subCnt; ++k) {
        qkwinSubTabIDInfo& st = rec.subidPtr[k];
        auto* host = new PageHost();
        host->resize(tw->size());
        host->setObjectName(QStringLiteral("page%1").arg(st.id));
        const QString label = qksyswinCtrlText(st.name);
        host->setAccessibleName(label);
        host->setAccessibleDescription(QStringLiteral("control %1").arg(st.id));
        const int index = tw->addTab(host, label);
        if (st.ttip[0] != '\0') tw->setTabToolTip(index, qksyswinCtrlText(st.ttip));
        if (st.icon.path[0] != '\0') {
            const QPixmap pix(QString::fromUtf8(st.icon.path));
            if (!pix.isNull()) tw->setTabIcon(index, QIcon(pix));
        }
        if ((win->tab.audit & QKWIN_AUD_SUBTAB) || (win->audit & QKWIN_AUD_SUBTAB))
            qklogf("qksyswinsubtabinit", "sub tab acttapndx: %d, ndx: %d, id: %d, name: %s", pos, k, st.id, st.name);
        st.sysPtr = host;
        st.cldPtr = st.path[0] != '\0' ? qksyswinNewPageWindow(win, st.path, host) : nullptr;
        host->page = st.cldPtr;
        if (st.cldPtr != nullptr) {
            qksyswinCreateControls(st.cldPtr);
            set.pages.push_back(st.cldPtr);
        }
    }
}

}  // namespace

int qksyswinTabCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinTabCreate");
    for (int i = 0; i < win->tab.cnt; ++i) {
        qkwinTabIDInfo& rec = win->tab.idPtr[i];
        auto* tw = new QTabWidget(set.canvas);
        const QString name = qksyswinCtrlText(rec.name);
        qksyswinCtrlIdentify(tw, rec.id, name);
        qksyswinCtrlApplyFont(win, tw, rec.fontid);
        qksyswinCtrlApplyColors(tw, rec.color, QPalette::Window, QPalette::WindowText, false);
        if (rec.style == 1) {
            tw->setDocumentMode(true);
            tw->tabBar()->setDrawBase(false);
        }
        if (rec.txsize > 0 || rec.tysize > 0) {
            QString css = QStringLiteral("QTabBar::tab {");
            if (rec.txsize > 0) css += QStringLiteral(" width: %1px;").arg(qksyswinCtrlScale(win, rec.txsize, true));
            if (rec.tysize > 0) css += QStringLiteral(" height: %1px;").arg(qksyswinCtrlScale(win, rec.tysize, false));
            tw->tabBar()->setStyleSheet(css + QStringLiteral(" }"));
        }
        qksyswinCtrlPlace(win, tw, rec.xorig, rec.yorig, rec.xsize, rec.ysize);
        rec.sysPtr = tw;
        set.tab.emplace_back(tw);
        addPages(win, i, tw, set);
        // Re-read: making the pages may read other definition files, never this table.
        QObject::connect(tw, &QTabWidget::currentChanged, tw, [win, i] { selected(win, i); });
        tw->setVisible(true);
    }
    if (win->tab.cnt > 0 && win->tab.cid == 0) showSelected(win, 0);
    return 0;
}

void qksyswinTabDestroy(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinTabDestroy");
    // The page windows are released by their owner (with or after this
    // window): their controls go now, and their canvases leave the tab
    // control, which goes with the other controls.
    set.pages.clear();
    for (int i = 0; win->tab.idPtr != nullptr && i < win->tab.cnt; ++i) {
        qkwinTabIDInfo& rec = win->tab.idPtr[i];
        for (int k = 0; rec.subidPtr != nullptr && k < rec.subCnt; ++k) {
            qkwinSubTabIDInfo& st = rec.subidPtr[k];
            if (st.cldPtr != nullptr) {
                qksyswinDestroyControls(st.cldPtr);
                qksyswinObj* obj = qksyswinobj(st.cldPtr);
                if (obj != nullptr && obj->canvas != nullptr) {
                    obj->canvas->hide();
                    obj->canvas->setParent(nullptr);
                }
            }
            st.sysPtr = nullptr;
        }
    }
}

int qksyswinSetActiveTabID(qkwinInfo* window, int id)
{
    qklogTrace("qksyswinSetActiveTabID");
    if (window == nullptr) return -2;
    int rc = -2;
    qksyswinGuiCall([&] {
        for (int i = 0; window->tab.idPtr != nullptr && i < window->tab.cnt && rc != 0; ++i) {
            qkwinTabIDInfo& rec = window->tab.idPtr[i];
            if (rec.id == id) {
                window->tab.cid = id;
                rc = 0;
                break;
            }
            for (int k = 0; rec.subidPtr != nullptr && k < rec.subCnt; ++k) {
                if (rec.subidPtr[k].id != id) continue;
                window->tab.cid = rec.id;
                if (QTabWidget* tw = tabWidget(window, i)) {
                    const QSignalBlocker block(tw);
                    tw->setCurrentIndex(k);
                }
                rc = 0;
                break;
            }
        }
    });
    return rc;
}

void qksyswinTabReselect(qkwinInfo* win)
{
    qklogTrace("qksyswinTabReselect");
    for (int pos = 0; win != nullptr && win->tab.idPtr != nullptr && pos < win->tab.cnt; ++pos) {
        const int cid = win->tab.cid;
        showSelected(win, pos);
        // The active tab control stays the one the program chose.
        if (cid != 0) win->tab.cid = cid;
    }
}

int qksyswinsubtabdsp(qkwinInfo* window)
{
    qklogTrace("qksyswinsubtabdsp");
    if (window == nullptr) return -2;
    int rc = -2;
    qksyswinGuiCall([&] {
        if (window->tab.cnt <= 0) return;
        int pos = window->tab.cid != 0 ? qksyswinCtrlPos(window, QKSYSWIN_CTL_TAB, window->tab.cid) : 0;
        if (pos < 0) pos = 0;
        showSelected(window, pos);
        rc = 0;
    });
    return rc;
}

int qkwintabgetactivesubID(qkwinInfo* window, int id)
{
    qklogTrace("qkwintabgetactivesubID");
    if (window == nullptr) return -2;
    if (id == 0) return window->tab.csid;
    int rc = -2;
    qksyswinGuiCall([&] {
        const int pos = qksyswinCtrlPos(window, QKSYSWIN_CTL_TAB, id);
        QTabWidget* tw = tabWidget(window, pos);
        if (tw == nullptr) return;
        const qkwinTabIDInfo& rec = window->tab.idPtr[pos];
        const int sel = tw->currentIndex();
        rc = (sel >= 0 && sel < rec.subCnt) ? rec.subidPtr[sel].id : 0;
    });
    return rc;
}

qkwinInfo* qkwintabgetactivecldPtr(qkwinInfo* window)
{
    qklogTrace("qkwintabgetactivecldPtr");
    return window != nullptr ? window->tab.ccldPtr : nullptr;
}
