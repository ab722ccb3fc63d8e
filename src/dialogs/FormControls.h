#pragma once

#include <QList>
#include <QString>
#include <QWidget>

// Gives `control` its name (the name tests and callers find it by) and returns it.
template <typename Control> Control* named(Control* control, const QString& name) {
    control->setObjectName(name);
    return control;
}

// Chains the controls into the keyboard's tab order, first to last.
inline void chainTabOrder(const QList<QWidget*>& controls) {
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}
