#include "dialogs/DriveList.h"
#include "dialogs/FileList.h"
#include "dialogs/Filing.h"
#include "dialogs/FolderList.h"
#include "dialogs/frmFile.h"
#include "platform/Drives.h"
#include "platform/MessageBoxRecorder.h"
#include "platform/RuntimeError.h"
#include "support/ModalAnswer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using testsupport::execWith;

namespace {

const QStringList DefaultTypeFiles{u"a.txt"_s, u"b.JPG"_s, u"e.png"_s, u"f.webp"_s, u"g.tif"_s};
#ifdef Q_OS_WIN
const QStringList ProgramFiles{u"c.exe"_s};
#else
const QStringList ProgramFiles{u"tool"_s};
#endif

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QStringList shownFiles(const frmFile& dialog) {
    QStringList names;
    for (int i = 0; i < dialog.File1->count(); ++i)
        names.append(dialog.File1->item(i)->text());
    return names;
}

// A double-click as the mouse makes it: a click, then the second press.
void doubleClick(QAbstractItemView* view, const QModelIndex& index) {
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestFrmFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void captionsTypesAndOrder();
    void fileListShowsTheSelectedType_data();
    void fileListShowsTheSelectedType();
    void okStoresTheFolderWithoutTrailingSeparator_data();
    void okStoresTheFolderWithoutTrailingSeparator();
    void typedPathChoosesAFileOrOpensAFolder_data();
    void typedPathChoosesAFileOrOpensAFolder();
    void okWithAnEmptyNameWarnsAndStaysOpen();
    void okAfterTheFolderVanishedReportsItAndStaysOpen();
    void clickOnAFileFillsTheNameBoxOnly();
    void arrowKeysPickAFileButTabbingThroughDoesNot();
    void doubleClickOnAFileEndsTheDialogWithItsName();
    void folderOpensOnlyOnDoubleClick();
    void cancelAfterBrowsingKeepsPath();
    void takeModeOffersTheCheckBox_data();
    void takeModeOffersTheCheckBox();
    void openAppStartsAtProgramFiles();
    void pathWriteThatFailsChangesNothing_data();
    void pathWriteThatFailsChangesNothing();
    void drivePickedThatIsNotReadyWarnsAndKeepsTheLists();
    void systemDrivesAreFoldersOncePerRootTheRootFirst();
    void droppedFilePresetsTheNextShowing();
    void eachShowingListsTheFilesAfreshWithTypingInTheNameBox();
    void nameBoxSelectsAllOnFocus();
    void isPlacedBesideTheMainWindow();

private:
    QTemporaryDir m_tree;
    QString m_root;    // the temporary folder, native, without trailing separator
    QString m_offline; // root of a drive that is not ready
    QString m_usb;     // root of a second ready drive
    std::unique_ptr<platform::MessageBoxRecorder> m_recorder;
    platform::DriveSource m_previousDrives;
};

void TestFrmFile::initTestCase() {
    QVERIFY(m_tree.isValid());
    m_root = native(m_tree.path());
    QDir dir(m_tree.path());
    for (const char* name :
         {"a.txt", "b.JPG", "c.exe", "d.doc", "e.png", "f.webp", "g.tif", ".hidden.txt", "noext",
          "tool", "sub/inner.txt", "offline/x.txt", "usb/y.txt"}) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        QVERIFY(dir.mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // A program of this system: one the user may run, whatever its name.
    QVERIFY(QFile::setPermissions(dir.filePath(u"tool"_s),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(dir.mkpath(u"表"_s));
    m_offline = native(dir.filePath(u"offline"_s)) + QDir::separator();
    m_usb = native(dir.filePath(u"usb"_s)) + QDir::separator();
}

void TestFrmFile::init() {
    m_recorder = std::make_unique<platform::MessageBoxRecorder>();
    const QString systemRoot = native(QDir::rootPath());
    m_previousDrives = platform::setDriveSource([this, systemRoot] {
        return QList<platform::Drive>{
            {systemRoot, {}, true}, {m_offline, u"CD"_s, false}, {m_usb, u"USB"_s, true}};
    });
}

void TestFrmFile::cleanup() {
    platform::setDriveSource(std::move(m_previousDrives));
    m_recorder.reset();
}

void TestFrmFile::captionsTypesAndOrder() {
    frmFile dialog;
    QCOMPARE(dialog.Label1->text(), u"ドライブ(&D):"_s);
    QCOMPARE(dialog.Label2->text(), u"フォルダ(&L):"_s);
    QCOMPARE(dialog.Label3->text(), u"ファイル名(&N):"_s);
    QCOMPARE(dialog.Label4->text(), u"ファイル(&F):"_s);
    QCOMPARE(dialog.chkApp->text(), u"アプリケーションに関連付けて取り出す(&A)"_s);
    QCOMPARE(dialog.cmdCancel->text(), u"キャンセル"_s);
    QVERIFY(dialog.cmdOK->isDefault());
    QCOMPARE(dialog.cboFileType->count(), 3);
    QCOMPARE(dialog.cboFileType->itemText(0), u"規定のファイル（テキスト・画像）"_s);
    QCOMPARE(dialog.cboFileType->itemText(1), u"プログラムファイル"_s);
    QCOMPARE(dialog.cboFileType->itemText(2), u"全てのファイル"_s);
    QVERIFY(!dialog.cboFileType->isEditable());
    QCOMPARE(dialog.cboFileType->currentIndex(), 0);
    QVERIFY(dialog.chkApp->isHidden());
    QCOMPARE(dialog.findChild<QWidget*>(u"Dir1"_s), dialog.Dir1);

    // Drives: the root volume first.
    QCOMPARE(dialog.Drive1->count(), 3);
    QCOMPARE(dialog.Drive1->itemText(0), native(QDir::rootPath()));
    QCOMPARE(dialog.Drive1->itemText(1), m_offline + u" [CD]"_s);

    const QList<QWidget*> expected{dialog.txtFileName, dialog.File1, dialog.Dir1,
                                   dialog.Drive1,      dialog.cmdOK, dialog.cmdCancel,
                                   dialog.cboFileType, dialog.chkApp};
    for (qsizetype i = 1; i < expected.size(); ++i) {
        QWidget* next = expected[i - 1]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || next->parentWidget() != &dialog)
            next = next->nextInFocusChain();
        QCOMPARE(next, expected[i]);
    }
}

void TestFrmFile::fileListShowsTheSelectedType_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("default types (pictures the viewer shows), any case") << 0 << DefaultTypeFiles;
    QTest::newRow("programs") << 1 << ProgramFiles;
    QTest::newRow("all but hidden")
        << 2 << QStringList{u"a.txt"_s,  u"b.JPG"_s, u"c.exe"_s, u"d.doc"_s, u"e.png"_s,
                            u"f.webp"_s, u"g.tif"_s, u"noext"_s, u"tool"_s};
}

void TestFrmFile::fileListShowsTheSelectedType() {
    QFETCH(int, type);
    QFETCH(QStringList, files);
    frmFile dialog;
    dialog.setPath(m_root);
    dialog.cboFileType->setCurrentIndex(type);
    QCOMPARE(shownFiles(dialog), files);
}

void TestFrmFile::okStoresTheFolderWithoutTrailingSeparator_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("folder") << m_root << m_root;
    QTest::newRow("folder written with trailing separator") << m_root + QDir::separator() << m_root;
    const QString systemRoot = native(QDir::rootPath());
    QTest::newRow("root folder") << systemRoot << systemRoot.chopped(1);
    QTest::newRow("empty Path is the root") << QString() << systemRoot.chopped(1);
}

void TestFrmFile::okStoresTheFolderWithoutTrailingSeparator() {
    QFETCH(QString, folder);
    QFETCH(QString, path);
    frmFile dialog;
    dialog.setPath(folder);
    QCOMPARE(dialog.Path(), folder); // stored exactly as written
    dialog.setCancel(true);
    execWith(dialog, [&dialog] {
        QTest::keyClicks(dialog.txtFileName, u"new file.vrl"_s); // need not exist
        QTest::keyClick(dialog.txtFileName, Qt::Key_Return);
    });
    QCOMPARE(dialog.Cancel(), false);
    QCOMPARE(dialog.Path(), path);
    QCOMPARE(dialog.FileName(), u"new file.vrl"_s);
    // Callers always put a separator between the two.
    QCOMPARE(QFileInfo(dialog.Path() + QDir::separator() + dialog.FileName()).absolutePath(),
             QFileInfo(QDir(folder.isEmpty() ? QDir::rootPath() : folder), u"x"_s).absolutePath());
}

void TestFrmFile::typedPathChoosesAFileOrOpensAFolder_data() {
    QTest::addColumn<QString>("typed");  // a leading separator: below the temporary folder
    QTest::addColumn<QString>("path");   // empty: the dialog stays open
    QTest::addColumn<QString>("listed"); // the folder the lists show then, below it
    QTest::addColumn<QString>("title");  // of the message shown, if any
    const QString sep = QDir::separator();
    QTest::newRow("new file in another folder")
        << sep + u"sub"_s + sep + u"new.vrl"_s << m_root + sep + u"sub"_s << u"sub"_s << QString();
    QTest::newRow("missing folder")
        << sep + u"missing"_s + sep + u"new.vrl"_s << QString() << QString() << u"76"_s;
    // A folder is opened in the lists, like a double-click; Path waits for OK.
    QTest::newRow("folder") << sep + u"sub"_s << QString() << u"sub"_s << QString();
    QTest::newRow("folder with a final separator")
        << sep + u"sub"_s + sep << QString() << u"sub"_s << QString();
    QTest::newRow("folder of the list, by its name")
        << u"sub/"_s << QString() << u"sub"_s << QString();
    QTest::newRow("missing folder with a final separator")
        << sep + u"missing"_s + sep << QString() << QString() << u"76"_s;
}

void TestFrmFile::typedPathChoosesAFileOrOpensAFolder() {
    QFETCH(QString, typed);
    QFETCH(QString, path);
    QFETCH(QString, listed);
    QFETCH(QString, title);
    frmFile dialog;
    dialog.setPath(m_root);
    dialog.setCancel(true);
    bool stayedOpen = false;
    QString typedLeft;
    execWith(dialog, [&] {
        QTest::keyClicks(dialog.txtFileName,
                         typed.startsWith(QDir::separator()) ? m_root + typed : typed);
        QTest::keyClick(dialog.txtFileName, Qt::Key_Return);
        stayedOpen = dialog.isVisible();
        typedLeft = dialog.txtFileName->text();
    });
    QCOMPARE(stayedOpen, path.isEmpty());
    QCOMPARE(dialog.Cancel(), path.isEmpty());
    QCOMPARE(dialog.Path(), path.isEmpty() ? m_root : path);
    QCOMPARE(dialog.FileName(), path.isEmpty() ? QString() : u"new.vrl"_s);
    QCOMPARE(dialog.Dir1->folder(),
             listed.isEmpty() ? m_root : m_root + QDir::separator() + listed);
    QCOMPARE(dialog.File1->folder(), dialog.Dir1->folder());
    QCOMPARE(m_recorder->count(), title.isEmpty() ? 0 : 1);
    if (!title.isEmpty())
        QCOMPARE(m_recorder->last().title, title);
    // A folder opened leaves the name box free for the file's name.
    if (stayedOpen && title.isEmpty())
        QCOMPARE(typedLeft, QString());
}

void TestFrmFile::okWithAnEmptyNameWarnsAndStaysOpen() {
    frmFile dialog;
    dialog.setPath(m_root);
    dialog.setFileName(u"kept.txt"_s);
    bool stayedOpen = false;
    execWith(dialog, [&dialog, &stayedOpen] {
        dialog.txtFileName->clear();
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        stayedOpen = dialog.isVisible();
    });
    QVERIFY(stayedOpen);
    QCOMPARE(m_recorder->count(), 1);
    QCOMPARE(m_recorder->last().text, u"ファイル名を入力してください。"_s);
    QCOMPARE(m_recorder->last().icon, QMessageBox::Warning);
    QCOMPARE(m_recorder->last().title, u"Winヴォレル97"_s);
    QCOMPARE(dialog.FileName(), u"kept.txt"_s);
}

void TestFrmFile::okAfterTheFolderVanishedReportsItAndStaysOpen() {
    const QString gone = m_root + QDir::separator() + u"gone"_s;
    QVERIFY(QDir().mkpath(gone));
    frmFile dialog;
    dialog.setPath(m_root);
    dialog.setPath(gone);
    bool stayedOpen = false;
    execWith(dialog, [&] {
        QVERIFY(QDir(gone).removeRecursively());
        QTest::keyClicks(dialog.txtFileName, u"x.vrl"_s);
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        stayedOpen = dialog.isVisible();
    });
    QVERIFY(stayedOpen);
    QCOMPARE(dialog.Path(), gone);
    QCOMPARE(dialog.FileName(), QString());
    QCOMPARE(m_recorder->count(), 1);
    QCOMPARE(m_recorder->last().title, u"76"_s);
    QCOMPARE(m_recorder->last().icon, QMessageBox::Warning);
}

void TestFrmFile::clickOnAFileFillsTheNameBoxOnly() {
    frmFile dialog;
    dialog.setPath(m_root);
    dialog.setFileName(u"old.txt"_s);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QModelIndex second = dialog.File1->model()->index(1, 0);
    QTest::mouseClick(dialog.File1->viewport(), Qt::LeftButton, {},
                      dialog.File1->visualRect(second).center());
    QCOMPARE(dialog.txtFileName->text(), u"b.JPG"_s);
    QCOMPARE(dialog.FileName(), u"old.txt"_s);
    QVERIFY(dialog.isVisible());
}

void TestFrmFile::arrowKeysPickAFileButTabbingThroughDoesNot() {
    frmFile dialog;
    dialog.setPath(m_root);
    dialog.setFileName(u"typed.vrl"_s);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.txtFileName->setFocus();
    QTest::keyClick(dialog.txtFileName, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), dialog.File1);
    QCOMPARE(dialog.txtFileName->text(), u"typed.vrl"_s);
    QTest::keyClick(dialog.File1, Qt::Key_Down);
    QVERIFY(dialog.txtFileName->text() != u"typed.vrl"_s);
    QCOMPARE(dialog.txtFileName->text(), dialog.File1->currentItem()->text());
}

void TestFrmFile::doubleClickOnAFileEndsTheDialogWithItsName() {
    frmFile dialog;
    dialog.setPath(m_root);
    dialog.setCancel(true);
    const int result = execWith(
        dialog, [&dialog] { doubleClick(dialog.File1, dialog.File1->model()->index(0, 0)); });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(dialog.FileName(), u"a.txt"_s);
    QCOMPARE(dialog.Path(), m_root);
    QCOMPARE(dialog.Cancel(), false);
}

void TestFrmFile::folderOpensOnlyOnDoubleClick() {
    frmFile dialog;
    dialog.setPath(m_root);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QList<QTreeWidgetItem*> found =
        dialog.Dir1->findItems(u"sub"_s, Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    const QModelIndex sub = dialog.Dir1->indexFromItem(found.first());
    QTest::mouseClick(dialog.Dir1->viewport(), Qt::LeftButton, {},
                      dialog.Dir1->visualRect(sub).center());
    QCOMPARE(dialog.Dir1->folder(), m_root);
    QCOMPARE(dialog.File1->folder(), m_root);

    doubleClick(dialog.Dir1, sub);
    const QString subFolder = m_root + QDir::separator() + u"sub"_s;
    QCOMPARE(dialog.Dir1->folder(), subFolder);
    QCOMPARE(dialog.File1->folder(), subFolder);
    QCOMPARE(shownFiles(dialog), QStringList{u"inner.txt"_s});
    // The folders above the open one stay listed: a double-click goes back up.
    const QList<QTreeWidgetItem*> up =
        dialog.Dir1->findItems(QFileInfo(m_root).fileName(), Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(up.size(), 1);
    doubleClick(dialog.Dir1, dialog.Dir1->indexFromItem(up.first()));
    QCOMPARE(dialog.Dir1->folder(), m_root);
    QCOMPARE(shownFiles(dialog), DefaultTypeFiles);

    // From the keyboard: Enter on a folder opens it and leaves the dialog open.
    dialog.Dir1->setFocus();
    dialog.Dir1->setCurrentItem(
        dialog.Dir1->findItems(u"sub"_s, Qt::MatchExactly | Qt::MatchRecursive).first());
    QTest::keyClick(dialog.Dir1, Qt::Key_Return);
    QCOMPARE(dialog.Dir1->folder(), subFolder);
    QVERIFY(dialog.isVisible());
}

void TestFrmFile::cancelAfterBrowsingKeepsPath() {
    frmFile dialog;
    dialog.setPath(m_root);
    dialog.setFileName(u"a.txt"_s);
    execWith(dialog, [&dialog] {
        const QList<QTreeWidgetItem*> found =
            dialog.Dir1->findItems(u"sub"_s, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(found.size(), 1);
        doubleClick(dialog.Dir1, dialog.Dir1->indexFromItem(found.first()));
        QTest::keyClicks(dialog.txtFileName, u"other"_s);
        QTest::keyClick(dialog.txtFileName, Qt::Key_Escape);
    });
    QCOMPARE(dialog.Cancel(), true);
    QCOMPARE(dialog.Path(), m_root);
    QCOMPARE(dialog.FileName(), u"a.txt"_s);
    QCOMPARE(dialog.Dir1->folder(), m_root + QDir::separator() + u"sub"_s);
}

void TestFrmFile::takeModeOffersTheCheckBox_data() {
    QTest::addColumn<bool>("isTake");
    QTest::addColumn<bool>("useAppBefore");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("useAppAfter");
    QTest::newRow("take, ticked") << true << false << true << true;
    QTest::newRow("take, not ticked") << true << true << false << false;
    QTest::newRow("not take, was true") << false << true << false << true;
    QTest::newRow("not take, was false") << false << false << false << false;
}

void TestFrmFile::takeModeOffersTheCheckBox() {
    QFETCH(bool, isTake);
    QFETCH(bool, useAppBefore);
    QFETCH(bool, tick);
    QFETCH(bool, useAppAfter);
    frmFile dialog;
    dialog.setPath(m_root);
    dialog.setFileName(u"a.txt"_s);
    dialog.setIsTake(true);
    dialog.chkApp->setChecked(true); // left ticked by an earlier showing
    dialog.setUseApp(useAppBefore);
    dialog.setIsTake(isTake);
    dialog.setOpenApp(false);
    bool shown = false;
    bool enabled = false;
    bool ticked = true;
    execWith(dialog, [&] {
        shown = dialog.chkApp->isVisible();
        enabled = dialog.chkApp->isEnabled();
        ticked = dialog.chkApp->isChecked();
        if (tick)
            QTest::mouseClick(dialog.chkApp, Qt::LeftButton);
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    });
    QCOMPARE(shown, isTake);
    QCOMPARE(enabled, isTake);
    if (isTake)
        QVERIFY(!ticked);
    QCOMPARE(dialog.IsTake(), isTake);
    QCOMPARE(dialog.UseApp(), useAppAfter);
}

void TestFrmFile::openAppStartsAtProgramFiles() {
    frmFile dialog;
    dialog.setPath(m_root);
    dialog.setOpenApp(true);
    QCOMPARE(dialog.OpenApp(), true);
    QCOMPARE(dialog.cboFileType->currentText(), u"プログラムファイル"_s);
    QCOMPARE(shownFiles(dialog), ProgramFiles);

    dialog.show();
    QTest::keyClick(dialog.cboFileType, Qt::Key_Down); // the user may still switch
    QCOMPARE(dialog.cboFileType->currentIndex(), 2);
    QCOMPARE(shownFiles(dialog).size(), 9);

    dialog.setOpenApp(false);
    QCOMPARE(dialog.cboFileType->currentIndex(), 0);
    QCOMPARE(shownFiles(dialog), DefaultTypeFiles);
}

void TestFrmFile::pathWriteThatFailsChangesNothing_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("error");
    QTest::newRow("missing folder") << m_root + QDir::separator() + u"missing"_s << 76;
    QTest::newRow("a file, not a folder") << m_root + QDir::separator() + u"a.txt"_s << 76;
    QTest::newRow("drive not ready") << m_offline << 68;
    QTest::newRow("folder on a drive not ready") << m_offline + u"deeper"_s << 68;
}

void TestFrmFile::pathWriteThatFailsChangesNothing() {
    QFETCH(QString, folder);
    QFETCH(int, error);
    frmFile dialog;
    dialog.setPath(m_root);
    const QStringList filesBefore = shownFiles(dialog);
    try {
        dialog.setPath(folder);
        QFAIL("no error raised");
    } catch (const platform::RuntimeError& raised) {
        QCOMPARE(raised.number(), error);
    }
    QCOMPARE(dialog.Path(), m_root);
    QCOMPARE(dialog.Dir1->folder(), m_root);
    QCOMPARE(dialog.File1->folder(), m_root);
    QCOMPARE(shownFiles(dialog), filesBefore);
    QCOMPARE(m_recorder->count(), 0); // the caller reports it
}

void TestFrmFile::drivePickedThatIsNotReadyWarnsAndKeepsTheLists() {
    frmFile dialog;
    dialog.setPath(m_root);
    QCOMPARE(dialog.Drive1->currentIndex(), 0);

    QTest::keyClick(dialog.Drive1, Qt::Key_Down); // the drive that is not ready
    QCOMPARE(m_recorder->count(), 1);
    QCOMPARE(m_recorder->last().text, u"ドライブの準備ができていません。"_s);
    QCOMPARE(m_recorder->last().icon, QMessageBox::Critical);
    QCOMPARE(dialog.Drive1->currentIndex(), 1);
    QCOMPARE(dialog.Dir1->folder(), m_root);
    QCOMPARE(dialog.File1->folder(), m_root);

    QTest::keyClick(dialog.Drive1, Qt::Key_Down); // a ready one: its root
    QCOMPARE(dialog.Dir1->folder(), m_usb.chopped(1));
    QCOMPARE(shownFiles(dialog), QStringList{u"y.txt"_s});

    QTest::keyClick(dialog.Drive1, Qt::Key_Home); // back: the folder last shown there
    QCOMPARE(dialog.Dir1->folder(), m_root);
    QCOMPARE(dialog.Path(), m_root);
    QCOMPARE(m_recorder->count(), 1);
}

void TestFrmFile::systemDrivesAreFoldersOncePerRootTheRootFirst() {
    const platform::DriveSource fake = platform::setDriveSource({});
    const QList<platform::Drive> drives = platform::mountedDrives();
    platform::setDriveSource(fake);
    QVERIFY(!drives.isEmpty());
    QCOMPARE(drives.first().rootPath, native(QDir::rootPath()));
    QSet<QString> roots;
    for (const platform::Drive& drive : drives) {
        QVERIFY2(QFileInfo(drive.rootPath).isDir(), qPrintable(drive.rootPath));
        QVERIFY(drive.rootPath.endsWith(QDir::separator()));
        roots.insert(drive.rootPath);
    }
    QCOMPARE(roots.size(), drives.size());
}

void TestFrmFile::droppedFilePresetsTheNextShowing() {
    frmFile dialog;
    const QString dropped =
        m_root + QDir::separator() + u"sub"_s + QDir::separator() + u"inner.txt"_s;
    const Filing filing;
    dialog.setFileName(filing.getFileName(dropped));
    dialog.setPath(filing.getPath(dropped));
    QCOMPARE(dialog.Path(), m_root + QDir::separator() + u"sub"_s + QDir::separator());
    QString name;
    QString folder;
    execWith(dialog, [&] {
        name = dialog.txtFileName->text();
        folder = dialog.Dir1->folder();
    });
    QCOMPARE(name, u"inner.txt"_s);
    QCOMPARE(folder, m_root + QDir::separator() + u"sub"_s);
}

void TestFrmFile::eachShowingListsTheFilesAfreshWithTypingInTheNameBox() {
    frmFile dialog;
    dialog.setPath(m_root);
    // The last showing ended with the focus in the file list.
    execWith(dialog, [&dialog] { doubleClick(dialog.File1, dialog.File1->model()->index(0, 0)); });
    QFile created(m_root + QDir::separator() + u"new.vrl"_s);
    QVERIFY(created.open(QIODevice::WriteOnly));
    QStringList files;
    execWith(dialog, [&] {
        files = shownFiles(dialog);
        QTRY_COMPARE(QApplication::focusWidget(), dialog.txtFileName);
        QTest::keyClicks(QApplication::focusWidget(), u"typed.vrl"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    QVERIFY(created.remove());
    QVERIFY(files.contains(u"new.vrl"_s));
    QCOMPARE(dialog.FileName(), u"typed.vrl"_s);
}

void TestFrmFile::nameBoxSelectsAllOnFocus() {
    frmFile dialog;
    dialog.setPath(m_root);
    dialog.setFileName(u"letter.txt"_s);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.cmdOK->setFocus();
    QTest::mouseClick(dialog.txtFileName, Qt::LeftButton, {}, QPoint(3, 3));
    QTRY_COMPARE(dialog.txtFileName->selectedText(), u"letter.txt"_s);
}

void TestFrmFile::isPlacedBesideTheMainWindow() {
    QWidget mainWindow;
    mainWindow.move(120, 80);
    frmFile dialog(&mainWindow);
    const int dx = qRound(50 * mainWindow.logicalDpiX() / 1440.0);
    const int dy = qRound(500 * mainWindow.logicalDpiY() / 1440.0);
    QCOMPARE(dialog.pos(), QPoint(120 + dx, 80 + dy));
}

QTEST_MAIN(TestFrmFile)
#include "tst_frmfile.moc"
