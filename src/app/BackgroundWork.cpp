#include "app/BackgroundWork.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>

#include <exception>
#include <memory>

namespace background {

namespace {

// Drops the user's input to every window of the program while it lives. Releases pass, so
// that a press made before the work began ends cleanly in its widget.
class InputBlocker : public QObject {
public:
    InputBlocker() { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
        case QEvent::KeyRelease:
            return false;
        case QEvent::ShortcutOverride:
            // Claimed, so that no shortcut is looked for; the key press itself is dropped.
            event->accept();
            return true;
        case QEvent::Shortcut:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        case QEvent::Close:
            // Only the user's closing (through the window system) is refused; the program
            // may still close a window of its own.
            if (!event->spontaneous())
                return false;
            event->ignore();
            return true;
        default:
            return event->isInputEvent() || QObject::eventFilter(watched, event);
        }
    }
};

} // namespace

void run(const std::function<void()>& work) {
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    const InputBlocker blocker;
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
