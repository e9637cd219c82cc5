#include "qksyswinthread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

bool qksyswinIsGuiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

namespace {

// Calls waiting for the GUI thread, in the order they were made.
std::mutex gPendingMutex;
std::deque<std::function<void()>> gPending;

// Runs the waiting calls on the GUI thread. A call may pump events and so
// come back here; each is taken off the list before it runs.
void runPending()
{
    for (;;) {
        std::function<void()> next;
        {
            std::lock_guard<std::mutex> lock(gPendingMutex);
            if (gPending.empty()) return;
            next = std::move(gPending.front());
            gPending.pop_front();
        }
        next();
    }
}

}  // namespace

// Calls for the GUI thread wait in our own list under a standard mutex, and
// Qt only carries the wake-up, which holds no data of ours: the hand-over is
// then one that ThreadSanitizer can follow (Qt's own locks and reference
// counts are not instrumented), so what a call captures is seen as handed
// over in both directions, including its destruction on either thread. The
// wake-up is posted under the same mutex: Qt allocates its call object here
// and frees it on the GUI thread after runPending has taken the mutex, so
// that allocation is handed over the same way.
void qksyswinGuiPost(std::function<void()> fn)
{
    std::lock_guard<std::mutex> lock(gPendingMutex);
    gPending.push_back(std::move(fn));
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [] { runPending(); }, Qt::QueuedConnection);
}

// The blocking call waits on a condition variable of its own until the GUI
// thread has run fn.
void qksyswinGuiCall(const std::function<void()>& fn)
{
    if (qksyswinIsGuiThread()) {
        fn();
        return;
    }
    struct Call {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
    };
    auto call = std::make_shared<Call>();
    qksyswinGuiPost([call, &fn] {
        fn();
        std::lock_guard<std::mutex> done(call->m);
        call->done = true;
        call->cv.notify_all();
    });
    std::unique_lock<std::mutex> lock(call->m);
    call->cv.wait(lock, [&] { return call->done; });
}
