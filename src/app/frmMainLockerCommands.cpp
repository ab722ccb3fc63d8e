// The roads to put away and take out: menu commands, drops, the pop-up menu and the toolbar.
#include "app/frmMain.h"
#include "ui/UiText.h"

#include "dialogs/Filing.h"
#include "dialogs/frmFile.h"
#include "dialogs/frmKey.h"
#include "dialogs/frmOptions.h"
#include "locker/Locker.h"
#include "platform/HeldMouseButtons.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>

namespace {

enum FileActionMode : quint8 { ShowInViewer = 0, TakeOut = 1 };

// The dropped files that can be handled: local ones, in the order of the drop.
QList<QUrl> localFiles(const QList<QUrl>& urls) {
    QList<QUrl> files;
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            files << url;
    }
    return files;
}

// The same file named in two ways, e.g. with a doubled separator after a drop.
bool samePath(const QString& one, const QString& other) {
    return QFileInfo(one).absoluteFilePath() == QFileInfo(other).absoluteFilePath();
}

// The program only reads a dropped file, so it tells the source that it copied it, whatever
// keys are held: a source told of a move might delete its original.
void acceptAsCopy(QDropEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

} // namespace

bool frmMain::chooseLockerFile(const QString& caption, bool isTake) {
    if (!isTake)
        m_frmFile->setUseApp(false);
    return chooseFile(caption, isTake);
}

void frmMain::mnuitmLock_Click() {
    if (!CheckPassWd())
        return;
    if (m_frmFile->FileName().isEmpty()) {
        platform::showMessage(ui::NoFileOpen, QMessageBox::Critical, QMessageBox::Ok, {}, this);
        return;
    }
    // A declined target becomes the chooser's current file, yet a repeated pass still puts
    // away the file the command started with.
    const QString source = chosenFile();
    QString target;
    do {
        const bool recordApplication = locker::appModeFromNumber(m_frmOptions->AppMode()) ==
                                       locker::AppMode::RecordedApplication;
        if (!chooseLockerFile(ui::PutAwayCaption, recordApplication))
            return;
        target = chosenFile();
    } while (!replaceAgreed(source, target));

    if (!m_frmFile->UseApp()) {
        EncFile(source, target, m_keyPassWd);
        return;
    }
    if (!chooseFile(target + ui::ApplicationCaption, false, true))
        return;
    EncFile(source, target, m_keyPassWd, chosenFile());
}

bool frmMain::replaceAgreed(const QString& source, const QString& target) {
    const auto clashes = [&] { return QFileInfo(target).isFile() || samePath(source, target); };
    if (!clashes())
        return true;
    if (platform::showMessage(ui::ReplaceQuestion, QMessageBox::Question,
                              QMessageBox::Yes | QMessageBox::No, {}, this) == QMessageBox::Yes)
        return true;
    return !clashes();
}

void frmMain::mnuitmUnlock_Click() {
    if (!CheckPassWd())
        return;
    const bool chooseApplication =
        locker::appModeFromNumber(m_frmOptions->AppMode()) == locker::AppMode::ChosenApplication;
    if (!chooseLockerFile(ui::TakeOutCaption, chooseApplication))
        return;
    const QString lockerFile = chosenFile();
    if (!m_frmFile->UseApp()) {
        TakeFile(lockerFile, m_keyPassWd);
        return;
    }
    if (!chooseFile(lockerFile + ui::ApplicationCaption, false, true))
        return;
    TakeFile(lockerFile, m_keyPassWd, chosenFile());
}

void frmMain::FileAction(quint8 Mode, const QString& strFileName) {
    switch (Mode) {
    case ShowInViewer:
        OpenCont(strFileName);
        return;
    case TakeOut:
        if (!CheckPassWd()) {
            m_frmKey->exec();
            if (m_frmKey->Cancel())
                return;
            m_keyPassWd = m_frmKey->PassWd();
        }
        if (m_keyPassWd.isEmpty())
            platform::showMessage(ui::StrangeKeyPassword, QMessageBox::Warning, QMessageBox::Ok, {},
                                  this);
        else
            TakeFile(strFileName, m_keyPassWd);
        return;
    default:
        return;
    }
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

// The drag's button is noted while it is still held: the drop follows its release. Each move
// answers again, since keys pressed or released on the way propose another action.
void frmMain::dragMoveEvent(QDragMoveEvent* event) {
    m_dragButtons = event->buttons() | platform::heldMouseButtons();
    if (!m_operating && !localFiles(event->mimeData()->urls()).isEmpty())
        acceptAsCopy(event);
    else
        event->ignore();
}

// The drop is finished for the source at once; the commands it starts, with their dialogs
// and the pop-up menu, run afterwards from the event loop.
void frmMain::dropEvent(QDropEvent* event) {
    const QList<QUrl> files = localFiles(event->mimeData()->urls());
    if (m_operating || files.isEmpty())
        return;
    acceptAsCopy(event);
    QMetaObject::invokeMethod(
        this,
        [this, files, buttons = event->buttons() | m_dragButtons, modifiers = event->modifiers(),
         position = mapToGlobal(event->position().toPoint())] {
            Form_OLEDragDrop(files, buttons, modifiers, position);
        },
        Qt::QueuedConnection);
}

void frmMain::Form_OLEDragDrop(const QList<QUrl>& Data, Qt::MouseButtons Button,
                               Qt::KeyboardModifiers Shift, const QPoint& position) {
    const QList<QUrl> files = localFiles(Data);
    if (m_operating || files.isEmpty())
        return;
    const QString dropped = files.first().toLocalFile();
    const Filing filing;
    m_frmFile->setFileName(filing.getFileName(dropped));
    try {
        m_frmFile->setPath(filing.getPath(dropped));
    } catch (const platform::RuntimeError& error) {
        // The folder cannot be listed: the dropped file cannot become the current file.
        platform::showMessage(error.description(), QMessageBox::Warning, QMessageBox::Ok,
                              QString::number(error.number()), this);
        return;
    }
    if (Button.testFlag(Qt::RightButton)) {
        mnuPopupRoute->popup(position);
        return;
    }
    const Qt::KeyboardModifiers keys =
        Shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    FileAction(keys == Qt::ShiftModifier ? TakeOut : ShowInViewer, dropped);
}

void frmMain::mnupopOpen_Click() {
    FileAction(ShowInViewer, chosenFile());
}

void frmMain::mnupopUnlock_Click() {
    FileAction(TakeOut, chosenFile());
}

void frmMain::Toolbar1_ButtonClick(int Index) {
    switch (Index) {
    case 2:
        mnuitmOpen_Click();
        break;
    case 3:
        mnuitmSave_Click();
        break;
    case 5:
        mnuitmUnlock_Click();
        break;
    case 6:
        mnuitmLock_Click();
        break;
    case 7:
        mnuKey_Click();
        break;
    case 9:
        mnuitmOption_Click();
        break;
    case 10:
        mnuitmHelp_Click();
        break;
    default:
        break;
    }
}
