#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace platform {

// One message box as the system asks for it. An empty title stands for the application title.
struct MessageRequest {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QString title;
    // The button that Enter presses; NoButton leaves the box's own choice (Yes before No).
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Shows a modal message box and returns the button pressed. Every message box of the program
// goes through here, so that tests can answer them without a window.
QMessageBox::StandardButton
showMessage(const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon,
            QMessageBox::StandardButtons buttons = QMessageBox::Ok, const QString& title = {},
            QWidget* parent = nullptr,
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// Replaces the real message box; an empty handler restores it. Returns the previous handler.
// The handler receives the request with the title already resolved.
using MessageHandler = std::function<QMessageBox::StandardButton(const MessageRequest&)>;
MessageHandler setMessageHandler(MessageHandler handler);

} // namespace platform
