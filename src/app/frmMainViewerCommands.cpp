// Open, save, copy and select-all: the viewer's commands, through the file chooser.
#include "app/UiText.h"
#include "app/frmMain.h"

#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"
#include "viewer/Viewer.h"

#include <new>

namespace {

// A failure is shown with its description as the text and its number as the title.
void Report(QWidget* parent, const platform::RuntimeError& error) {
    platform::ShowMessage(error.description(), QMessageBox::Warning, QMessageBox::Ok,
                          QString::number(error.number()), parent);
}

// Runs a command of the viewer, reporting its failure instead of passing it on.
template <typename Command> void Reporting(QWidget* parent, Command command) {
    try {
        command();
    } catch (const platform::RuntimeError& error) {
        Report(parent, error);
    } catch (const std::bad_alloc&) {
        Report(parent, platform::RuntimeError(platform::err::OutOfMemory));
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
    Reporting(this, [&] { m_viewer->SaveCont(fileName); });
}

void frmMain::mnuitmCopy_Click() {
    Reporting(this, [&] { m_viewer->CopyCont(); });
}

void frmMain::mnuitmSelAll_Click() {
    m_viewer->SelAll();
}
