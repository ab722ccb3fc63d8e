// Open, save, copy and select-all: the viewer's commands, through the file chooser.
#include "app/frmMain.h"
#include "ui/UiText.h"

#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"
#include "viewer/Viewer.h"

#include <new>

namespace {

// A failure is shown with its description as the text and its number as the title.
void report(QWidget* parent, const platform::RuntimeError& error) {
    platform::showMessage(error.description(), QMessageBox::Warning, QMessageBox::Ok,
                          QString::number(error.number()), parent);
}

// Runs a command of the viewer, reporting its failure instead of passing it on.
template <typename Command> void reporting(QWidget* parent, Command command) {
    try {
        command();
    } catch (const platform::RuntimeError& error) {
        report(parent, error);
    } catch (const std::bad_alloc&) {
        report(parent, platform::RuntimeError(platform::err::OutOfMemory));
    }
}

} // namespace

void frmMain::mnuitmOpen_Click() {
    if (chooseFile(ui::OpenFileCaption))
        OpenCont(chosenFile());
}

void frmMain::mnuitmSave_Click() {
    if (!chooseFile(ui::SaveFileCaption))
        return;
    const QString fileName = chosenFile();
    reporting(this, [&] { m_viewer->saveCont(fileName); });
}

void frmMain::mnuitmCopy_Click() {
    reporting(this, [&] { m_viewer->copyCont(); });
}

void frmMain::mnuitmSelAll_Click() {
    m_viewer->selAll();
}
