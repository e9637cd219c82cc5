// qksyswinmsgbox: message boxes on Qt (see the header).
#include "qksyswinmsgbox.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinprivate.h"
#include "qksyswinthread.h"
#include "qksyswinsrv.h"
#include "qkwinmsgbox.h"

namespace {

// How long an automatically answered box stays on screen.
constexpr int kAutoAnswerDelayMs = 50;

std::mutex gBoxLock;   // the message box fields of window records

struct BoxSpec {
    int msgType;
    int rsltType;
    // Plain strings: the spec crosses threads, Qt's shared strings would not
    // show ThreadSanitizer their hand-over.
    std::string text;
    std::string caption;
    int x, y, w, h;
    qksyswinObjEx* owner;   // null: no owner window
    int autoAnswer;
    std::atomic<int>* shownState;   // the notice's state, 1 while on screen
};

QMessageBox::StandardButton buttonOf(int answer)
{
    switch (answer) {
    case QKWIN_MSG_OK: return QMessageBox::Ok;
    case QKWIN_MSG_CANCEL: return QMessageBox::Cancel;
    case QKWIN_MSG_YES: return QMessageBox::Yes;
    case QKWIN_MSG_NO: return QMessageBox::No;
    default: return QMessageBox::NoButton;
    }
}

int answerOf(QMessageBox::StandardButton b)
{
    switch (b) {
    case QMessageBox::Ok: return QKWIN_MSG_OK;
    case QMessageBox::Cancel: return QKWIN_MSG_CANCEL;
    case QMessageBox::Yes: return QKWIN_MSG_YES;
    case QMessageBox::No: return QKWIN_MSG_NO;
    default: return -2;
    }
}

// GUI thread: opens the box and finishes the state with its answer.
void openBox(const BoxSpec& spec, const std::shared_ptr<qksyswinModalState>& st)
{
    QWidget* parent = nullptr;
    if (spec.owner != nullptr && qksyswinAlive(spec.owner) && spec.owner->top != nullptr)
        parent = spec.owner->top->window();
    auto* box = new QMessageBox(parent);
    box->setObjectName("qkwinmsgbox");
    box->setWindowTitle(QString::fromLocal8Bit(spec.caption.c_str()));
    box->setText(QString::fromLocal8Bit(spec.text.c_str()));
    switch (spec.msgType) {
    case QKWIN_MSG_QUESTION: box->setIcon(QMessageBox::Question); break;
    case QKWIN_MSG_WARN: box->setIcon(QMessageBox::Warning); break;
    case QKWIN_MSG_INFO: box->setIcon(QMessageBox::Information); break;
    case QKWIN_MSG_STOP:
    case QKWIN_MSG_ERROR: box->setIcon(QMessageBox::Critical); break;
    default: box->setIcon(QMessageBox::NoIcon); break;
    }
    switch (spec.rsltType) {
    case QKWIN_MSGRSLT_OK: box->setStandardButtons(QMessageBox::Ok); break;
    case QKWIN_MSGRSLT_OKCANCEL: box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case QKWIN_MSGRSLT_YESNO: box->setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box->setIcon(QMessageBox::NoIcon);
        break;
    }
    box->setWindowModality(Qt::ApplicationModal);
    if (spec.w > 0 && spec.h > 0) box->setMinimumSize(spec.w, spec.h);
    if (spec.x > 0 && spec.y > 0) box->move(spec.x, spec.y);
    std::atomic<int>* shown = spec.shownState;
    QObject::connect(box, &QMessageBox::finished, box, [box, st, shown](int) {
        QAbstractButton* clicked = box->clickedButton();
        int answer = clicked ? answerOf(box->standardButton(clicked)) : -2;
        if (shown) shown->store(0);
        box->deleteLater();
        st->finish(answer);
    });
    st->widget = box;
    box->show();
    // The message box drops the stay-on-top hint when it first shows.
    if (!box->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        box->setWindowFlags(box->windowFlags() | Qt::WindowStaysOnTopHint);
        box->show();
    }
    if (shown) shown->store(1);
    if (spec.autoAnswer >= 0) {
        int answer = spec.autoAnswer;
        std::string first = spec.text.substr(0, spec.text.find('\n'));
        std::fprintf(stderr, "message box answered automatically: %d: %s\n", answer, first.c_str());
        std::fflush(stderr);
        QTimer::singleShot(kAutoAnswerDelayMs, box, [box, answer] {
            if (QAbstractButton* b = box->button(buttonOf(answer)))
                b->click();
            else
                box->done(0);
        });
    }
}

BoxSpec specOf(qkwinInfo* window, int msgType, int rsltType, const char* text)
{
    BoxSpec spec{};
    spec.msgType = msgType;
    spec.rsltType = rsltType;
    spec.text = text ? text : "";
    spec.caption = "QKWIN message";
    spec.autoAnswer = qksyswinAutoAnswer(rsltType);
    if (window != nullptr) {
        std::lock_guard<std::mutex> lock(gBoxLock);
        const qkwinmsgboxInfo& mb = window->mbox;
        if (mb.capPtr != nullptr && mb.capPtr[0] != '\0') spec.caption = mb.capPtr;
        if (mb.xpos > 0 && mb.ypos > 0) {
            spec.x = qksyswinScaleX(window, mb.xpos);
            spec.y = qksyswinScaleY(window, mb.ypos);
        }
        if (mb.xsize != 0 && mb.ysize != 0) {
            spec.w = qksyswinScaleX(window, mb.xsize);
            spec.h = qksyswinScaleY(window, mb.ysize);
        }
        if (!(mb.optFlg & 1)) spec.owner = qksyswinobjex(window);
    }
    return spec;
}

int rsltTypeOf(int msgType)
{
    switch (msgType) {
    case QKWIN_MSG_INFO: return QKWIN_MSGRSLT_OK;
    case QKWIN_MSG_QUESTION:
    case QKWIN_MSG_WARN:
    case QKWIN_MSG_STOP:
    case QKWIN_MSG_ERROR: return QKWIN_MSGRSLT_YESNO;
    default: return QKWIN_MSGRSLT_YESNOCANCEL;
    }
}

int show(qkwinInfo* window, int msgType, const char* text)
{
    return qkwinmsgboxshow(window, msgType, text);
}

}  // namespace

int qksyswinmsgbox(qkwinInfo* window, int msgType, int rsltType, const char* text)
{
    qklogTrace("qksyswinmsgbox");
    BoxSpec spec = specOf(window, msgType, rsltType, text);
    int answer = qksyswinRunModal([spec](std::shared_ptr<qksyswinModalState> st) { openBox(spec, st); });
    if (window != nullptr) {
        std::lock_guard<std::mutex> lock(gBoxLock);
        window->mbox.msgType = msgType;
        window->mbox.rsltType = rsltType;
        window->mbox.rslt = answer;
    }
    return answer;
}

int qksyswinmsgboxhook(qkwinInfo* window, int msgType, const char* text)
{
    qklogTrace("qksyswinmsgboxhook");
    return qksyswinmsgbox(window, msgType, rsltTypeOf(msgType), text);
}

int qkwinmsginfo(qkwinInfo* window, const char* text)
{
    qklogTrace("qkwinmsginfo");
    return show(window, QKWIN_MSG_INFO, text);
}

int qkwinmsgwarn(qkwinInfo* window, const char* text)
{
    qklogTrace("qkwinmsgwarn");
    return show(window, QKWIN_MSG_WARN, text);
}

int qkwinmsgquestion(qkwinInfo* window, const char* text)
{
    qklogTrace("qkwinmsgquestion");
    return show(window, QKWIN_MSG_QUESTION, text);
}

int qkwinmsgstop(qkwinInfo* window, const char* text)
{
    qklogTrace("qkwinmsgstop");
    return show(window, QKWIN_MSG_STOP, text);
}

int qkwinmsgerror(qkwinInfo* window, const char* text)
{
    qklogTrace("qkwinmsgerror");
    return show(window, QKWIN_MSG_ERROR, text);
}

int qkwinmsgsetcaption(qkwinInfo* window, const char* text)
{
    qklogTrace("qkwinmsgsetcaption");
    if (window == nullptr) return -2;
    std::lock_guard<std::mutex> lock(gBoxLock);
    qkstrset(window->mbox.captext, text);
    window->mbox.capPtr = window->mbox.captext;
    return 0;
}

int qkwinmsgsetflg(qkwinInfo* window, int bits)
{
    qklogTrace("qkwinmsgsetflg");
    if (window == nullptr) return -2;
    std::lock_guard<std::mutex> lock(gBoxLock);
    window->mbox.optFlg |= bits;
    return 0;
}

int qkwinmsgsetpos(qkwinInfo* window, int x, int y, int width, int height)
{
    qklogTrace("qkwinmsgsetpos");
    if (window == nullptr) return -2;
    std::lock_guard<std::mutex> lock(gBoxLock);
    window->mbox.xpos = x;
    window->mbox.ypos = y;
    window->mbox.xsize = width;
    window->mbox.ysize = height;
    return 0;
}

namespace {

// The notice's thread and the box it shows.
struct Notice {
    std::thread thread;
    std::shared_ptr<qksyswinModalState> st;
};

}  // namespace

int qkwinmsgrunthred(qkwinInfo* window, const char* text)
{
    qklogTrace("qkwinmsgrunthred");
    if (window == nullptr) return -2;
    qkwinmsgstopthred(window);   // one notice at a time
    BoxSpec spec = specOf(window, QKWIN_MSG_INFO, QKWIN_MSGRSLT_OK, text);
    spec.shownState = &window->mbox.state;
    window->mbox.state.store(0);
    auto* notice = new Notice;
    notice->st = std::make_shared<qksyswinModalState>();
    std::shared_ptr<qksyswinModalState> st = notice->st;
    notice->thread = std::thread([spec, st] {
        // The notice thread only waits for the box; the GUI thread shows it.
        qksyswinGuiPost([spec, st] {
            if (st->cancel.load()) {
                st->finish(-2);
                return;
            }
            openBox(spec, st);
        });
        std::unique_lock<std::mutex> lock(st->m);
        st->cv.wait(lock, [&] { return st->done; });
    });
    window->mbox.msgthredPtr = notice;
    window->mbox.msgthred = 1;
    // About one to two seconds: one per step, two per step once it shows.
    int count = 0;
    while (count < 20) {
        qkwinsleep(window, 2, 1);
        count += window->mbox.state.load() == 1 ? 2 : 1;
    }
    qkwinsleep(window, 2, 1);
    return 0;
}

int qkwinmsgstopthred(qkwinInfo* window)
{
    qklogTrace("qkwinmsgstopthred");
    if (window == nullptr) return -2;
    auto* notice = static_cast<Notice*>(window->mbox.msgthredPtr);
    if (notice == nullptr) return 0;
    std::shared_ptr<qksyswinModalState> st = notice->st;
    st->cancel.store(true);
    qksyswinGuiCall([st] {
        if (auto* d = qobject_cast<QDialog*>(st->widget.data())) d->done(0);
    });
    // The box is gone or never came; the thread ends as soon as it hears so.
    qksyswinWaitUntil(
        [st] {
            std::lock_guard<std::mutex> lock(st->m);
            return st->done;
        },
        false);
    notice->thread.join();
    delete notice;
    window->mbox.msgthredPtr = nullptr;
    window->mbox.msgthred = 0;
    window->mbox.state.store(0);
    return 0;
}

int qksyswinMsgErr(qkwinInfo* window, const char* text)
{
    qklogTrace("qksyswinMsgErr");
    int code = errno;
    char line[QKWIN_TEXTSIZE * 2];
    qkstrfmt(line, sizeof line, "%s\n  error code: %d", text ? text : "", code);
    qklogf("qksyswinMsgErr", "%s", line);
    BoxSpec spec = specOf(window, QKWIN_MSG_ERROR, rsltTypeOf(QKWIN_MSG_ERROR), line);
    spec.caption = "QKWIN message";
    return qksyswinRunModal([spec](std::shared_ptr<qksyswinModalState> st) { openBox(spec, st); });
}
