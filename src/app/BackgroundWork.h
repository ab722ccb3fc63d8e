#pragma once

#include <QMetaObject>
#include <QObject>

#include <functional>

// Long work off the window's thread: the windows keep painting and timers keep firing while
// it runs, but the user can neither type, click, drop nor close a window, so the work still
// ends before the next command begins.
namespace background {

// Runs `work` on a worker thread and returns when it has ended; until then the caller's
// thread runs its event loop with user input dropped. An exception thrown by `work` is
// thrown again here.
void run(const std::function<void()>& work);

// Wraps `callback` so that a call made on any thread runs it on the thread of `context`, in
// the order of the calls; calls still pending when `context` is destroyed are dropped.
template <typename Callback> [[nodiscard]] auto onThreadOf(QObject* context, Callback callback) {
    return [context, callback = std::move(callback)](auto... args) {
        QMetaObject::invokeMethod(
            context, [callback, args...] { callback(args...); }, Qt::QueuedConnection);
    };
}

} // namespace background
