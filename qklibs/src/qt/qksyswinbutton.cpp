// qksyswinbutton: the buttons of a window on Qt (see the header).
//   style 1 push and 0 (not given) -> QPushButton
//   style 2 check, 6 auto check      -> QCheckBox
//   style 3 radio, 7 auto radio      -> QRadioButton
//   style 4 group                    -> QGroupBox (a captioned frame)
//   style 5 image                    -> QPushButton with the icon of the record
// Plain check and radio buttons do not change their own mark when clicked:
// the program sets it (qkwinbtnsetstate), as with the platform's non-automatic
// buttons; automatic ones toggle themselves, and automatic radio buttons of
// one window exclude each other.
// A click notifies code 0 (event 6). GUI thread; the operations come through
// qksyswinGuiCall.
#include "qksyswinbutton.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinctrl.h"
#include "qkwinpalettesrv.h"

namespace {

enum : int { STYLE_PUSH = 1, STYLE_CHECK, STYLE_RADIO, STYLE_GROUP, STYLE_IMAGE, STYLE_AUTOCHECK, STYLE_AUTORADIO };

// A check box that leaves its mark to the program.
class ManualCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {}
};

class ManualRadioButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override {}
};

QWidget* make(qkwinInfo* win, const qkwinbtnIDInfo& rec, QWidget* parent)
{
    const QString text = qksyswinCtrlText(rec.name);
    QAbstractButton* button = nullptr;
    switch (rec.style) {
    case STYLE_CHECK: button = new ManualCheckBox(text, parent); break;
    case STYLE_AUTOCHECK: button = new QCheckBox(text, parent); break;
    case STYLE_RADIO: {
        auto* r = new ManualRadioButton(text, parent);
        r->setAutoExclusive(false);
        button = r;
        break;
    }
    case STYLE_AUTORADIO: button = new QRadioButton(text, parent); break;
    case STYLE_GROUP: {
        auto* g = new QGroupBox(text, parent);
        qksyswinCtrlApplyColors(g, rec.color, QPalette::Window, QPalette::WindowText, false);
        return g;
    }
    default: {
        auto* p = new QPushButton(text, parent);
        if (rec.style == STYLE_IMAGE && rec.icon.path[0] != '\0') {
            const QPixmap pix(QString::fromUtf8(rec.icon.path));
            if (!pix.isNull()) {
                p->setIcon(QIcon(pix));
                if (rec.icon.xsize > 0 && rec.icon.ysize > 0)
                    p->setIconSize(QSize(qksyswinCtrlScale(win, rec.icon.xsize, true),
                                         qksyswinCtrlScale(win, rec.icon.ysize, false)));
            }
        }
        if (rec.bdr.type == 6) p->setFlat(true);
        button = p;
        break;
    }
    }
    qksyswinCtrlApplyColors(button, rec.color, QPalette::Button, QPalette::ButtonText, false);
    return button;
}

}  // namespace

int qksyswinButtonCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinButtonCreate");
    for (int i = 0; i < win->btn.cnt; ++i) {
        qkwinbtnIDInfo& rec = win->btn.idPtr[i];
        QWidget* w = make(win, rec, set.canvas);
        qksyswinCtrlIdentify(w, rec.id, qksyswinCtrlText(rec.name));
        qksyswinCtrlApplyFont(win, w, rec.fontid);
        qksyswinCtrlPlace(win, w, rec.xorig, rec.yorig, rec.xsize, rec.ysize);
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            const int id = rec.id;
            QObject::connect(b, &QAbstractButton::clicked, b, [win, id] { qksyswinNotify(win, id, 0); });
        }
        w->setVisible(true);
        rec.sysPtr = w;
        set.btn.emplace_back(w);
    }
    return 0;
}

int qkwinbtnsetstate(qkwinInfo* window, int id, int state)
{
    qklogTrace("qkwinbtnsetstate");
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_BTN, id, [&](QWidget* w, int pos) {
        if (w == nullptr) return -2;
        if (state != 0 && state != 1) return 0;
        auto* b = qobject_cast<QAbstractButton*>(w);
        if (b != nullptr && b->isCheckable()) {
            b->setChecked(state == 1);
            window->btn.idPtr[pos].state = state;
        } else {
            w->setEnabled(state == 1);
        }
        return 0;
    });
}

int qkwinbtngetstate(qkwinInfo* window, int id, int* state)
{
    qklogTrace("qkwinbtngetstate");
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_BTN, id, [&](QWidget* w, int) {
        if (w == nullptr) return -2;
        auto* b = qobject_cast<QAbstractButton*>(w);
        if (state != nullptr) *state = (b != nullptr && b->isCheckable() && b->isChecked()) ? 1 : 0;
        return 0;
    });
}

int qkwinbtndsp(qkwinInfo* window, int id, int show)
{
    qklogTrace("qkwinbtndsp");
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_BTN, id, [&](QWidget* w, int) {
        if (w == nullptr) return -2;
        qksyswinCtrlShow(w, show != 0);
        return 0;
    });
}

int qkwinbtnsettext(qkwinInfo* window, int id, const char* text)
{
    qklogTrace("qkwinbtnsettext");
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_BTN, id, [&](QWidget* w, int pos) {
        if (w == nullptr) return -2;
        qkstrset(window->btn.idPtr[pos].name, text != nullptr ? text : "");
        const QString t = qksyswinCtrlText(window->btn.idPtr[pos].name);
        if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(t);
        if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(t);
        qksyswinCtrlSetAccessibleName(w, t);
        return 0;
    });
}

int qkwinbtnchgcolor(qkwinInfo* window, int id, int which, const char* colour)
{
    qklogTrace("qkwinbtnchgcolor");
    if (which != 1 && which != 3) return -2;
    if (window == nullptr || colour == nullptr) return -2;
    const int ref = qkwinpalettegetvalue(window, colour);
    if (ref == -2) return -2;
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_BTN, id, [&](QWidget* w, int pos) {
        if (w == nullptr) return -2;
        qkwinbtnIDInfo& rec = window->btn.idPtr[pos];
        qkwincolordef& c = which == 1 ? rec.color.bg : rec.color.text;
        c.rgb = ref;
        c.flags = 0;
        qkstrset(c.name, colour);
        qksyswinCtrlApplyColors(w, rec.color, QPalette::Button, QPalette::ButtonText, false);
        w->update();
        return 0;
    });
}
