// qksyswinstatic: the static texts of a window on Qt (see the header). A static
// is a QLabel: text or icon, alignment (3 left, 4 right, 5 centre, vertically
// centred), border (6 flat box, 7 raised, 8 sunken panel), background and text
// colours (a transparent background shows the window below). A static that
// has a callback notifies a click (code 0) and a double click (code 1).
// GUI thread; the operations come through qksyswinGuiCall.
#include "qksyswinstatic.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinctrl.h"
#include "qkwinpalettesrv.h"

namespace {

class StaticLabel : public QLabel {
public:
    StaticLabel(qkwinInfo* win, int id, QWidget* parent) : QLabel(parent), win_(win), id_(id)
    {
        // A static with a callback is pressed like a button: it takes the
        // keyboard focus (Space or Enter press it) and offers screen readers
        // and UI tests a press action; it keeps the look of a static.
        if (qksyswinCtrlHasCallback(win_, id_)) {
            setFocusPolicy(Qt::StrongFocus);
            setProperty("qkwinpress", true);
        }
    }
    void press()
    {
        if (qksyswinCtrlHasCallback(win_, id_)) qksyswinNotify(win_, id_, 0);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        QLabel::mouseReleaseEvent(e);
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) press();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        const int k = e->key();
        if ((k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter) && property("qkwinpress").toBool()) {
            press();
            return;
        }
        QLabel::keyPressEvent(e);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        QLabel::mouseDoubleClickEvent(e);
        if (e->button() == Qt::LeftButton && qksyswinCtrlHasCallback(win_, id_)) qksyswinNotify(win_, id_, 1);
    }

private:
    qkwinInfo* win_;
    int id_;
};

// The accessible side of a static that can be pressed: its text as name and
// the press action (and the focus action every widget has).
class PressableStatic : public QAccessibleWidget {
public:
    explicit PressableStatic(QWidget* w) : QAccessibleWidget(w, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << QAccessibleActionInterface::pressAction();
    }
    void doAction(const QString& name) override
    {
        if (name == QAccessibleActionInterface::pressAction())
            static_cast<StaticLabel*>(widget())->press();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface* pressableFactory(const QString&, QObject* object)
{
    auto* label = qobject_cast<QLabel*>(object);
    if (label == nullptr || !label->property("qkwinpress").toBool()) return nullptr;
    return new PressableStatic(label);
}

Qt::Alignment alignment(int align)
{
    switch (align) {
    case 4: return Qt::AlignRight | Qt::AlignVCenter;
    case 5: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

void applyColors(QWidget* w, const qkwinstaticIDInfo& rec)
{
    qksyswinCtrlApplyColors(w, rec.color, QPalette::Window, QPalette::WindowText, true);
}

}  // namespace

// The frame style of a border type (also used by edits and lists).
int qksyswinCtrlFrameStyle(int type)
{
    qklogTrace("qksyswinCtrlFrameStyle");
    switch (type) {
    case 6: return QFrame::Box | QFrame::Plain;
    case 7: return QFrame::Panel | QFrame::Raised;
    case 8: return QFrame::Panel | QFrame::Sunken;
    default: return -1;
    }
}

int qksyswinStaticCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinStaticCreate");
    static const bool factory = (QAccessible::installFactory(pressableFactory), true);
    (void)factory;
    for (int i = 0; i < win->stat.cnt; ++i) {
        qkwinstaticIDInfo& rec = win->stat.idPtr[i];
        auto* label = new StaticLabel(win, rec.id, set.canvas);
        const QString text = qksyswinCtrlText(rec.text);
        label->setText(text);
        if (rec.icon.path[0] != '\0') {
            QPixmap pix(QString::fromUtf8(rec.icon.path));
            if (!pix.isNull()) {
                if (rec.icon.xsize > 0 && rec.icon.ysize > 0)
                    pix = pix.scaled(qksyswinCtrlScale(win, rec.icon.xsize, true),
                                     qksyswinCtrlScale(win, rec.icon.ysize, false), Qt::KeepAspectRatio,
                                     Qt::SmoothTransformation);
                label->setPixmap(pix);
            }
        }
        label->setAlignment(alignment(rec.align));
        label->setTextFormat(Qt::PlainText);
        const int frame = qksyswinCtrlFrameStyle(rec.bdr.type);
        if (frame >= 0) label->setFrameStyle(frame);
        applyColors(label, rec);
        qksyswinCtrlIdentify(label, rec.id, text);
        qksyswinCtrlApplyFont(win, label, rec.fontid);
        qksyswinCtrlPlace(win, label, rec.xorig, rec.yorig, rec.xsize, rec.ysize);
        label->setVisible(true);
        rec.sysPtr = label;
        set.stat.emplace_back(label);
    }
    return 0;
}

int qkwinstaticsettext(qkwinInfo* window, int id, const char* text)
{
    qklogTrace("qkwinstaticsettext");
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_STAT, id, [&](QWidget* w, int pos) {
        if (w == nullptr) return -2;
        qkwinstaticIDInfo& rec = window->stat.idPtr[pos];
        qkstrset(rec.text, text != nullptr ? text : "");
        const QString t = qksyswinCtrlText(rec.text);
        static_cast<QLabel*>(w)->setText(t);
        qksyswinCtrlSetAccessibleName(w, t);
        return 0;
    });
}

int qkwinstaticsetstate(qkwinInfo* window, int id, int state)
{
    qklogTrace("qkwinstaticsetstate");
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_STAT, id, [&](QWidget* w, int pos) {
        if (w == nullptr) return -2;
        if (state != 0 && state != 1) return 0;
        window->stat.idPtr[pos].state = state;
        w->setEnabled(state == 1);
        return 0;
    });
}

int qkwinstatchgcolor(qkwinInfo* window, int id, int which, const char* colour)
{
    qklogTrace("qkwinstatchgcolor");
    if (window == nullptr || colour == nullptr || (which != 1 && which != 3)) return -2;
    const int ref = qkwinpalettegetvalue(window, colour);
    if (ref == -2) return -2;
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_STAT, id, [&](QWidget* w, int pos) {
        if (w == nullptr) return -2;
        qkwinstaticIDInfo& rec = window->stat.idPtr[pos];
        qkwincolordef& c = which == 1 ? rec.color.bg : rec.color.text;
        c.rgb = ref;
        c.flags = 0;
        qkstrset(c.name, colour);
        applyColors(w, rec);
        w->update();
        return 0;
    });
}

int qkwinstaticdsp(qkwinInfo* window, int id, int show)
{
    qklogTrace("qkwinstaticdsp");
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_STAT, id, [&](QWidget* w, int) {
        if (w == nullptr) return -2;
        qksyswinCtrlShow(w, show != 0);
        return 0;
    });
}
