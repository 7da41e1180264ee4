#include "platform/background_work.h"

#include <QEventLoop>
#include <QThread>

#include <exception>
#include <memory>

namespace tw {

void runInBackground(const std::function<void()> &work)
{
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    // The thread's end reaches the loop as a queued event, so it is not lost
    // when the work ends before the loop starts.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    thread->start();
    loop.exec();
    thread->wait();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace tw
