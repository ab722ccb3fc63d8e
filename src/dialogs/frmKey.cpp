#include "dialogs/frmKey.h"

#include "dialogs/FormControls.h"
#include "dialogs/SelectAllOn.h"
#include "dialogs/TwipsLayout.h"
#include "locker/stream/PasswordRule.h"
#include "platform/MessageBox.h"
#include "ui/UiText.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmKey::frmKey(QWidget* parent)
    : QDialog(parent), txtPassWd(named(new QLineEdit(this), QStringLiteral("txtPassWd"))),
      Label1(named(new QLabel(ui::KeyLabel, this), QStringLiteral("Label1"))),
      cmdOK(named(new QPushButton(ui::OK, this), QStringLiteral("cmdOK"))),
      cmdCancel(named(new QPushButton(ui::Cancel, this), QStringLiteral("cmdCancel"))) {
    setWindowTitle(ui::KeyCaption);

    txtPassWd->setEchoMode(QLineEdit::Password);
    txtPassWd->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // "*"
    Label1->setBuddy(txtPassWd);
    cmdOK->setDefault(true);
    selectAllOn(txtPassWd, QEvent::MouseButtonRelease);

    chainTabOrder({txtPassWd, cmdOK, cmdCancel});

    auto* layout = new TwipsLayout(this, QSize(2760, 960));
    layout->place(txtPassWd, 720, 120, 1935, 270);
    layout->place(Label1, 120, 120, 495, 255);
    layout->place(cmdOK, 120, 480, 1215, 375);
    layout->place(cmdCancel, 1440, 480, 1215, 375);
    layout->apply();
    TwipsLayout::placeRelativeTo(this, parent, 1500, 1500);

    connect(txtPassWd, &QLineEdit::textChanged, this, &frmKey::txtPassWdChanged);
    connect(cmdOK, &QPushButton::clicked, this, &frmKey::cmdOKClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &frmKey::reject);
}

void frmKey::setPassWd(const QString& value) {
    txtPassWd->setText(value);
    m_passWd = txtPassWd->text();
}

void frmKey::txtPassWdChanged(const QString& text) {
    if (text.size() <= locker::password::MaxLength)
        return;
    platform::showMessage(ui::KeyTooLong, QMessageBox::Warning, QMessageBox::Ok, {}, this);
    // The cut is itself a change; the rule then finds 20 characters and stays quiet.
    txtPassWd->setText(text.left(locker::password::MaxLength));
}

void frmKey::cmdOKClicked() {
    setPassWd(txtPassWd->text());
    m_cancel = false;
    accept();
}

void frmKey::showEvent(QShowEvent* event) {
    txtPassWd->setFocus();
    txtPassWd->selectAll();
    QDialog::showEvent(event);
}

void frmKey::reject() {
    m_cancel = true;
    QDialog::reject();
}
