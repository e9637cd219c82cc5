// qksyswindrive: the driver of the window layer (see the header). The driver
// thread parses and sequences the steps and waits between polls; every look
// at a widget runs on the GUI thread through qksyswinGuiCall, and every action
// (press, typing, choice, close) is posted with qksyswinGuiPost and finds its
// control again there, so no widget pointer crosses threads and a callback
// that opens a modal dialog never blocks the driver.
#include "qksyswindrive.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "qklogsrv.h"
#include "qksyssrv.h"
#include "qksyswincapture.h"
#include "qksyswinobj.h"
#include "qksyswinthread.h"

namespace {

constexpr int kFailStatus = 3;
constexpr int kDefaultTimeoutS = 30;
constexpr int kMaxTimeoutS = 600;
constexpr size_t kMaxLineLen = 512;
constexpr int kMaxLines = 2000;
constexpr auto kPollStep = std::chrono::milliseconds(50);
constexpr auto kEndGrace = std::chrono::seconds(30);

struct Step {
    std::string verb;
    int id = 0;          // the control, 0 for none
    std::string text;    // wait/type/choose text, shot name
    int seconds = 0;     // timeout
};

struct Driver {
    std::thread thread;
    std::vector<std::string> lines;
    std::string shotDir;
    qkwinInfo* mainWindow = nullptr;
    int timeoutS = kDefaultTimeoutS;
    std::atomic<bool> done{false};
};

// The one driver of the process. gLock guards gDriver and gStop; gWake
// wakes the driver's pauses when the program ends.
std::mutex gLock;
std::condition_variable gWake;
bool gStop = false;
Driver* gDriver = nullptr;   // not owned by a static: an exit without qksyswindriveend must not join
std::atomic<int> gStatus{0};

bool stopRequested()
{
    std::lock_guard<std::mutex> lock(gLock);
    return gStop;
}

// Waits d unless the program ends first; false when it ends.
bool pauseFor(std::chrono::steady_clock::duration d)
{
    std::unique_lock<std::mutex> lock(gLock);
    return !gWake.wait_for(lock, d, [] { return gStop; });
}

// ---- parsing --------------------------------------------------------------------------

std::string trim(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    const size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Splits off the first word of s; rest receives what follows, trimmed.
std::string firstWord(const std::string& s, std::string* rest)
{
    const std::string t = trim(s);
    const size_t end = t.find_first_of(" \t");
    *rest = end == std::string::npos ? std::string() : trim(t.substr(end));
    return t.substr(0, end);
}

bool parseNumber(const std::string& word, int lo, int hi, int* out)
{
    if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != std::string::npos) return false;
    const int v = std::atoi(word.c_str());
    if (v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool validShotName(const std::string& name)
{
    if (name.empty() || name.size() > 64 || name[0] == '.') return false;
    return name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.") ==
           std::string::npos;
}

// Parses one line; an empty verb for a line to skip quietly. why says what is
// wrong with a malformed line (then false).
bool parseStep(const std::string& raw, Step* step, std::string* why)
{
    qklogTrace("qksyswindriveparse");
    if (raw.size() > kMaxLineLen) {
        *why = "line too long";
        return false;
    }
    for (unsigned char c : raw)
        if (c < 0x20 && c != '\t') {
            *why = "control character";
            return false;
        }
    std::string rest;
    step->verb = firstWord(raw, &rest);
    if (step->verb.empty() || step->verb[0] == '#') {
        step->verb.clear();
        return true;
    }
    const std::string& v = step->verb;
    std::string arg = firstWord(rest, &rest);
    if (v == "close") {
        if (!arg.empty()) *why = "close takes nothing";
    } else if (v == "timeout") {
        if (!parseNumber(arg, 1, kMaxTimeoutS, &step->seconds) || !rest.empty()) *why = "timeout needs seconds (1-600)";
    } else if (v == "wait" || v == "gone" || v == "disabled" || v == "click" || v == "type" || v == "choose") {
        if (!parseNumber(arg, 1, 999999999, &step->id)) {
            *why = v + " needs a control id";
        } else if ((v == "click" || v == "gone" || v == "disabled") && !rest.empty()) {
            *why = v + " takes only an id";
        } else if (v == "choose" && rest.empty()) {
            *why = "choose needs a text";
        }
        step->text = rest;
    } else if (v == "shot") {
        step->text = arg;
        const std::string id = firstWord(rest, &rest);
        if (!validShotName(arg)) {
            *why = "shot needs a name of letters, digits, '-', '_', '.'";
        } else if (!id.empty() && !parseNumber(id, 1, 999999999, &step->id)) {
            *why = "shot: bad control id";
        } else if (!rest.empty()) {
            *why = "shot takes a name and an id";
        }
    } else {
        *why = "unknown step";
    }
    return why->empty();
}

// ---- controls (GUI thread) ------------------------------------------------------------

bool shownObject(QObject* o)
{
    if (auto* w = qobject_cast<QWidget*>(o)) return w->isVisible();
    if (auto* a = qobject_cast<QAction*>(o)) return a->isVisible();
    return false;
}

// The control with this id in a visible top-level window: by object name
// first, then by accessible description; a modal dialog is looked at first.
QObject* findControl(int id)
{
    const QString name = QStringLiteral("id%1").arg(id);
    const QString desc = QStringLiteral("control %1").arg(id);
    QList<QWidget*> tops;
    if (QWidget* modal = QApplication::activeModalWidget()) tops << modal;
    for (QWidget* t : QApplication::topLevelWidgets())
        if (t->isVisible() && !tops.contains(t)) tops << t;
    for (QWidget* top : tops) {
        if (top->objectName() == name) return top;
        for (QObject* o : top->findChildren<QObject*>(name))
            if (shownObject(o)) return o;
    }
    for (QWidget* top : tops) {
        if (top->accessibleDescription() == desc) return top;
        for (QWidget* w : top->findChildren<QWidget*>())
            if (w->isVisible() && w->accessibleDescription() == desc) return w;
    }
    return nullptr;
}

bool enabledObject(QObject* o)
{
    if (auto* w = qobject_cast<QWidget*>(o)) return w->isEnabled();
    if (auto* a = qobject_cast<QAction*>(o)) return a->isEnabled();
    return false;
}

QString controlText(QObject* o)
{
    if (auto* a = qobject_cast<QAction*>(o)) return a->text();
    if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(o)) return e->text();
    if (auto* c = qobject_cast<QComboBox*>(o)) return c->currentText();
    if (auto* t = qobject_cast<QPlainTextEdit*>(o)) return t->toPlainText();
    if (auto* t = qobject_cast<QTextEdit*>(o)) return t->toPlainText();
    if (auto* l = qobject_cast<QListWidget*>(o)) {
        QStringList lines;
        for (int i = 0; i < l->count(); ++i) lines << l->item(i)->text();
        return lines.join(QLatin1Char('\n'));
    }
    if (auto* w = qobject_cast<QWidget*>(o)) return w->isWindow() ? w->windowTitle() : w->accessibleName();
    return {};
}

// The entry of a combo box, list or tab control (its sub-tab names) that equals text, else the first that
// contains it; -1 when none does.
int entryIndex(QObject* o, const QString& text)
{
    QStringList entries;
    if (auto* c = qobject_cast<QComboBox*>(o))
        for (int i = 0; i < c->count(); ++i) entries << c->itemText(i);
    if (auto* l = qobject_cast<QListWidget*>(o))
        for (int i = 0; i < l->count(); ++i) entries << l->item(i)->text();
    if (auto* t = qobject_cast<QTabWidget*>(o))
        for (int i = 0; i < t->count(); ++i) entries << t->tabText(i);
    const int exact = static_cast<int>(entries.indexOf(text));
    if (exact >= 0) return exact;
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i].contains(text)) return i;
    return -1;
}

QLineEdit* editOf(QObject* o)
{
    if (auto* e = qobject_cast<QLineEdit*>(o)) return e;
    if (auto* c = qobject_cast<QComboBox*>(o)) return c->isEditable() ? c->lineEdit() : nullptr;
    return nullptr;
}

// Presses a control as a user does: a button is clicked; a static with a
// callback and a menu item offer a press action to accessibility tools.
void pressControl(QObject* o, int id)
{
    if (auto* b = qobject_cast<QAbstractButton*>(o)) {
        b->click();
        return;
    }
    if (QAccessibleInterface* ai = QAccessible::queryAccessibleInterface(o))
        if (QAccessibleActionInterface* act = ai->actionInterface())
            if (act->actionNames().contains(QAccessibleActionInterface::pressAction())) {
                act->doAction(QAccessibleActionInterface::pressAction());
                return;
            }
    if (auto* a = qobject_cast<QAction*>(o)) {
        a->trigger();
        return;
    }
    qklogf("drive", "click %d: the control cannot be pressed", id);
}

void typeInto(QObject* o, const QString& text)
{
    if (QLineEdit* e = editOf(o)) {
        // As typed: the edit hears of it as of the user's keys.
        e->selectAll();
        e->insert(text);
    } else if (auto* t = qobject_cast<QPlainTextEdit*>(o)) {
        t->setPlainText(text);
    } else if (auto* t = qobject_cast<QTextEdit*>(o)) {
        t->setPlainText(text);
    }
}

void chooseEntry(QObject* o, int index)
{
    if (auto* c = qobject_cast<QComboBox*>(o)) {
        c->setCurrentIndex(index);
        emit c->activated(index);
    } else if (auto* l = qobject_cast<QListWidget*>(o)) {
        l->setCurrentRow(index);
    } else if (auto* t = qobject_cast<QTabWidget*>(o)) {
        t->setCurrentIndex(index);
    }
}

// An action on the GUI thread after the calls queued before it; it finds its
// control again there and leaves it alone once the program is ending.
void postAction(int id, std::function<void(QObject*)> act)
{
    qksyswinGuiPost([id, act = std::move(act)] {
        if (stopRequested()) return;
        QObject* o = id > 0 ? findControl(id) : nullptr;
        if (id > 0 && o == nullptr) {
            qklogf("drive", "control %d is gone", id);
            return;
        }
        act(o);
    });
}

// ---- running --------------------------------------------------------------------------

// Polls probe on the GUI thread until it holds; false when the time runs out
// or the program ends.
bool until(const Driver& d, const std::function<bool()>& probe)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(d.timeoutS);
    for (;;) {
        if (stopRequested()) return false;
        bool ok = false;
        qksyswinGuiCall([&] { ok = probe(); });
        if (ok) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        if (!pauseFor(kPollStep)) return false;
    }
}

// A step that could not be done in time: the rest is skipped and the main
// window closed; if the program does not end, the process ends here.
void fail(const Driver& d, const std::string& what)
{
    qklogf("drive", "timed out waiting for %s", what.c_str());
    gStatus.store(kFailStatus);
    qkwinInfo* mainWindow = d.mainWindow;
    qksyswinGuiPost([mainWindow] {
        qksyswinObj* obj = qksyswinobj(mainWindow);
        if (obj != nullptr && obj->top != nullptr) obj->top->close();
    });
    if (!pauseFor(kEndGrace)) return;
    qklogf("drive", "the program did not end after the failed step: ending the process");
    std::_Exit(kFailStatus);
}

std::string controlName(const Step& s)
{
    std::string what = "control " + std::to_string(s.id);
    if (s.verb == "wait" && !s.text.empty()) what += " with text \"" + s.text + "\"";
    if (s.verb == "choose") what += " with entry \"" + s.text + "\"";
    if (s.verb == "gone") what += " to go";
    if (s.verb == "disabled") what += " to be disabled";
    return what;
}

// Saves the window holding control id (0: the main window) as path.
bool shoot(const Driver& d, int id, const std::string& path)
{
    if (id == 0) return qksyswinsavescreenshot(d.mainWindow, path.c_str()) == 0;
    bool saved = false;
    const bool found = until(d, [&] {
        QObject* o = findControl(id);
        QWidget* w = qobject_cast<QWidget*>(o);
        if (w == nullptr && o != nullptr) w = qobject_cast<QWidget*>(o->parent());
        if (w == nullptr) return false;
        saved = w->window()->grab().toImage().save(QString::fromStdString(path), "PNG");
        return true;
    });
    return found && saved;
}

// Runs one step; false when it failed (the rest is skipped).
bool runStep(Driver& d, const Step& s)
{
    qklogTrace("qksyswindrivestep");
    const QString text = QString::fromStdString(s.text);
    const int id = s.id;
    if (s.verb == "timeout") {
        d.timeoutS = s.seconds;
    } else if (s.verb == "wait") {
        if (!until(d, [&] {
                QObject* o = findControl(id);
                return o != nullptr && (text.isEmpty() || controlText(o).contains(text));
            }))
            return false;
    } else if (s.verb == "gone") {
        if (!until(d, [&] { return findControl(id) == nullptr; })) return false;
    } else if (s.verb == "disabled") {
        if (!until(d, [&] {
                QObject* o = findControl(id);
                return o != nullptr && !enabledObject(o);
            }))
            return false;
    } else if (s.verb == "click") {
        if (!until(d, [&] {
                QObject* o = findControl(id);
                return o != nullptr && enabledObject(o);
            }))
            return false;
        postAction(id, [id](QObject* o) { pressControl(o, id); });
    } else if (s.verb == "type") {
        if (!until(d, [&] {
                QObject* o = findControl(id);
                return o != nullptr && enabledObject(o) &&
                       (editOf(o) != nullptr || qobject_cast<QPlainTextEdit*>(o) || qobject_cast<QTextEdit*>(o));
            }))
            return false;
        postAction(id, [text](QObject* o) { typeInto(o, text); });
    } else if (s.verb == "choose") {
        if (!until(d, [&] {
                QObject* o = findControl(id);
                return o != nullptr && enabledObject(o) && entryIndex(o, text) >= 0;
            }))
            return false;
        postAction(id, [text](QObject* o) {
            const int index = entryIndex(o, text);
            if (index >= 0) chooseEntry(o, index);
        });
    } else if (s.verb == "shot") {
        if (d.shotDir.empty()) {
            qklogf("drive", "shot %s: VX_SCREENSHOT_DIR is not set", s.text.c_str());
            return true;
        }
        const std::string path = d.shotDir + "/" + s.text + ".png";
        if (!shoot(d, id, path)) {
            if (stopRequested()) return true;
            if (id == 0) {
                qklogf("drive", "shot %s: not saved: %s", s.text.c_str(), path.c_str());
                return true;
            }
            return false;
        }
        qklogf("drive", "saved %s", path.c_str());
    } else if (s.verb == "close") {
        qkwinInfo* mainWindow = d.mainWindow;
        postAction(0, [mainWindow](QObject*) {
            qksyswinObj* obj = qksyswinobj(mainWindow);
            if (obj != nullptr && obj->top != nullptr) obj->top->close();
        });
    }
    return true;
}

void runDriver(Driver* d)
{
    int lineNo = 0;
    for (const std::string& line : d->lines) {
        ++lineNo;
        if (stopRequested()) break;
        Step step;
        std::string why;
        if (!parseStep(line, &step, &why)) {
            std::string shown = line.substr(0, 80);
            for (char& c : shown)
                if (static_cast<unsigned char>(c) < 0x20) c = '?';   // the log stays one line of text
            qklogf("drive", "line %d skipped (%s): %s", lineNo, why.c_str(), shown.c_str());
            continue;
        }
        if (step.verb.empty()) continue;
        qklogf("drive", "%s", trim(line).c_str());
        if (!runStep(*d, step)) {
            if (!stopRequested()) fail(*d, controlName(step));
            break;
        }
    }
    d->done.store(true);
    gWake.notify_all();
}

}  // namespace

int qksyswindrivestart(qkwinInfo* mainWindow)
{
    qklogTrace("qksyswindrivestart");
    const char* env = qkgetenv("VX_DRIVE");
    if (env == nullptr || env[0] == '\0') return 1;
    const std::string path = env;
    if (mainWindow == nullptr || QCoreApplication::instance() == nullptr) return -2;
    std::ifstream in(path);
    if (!in) {
        qklogf("drive", "cannot read the steps file: %s", path.c_str());
        return -2;
    }
    auto* d = new Driver;
    d->mainWindow = mainWindow;
    const char* dir = qkgetenv("VX_SCREENSHOT_DIR");
    if (dir != nullptr) d->shotDir = dir;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (static_cast<int>(d->lines.size()) == kMaxLines) {
            qklogf("drive", "more than %d lines: the rest is ignored", kMaxLines);
            break;
        }
        d->lines.push_back(line);
    }
    std::lock_guard<std::mutex> lock(gLock);
    if (gDriver != nullptr) {
        delete d;
        return -2;
    }
    gStop = false;
    gStatus.store(0);
    qklogf("drive", "%d lines from %s", static_cast<int>(d->lines.size()), path.c_str());
    gDriver = d;
    d->thread = std::thread(runDriver, d);
    return 0;
}

int qksyswindriveend()
{
    qklogTrace("qksyswindriveend");
    Driver* d = nullptr;
    {
        std::lock_guard<std::mutex> lock(gLock);
        d = gDriver;
        gDriver = nullptr;
        gStop = true;
    }
    gWake.notify_all();
    if (d == nullptr) return gStatus.load();
    // A look-up the driver is making waits for the GUI thread: serve it.
    if (qksyswinIsGuiThread() && QCoreApplication::instance() != nullptr) {
        while (!d->done.load()) {
            QCoreApplication::processEvents();
            std::unique_lock<std::mutex> lock(gLock);
            gWake.wait_for(lock, std::chrono::milliseconds(10), [d] { return d->done.load(); });
        }
    }
    d->thread.join();
    delete d;
    return gStatus.load();
}
