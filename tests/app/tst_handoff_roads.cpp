// The life of "$temp.dat" handed to an application, as a user meets it: stand-in applications
// (small shell scripts) that read late, hand the file on, hold it or edit it, while the window
// keeps running, is quit or is ended by a signal. After every road no "$temp.dat" and no
// other plaintext copy may remain, and edits end up only where the user agreed.
#include "app/HandOffRecords.h"
#include "app/TakenOutFile.h"
#include "app/frmMain.h"
#include "dialogs/frmKey.h"
#include "dialogs/frmOptions.h"

#include "locker/Locker.h"
#include "platform/MessageBoxRecorder.h"
#include "viewer/ContentTextBox.h"
#include "viewer/Viewer.h"

#include "support/ModalAnswer.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString TempName = u"$temp.dat"_s;
const QByteArray Plain = "first line\r\n2行目\r\n";
const QByteArray Edited = Plain + "extra\n";
const QString NewLocker = u"a (2).vrl"_s;

// The application appends a line to the file and keeps it open until killed.
const QByteArray EditAndHold =
    "echo extra >> \"$1\"; exec 3<\"$1\"; echo $$ > app.pid; exec sleep 30";

// How a road ends for the window.
enum class Ending { Stays, QuitNo, QuitYes, Term, Kill };

} // namespace

Q_DECLARE_METATYPE(Ending)

class HandOffRoadsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void roads_data();
    void roads();
    void takeOutWithoutAWritableWorkingFolder_data();
    void takeOutWithoutAWritableWorkingFolder();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString write(const QString& name, const QByteArray& bytes, bool program = false) const;
    void makeLocker(const std::optional<QString>& application = std::nullopt) const;
    [[nodiscard]] QByteArray takenOut(const QString& lockerName) const;
    void startWindow();
    void runProgramUntil(int signal);

    std::unique_ptr<QTemporaryDir> m_settingsDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<platform::MessageBoxRecorder> m_boxes;
    std::unique_ptr<frmMain> m_window;
};

void HandOffRoadsTest::initTestCase() {
    // Long enough for the readers below that start 2 and 3 s late, shorter than the holder.
    TakenOutFile::ReaderWait = std::chrono::seconds(6);
}

void HandOffRoadsTest::init() {
    m_settingsDir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_boxes = std::make_unique<platform::MessageBoxRecorder>();
}

void HandOffRoadsTest::cleanup() {
    QFile pid(path(u"app.pid"_s));
    if (pid.open(QIODevice::ReadOnly))
        ::kill(pid.readAll().trimmed().toInt(), SIGKILL);
    m_window.reset();
    m_boxes.reset();
    QDir::setCurrent(QDir::tempPath());
    m_dir.reset();
}

QString HandOffRoadsTest::write(const QString& name, const QByteArray& bytes, bool program) const {
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file");
    if (program)
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    return file.fileName();
}

void HandOffRoadsTest::makeLocker(const std::optional<QString>& application) const {
    locker::putAway(write(u"source.txt"_s, Plain), path(u"a.vrl"_s), u"key"_s,
                    locker::KeyType::SimpleMethod, application);
    QFile::remove(path(u"source.txt"_s));
}

QByteArray HandOffRoadsTest::takenOut(const QString& lockerName) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    try {
        locker::takeOut(path(lockerName), buffer, u"key"_s, locker::KeyType::SimpleMethod,
                        locker::AppMode::RecordedApplication);
    } catch (const std::exception&) {
        return "<none>";
    }
    return bytes;
}

void HandOffRoadsTest::startWindow() {
    QSettings(QSettings::NativeFormat, QSettings::UserScope, u"WinVrls"_s)
        .setValue(u"Default/KeyType"_s, u"0"_s);
    m_window = std::make_unique<frmMain>();
    m_window->setCommandLine({});
    m_window->Form_Load();
}

// The program itself, taking a.vrl out to the application recorded in it, ended by `signal`
// once the application holds the file.
void HandOffRoadsTest::runProgramUntil(int signal) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, u"WinVrls"_s);
    settings.setValue(u"Default/KeyType"_s, u"0"_s);
    settings.setValue(u"Default/AppMode"_s, u"1"_s);
    settings.sync();
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"XDG_CONFIG_HOME"_s, m_settingsDir->path());
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(m_dir->path());
    program.start(QStringLiteral(WINVRLS_PROGRAM), {u"a.vrl"_s, u"/P"_s, u"key"_s});
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path(u"app.pid"_s)), 10000);
    ::kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(10000));
}

void HandOffRoadsTest::roads_data() {
    QTest::addColumn<QByteArray>("application");
    QTest::addColumn<Ending>("ending");
    // The answer to the question whether to put a changed file back.
    QTest::addColumn<QMessageBox::StandardButton>("putBack");
    // What the application read by name after the started process had ended ("" unchecked).
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QStringList>("boxes"); // "{dir}" stands for the working folder
    QTest::addColumn<QByteArray>("inLocker");
    QTest::addColumn<QByteArray>("inNewLocker");

    const QByteArray lateReader = "(sleep 3; cat \"$1\" > read.dat) 2>/dev/null &";
    const QString changedLeftover = u"前回取り出したファイル {dir}/$temp.dat "
                                    "が変更されたまま残っています。{dir}/a.vrl "
                                    "の隣に新しいロッカーファイルとしてしまいますか？（いいえ: "
                                    "削除します）"_s;
    const QString putIntoNew =
        u"変更されていた取り出したファイルを、新しいロッカーファイル {dir}/a (2).vrl にしまいました。"_s;
    const QString changed =
        u"取り出したファイルが変更されています。ロッカーファイルにしまい直しますか？"_s;
    const QString stillUsed =
        u"取り出したファイルはまだ使われています。終了すると削除されます。終了しますか？"_s;

    QTest::newRow("launcher whose forked child reads 2 s later")
        << QByteArray("(sleep 2; cat \"$1\" > read.dat) &") << Ending::Stays << QMessageBox::No
        << Plain << QStringList() << Plain << QByteArray("<none>");
    QTest::newRow("reader 3 s late, quit answered No")
        << lateReader << Ending::QuitNo << QMessageBox::No << Plain << QStringList{stillUsed}
        << Plain << QByteArray("<none>");
    QTest::newRow("reader 3 s late, quit answered Yes")
        << lateReader << Ending::QuitYes << QMessageBox::No << QByteArray()
        << QStringList{stillUsed} << Plain << QByteArray("<none>");
    QTest::newRow("holder keeps it open after the started process ended")
        << QByteArray("exec 3<\"$1\"; (sleep 8; cat \"$1\" > read.dat) &") << Ending::Stays
        << QMessageBox::No << Plain << QStringList() << Plain << QByteArray("<none>");
    QTest::newRow("editor appends a line, Yes puts it back")
        << QByteArray("echo extra >> \"$1\"") << Ending::Stays << QMessageBox::Yes << QByteArray()
        << QStringList{changed} << Edited << QByteArray("<none>");
    QTest::newRow("editor appends a line, No deletes it")
        << QByteArray("echo extra >> \"$1\"") << Ending::Stays << QMessageBox::No << QByteArray()
        << QStringList{changed} << Plain << QByteArray("<none>");
    QTest::newRow("SIGTERM while an editor holds it")
        << EditAndHold << Ending::Term << QMessageBox::No << QByteArray() << QStringList{putIntoNew}
        << Plain << Edited;
    QTest::newRow("SIGKILL while an editor holds it, put away at the next start")
        << EditAndHold << Ending::Kill << QMessageBox::Yes << QByteArray()
        << QStringList{changedLeftover, putIntoNew} << Plain << Edited;
    QTest::newRow("SIGKILL while a reader holds it unchanged")
        << QByteArray("exec 3<\"$1\"; echo $$ > app.pid; exec sleep 30") << Ending::Kill
        << QMessageBox::No << QByteArray() << QStringList() << Plain << QByteArray("<none>");
}

void HandOffRoadsTest::roads() {
    QFETCH(QByteArray, application);
    QFETCH(Ending, ending);
    QFETCH(QMessageBox::StandardButton, putBack);
    QFETCH(QByteArray, read);
    QFETCH(QStringList, boxes);
    const QString script = write(u"app.sh"_s, "#!/bin/sh\n" + application + '\n', true);

    if (ending == Ending::Term || ending == Ending::Kill) {
        makeLocker(script);
        runProgramUntil(ending == Ending::Term ? SIGTERM : SIGKILL);
        if (QTest::currentTestFailed())
            return;
        // The next start, asking for the key password to put a changed leftover away.
        if (putBack == QMessageBox::Yes)
            testsupport::whenModalShown([](QWidget* modal) {
                auto* key = qobject_cast<frmKey*>(modal);
                QVERIFY(key);
                key->txtPassWd->setText(u"key"_s);
                key->cmdOK->click();
            });
        m_boxes->answer(putBack);
        startWindow();
    } else {
        makeLocker();
        startWindow();
        if (ending == Ending::QuitNo || ending == Ending::QuitYes)
            m_boxes->answer(ending == Ending::QuitYes ? QMessageBox::Yes : QMessageBox::No);
        m_boxes->answer(putBack);
        m_window->TakeFile(path(u"a.vrl"_s), u"key"_s, script);
        QVERIFY(QFile::exists(path(TempName)));
        if (ending == Ending::QuitNo || ending == Ending::QuitYes) {
            m_window->close();
            QCOMPARE(m_window->isVisible(), ending == Ending::QuitNo);
            QCOMPARE(QFile::exists(path(TempName)), ending == Ending::QuitNo);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(path(TempName)), 30000);
        if (!read.isEmpty())
            QCOMPARE(FileBytes(path(u"read.dat"_s)), read);
        // Once the file is gone, quitting asks nothing.
        m_window->close();
        QVERIFY(!m_window->isVisible());
    }

    QStringList shown;
    for (const platform::MessageRequest& box : m_boxes->boxes()) {
        shown << box.text;
        // Enter keeps the program running and puts edits back.
        if (box.icon == QMessageBox::Question) {
            QCOMPARE(box.title, u"Winヴォレル97"_s);
            QCOMPARE(box.defaultButton,
                     box.text.endsWith(u"終了しますか？"_s) ? QMessageBox::No : QMessageBox::Yes);
        }
    }
    QCOMPARE(shown, boxes.replaceInStrings(u"{dir}"_s, m_dir->path()));
    QVERIFY(!QFile::exists(path(TempName)));
    QTEST(takenOut(u"a.vrl"_s), "inLocker");
    QTEST(takenOut(NewLocker), "inNewLocker");
    // No other copy of the plaintext: the folder holds the locker files and the test's own.
    QStringList expected{u"a.vrl"_s, u"app.pid"_s, u"app.sh"_s, u"read.dat"_s, NewLocker};
    for (const QString& name :
         QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System))
        QVERIFY2(expected.contains(name), qPrintable(name));
    QVERIFY(handoff::remembered().isEmpty());
}

void HandOffRoadsTest::takeOutWithoutAWritableWorkingFolder_data() {
    QTest::addColumn<bool>("folderRemoved");
    QTest::addColumn<bool>("toApplication");
    QTest::addColumn<QString>("box"); // empty: none
    QTest::newRow("viewer, folder watched") << false << false << QString();
    QTest::newRow("viewer, folder removed") << true << false << QString();
    QTest::newRow("application, folder removed")
        << true << true
        << u"作業フォルダがなくなっているため、取り出したファイル $temp.dat を作れません。"_s;
}

// The viewer needs no file in the working folder at all; an application does, and is told
// clearly when it cannot be made.
void HandOffRoadsTest::takeOutWithoutAWritableWorkingFolder() {
    QFETCH(bool, folderRemoved);
    QFETCH(bool, toApplication);
    QFETCH(QString, box);
    makeLocker();
    const QString script = write(u"app.sh"_s, "#!/bin/sh\ncat \"$1\" > /dev/null\n", true);
    QTemporaryDir work;
    QVERIFY(QDir::setCurrent(work.path()));
    if (folderRemoved)
        QVERIFY(QDir(work.path()).removeRecursively());
    startWindow();
    QFileSystemWatcher watcher({work.path()});
    QSignalSpy changes(&watcher, &QFileSystemWatcher::directoryChanged);

    m_window->TakeFile(path(u"a.vrl"_s), u"key"_s,
                       toApplication ? std::optional(script) : std::nullopt);
    QTest::qWait(200);
    if (box.isEmpty()) {
        QCOMPARE(m_boxes->count(), 0);
        QCOMPARE(m_window->contentViewer()->txtCont()->content(), QString::fromUtf8(Plain));
    } else {
        QCOMPARE(m_boxes->count(), 1);
        QCOMPARE(m_boxes->last().text, box);
        QCOMPARE(m_boxes->last().title, u"76"_s);
    }
    QCOMPARE(changes.count(), 0);
    QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
    QVERIFY(!QFile::exists(u"/"_s + TempName));
}

QTEST_MAIN(HandOffRoadsTest)
#include "tst_handoff_roads.moc"
