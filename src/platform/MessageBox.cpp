#include "platform/MessageBox.h"

#include "platform/ApplicationTitle.h"

#include <QAbstractButton>

#include <utility>

namespace platform {

namespace {

MessageHandler& installedHandler() {
    static MessageHandler handler;
    return handler;
}

// The buttons' captions as a Japanese system shows them, whatever translations are installed.
void labelButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, QString> captions[] = {
        {QMessageBox::Ok, QStringLiteral("OK")},
        {QMessageBox::Yes, QStringLiteral("はい(&Y)")},
        {QMessageBox::No, QStringLiteral("いいえ(&N)")},
        {QMessageBox::Cancel, QStringLiteral("キャンセル")},
    };
    for (const auto& [button, caption] : captions) {
        if (QAbstractButton* shown = box.button(button))
            shown->setText(caption);
    }
}

QMessageBox::StandardButton showRealBox(const MessageRequest& request, QWidget* parent) {
    QMessageBox box(request.icon, request.title, request.text, request.buttons, parent);
    labelButtons(box);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

QMessageBox::StandardButton showMessage(const QString& text, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons, const QString& title,
                                        QWidget* parent,
                                        QMessageBox::StandardButton defaultButton) {
    const MessageRequest request{text, icon, buttons, title.isEmpty() ? applicationTitle() : title,
                                 defaultButton};
    if (const MessageHandler& handler = installedHandler())
        return handler(request);
    return showRealBox(request, parent);
}

MessageHandler setMessageHandler(MessageHandler handler) {
    return std::exchange(installedHandler(), std::move(handler));
}

} // namespace platform
