#include "qksyswinthread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

bool qksyswinIsGuiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

// The hand-over to the GUI thread and back goes through a standard mutex and
// condition variable rather than Qt's blocking connection: the same blocking
// call, but one that ThreadSanitizer can follow (Qt's own locks are not
// instrumented), so the data the call reads and writes is seen as handed over.
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
    { std::lock_guard<std::mutex> lock(call->m); }   // everything before the call happens before fn
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [call, &fn] {
            { std::lock_guard<std::mutex> lock(call->m); }
            fn();
            {
                std::lock_guard<std::mutex> lock(call->m);
                call->done = true;
            }
            call->cv.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(call->m);
    call->cv.wait(lock, [&] { return call->done; });
}
