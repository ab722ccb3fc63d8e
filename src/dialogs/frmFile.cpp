#include "dialogs/frmFile.h"

#include "dialogs/DriveList.h"
#include "dialogs/FileList.h"
#include "dialogs/FolderList.h"
#include "dialogs/FormControls.h"
#include "dialogs/SelectAllOn.h"
#include "dialogs/TwipsLayout.h"
#include "dialogs/WrappingCheckBox.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"
#include "ui/UiText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

struct FileType {
    QString pattern;
    bool programsOnly = false;
};

// The file-list filters of the entries of cboFileType, by index. Program files are those
// named .exe where programs are named so, elsewhere the files the user may run.
const QList<FileType>& fileTypes() {
#ifdef Q_OS_WIN
    static const FileType programs{ui::TypeProgramPattern};
#else
    static const FileType Programs{ui::TypeAllPattern, true};
#endif
    static const QList<FileType> Types{{ui::TypeDefaultPattern}, Programs, {ui::TypeAllPattern}};
    return Types;
}

// A folder as OK stores it: a root loses its trailing separator ("C:\" becomes "C:", "/"
// becomes ""), so that callers can always put one before the file name.
QString withoutRootSeparator(const QString& folder) {
    if (QDir(folder).isRoot() && folder.endsWith(QDir::separator()))
        return folder.chopped(1);
    return folder;
}

} // namespace

frmFile::frmFile(QWidget* parent)
    : QDialog(parent), Label3(named(new QLabel(ui::FileNameLabel, this), QStringLiteral("Label3"))),
      txtFileName(named(new QLineEdit(this), QStringLiteral("txtFileName"))),
      Label4(named(new QLabel(ui::FileListLabel, this), QStringLiteral("Label4"))),
      File1(named(new FileList(this), QStringLiteral("File1"))),
      Label2(named(new QLabel(ui::FolderListLabel, this), QStringLiteral("Label2"))),
      Dir1(named(new FolderList(this), QStringLiteral("Dir1"))),
      Label1(named(new QLabel(ui::DriveListLabel, this), QStringLiteral("Label1"))),
      Drive1(named(new DriveList(this), QStringLiteral("Drive1"))),
      cmdOK(named(new QPushButton(ui::OK, this), QStringLiteral("cmdOK"))),
      cmdCancel(named(new QPushButton(ui::Cancel, this), QStringLiteral("cmdCancel"))),
      cboFileType(named(new QComboBox(this), QStringLiteral("cboFileType"))),
      chkApp(named(new WrappingCheckBox(ui::UseApp, this), QStringLiteral("chkApp"))) {
    Label3->setBuddy(txtFileName);
    Label4->setBuddy(File1);
    Label2->setBuddy(Dir1);
    Label1->setBuddy(Drive1);
    cmdOK->setDefault(true);
    selectAllOn(txtFileName, QEvent::FocusIn);
    cboFileType->addItems({ui::TypeDefault, ui::TypeProgram, ui::TypeAll});
    cboFileType->setCurrentIndex(0);
    File1->setPattern(fileTypes().at(0).pattern);
    chkApp->setVisible(false);
    chkApp->setEnabled(false);

    chainTabOrder({txtFileName, File1, Dir1, Drive1, cmdOK, cmdCancel, cboFileType, chkApp});

    auto* layout = new TwipsLayout(this, QSize(5280, 3435));
    layout->place(Label3, 2760, 2280, 1095, 255);
    layout->place(txtFileName, 2760, 2520, 2415, 270);
    layout->place(Label4, 2760, 120, 1215, 255);
    layout->place(File1, 2760, 360, 2415, 1890);
    layout->place(Label2, 240, 720, 1215, 255);
    layout->place(Dir1, 120, 960, 2535, 1350);
    layout->place(Label1, 240, 120, 1095, 255);
    layout->place(Drive1, 120, 360, 2535, 300);
    layout->place(cmdOK, 2760, 2880, 1215, 495);
    layout->place(cmdCancel, 3960, 2880, 1215, 495);
    layout->place(cboFileType, 120, 2520, 2535, 300);
    layout->place(chkApp, 120, 2880, 2535, 495);
    layout->apply();
    TwipsLayout::placeRelativeTo(this, parent, 50, 500);

    connect(Drive1, &QComboBox::activated, this, &frmFile::drive1Changed);
    connect(Dir1, &FolderList::folderChanged, this, &frmFile::dir1Changed);
    connect(File1, &FileList::fileClicked, this, &frmFile::file1Clicked);
    connect(File1, &FileList::fileDoubleClicked, this, &frmFile::file1DoubleClicked);
    connect(cboFileType, &QComboBox::currentIndexChanged, this, &frmFile::TypeChanged);
    connect(cmdOK, &QPushButton::clicked, this, &frmFile::cmdOKClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFile::reject);

    // Until a caller sets Path the lists show the working folder.
    try {
        Dir1->setFolder(QDir::currentPath());
    } catch (const platform::RuntimeError&) {
        // The lists stay empty until Path is written.
    }
}

void frmFile::TypeChanged() {
    const int index = cboFileType->currentIndex();
    if (index >= 0 && index < fileTypes().size()) {
        File1->setPattern(fileTypes().at(index).pattern);
        File1->setProgramsOnly(fileTypes().at(index).programsOnly);
    }
    File1->refresh();
}

void frmFile::setFileName(const QString& value) {
    txtFileName->setText(value);
    m_fileName = value;
}

void frmFile::setPath(const QString& value) {
    // An empty Path is what OK stores for the root folder where there are no drive letters.
    showFolder(value.isEmpty() ? QDir::rootPath() : value);
    m_path = value;
}

void frmFile::showFolder(const QString& folder) {
    if (const std::optional<platform::Drive> drive = platform::driveOf(folder))
        platform::requireReady(*drive);
    Dir1->setFolder(folder);
    // Writing the folder it already shows raises no change, yet the files may have changed.
    File1->setFolder(Dir1->folder());
    if (const std::optional<platform::Drive> drive = platform::driveOf(Dir1->folder()))
        Drive1->setDrive(*drive);
}

void frmFile::setIsTake(bool value) {
    chkApp->setEnabled(value);
    chkApp->setVisible(value);
    if (value)
        chkApp->setChecked(false);
    m_isTake = value;
}

void frmFile::setOpenApp(bool value) {
    cboFileType->setCurrentIndex(value ? 1 : 0);
    TypeChanged();
    m_openApp = value;
}

void frmFile::drive1Changed() {
    const platform::Drive drive = Drive1->drive();
    try {
        platform::requireReady(drive);
    } catch (const platform::RuntimeError&) {
        platform::showMessage(ui::DriveNotReady, QMessageBox::Critical, QMessageBox::Ok, {}, this);
        return;
    }
    try {
        Dir1->setFolder(m_folderOnDrive.value(drive.rootPath, drive.rootPath));
    } catch (const platform::RuntimeError&) {
        // Any other failure to switch drives leaves the lists where they were.
    }
}

void frmFile::dir1Changed() {
    File1->setFolder(Dir1->folder());
    if (const std::optional<platform::Drive> drive = platform::driveOf(Dir1->folder())) {
        Drive1->setDrive(*drive);
        m_folderOnDrive.insert(drive->rootPath, Dir1->folder());
    }
}

void frmFile::file1Clicked(const QString& name) {
    txtFileName->setText(name);
}

void frmFile::file1DoubleClicked(const QString& name) {
    file1Clicked(name);
    cmdOKClicked();
}

void frmFile::cmdOKClicked() {
    const QString typed = txtFileName->text();
    if (typed.isEmpty()) {
        platform::showMessage(ui::EnterFileName, QMessageBox::Warning, QMessageBox::Ok, {}, this);
        return;
    }
    // A name typed with its whole path is taken as it stands: its folder becomes Path.
    const bool wholePath = QDir::isAbsolutePath(typed);
    const QFileInfo given(QDir::cleanPath(typed));
    if (namesFolder(typed)) {
        openTypedFolder(QDir(Dir1->folder()).filePath(typed));
        return;
    }
    try {
        setPath(withoutRootSeparator(wholePath ? QDir::toNativeSeparators(given.absolutePath())
                                               : Dir1->folder()));
    } catch (const platform::RuntimeError& error) {
        // The folder is missing, may not be read, or went away while the dialog was open:
        // say so and stay open.
        platform::showMessage(error.description(), QMessageBox::Warning, QMessageBox::Ok,
                              QString::number(error.number()), this);
        return;
    }
    setFileName(wholePath ? given.fileName() : typed);
    if (m_isTake)
        m_useApp = chkApp->isChecked();
    m_cancel = false;
    accept();
}

bool frmFile::namesFolder(const QString& typed) const {
    if (typed.endsWith(u'/') || typed.endsWith(QDir::separator()))
        return true;
    return QFileInfo(QDir(Dir1->folder()).filePath(typed)).isDir();
}

// Like a double-click in the folder list: the lists move there, Path stays until OK.
void frmFile::openTypedFolder(const QString& folder) {
    try {
        showFolder(QDir::cleanPath(folder));
    } catch (const platform::RuntimeError& error) {
        platform::showMessage(error.description(), QMessageBox::Warning, QMessageBox::Ok,
                              QString::number(error.number()), this);
        return;
    }
    txtFileName->clear();
}

void frmFile::showEvent(QShowEvent* event) {
    Drive1->refresh();
    Dir1->refresh();
    File1->refresh();
    // Typing goes to the name box, wherever the focus was when the dialog last closed.
    txtFileName->setFocus();
    QDialog::showEvent(event);
}

void frmFile::reject() {
    m_cancel = true;
    QDialog::reject();
}
