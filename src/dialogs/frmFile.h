#pragma once

#include <QDialog>
#include <QHash>

class DriveList;
class FileList;
class FolderList;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The program's own modal file chooser: drive, folder and file lists, a file-type selector,
// a name box and, in take mode, a check box asking for an application. Loaded once; OK and
// Cancel only hide it, so lists, name box and properties carry over between showings.
//
// Calling protocol: set the caption, then IsTake, then OpenApp; exec(); then read Cancel and,
// when it is false, Path and FileName (and UseApp in take mode). The full name is Path, the
// native separator and FileName.
class frmFile : public QDialog {
    Q_OBJECT

public:
    // Placed relative to `parent` (the main window) as it stands now.
    explicit frmFile(QWidget* parent = nullptr);

    // True after Cancel (or closing the window), false after OK.
    [[nodiscard]] bool Cancel() const { return m_cancel; }
    void setCancel(bool value) { m_cancel = value; }

    // After OK in take mode: whether chkApp was ticked. Left alone by OK outside take mode.
    [[nodiscard]] bool UseApp() const { return m_useApp; }
    void setUseApp(bool value) { m_useApp = value; }

    // Applies the type selected in cboFileType to the file list.
    void TypeChanged();

    // The file name as typed or picked, without folder. Writing it also fills the name box.
    [[nodiscard]] QString FileName() const { return m_fileName; }
    void setFileName(const QString& value);

    // The folder of the chosen file; OK stores it without a trailing separator (the root
    // folder becomes empty on platforms without drive letters, "C:" with them). Writing it
    // moves the three lists there and stores the value exactly as given; a folder that cannot
    // be shown throws platform::RuntimeError (68 drive not ready, 76 missing, 70 unreadable)
    // and leaves the lists and the stored value unchanged. An empty value shows the root.
    [[nodiscard]] QString Path() const { return m_path; }
    void setPath(const QString& value);

    // Take mode: chkApp is shown, enabled and unticked.
    [[nodiscard]] bool IsTake() const { return m_isTake; }
    void setIsTake(bool value);

    // Program mode: the type selector starts at program files.
    [[nodiscard]] bool OpenApp() const { return m_openApp; }
    void setOpenApp(bool value);

    QLabel* const Label3;
    QLineEdit* const txtFileName;
    QLabel* const Label4;
    FileList* const File1;
    QLabel* const Label2;
    FolderList* const Dir1;
    QLabel* const Label1;
    DriveList* const Drive1;
    QPushButton* const cmdOK;
    QPushButton* const cmdCancel;
    QComboBox* const cboFileType;
    QCheckBox* const chkApp;

    void reject() override;

protected:
    // Each showing lists drives, folders and files afresh: files come and go between showings.
    void showEvent(QShowEvent* event) override;

private:
    void drive1Changed();
    void dir1Changed();
    void file1Clicked(const QString& name);
    void file1DoubleClicked(const QString& name);
    void cmdOKClicked();
    // Moves the lists to `folder`; throws what the Path write throws and then changes nothing.
    void showFolder(const QString& folder);
    // Whether the name box holds a folder (an existing one, or any name ending in a
    // separator) rather than a file name.
    [[nodiscard]] bool namesFolder(const QString& typed) const;
    void openTypedFolder(const QString& folder);

    bool m_cancel = false;
    bool m_useApp = false;
    QString m_fileName;
    QString m_path;
    bool m_isTake = false;
    bool m_openApp = false;
    // The folder last shown on each drive, by root path: where picking a drive returns to.
    QHash<QString, QString> m_folderOnDrive;
};
