#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <QQueue>

namespace platform {

// Test stand-in for the message box: while alive it records every box instead of showing it
// and answers from a queue. With the queue empty it answers the first button offered (in
// QMessageBox's order: Ok before Yes before No before Cancel).
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    // Queues the answer to the next box.
    void answer(QMessageBox::StandardButton button) { m_answers.enqueue(button); }

    [[nodiscard]] const QList<MessageRequest>& boxes() const { return m_boxes; }
    [[nodiscard]] qsizetype count() const { return m_boxes.size(); }
    // The last box shown; only valid while count() > 0.
    [[nodiscard]] const MessageRequest& last() const { return m_boxes.last(); }
    void clear() { m_boxes.clear(); }

private:
    QMessageBox::StandardButton record(const MessageRequest& request);

    QList<MessageRequest> m_boxes;
    QQueue<QMessageBox::StandardButton> m_answers;
    MessageHandler m_previous;
};

} // namespace platform
