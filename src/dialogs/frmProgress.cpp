#include "dialogs/frmProgress.h"

#include "dialogs/FormControls.h"
#include "dialogs/TwipsLayout.h"
#include "ui/UiText.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>

frmProgress::frmProgress(QWidget* parent)
    : QDialog(parent), ProgressBar1(named(new QProgressBar(this), QStringLiteral("ProgressBar1"))),
      lblPercent(named(new QLabel(this), QStringLiteral("lblPercent"))) {
    setWindowTitle(ui::ProgressCaption);

    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    // A dark groove, so that the white percentage reads over the empty part of the bar too.
    QPalette groove = ProgressBar1->palette();
    groove.setColor(QPalette::Base, QColor(96, 96, 96));
    ProgressBar1->setPalette(groove);
    // White text lying over the middle of the bar (created after it, so drawn on top).
    lblPercent->setAlignment(Qt::AlignCenter);
    lblPercent->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette white = lblPercent->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    lblPercent->setPalette(white);

    auto* layout = new TwipsLayout(this, QSize(4095, 465));
    layout->place(ProgressBar1, 120, 120, 3855, 255);
    layout->place(lblPercent, 1560, 120, 975, 255);
    layout->apply();
}

void frmProgress::setPercent(int value) {
    m_percent = std::clamp(value, 0, 100);
    ProgressBar1->setValue(m_percent);
    lblPercent->setText(QString::number(m_percent) + u'%');
    if (isVisible()) {
        repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}
