#include "platform/MessageBoxRecorder.h"

namespace platform {

MessageBoxRecorder::MessageBoxRecorder()
    : m_previous(
          setMessageHandler([this](const MessageRequest& request) { return record(request); })) {}

MessageBoxRecorder::~MessageBoxRecorder() {
    setMessageHandler(std::move(m_previous));
}

QMessageBox::StandardButton MessageBoxRecorder::record(const MessageRequest& request) {
    m_boxes.append(request);
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    for (unsigned bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        if (request.buttons.testFlag(static_cast<QMessageBox::StandardButton>(bit)))
            return static_cast<QMessageBox::StandardButton>(bit);
    }
    return QMessageBox::NoButton;
}

} // namespace platform
