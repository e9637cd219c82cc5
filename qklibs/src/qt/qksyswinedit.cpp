// qksyswinedit: the edit fields of a window on Qt (see the header). An edit is
// a QLineEdit with the record's text, alignment and password style, limited
// to 127 characters (the text fields of the system). Notifications: focus
// gained 256 (event 21), focus lost 512, text changed 768 (event 14, also for
// a text the program sets, as on the platform), typing stopped at the limit
// 1281 (event 11). GUI thread; the operations come through qksyswinGuiCall.
#include "qksyswinedit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinctrl.h"

namespace {

class EditField : public QLineEdit {
public:
    EditField(qkwinInfo* win, int id, QWidget* parent) : QLineEdit(parent), win_(win), id_(id) {}

protected:
    void focusInEvent(QFocusEvent* e) override
    {
        QLineEdit::focusInEvent(e);
        qksyswinNotify(win_, id_, 256);
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QLineEdit::focusOutEvent(e);
        qksyswinNotify(win_, id_, 512);
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        const bool full = text().size() >= maxLength() && !hasSelectedText();
        QLineEdit::keyPressEvent(e);
        if (full && !e->text().isEmpty() && e->text().at(0).isPrint()) qksyswinNotify(win_, id_, 1281);
    }

private:
    qkwinInfo* win_;
    int id_;
};

}  // namespace

int qksyswinEditCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinEditCreate");
    for (int i = 0; i < win->edit.cnt; ++i) {
        qkwineditIDInfo& rec = win->edit.idPtr[i];
        auto* edit = new EditField(win, rec.id, set.canvas);
        edit->setMaxLength(QKWIN_TEXTSIZE - 1);
        edit->setText(qksyswinCtrlText(rec.text));
        if (rec.style == 1) edit->setEchoMode(QLineEdit::Password);
        if (rec.align == 4) edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (rec.align == 5) edit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        if (rec.bdr.type == 6) edit->setFrame(false);
        qksyswinCtrlApplyColors(edit, rec.color, QPalette::Base, QPalette::Text, false);
        // The password field is named by its id only: its text is secret.
        qksyswinCtrlIdentify(edit, rec.id, rec.style == 1 ? QString() : qksyswinCtrlText(rec.text));
        qksyswinCtrlApplyFont(win, edit, rec.fontid);
        qksyswinCtrlPlace(win, edit, rec.xorig, rec.yorig, rec.xsize, rec.ysize);
        const int id = rec.id;
        const bool secret = rec.style == 1;
        QObject::connect(edit, &QLineEdit::textChanged, edit, [win, id, edit, secret](const QString& t) {
            // Screen readers and UI tests read the field's current text.
            if (!secret) qksyswinCtrlSetAccessibleName(edit, t);
            qksyswinNotify(win, id, 768);
        });
        edit->setVisible(true);
        rec.sysPtr = edit;
        set.edit.emplace_back(edit);
    }
    return 0;
}

int qkwineditsettext(qkwinInfo* window, int id, const char* text)
{
    qklogTrace("qkwineditsettext");
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_EDIT, id, [&](QWidget* w, int) {
        if (w == nullptr) return -2;
        static_cast<QLineEdit*>(w)->setText(qksyswinCtrlText(text));
        return 0;
    });
}

int qkwineditgettext(qkwinInfo* window, int id, int size, char* buffer)
{
    qklogTrace("qkwineditgettext");
    if (buffer == nullptr || size <= 0) return -2;
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_EDIT, id, [&](QWidget* w, int) {
        if (w == nullptr) return -2;
        qksyswinCtrlCopyText(static_cast<QLineEdit*>(w)->text(), buffer, size);
        return 0;
    });
}

int qkwineditsetstate(qkwinInfo* window, int id, int state)
{
    qklogTrace("qkwineditsetstate");
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_EDIT, id, [&](QWidget* w, int pos) {
        if (w == nullptr) return -2;
        if (state != 0 && state != 1) return 0;
        window->edit.idPtr[pos].state = state;
        w->setEnabled(state == 1);
        return 0;
    });
}

int qkwineditdsp(qkwinInfo* window, int id, int show)
{
    qklogTrace("qkwineditdsp");
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_EDIT, id, [&](QWidget* w, int) {
        if (w == nullptr) return -2;
        qksyswinCtrlShow(w, show != 0);
        return 0;
    });
}
