#pragma once

#include <QEvent>

class QLineEdit;

// Makes `edit` select its whole text after each event of `type` has been handled (a click,
// gaining focus), so that the next keystroke replaces the text.
void selectAllOn(QLineEdit* edit, QEvent::Type type);
