#include "app/BackgroundWork.h"

#include "platform/InputBlocker.h"

#include <QEventLoop>
#include <QThread>

#include <exception>
#include <memory>

namespace background {

void run(const std::function<void()>& work) {
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    const platform::InputBlocker blocker;
    QEventLoop loop;
    // Queued behind everything the work posted to this thread, progress included.
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    worker->start();
    loop.exec();
    worker->wait();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace background
