// qksyswinstatbar: the status bar on Qt (see the header). A QStatusBar holds
// one sunken label per part: a part with a width keeps it (scaled), a part of
// width -1 or 0 takes the rest of the bar. Height (HEIGHT of STATBAR), font and
// colours come from the record. Where the bar goes: qksyswinobj.h; inside the
// canvas it stays at the bottom edge when the window is resized. GUI thread;
// the operation comes through qksyswinGuiCall.
#include "qksyswinstatbar.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinctrl.h"
#include "qksyswinthread.h"

int qksyswinStatBarCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinStatBarCreate");
    qkwinstatbarInfo& sb = win->sbar;
    if (win->sbarPtr == nullptr || sb.numParts <= 0) return 0;
    const int parts = std::min(sb.numParts, QKWIN_MAXSBARPARTS);
    auto* bar = new QStatusBar();
    bar->setSizeGripEnabled(false);
    qksyswinCtrlIdentify(bar, sb.id, QStringLiteral("status bar"));
    QFont font;
    if (qksyswinCtrlFont(win, sb.fontid, &font)) bar->setFont(font);
    // The status bar's colours are not set to "none chosen" when its package
    // opens: an entry counts only when a colour NAME chose it.
    qkwincolorInfo color = sb.color;
    for (qkwincolordef* c : {&color.bg, &color.fg, &color.border, &color.text})
        if (c->name[0] == '\0') c->rgb = static_cast<int>(QKWIN_NOCOLOR);
    qksyswinCtrlApplyColors(bar, color, QPalette::Window, QPalette::WindowText, true);
    for (int i = 0; i < parts; ++i) {
        const qkwinstatbarpartInfo& p = sb.parts[i];
        auto* label = new QLabel(qksyswinCtrlText(p.text), bar);
        label->setTextFormat(Qt::PlainText);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setObjectName(QStringLiteral("sbpart%1").arg(i));
        label->setAccessibleDescription(QStringLiteral("control %1").arg(p.id));
        label->setAccessibleName(qksyswinCtrlText(p.text));
        int stretch = 1;
        if (p.width > 0) {
            label->setFixedWidth(qksyswinCtrlScale(win, p.width, true));
            stretch = 0;
        }
        bar->addWidget(label, stretch);
        set.statParts.emplace_back(label);
    }
    const int height = sb.hight > 0 ? qksyswinCtrlScale(win, sb.hight, false) : bar->sizeHint().height();
    bar->setFixedHeight(std::max(height, 1));
    qksyswinObj* obj = qksyswinobj(win);
    if (auto* mw = qobject_cast<QMainWindow*>(obj != nullptr ? obj->top : nullptr)) {
        mw->setStatusBar(bar);
    } else {
        bar->setParent(set.canvas);
    }
    bar->setVisible(true);
    sb.sysPtr = bar;
    set.statBar = bar;
    return 0;
}

int qkwinUpdateStatBarItem(qkwinInfo* window, int part, const char* text)
{
    qklogTrace("qkwinUpdateStatBarItem");
    if (window == nullptr) return -2;
    int rc = -2;
    qksyswinGuiCall([&] {
        qksyswinCtrlSet* set = qksyswinCtrlGet(window);
        if (set == nullptr || part < 0 || part >= static_cast<int>(set->statParts.size())) return;
        QLabel* label = set->statParts[static_cast<size_t>(part)].data();
        if (label == nullptr) return;
        qkstrset(window->sbar.parts[part].text, text != nullptr ? text : "");
        const QString t = qksyswinCtrlText(window->sbar.parts[part].text);
        label->setText(t);
        qksyswinCtrlSetAccessibleName(label, t);
        rc = 0;
    });
    return rc;
}
