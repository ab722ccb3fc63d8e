#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QtDebug>

#include <functional>

namespace testsupport {

// Runs `action` on the next modal widget to become active (one other than the modal widget
// active now), polling from the event loop, so a test can answer a dialog shown with exec().
// Gives up with a warning after `timeoutMs`.
inline void whenModalShown(std::function<void(QWidget*)> action, int timeoutMs = 5000) {
    struct Poll {
        QPointer<QWidget> before;
        std::function<void(QWidget*)> action;
        int remainingMs;
        void operator()() {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal != before) {
                action(modal);
                return;
            }
            if (remainingMs <= 0) {
                qWarning("whenModalShown: no modal widget appeared");
                return;
            }
            remainingMs -= 10;
            QTimer::singleShot(10, qApp, *this);
        }
    };
    QTimer::singleShot(0, qApp,
                       Poll{QApplication::activeModalWidget(), std::move(action), timeoutMs});
}

// Shows `dialog` modally, runs `steps` once it is up and exposed, and closes it with reject() if
// the steps left it open (a failed check inside them returns early). Returns exec()'s result.
inline int execWith(QDialog& dialog, std::function<void()> steps) {
    QPointer<QDialog> guarded(&dialog);
    whenModalShown([guarded, steps = std::move(steps)](QWidget*) {
        if (!QTest::qWaitForWindowExposed(guarded.data()))
            qWarning("execWith: the dialog was never exposed");
        steps();
        if (guarded && guarded->isVisible())
            guarded->reject();
    });
    return dialog.exec();
}

} // namespace testsupport
