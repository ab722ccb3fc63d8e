#include "dialogs/SelectAllOn.h"

#include <QLineEdit>
#include <QMetaObject>

namespace {

class SelectAllFilter : public QObject {
public:
    SelectAllFilter(QLineEdit* edit, QEvent::Type type)
        : QObject(edit), m_edit(edit), m_type(type) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Queued, so that the edit's own handling of the event (placing the cursor) comes first.
        if (watched == m_edit && event->type() == m_type)
            QMetaObject::invokeMethod(m_edit, &QLineEdit::selectAll, Qt::QueuedConnection);
        return QObject::eventFilter(watched, event);
    }

private:
    QLineEdit* m_edit;
    QEvent::Type m_type;
};

} // namespace

void selectAllOn(QLineEdit* edit, QEvent::Type type) {
    edit->installEventFilter(new SelectAllFilter(edit, type));
}
