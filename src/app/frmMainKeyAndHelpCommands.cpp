// Key, options, help and version: short modal exchanges that touch no locker file.
#include "app/frmMain.h"
#include "ui/UiText.h"

#include "about/frmAbout.h"
#include "dialogs/frmKey.h"
#include "dialogs/frmOptions.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"

#include <QCoreApplication>
#include <QFileInfo>

void frmMain::mnuKey_Click() {
    m_frmKey->exec();
    if (!m_frmKey->Cancel())
        m_keyPassWd = m_frmKey->PassWd();
}

void frmMain::mnuitmOption_Click() {
    m_frmOptions->exec();
}

// Only a missing document is reported; the desktop reports its own failures to open one.
// The guide in the working directory, as the program has always looked for it; otherwise the
// copy installed with the program, so that a start from the desktop finds it too.
static QString helpDocumentPath() {
    const QString installed = QCoreApplication::applicationDirPath() +
                              QStringLiteral("/../share/doc/winvrls/") + ui::HelpDocument;
    return !QFileInfo(ui::HelpDocument).isFile() && QFileInfo(installed).isFile()
               ? installed
               : ui::HelpDocument;
}

void frmMain::mnuitmHelp_Click() {
    try {
        platform::openDocument(helpDocumentPath());
    } catch (const platform::RuntimeError& error) {
        if (error.number() == platform::err::FileNotFound)
            platform::showMessage(ui::HelpNotFound + NL() + ui::HelpOpenByHand,
                                  QMessageBox::Warning, QMessageBox::Ok, {}, this);
    }
}

void frmMain::mnuitmVersion_Click() {
    frmAbout about(this);
    about.exec();
}
