#include "MessageBox.h"

#include "ApplicationTitle.h"

#include <utility>

namespace platform {

namespace {

MessageHandler& installedHandler() {
    static MessageHandler handler;
    return handler;
}

QMessageBox::StandardButton showRealBox(const MessageRequest& request, QWidget* parent) {
    QMessageBox box(request.icon, request.title, request.text, request.buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

QMessageBox::StandardButton ShowMessage(const QString& text, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons, const QString& title,
                                        QWidget* parent) {
    const MessageRequest request{text, icon, buttons, title.isEmpty() ? ApplicationTitle() : title};
    if (const MessageHandler& handler = installedHandler())
        return handler(request);
    return showRealBox(request, parent);
}

MessageHandler SetMessageHandler(MessageHandler handler) {
    return std::exchange(installedHandler(), std::move(handler));
}

} // namespace platform
