// The life of the files handed to applications beyond the take out: their end when nobody
// uses them any more or the user ends them, quitting while they are used, and the files an
// ended copy left behind.
#include "app/frmMain.h"
#include "ui/UiText.h"

#include "dialogs/frmKey.h"
#include "platform/HandOffFile.h"
#include "platform/MessageBox.h"
#include "platform/ProcessIdentity.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QScopedValueRollback>
#include <QStatusBar>

#include <algorithm>

namespace {

bool yes(const QString& text, QWidget* parent, QMessageBox::StandardButton preset) {
    return platform::showMessage(text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                                 {}, parent, preset) == QMessageBox::Yes;
}

} // namespace

std::unique_ptr<TakenOutFile> frmMain::newHandOff() {
    const QString folder = QDir::currentPath();
    if (!folder.isEmpty()) {
        recoverLeftovers(folder);
        const auto other = handoff::heldByLiveCopy(folder + u'/' + TakenOutFile::Name);
        if (other && other->owner != platform::currentProcessTag())
            throw platform::RuntimeError(platform::err::PermissionDenied,
                                         ui::HandOffOfOtherCopy.arg(TakenOutFile::Name));
    }
    std::vector<TakenOutFile*> here;
    for (const auto& handOff : m_handOffs) {
        if (QFileInfo(handOff->record().file).absolutePath() == folder)
            here.push_back(handOff.get());
    }
    for (TakenOutFile* handOff : here) {
        if (!handOff->used())
            finishHandOff(handOff);
    }
    return std::make_unique<TakenOutFile>(TakenOutFile::freeName());
}

bool frmMain::finishHandOff(TakenOutFile* handOff, bool askWhenHeld) {
    if (m_askingAboutHandOff)
        return false;
    const QScopedValueRollback asking(m_askingAboutHandOff, true);
    if (askWhenHeld && handOff->held() &&
        !yes(ui::HandOffStillOpen.arg(handOff->name()), this, QMessageBox::No))
        return false;
    if (handOff->changed() && yes(ui::HandOffChanged, this, QMessageBox::Yes)) {
        bool done = false;
        handOff->withPassword([&](const QString& password) {
            done = putBack(handOff->record(), password, handOff->record().lockerFile);
        });
        if (!done) {
            // Kept with its record: the next start offers the put away again.
            handOff->keepForNextStart();
            dropHandOff(handOff);
            return true;
        }
    }
    handOff->remove();
    dropHandOff(handOff);
    return true;
}

// Destroyed later: it may be the sender of the signal that finished it.
void frmMain::dropHandOff(TakenOutFile* handOff) {
    const auto found = std::ranges::find_if(
        m_handOffs, [handOff](const auto& each) { return each.get() == handOff; });
    if (found == m_handOffs.end())
        return;
    found->release()->deleteLater();
    m_handOffs.erase(found);
    showHandOffs();
}

void frmMain::showHandOffs() {
    QStringList names;
    for (const auto& handOff : m_handOffs)
        names << (handOff->saved() ? ui::HandOffSaved.arg(handOff->name()) : handOff->name());
    mnuitmEndHandOffs->setEnabled(!names.isEmpty());
    if (!lblHandOffs && names.isEmpty())
        return;
    if (!lblHandOffs) {
        lblHandOffs = new QLabel(this);
        lblHandOffs->setObjectName(QStringLiteral("lblHandOffs"));
        statusBar()->addWidget(lblHandOffs);
    }
    lblHandOffs->setText(ui::HandOffsOut.arg(names.join(QStringLiteral(", "))));
    statusBar()->setVisible(!names.isEmpty());
}

void frmMain::mnuitmEndHandOffs_Click() {
    std::vector<TakenOutFile*> handOffs;
    for (const auto& handOff : m_handOffs)
        handOffs.push_back(handOff.get());
    for (TakenOutFile* handOff : handOffs)
        finishHandOff(handOff, true);
}

bool frmMain::letHandOffsGo() {
    const auto used =
        std::ranges::count_if(m_handOffs, [](const auto& each) { return each->used(); });
    if (used > 0) {
        const QScopedValueRollback asking(m_askingAboutHandOff, true);
        if (!yes(ui::HandOffsStillUsed.arg(used), this, QMessageBox::No))
            return false;
    }
    while (!m_handOffs.empty())
        finishHandOff(m_handOffs.front().get());
    return true;
}

void frmMain::recoverHandOffs() {
    for (const QString& lockerFile : handoff::takeForcedPutAways())
        platform::showMessage(ui::PutAwayIntoNewLocker.arg(QDir::toNativeSeparators(lockerFile)),
                              QMessageBox::Information, QMessageBox::Ok, {}, this);
    recoverLeftovers();
}

void frmMain::recoverLeftovers(const QString& folder) {
    for (const HandOffRecord& leftover : handoff::remembered()) {
        if (!platform::processTagAlive(leftover.owner) &&
            (folder.isEmpty() || QFileInfo(leftover.file).absolutePath() == folder))
            recoverHandOff(leftover);
    }
}

// A leftover is never lost: a changed one goes into a new locker file beside its original
// (never over it: the key given now may not be the one it was taken out with), an unchanged
// one is deleted. One still open, or whose opener still runs, waits until it is free. Only a
// regular file is touched: anything else now at its name is neither opened nor followed.
void frmMain::recoverHandOff(const HandOffRecord& leftover) {
    if (!platform::regularFileStamp(leftover.file)) {
        handoff::forget(leftover.file);
        return;
    }
    if (!platform::holdersOf(leftover.file).isEmpty() ||
        std::ranges::any_of(leftover.openers, platform::processTagAlive))
        return;
    if (leftover.changed()) {
        // The dialog is narrow: its title names the locker file by its name alone.
        m_frmKey->setWindowTitle(
            ui::LeftoverKeyCaption.arg(QFileInfo(leftover.lockerFile).fileName()));
        m_frmKey->exec();
        m_frmKey->setWindowTitle(ui::KeyCaption);
        if (m_frmKey->Cancel() || m_frmKey->PassWd().isEmpty())
            return;
        const QString target = TakenOutFile::reserveNameBeside(leftover.lockerFile);
        if (!putBack(leftover, m_frmKey->PassWd(), target)) {
            QFile::remove(target);
            return;
        }
        // The plaintext goes before the message is shown, not when it is answered.
        QFile::remove(leftover.file);
        handoff::forget(leftover.file);
        platform::showMessage(ui::PutAwayIntoNewLocker.arg(QDir::toNativeSeparators(target)),
                              QMessageBox::Information, QMessageBox::Ok, {}, this);
        return;
    }
    QFile::remove(leftover.file);
    handoff::forget(leftover.file);
}
