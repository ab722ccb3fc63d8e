#include "platform/InputBlocker.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform {

InputBlocker::InputBlocker() {
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::~InputBlocker() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event) {
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
        // Only the user's closing (through the window system) is refused; the program may
        // still close a window of its own.
        if (!event->spontaneous())
            return false;
        event->ignore();
        return true;
    default:
        return event->isInputEvent() || QObject::eventFilter(watched, event);
    }
}

} // namespace platform
