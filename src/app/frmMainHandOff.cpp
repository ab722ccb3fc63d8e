// The life of the file handed to an application beyond the take out: its end when nobody
// uses it any more, quitting while it is used, and the files an ended copy left behind.
#include "app/frmMain.h"
#include "ui/UiText.h"

#include "dialogs/frmKey.h"
#include "platform/MessageBox.h"
#include "platform/ProcessIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>

void frmMain::finishHandOff() {
    if (!m_handOff || m_askingAboutHandOff)
        return;
    const QScopedValueRollback asking(m_askingAboutHandOff, true);
    const HandOffRecord& file = m_handOff->record();
    if (file.changed() &&
        platform::showMessage(ui::HandOffChanged, QMessageBox::Question,
                              QMessageBox::Yes | QMessageBox::No, {}, this,
                              QMessageBox::Yes) == QMessageBox::Yes &&
        !putBack(file, m_handOff->password(), file.lockerFile)) {
        // Kept with its record: the next start offers the put away again.
        m_handOff->keepForNextStart();
        m_handOff.reset();
        return;
    }
    m_handOff->remove();
    m_handOff.reset();
}

bool frmMain::letHandOffGo() {
    if (!m_handOff || !m_handOff->inUse())
        return true;
    QMessageBox::StandardButton answer = QMessageBox::No;
    {
        const QScopedValueRollback asking(m_askingAboutHandOff, true);
        answer =
            platform::showMessage(ui::HandOffStillUsed, QMessageBox::Question,
                                  QMessageBox::Yes | QMessageBox::No, {}, this, QMessageBox::No);
    }
    if (answer != QMessageBox::Yes)
        return false;
    finishHandOff();
    return true;
}

void frmMain::recoverHandOffs() {
    for (const QString& lockerFile : handoff::takeForcedPutAways())
        platform::showMessage(ui::PutAwayIntoNewLocker.arg(QDir::toNativeSeparators(lockerFile)),
                              QMessageBox::Information, QMessageBox::Ok, {}, this);
    for (const HandOffRecord& leftover : handoff::remembered()) {
        if (!platform::processTagAlive(leftover.owner))
            recoverHandOff(leftover);
    }
}

// A changed file goes into a new locker file beside its original, never over it: the key
// password given now may not be the one it was taken out with.
void frmMain::recoverHandOff(const HandOffRecord& leftover) {
    if (leftover.changed() &&
        platform::showMessage(
            ui::LeftoverChanged.arg(QDir::toNativeSeparators(leftover.file),
                                    QDir::toNativeSeparators(leftover.lockerFile)),
            QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, {}, this,
            QMessageBox::Yes) == QMessageBox::Yes) {
        QString password = m_keyPassWd;
        if (password.isEmpty()) {
            m_frmKey->exec();
            if (m_frmKey->Cancel() || m_frmKey->PassWd().isEmpty())
                return;
            password = m_frmKey->PassWd();
        }
        const QString target = TakenOutFile::reserveNameBeside(leftover.lockerFile);
        if (!putBack(leftover, password, target)) {
            QFile::remove(target);
            return;
        }
        QFile::remove(leftover.file);
        handoff::forget(leftover.file);
        platform::showMessage(ui::PutAwayIntoNewLocker.arg(QDir::toNativeSeparators(target)),
                              QMessageBox::Information, QMessageBox::Ok, {}, this);
        return;
    }
    QFile::remove(leftover.file);
    handoff::forget(leftover.file);
}
