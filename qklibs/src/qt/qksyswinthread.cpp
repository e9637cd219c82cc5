#include "qksyswinthread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

bool qksyswinIsGuiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

void qksyswinGuiCall(const std::function<void()>& fn)
{
    if (qksyswinIsGuiThread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&fn] { fn(); }, Qt::BlockingQueuedConnection);
}
