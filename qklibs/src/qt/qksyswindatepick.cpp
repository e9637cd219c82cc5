// qksyswindatepick: the date pickers of a window on Qt: a QDateTimeEdit with
// the current date (style 1 long date, 0 short date, with a calendar pop-up)
// or the current time (style 2 long time). A date or time the user changes
// notifies code 1. GUI thread.
#include <QDateTimeEdit>

#include "qklogsrv.h"
#include "qksyswinctrl.h"

int qksyswinDatePickCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinDatePickCreate");
    for (int i = 0; i < win->datepick.cnt; ++i) {
        qkwindatepickIDInfo& rec = win->datepick.idPtr[i];
        auto* edit = new QDateTimeEdit(QDateTime::currentDateTime(), set.canvas);
        switch (rec.style) {
        case 1: edit->setDisplayFormat(QStringLiteral("dddd, d MMMM yyyy")); break;
        case 2: edit->setDisplayFormat(QStringLiteral("HH:mm:ss")); break;
        default: edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd")); break;
        }
        edit->setCalendarPopup(rec.style != 2);
        qksyswinCtrlApplyColors(edit, rec.color, QPalette::Base, QPalette::Text, false);
        qksyswinCtrlIdentify(edit, rec.id, rec.style == 2 ? QStringLiteral("time") : QStringLiteral("date"));
        qksyswinCtrlApplyFont(win, edit, rec.fontid);
        qksyswinCtrlPlace(win, edit, rec.xorig, rec.yorig, rec.xsize, rec.ysize);
        const int id = rec.id;
        QObject::connect(edit, &QDateTimeEdit::dateTimeChanged, edit, [win, id] { qksyswinNotify(win, id, 1); });
        edit->setVisible(true);
        rec.sysPtr = edit;
        set.datepick.emplace_back(edit);
    }
    return 0;
}
