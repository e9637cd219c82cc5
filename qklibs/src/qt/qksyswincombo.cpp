// qksyswincombo: the combo boxes of a window on Qt (see the header). A combo
// box is an editable QComboBox whose edit field starts empty: nothing is
// chosen until the user or the program chooses (the set-up dialogs ask "Select
// COM port" while it is empty). Notifications: entry chosen by the user 1
// (event 7), edit text typed 5 (event 1), drop-down opened 7 (event 22) and
// closed 8, focus gained 3 (event 16) and lost 4 (event 17).
// GUI thread; the operations come through qksyswinGuiCall.
#include "qksyswincombo.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalBlocker>

#include "qklogsrv.h"
#include "qksyswinctrl.h"

namespace {

class ComboBox : public QComboBox {
public:
    ComboBox(qkwinInfo* win, int id, QWidget* parent) : QComboBox(parent), win_(win), id_(id) {}

    void showPopup() override
    {
        qksyswinNotify(win_, id_, 7);
        QComboBox::showPopup();
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        qksyswinNotify(win_, id_, 8);
    }

    // Appends an entry and keeps the edit field as it was (Qt would choose
    // the first entry of an empty list).
    void addEntry(const QString& text)
    {
        const QSignalBlocker block(this);
        const QString edit = currentText();
        const bool none = currentIndex() < 0;
        addItem(text);
        if (none) {
            setCurrentIndex(-1);
            setEditText(edit);
        }
    }

protected:
    void focusInEvent(QFocusEvent* e) override
    {
        QComboBox::focusInEvent(e);
        qksyswinNotify(win_, id_, 3);
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QComboBox::focusOutEvent(e);
        qksyswinNotify(win_, id_, 4);
    }

private:
    qkwinInfo* win_;
    int id_;
};

}  // namespace

int qksyswinComboCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinComboCreate");
    for (int i = 0; i < win->comb.cnt; ++i) {
        qkwincomboIDInfo& rec = win->comb.idPtr[i];
        auto* combo = new ComboBox(win, rec.id, set.canvas);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(16);
        combo->lineEdit()->setMaxLength(QKWIN_TEXTSIZE - 1);
        for (int k = 0; rec.itemidPtr != nullptr && k < rec.itemCnt; ++k) combo->addEntry(qksyswinCtrlText(rec.itemidPtr[k].item));
        qksyswinCtrlApplyColors(combo, rec.color, QPalette::Base, QPalette::Text, false);
        qksyswinCtrlIdentify(combo, rec.id, qksyswinCtrlText(rec.name));
        qksyswinCtrlApplyFont(win, combo, rec.fontid);
        // The height of a combo box is that of its closed field; the platform
        // counts the drop-down list in it.
        qksyswinCtrlPlace(win, combo, rec.xorig, rec.yorig, rec.xsize, 0);
        const int id = rec.id;
        QObject::connect(combo, &QComboBox::activated, combo, [win, id] { qksyswinNotify(win, id, 1); });
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [win, id] { qksyswinNotify(win, id, 5); });
        combo->setVisible(true);
        rec.sysPtr = combo;
        set.comb.emplace_back(combo);
    }
    return 0;
}

namespace {

int withCombo(qkwinInfo* window, int id, const std::function<int(ComboBox*)>& fn)
{
    return qksyswinCtrlCall(window, QKSYSWIN_CTL_COMB, id, [&](QWidget* w, int) {
        if (w == nullptr) return -2;
        return fn(static_cast<ComboBox*>(w));
    });
}

}  // namespace

int qkwincombosetedit(qkwinInfo* window, int id, const char* text)
{
    qklogTrace("qkwincombosetedit");
    return withCombo(window, id, [&](ComboBox* c) {
        const QSignalBlocker block(c);
        const QString t = qksyswinCtrlText(text);
        const int index = c->findText(t, Qt::MatchExactly);
        c->setCurrentIndex(index);
        c->setEditText(t);
        return 0;
    });
}

int qkwincombogetedit(qkwinInfo* window, int id, int size, char* buffer)
{
    qklogTrace("qkwincombogetedit");
    if (buffer == nullptr || size <= 0) return -2;
    return withCombo(window, id, [&](ComboBox* c) {
        qksyswinCtrlCopyText(c->currentText(), buffer, size);
        return 0;
    });
}

int qkwincomboclear(qkwinInfo* window, int id)
{
    qklogTrace("qkwincomboclear");
    return withCombo(window, id, [&](ComboBox* c) {
        const QSignalBlocker block(c);
        c->clear();
        c->clearEditText();
        return 0;
    });
}

int qkwincomboadditem(qkwinInfo* window, int id, const char* text)
{
    qklogTrace("qkwincomboadditem");
    return withCombo(window, id, [&](ComboBox* c) {
        c->addEntry(qksyswinCtrlText(text));
        return 0;
    });
}

int qkwincombogetcount(qkwinInfo* window, int id)
{
    qklogTrace("qkwincombogetcount");
    return withCombo(window, id, [&](ComboBox* c) { return c->count(); });
}

int qkwincombosetstate(qkwinInfo* window, int id, int state)
{
    qklogTrace("qkwincombosetstate");
    return withCombo(window, id, [&](ComboBox* c) {
        if (state != 0 && state != 1) return 0;
        c->setEnabled(state == 1);
        return 0;
    });
}

int qkwincombodsp(qkwinInfo* window, int id, int show)
{
    qklogTrace("qkwincombodsp");
    return withCombo(window, id, [&](ComboBox* c) {
        qksyswinCtrlShow(c, show != 0);
        return 0;
    });
}
