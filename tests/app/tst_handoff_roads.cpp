// The life of "$temp.dat" handed to an application, as a user meets it: stand-in applications
// (small shell scripts) that read late, hand the file on to a program already running, hold
// it or edit it, while the window keeps running, takes out again, is quit, is ended by a
// signal or is killed. After every road no "$temp.dat" and no other plaintext copy may
// remain, and edits end up only where the user agreed.
#include "app/HandOffRecords.h"
#include "app/TakenOutFile.h"
#include "app/frmMain.h"
#include "dialogs/frmKey.h"
#include "dialogs/frmOptions.h"

#include "locker/Locker.h"
#include "platform/MessageBoxRecorder.h"
#include "platform/ProcessIdentity.h"
#include "viewer/ContentTextBox.h"
#include "viewer/Viewer.h"

#include "support/CallRecord.h"
#include "support/ModalAnswer.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <functional>
#include <memory>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString TempName = u"$temp.dat"_s;
const QByteArray Plain = "first line\r\n2行目\r\n";
const QByteArray Edited = Plain + "extra\n";
const QString NewLocker = u"a (2).vrl"_s;

// The application appends a line to the file and keeps it open until killed.
const QByteArray EditAndHold =
    "echo extra >> \"$1\"; exec 3<\"$1\"; echo $$ >> app.pid; exec sleep 30";

// How a road goes on after the take out, or what comes before it.
enum class Ending {
    Stays,           // the file goes by itself
    QuitNo,          // quit while it is used, answered No
    QuitYes,         // quit, answered Yes where asked
    EndCommand,      // the ヴォレル menu's command ends it
    SecondTakeOut,   // taken out again while the first one is held
    DuringTakeOut,   // its life ends while a take out to the viewer runs
    Term,            // the program (in a process of its own) gets SIGTERM
    Kill,            // ... SIGKILL, the application is killed too, then the next start
    KillHeld,        // ... SIGKILL, the next start while the application still holds it
    KillThenTakeOut, // ... SIGKILL, the application killed, a copy running already takes out
    OtherCopyHolds,  // another copy takes out in the same folder meanwhile, then SIGTERM
    Fifo,            // a recorded leftover's path is now a FIFO
};

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
    void runProgramUntil(int signal, const std::function<void()>& meanwhile = {});
    void killApplications() const;
    void answerKeyPrompt() const;
    void checkPlaintextDeletedAfterPutAway(const QString& lockerName) const;

    std::unique_ptr<QTemporaryDir> m_settingsDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<platform::MessageBoxRecorder> m_boxes;
    std::unique_ptr<frmMain> m_window;
};

void HandOffRoadsTest::initTestCase() {
    TakenOutFile::CheckInterval = std::chrono::milliseconds(100);
}

void HandOffRoadsTest::init() {
    m_settingsDir = std::make_unique<QTemporaryDir>();
    // The test runs under the fault library, which records here what reaches the disk.
    qputenv("VRL_FAULT_RECORD", QFile::encodeName(m_settingsDir->filePath(u"calls"_s)));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_boxes = std::make_unique<platform::MessageBoxRecorder>();
}

void HandOffRoadsTest::cleanup() {
    killApplications();
    qunsetenv("VRL_FAULT_RECORD");
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

// Every stand-in that wrote its number to app.pid, killed and waited for.
void HandOffRoadsTest::killApplications() const {
    QFile pids(path(u"app.pid"_s));
    if (!pids.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& pid : pids.readAll().split('\n')) {
        if (pid.isEmpty())
            continue;
        const QString tag = platform::processTag(pid.toLongLong());
        ::kill(pid.toInt(), SIGKILL);
        QTRY_VERIFY(!platform::processTagAlive(tag));
    }
}

// The key for a changed leftover, asked naming the locker file it came from.
void HandOffRoadsTest::answerKeyPrompt() const {
    testsupport::whenModalShown([this](QWidget* modal) {
        auto* key = qobject_cast<frmKey*>(modal);
        QVERIFY(key);
        QCOMPARE(key->windowTitle(), u"a.vrl の鍵"_s);
        key->txtPassWd->setText(u"key"_s);
        key->cmdOK->click();
    });
}

// The handed-over file was synced before it was handed over, and is deleted only once the
// locker file it went into is on disk under its name: synced before it took the name, its
// folder synced after.
void HandOffRoadsTest::checkPlaintextDeletedAfterPutAway(const QString& lockerName) const {
    const QStringList calls = testsupport::recordedCalls(m_settingsDir->filePath(u"calls"_s));
    const testsupport::Replacement putAway = testsupport::replacementOf(calls, path(lockerName));
    const QString plain = u' ' + QDir(m_dir->path()).canonicalPath() + u'/' + TempName;
    const auto deletesPlain = [&](const QString& call) {
        return call.startsWith(u"unlink "_s) && call.endsWith(plain);
    };
    const auto syncsPlain = [&](const QString& call) {
        return call.startsWith(u"fsync "_s) && call.endsWith(plain);
    };
    const qsizetype deleted = std::ranges::find_if(calls, deletesPlain) - calls.begin();
    const qsizetype synced = std::ranges::find_if(calls, syncsPlain) - calls.begin();
    QVERIFY2(putAway.durable() && deleted < calls.size() && deleted > putAway.folderSync &&
                 synced < deleted,
             qPrintable(calls.join(u'\n')));
}

void HandOffRoadsTest::startWindow() {
    QSettings(QSettings::NativeFormat, QSettings::UserScope, u"WinVrls"_s)
        .setValue(u"Default/KeyType"_s, u"0"_s);
    m_window = std::make_unique<frmMain>();
    m_window->setCommandLine({});
    m_window->Form_Load();
}

// The program itself, taking a.vrl out to the application recorded in it, ended by `signal`
// once the application holds the file and `meanwhile` has run.
void HandOffRoadsTest::runProgramUntil(int signal, const std::function<void()>& meanwhile) {
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
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path(u"app.pid"_s)).size() > 0, 10000);
    if (meanwhile)
        meanwhile();
    ::kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(10000));
}

void HandOffRoadsTest::roads_data() {
    QTest::addColumn<QByteArray>("application");
    // A program started before the take out, living on its own ("" none).
    QTest::addColumn<QByteArray>("daemon");
    QTest::addColumn<Ending>("ending");
    // The answer to the question whether to put a changed file back.
    QTest::addColumn<QMessageBox::StandardButton>("putBack");
    // What the application read by name after the started process had ended ("" unchecked).
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QStringList>("boxes"); // "{dir}" stands for the working folder
    QTest::addColumn<QByteArray>("inLocker");
    QTest::addColumn<QByteArray>("inNewLocker");
    // How long the file may stay once its users have ended.
    QTest::addColumn<int>("goneWithinMs");

    const QByteArray lateReader = "(sleep 3; cat \"$1\" > read.dat) 2>/dev/null &";
    const QByteArray holder = "exec 3<\"$1\"; echo $$ >> app.pid; exec sleep 30";
    // A program that hands each file to its copy already running and ends at once; that copy
    // reads the file in its own process and closes it, saves 3 s later by renaming a new file
    // over it, and ends 2 s after, noting the file's mode and whether the file was still there.
    const QByteArray passOn = "echo \"$PWD/$1\" > request.tmp; mv request.tmp request";
    const QByteArray singleInstanceEditor =
        "echo $$ >> app.pid; while [ ! -f request ]; do sleep 0.05; done; f=$(cat request)\n"
        "exec 3<\"$f\"; cat <&3 > read.dat; exec 3<&-; sleep 3\n"
        "{ cat read.dat; echo extra; } > save.tmp; mv save.tmp \"$f\"; sleep 0.5\n"
        "stat -c %a \"$f\" > mode.dat; sleep 1.5; [ -f \"$f\" ] && echo present > alive.dat";
    const QString putIntoNew =
        u"変更されていた取り出したファイルを、新しいロッカーファイル {dir}/a (2).vrl にしまいました。"_s;
    const QString changed =
        u"取り出したファイルが変更されています。ロッカーファイルにしまい直しますか？"_s;
    const QString stillUsed =
        u"取り出したファイル 1 個がまだ使われています。終了すると削除されます。終了しますか？"_s;
    const QByteArray none = "<none>";
    constexpr int Long = 30000;

    QTest::newRow("launcher that looks into it, whose forked child reads 2 s later")
        << QByteArray("head -c 4 \"$1\" > /dev/null; (sleep 2; cat \"$1\" > read.dat) &")
        << QByteArray() << Ending::Stays << QMessageBox::No << Plain << QStringList() << Plain
        << none << Long;
    QTest::newRow("reader 3 s late, quit answered No")
        << lateReader << QByteArray() << Ending::QuitNo << QMessageBox::No << Plain
        << QStringList{stillUsed} << Plain << none << Long;
    QTest::newRow("reader 3 s late, quit answered Yes")
        << lateReader << QByteArray() << Ending::QuitYes << QMessageBox::No << QByteArray()
        << QStringList{stillUsed} << Plain << none << Long;
    QTest::newRow("holder keeps it open after the started process ended")
        << QByteArray("exec 3<\"$1\"; (sleep 8; cat \"$1\" > read.dat) &") << QByteArray()
        << Ending::Stays << QMessageBox::No << Plain << QStringList() << Plain << none << Long;
    QTest::newRow("cat reads it and ends")
        << QByteArray("exec cat \"$1\" > read.dat") << QByteArray() << Ending::Stays
        << QMessageBox::No << Plain << QStringList() << Plain << none << 5000;
    QTest::newRow("single-instance editor saves by rename, Yes puts it back")
        << passOn << singleInstanceEditor << Ending::Stays << QMessageBox::Yes << Plain
        << QStringList{changed} << Edited << none << Long;
    QTest::newRow("launcher whose reader never comes, ended by the command")
        << QByteArray("true") << QByteArray() << Ending::EndCommand << QMessageBox::No
        << QByteArray() << QStringList() << Plain << none << Long;
    QTest::newRow("launcher whose reader never comes, quit asks nothing")
        << QByteArray("true") << QByteArray() << Ending::QuitYes << QMessageBox::No << QByteArray()
        << QStringList() << Plain << none << Long;
    QTest::newRow("the command ends it under its holder, who is asked about")
        << holder << QByteArray() << Ending::EndCommand << QMessageBox::Yes << QByteArray()
        << QStringList{u"$temp.dat はまだ別のプログラムに開かれています。"
                       "そのプログラムの下から削除しますか？"_s}
        << Plain << none << Long;
    QTest::newRow("editor appends a line, Yes puts it back")
        << QByteArray("echo extra >> \"$1\"") << QByteArray() << Ending::Stays << QMessageBox::Yes
        << QByteArray() << QStringList{changed} << Edited << none << Long;
    QTest::newRow("editor appends a line, No deletes it")
        << QByteArray("echo extra >> \"$1\"") << QByteArray() << Ending::Stays << QMessageBox::No
        << QByteArray() << QStringList{changed} << Plain << none << Long;
    QTest::newRow("second take out while the first one is held")
        << holder << QByteArray() << Ending::SecondTakeOut << QMessageBox::No << QByteArray()
        << QStringList() << Plain << none << Long;
    QTest::newRow("put back question falls due during a take out")
        << EditAndHold << QByteArray() << Ending::DuringTakeOut << QMessageBox::Yes << QByteArray()
        << QStringList{changed} << Edited << none << Long;
    QTest::newRow("SIGTERM while an editor holds it")
        << EditAndHold << QByteArray() << Ending::Term << QMessageBox::No << QByteArray()
        << QStringList{putIntoNew} << Plain << Edited << Long;
    QTest::newRow("SIGKILL while an editor holds it, put away at the next start")
        << EditAndHold << QByteArray() << Ending::Kill << QMessageBox::Yes << QByteArray()
        << QStringList{putIntoNew} << Plain << Edited << Long;
    QTest::newRow("SIGKILL while a reader holds it unchanged")
        << holder << QByteArray() << Ending::Kill << QMessageBox::No << QByteArray()
        << QStringList() << Plain << none << Long;
    QTest::newRow("SIGKILL, the next start while the editor still holds it")
        << EditAndHold << QByteArray() << Ending::KillHeld << QMessageBox::Yes << QByteArray()
        << QStringList{putIntoNew} << Plain << Edited << Long;
    QTest::newRow("SIGKILL, a copy running already takes out in the same folder")
        << EditAndHold << QByteArray() << Ending::KillThenTakeOut << QMessageBox::Yes
        << QByteArray() << QStringList{putIntoNew} << Plain << Edited << Long;
    QTest::newRow("another running copy holds the file")
        << holder << QByteArray() << Ending::OtherCopyHolds << QMessageBox::No << QByteArray()
        << QStringList{u"作業フォルダの $temp.dat は、動いている別の Winヴォレル "
                       "がアプリケーションに渡したファイルです。そちらで片付けてから取り出してください。"_s}
        << Plain << none << Long;
    QTest::newRow("a FIFO at a recorded leftover's path")
        << QByteArray("true") << QByteArray() << Ending::Fifo << QMessageBox::No << QByteArray()
        << QStringList() << Plain << none << Long;
}

void HandOffRoadsTest::roads() {
    QFETCH(QByteArray, application);
    QFETCH(QByteArray, daemon);
    QFETCH(Ending, ending);
    QFETCH(QMessageBox::StandardButton, putBack);
    QFETCH(QByteArray, read);
    QFETCH(QStringList, boxes);
    QFETCH(QByteArray, inLocker);
    QFETCH(QByteArray, inNewLocker);
    QFETCH(int, goneWithinMs);
    const QString script = write(u"app.sh"_s, "#!/bin/sh\n" + application + '\n', true);
    const QString reader = write(u"reader.sh"_s, "#!/bin/sh\nexec cat \"$1\" > /dev/null\n", true);
    if (!daemon.isEmpty())
        QVERIFY(QProcess::startDetached(write(u"daemon.sh"_s, "#!/bin/sh\n" + daemon + '\n', true),
                                        {}, m_dir->path()));

    switch (ending) {
    case Ending::Fifo: {
        makeLocker();
        HandOffRecord dead;
        dead.file = path(TempName);
        dead.owner = u"1:1"_s;
        dead.lockerFile = path(u"a.vrl"_s);
        dead.stamp = platform::FileStamp{};
        handoff::remember(dead);
        QCOMPARE(::mkfifo(QFile::encodeName(path(TempName)).constData(), 0600), 0);
        startWindow();
        QVERIFY(handoff::remembered().isEmpty());
        QVERIFY(QFileInfo(path(TempName)).exists() && !QFileInfo(path(TempName)).isFile());
        QFile::remove(path(TempName));
        break;
    }
    case Ending::Term:
    case Ending::Kill:
    case Ending::KillHeld:
    case Ending::KillThenTakeOut:
    case Ending::OtherCopyHolds:
        makeLocker(script);
        if (ending == Ending::KillThenTakeOut || ending == Ending::OtherCopyHolds)
            startWindow();
        runProgramUntil(
            ending == Ending::Term || ending == Ending::OtherCopyHolds ? SIGTERM : SIGKILL, [&] {
                if (ending != Ending::OtherCopyHolds)
                    return;
                m_window->TakeFile(path(u"a.vrl"_s), u"key"_s, reader);
                QCOMPARE(m_boxes->last().title, u"70"_s);
                QVERIFY(!QFile::exists(path(u"$temp2.dat"_s)));
            });
        if (QTest::currentTestFailed())
            return;
        if (ending != Ending::KillHeld)
            killApplications();
        if (putBack == QMessageBox::Yes && ending != Ending::KillHeld)
            answerKeyPrompt();
        if (ending == Ending::KillThenTakeOut) {
            m_window->TakeFile(path(u"a.vrl"_s), u"key"_s, reader);
            QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(path(TempName)), goneWithinMs);
            break;
        }
        if (ending == Ending::OtherCopyHolds)
            break;
        startWindow();
        if (ending == Ending::KillHeld) {
            // Left while held; once free, the next start puts it away.
            QVERIFY(QFile::exists(path(TempName)));
            QCOMPARE(handoff::remembered().size(), 1);
            killApplications();
            answerKeyPrompt();
            startWindow();
        }
        break;
    default:
        makeLocker();
        startWindow();
        if (ending == Ending::QuitNo || ending == Ending::QuitYes)
            m_boxes->answer(ending == Ending::QuitYes ? QMessageBox::Yes : QMessageBox::No);
        m_boxes->answer(putBack);
        m_window->TakeFile(path(u"a.vrl"_s), u"key"_s, script);
        QVERIFY(QFile::exists(path(TempName)));
        QVERIFY(m_window->mnuitmEndHandOffs->isEnabled());
        if (application == "true") {
            // Nobody ever opened it: it waits however long it takes.
            QTest::qWait(10 * int(TakenOutFile::CheckInterval.count()));
            QVERIFY(QFile::exists(path(TempName)));
        }
        if (ending == Ending::EndCommand) {
            if (application != "true")
                QTRY_VERIFY(QFileInfo(path(u"app.pid"_s)).size() > 0);
            m_window->mnuitmEndHandOffs->trigger();
            QVERIFY(!QFile::exists(path(TempName)));
        }
        if (ending == Ending::SecondTakeOut) {
            QTRY_VERIFY(QFileInfo(path(u"app.pid"_s)).size() > 0);
            m_window->TakeFile(path(u"a.vrl"_s), u"key"_s, script);
            const QString second = path(u"$temp2.dat"_s);
            QVERIFY(QFile::exists(path(TempName)) && QFile::exists(second));
            QCOMPARE(m_window->findChild<QLabel*>(u"lblHandOffs"_s)->text(),
                     u"アプリケーションに渡したファイル: $temp.dat, $temp2.dat"_s);
            QTRY_COMPARE(FileBytes(path(u"app.pid"_s)).count('\n'), 2);
            killApplications();
            QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(second), goneWithinMs);
        }
        if (ending == Ending::DuringTakeOut) {
            QTRY_VERIFY(QFileInfo(path(u"app.pid"_s)).size() > 0);
            // The editor ends as the take out begins; the take out lasts ten looks.
            QTimer::singleShot(0, this, [this] {
                killApplications();
                QTest::qWait(10 * int(TakenOutFile::CheckInterval.count()));
            });
            m_window->TakeFile(path(u"a.vrl"_s), u"key"_s);
            QCOMPARE(m_boxes->count(), 0);
        }
        if (ending == Ending::QuitNo || ending == Ending::QuitYes) {
            m_window->close();
            QCOMPARE(m_window->isVisible(), ending == Ending::QuitNo);
            QCOMPARE(QFile::exists(path(TempName)), ending == Ending::QuitNo);
        }
        if (!daemon.isEmpty()) {
            // The save by rename is noticed while the editor still runs.
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path(u"mode.dat"_s)), goneWithinMs);
            QCOMPARE(m_window->findChild<QLabel*>(u"lblHandOffs"_s)->text(),
                     u"アプリケーションに渡したファイル: $temp.dat（保存あり）"_s);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(path(TempName)), goneWithinMs);
        if (!read.isEmpty())
            QCOMPARE(FileBytes(path(u"read.dat"_s)), read);
        if (!daemon.isEmpty()) {
            QCOMPARE(FileBytes(path(u"mode.dat"_s)), "600\n");
            QCOMPARE(FileBytes(path(u"alive.dat"_s)), "present\n");
        }
        QVERIFY(!m_window->mnuitmEndHandOffs->isEnabled());
        // Once the file is gone, quitting asks nothing.
        m_window->close();
        QVERIFY(!m_window->isVisible());
    }

    QStringList shown;
    for (const platform::MessageRequest& box : m_boxes->boxes()) {
        shown << box.text;
        // Enter keeps the program running, keeps a held file and puts edits back.
        if (box.icon == QMessageBox::Question) {
            QCOMPARE(box.title, u"Winヴォレル97"_s);
            const bool ends =
                box.text.endsWith(u"終了しますか？"_s) || box.text.endsWith(u"削除しますか？"_s);
            QCOMPARE(box.defaultButton, ends ? QMessageBox::No : QMessageBox::Yes);
        }
    }
    QCOMPARE(shown, boxes.replaceInStrings(u"{dir}"_s, m_dir->path()));
    QVERIFY(!QFile::exists(path(TempName)));
    QTEST(takenOut(u"a.vrl"_s), "inLocker");
    QTEST(takenOut(NewLocker), "inNewLocker");
    // An edit put back, or put away by force into a new locker file.
    if (inLocker == Edited || inNewLocker == Edited)
        checkPlaintextDeletedAfterPutAway(inNewLocker == Edited ? NewLocker : u"a.vrl"_s);
    // No other copy of the plaintext: the folder holds the locker files and the test's own.
    const QStringList expected{u"a.vrl"_s,     u"app.pid"_s,   u"app.sh"_s,  u"reader.sh"_s,
                               u"read.dat"_s,  u"daemon.sh"_s, u"request"_s, u"mode.dat"_s,
                               u"alive.dat"_s, NewLocker};
    for (const QString& name :
         QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System))
        QVERIFY2(expected.contains(name), qPrintable(name));
    QVERIFY(handoff::remembered().isEmpty());
    // Nothing that could confirm a guess of the content, and for its owner only.
    const QString store =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, u"WinVrls"_s, u"HandOff"_s)
            .fileName();
    const QFileDevice::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                            QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    for (const QString& part : {store, QFileInfo(store).absolutePath()})
        QCOMPARE(QFile::permissions(part) & others, QFileDevice::Permissions());
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
