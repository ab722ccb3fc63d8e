#include "platform/InputBlocker.h"

#include <QApplication>
#include <QEvent>
#include <QWindow>

namespace platform {

InputBlocker::InputBlocker() : m_modalBefore(QApplication::activeModalWidget()) {
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::~InputBlocker() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlocker::inModalOpenedSince(QObject* watched) const {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == m_modalBefore)
        return false;
    if (const auto* widget = qobject_cast<QWidget*>(watched))
        return widget->window() == modal;
    return watched == modal->windowHandle();
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
        return false;
    case QEvent::ShortcutOverride:
        if (inModalOpenedSince(watched))
            return false;
        // Claimed, so that no shortcut is looked for; the key press itself is dropped.
        event->accept();
        return true;
    case QEvent::Shortcut:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return !inModalOpenedSince(watched);
    case QEvent::Close:
        // Only the user's closing (through the window system) is refused; the program may
        // still close a window of its own.
        if (!event->spontaneous() || inModalOpenedSince(watched))
            return false;
        event->ignore();
        return true;
    default:
        return (event->isInputEvent() && !inModalOpenedSince(watched)) ||
               QObject::eventFilter(watched, event);
    }
}

} // namespace platform
