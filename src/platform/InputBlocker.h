#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace platform {

// Drops the user's input to every window of the program while it lives: keys, clicks, the
// wheel, shortcuts, drops and the user's closing of a window. Releases pass, so that a press
// made before it began ends cleanly in its widget, and so does all input to a modal window
// opened since (a question the program asks meanwhile must be answerable). Windows keep
// painting and timers keep firing, so long work can let the event loop run without the user
// starting anything.
class InputBlocker : public QObject {
public:
    InputBlocker();
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] bool inModalOpenedSince(QObject* watched) const;

    QPointer<QWidget> m_modalBefore;
};

} // namespace platform
