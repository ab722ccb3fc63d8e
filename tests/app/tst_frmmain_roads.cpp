// Every road of a request through the main window to the engine and back: menus, drops, the
// pop-up menu and the command line, with the real window and the real dialogs answered as a
// user would. Each test runs in a working directory of its own, where "$temp.dat" must be
// gone when the test ends.
#include "app/frmMain.h"

#include "dialogs/frmFile.h"
#include "dialogs/frmKey.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmProgress.h"
#include "locker/Locker.h"
#include "platform/HeldMouseButtons.h"
#include "platform/MessageBoxRecorder.h"
#include "viewer/ContentTextBox.h"
#include "viewer/Viewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString TempName = u"$temp.dat"_s;
// Text the viewer shows exactly as written, so that a taken-out file is recognised there.
const QByteArray Plain = "first line\r\n2行目\r\n";

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Answers still waiting are dropped at the end of each test, so none reaches the next one.
std::shared_ptr<bool> AnswersArmed = std::make_shared<bool>(true);

void DisarmAnswers() {
    *AnswersArmed = false;
    AnswersArmed = std::make_shared<bool>(true);
}

// Runs `action` on `Dialog` the next time it is the active modal window and shown. Dialogs
// only hide when answered, so a later call waits for the next showing.
template <typename Dialog> void WhenShown(std::function<void(Dialog*)> action) {
    struct Poll {
        std::function<void(Dialog*)> action;
        std::shared_ptr<bool> armed;
        int remainingMs;
        void operator()() {
            if (!*armed)
                return;
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (dialog && dialog->isVisible()) {
                action(dialog);
                return;
            }
            if ((remainingMs -= 10) <= 0) {
                qWarning("WhenShown: the dialog never came");
                return;
            }
            QTimer::singleShot(10, qApp, *this);
        }
    };
    QTimer::singleShot(0, qApp, Poll{std::move(action), AnswersArmed, 20000});
}

// One answer to the file chooser: a name in a folder (with the application check ticked when
// asked), or Cancel when the name is empty. What the chooser showed is noted in `seen`.
struct ChooserAnswer {
    QString folder;
    QString name;
    bool useApp = false;
};

struct ChooserShowing {
    QString caption;
    bool isTake = false;
    bool openApp = false;
};

void AnswerChoosers(QList<ChooserAnswer> answers,
                    std::shared_ptr<QList<ChooserShowing>> seen = nullptr) {
    if (answers.isEmpty())
        return;
    WhenShown<frmFile>([answers, seen](frmFile* chooser) mutable {
        if (seen)
            *seen << ChooserShowing{chooser->windowTitle(), chooser->chkApp->isVisible(),
                                    chooser->OpenApp()};
        const ChooserAnswer answer = answers.takeFirst();
        if (answer.name.isEmpty()) {
            chooser->cmdCancel->click();
        } else {
            chooser->setPath(answer.folder);
            chooser->txtFileName->setText(answer.name);
            chooser->chkApp->setChecked(answer.useApp);
            chooser->cmdOK->click();
        }
        AnswerChoosers(answers, seen);
    });
}

// Answers the key dialog with `password`, or cancels it when none is given.
void AnswerKey(const std::optional<QString>& password) {
    WhenShown<frmKey>([password](frmKey* dialog) {
        if (!password) {
            dialog->cmdCancel->click();
            return;
        }
        dialog->txtPassWd->setText(*password);
        dialog->cmdOK->click();
    });
}

// Watches, while an operation runs, for the progress window and the hourglass.
class BusyWatch {
public:
    BusyWatch() {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            m_sawHourglass |= cursor && cursor->shape() == Qt::WaitCursor;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* progress = qobject_cast<frmProgress*>(widget);
                    progress && progress->isVisible())
                    m_lastPercent = progress->Percent();
            }
        });
        m_timer.start(0);
    }
    [[nodiscard]] bool sawHourglass() const { return m_sawHourglass; }
    [[nodiscard]] bool sawProgress() const { return m_lastPercent >= 0; }
    [[nodiscard]] int lastPercent() const { return m_lastPercent; }

private:
    QTimer m_timer;
    bool m_sawHourglass = false;
    int m_lastPercent = -1;
};

// Sends a drag over a widget and drops it, offering every action as file managers do; true
// when the drag was accepted. `buttons` are those the events carry; `held` those the window
// system tells while the drag moves (they are released at the drop). `answered` receives the
// actions the target told the source at the entry, the move and the drop.
bool Drop(QWidget* target, const QMimeData& data, Qt::MouseButtons buttons,
          Qt::KeyboardModifiers keys, Qt::MouseButtons held = {},
          QList<Qt::DropAction>* answered = nullptr) {
    const QPoint at(target->width() / 2, target->height() / 2);
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    platform::HeldButtonsSource system = platform::setHeldButtonsSource([held] { return held; });
    QDragEnterEvent enter(at, offered, &data, buttons, keys);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, offered, &data, buttons, keys);
    QApplication::sendEvent(target, &move);
    platform::setHeldButtonsSource([] { return Qt::MouseButtons(); });
    QDropEvent drop(at, offered, &data, buttons, keys);
    QApplication::sendEvent(target, &drop);
    platform::setHeldButtonsSource(std::move(system));
    if (answered)
        *answered = {enter.dropAction(), move.dropAction(), drop.dropAction()};
    // The drop's commands run from the event loop.
    QCoreApplication::processEvents();
    return enter.isAccepted();
}

bool DropFiles(QWidget* target, const QStringList& paths, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers keys, Qt::MouseButtons held = {},
               QList<Qt::DropAction>* answered = nullptr) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    return Drop(target, data, buttons, keys, held, answered);
}

} // namespace

class FrmMainRoadsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    // Menus.
    void putAwayAndTakeOutThroughTheMenus_data();
    void putAwayAndTakeOutThroughTheMenus();
    void windowLivesButTakesNoInputWhileTheWorkRuns_data();
    void windowLivesButTakesNoInputWhileTheWorkRuns();
    void menuCommandsWithoutKeyStopAtTheInformationBox_data();
    void menuCommandsWithoutKeyStopAtTheInformationBox();
    void putAwayWithNoCurrentFile();
    void replaceAnsweredNoWhileTargetExistsAsksAgain_data();
    void replaceAnsweredNoWhileTargetExistsAsksAgain();
    void replaceAnsweredYesOverwritesTarget();
    void cancelledChooserPutsNothingAway();

    // External applications.
    void recordedApplicationIsStartedAtTakeOut();
    void applicationChosenAtTakeOut();
    void applicationThatCannotStartIsReported();
    void fileOfARunningApplicationGoesAtExit();

    // Drops and the pop-up menu.
    void dropRoutesByButtonAndKeys_data();
    void dropRoutesByButtonAndKeys();
    void shiftDropWithoutKeyAsksForIt();
    void shiftDropWithEmptyKeyIsRefused();
    void rightDropOffersThePopupMenu_data();
    void rightDropOffersThePopupMenu();
    void dropsWithoutFilesAreIgnored();
    void dropOnTheShownTextReachesTheWindow();
    void dropsAreRefusedWhileAnOperationRuns();
    void toolbarButtonsRunTheirCommands();

    // Command line.
    void commandLine_data();
    void commandLine();

    // Failures.
    void takeOutFailuresAreReported_data();
    void takeOutFailuresAreReported();
    void putAwayFailuresAreReported_data();
    void putAwayFailuresAreReported();
    void wrongPasswordWithCrossPasswordMethod();

private:
    // The locking method the next start of the window finds in the settings.
    static void storeKeyType(int keyType);
    void startWindow(const QString& commandLine = {});
    QString write(const QString& name, const QByteArray& bytes);
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString makeLocker(const QString& name, int keyType, const QString& password = u"key"_s,
                       const std::optional<QString>& application = std::nullopt);
    QString writeApplication();
    void chooseOptions(int keyType, int appMode);
    void setKeyByCommand(const QString& password);
    void openThroughMenu(const QString& name);
    [[nodiscard]] QString shownText() const;

    std::unique_ptr<QTemporaryDir> m_settingsDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<platform::MessageBoxRecorder> m_boxes;
};

void FrmMainRoadsTest::initTestCase() {
    // The test applications end soon after reading: their files go soon after.
    TakenOutFile::CheckInterval = std::chrono::milliseconds(100);
    m_settingsDir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
}

void FrmMainRoadsTest::init() {
    QSettings(QSettings::NativeFormat, QSettings::UserScope, u"WinVrls"_s).clear();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_boxes = std::make_unique<platform::MessageBoxRecorder>();
    m_window = std::make_unique<frmMain>();
    m_window->setCommandLine({});
}

void FrmMainRoadsTest::cleanup() {
    DisarmAnswers();
    // Checked while the window lives: its end would delete the file anyway.
    const bool tempLeft = QFile::exists(path(TempName));
    m_window.reset();
    m_boxes.reset();
    QDir::setCurrent(QDir::tempPath());
    m_dir.reset();
    QVERIFY2(!tempLeft, "$temp.dat was left behind");
}

void FrmMainRoadsTest::storeKeyType(int keyType) {
    QSettings(QSettings::NativeFormat, QSettings::UserScope, u"WinVrls"_s)
        .setValue(u"Default/KeyType"_s, QString::number(keyType));
}

void FrmMainRoadsTest::startWindow(const QString& commandLine) {
    m_window->setCommandLine(commandLine);
    m_window->Form_Load();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

QString FrmMainRoadsTest::write(const QString& name, const QByteArray& bytes) {
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file");
    return file.fileName();
}

QString FrmMainRoadsTest::makeLocker(const QString& name, int keyType, const QString& password,
                                     const std::optional<QString>& application) {
    const QString source = write(u"source.txt"_s, Plain);
    locker::putAway(source, path(name), password, locker::keyTypeFromNumber(keyType), application);
    return path(name);
}

// A program that notes its arguments and copies the file it was given, by the relative name,
// into its working directory; then it runs on until the test lets it end (or 10 s pass).
QString FrmMainRoadsTest::writeApplication() {
    const QString script = write(u"app.sh"_s, "#!/bin/sh\n"
                                              "printf '%s|' \"$@\" > args.tmp\n"
                                              "mv args.tmp args.txt\n"
                                              "cp \"$1\" copied.tmp && mv copied.tmp copied.dat\n"
                                              "for i in $(seq 100); do\n"
                                              "  [ -e end.now ] && exit 0\n"
                                              "  sleep 0.1\n"
                                              "done\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return script;
}

void FrmMainRoadsTest::chooseOptions(int keyType, int appMode) {
    WhenShown<frmOptions>([=](frmOptions* dialog) {
        dialog->optKeyType[keyType]->click();
        dialog->optApp[appMode]->click();
        dialog->cmdOK->click();
    });
    m_window->mnuitmOption->trigger();
    QCOMPARE(m_window->optionsDialog()->KeyType(), keyType);
    QCOMPARE(m_window->optionsDialog()->AppMode(), appMode);
}

void FrmMainRoadsTest::setKeyByCommand(const QString& password) {
    AnswerKey(password);
    m_window->mnuKey->trigger();
    QCOMPARE(m_window->KeyPassWd(), password);
}

void FrmMainRoadsTest::openThroughMenu(const QString& name) {
    AnswerChoosers({{m_dir->path(), name}});
    m_window->mnuitmOpen->trigger();
}

QString FrmMainRoadsTest::shownText() const {
    const viewer::Viewer* viewer = m_window->contentViewer();
    return viewer->IsText() ? viewer->txtCont()->content() : u"<picture>"_s;
}

void FrmMainRoadsTest::putAwayAndTakeOutThroughTheMenus_data() {
    QTest::addColumn<int>("keyType");
    QTest::newRow("simple cipher") << 0;
    QTest::newRow("virtual cylinder") << 1;
    QTest::newRow("cross password") << 2;
}

void FrmMainRoadsTest::putAwayAndTakeOutThroughTheMenus() {
    QFETCH(int, keyType);
    startWindow();
    write(u"plain.txt"_s, Plain);
    chooseOptions(keyType, 0);
    setKeyByCommand(u"pass word"_s);
    openThroughMenu(u"plain.txt"_s);
    QCOMPARE(shownText(), QString::fromUtf8(Plain));

    auto seen = std::make_shared<QList<ChooserShowing>>();
    AnswerChoosers({{m_dir->path(), u"plain.vrl"_s}}, seen);
    {
        const BusyWatch watch;
        m_window->mnuitmLock->trigger();
        const bool ownMethod =
            locker::keyTypeFromNumber(keyType) != locker::KeyType::CrossPasswordMethod;
        QCOMPARE(watch.sawProgress(), ownMethod);
        QCOMPARE(watch.sawHourglass(), ownMethod);
        if (ownMethod)
            QCOMPARE(watch.lastPercent(), 100);
    }
    QCOMPARE(seen->size(), 1);
    QCOMPARE(seen->first().caption, u"しまうファイル名"_s);
    QVERIFY(!seen->first().isTake);
    QCOMPARE(m_boxes->count(), 0);
    const QByteArray locked = FileBytes(path(u"plain.vrl"_s));
    QVERIFY(!locked.contains("first line"));
    QVERIFY(!QGuiApplication::overrideCursor());

    m_window->OpenCont(write(u"other.txt"_s, "other\r\n"));
    AnswerChoosers({{m_dir->path(), u"plain.vrl"_s}}, seen);
    {
        const BusyWatch watch;
        m_window->mnuitmUnlock->trigger();
        QCOMPARE(watch.sawProgress(),
                 locker::keyTypeFromNumber(keyType) != locker::KeyType::CrossPasswordMethod);
    }
    QCOMPARE(seen->last().caption, u"取り出すファイル名"_s);
    QCOMPARE(m_boxes->count(), 0);
    QCOMPARE(shownText(), QString::fromUtf8(Plain));
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(m_window->findChildren<frmProgress*>().isEmpty());
}

void FrmMainRoadsTest::windowLivesButTakesNoInputWhileTheWorkRuns_data() {
    putAwayAndTakeOutThroughTheMenus_data();
}

// While a put away or a take out runs, timers fire (the window repaints), but the key
// command's shortcut typed then reaches nothing; afterwards it works again.
void FrmMainRoadsTest::windowLivesButTakesNoInputWhileTheWorkRuns() {
    QFETCH(int, keyType);
    storeKeyType(keyType);
    startWindow();
    const QString source = write(u"plain.txt"_s, Plain);
    int keyDialogs = 0;
    std::function<void()> cancelKeyDialogs = [&] {
        WhenShown<frmKey>([&](frmKey* dialog) {
            ++keyDialogs;
            dialog->cmdCancel->click();
            cancelKeyDialogs();
        });
    };
    cancelKeyDialogs();
    const auto typeKeyShortcut = [this] {
        // The headless platform leaves no window active once the progress window has gone.
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), Qt::Key_K, Qt::ControlModifier);
    };
    const auto whileWorking = [&](const std::function<void()>& operation) {
        bool ranMeanwhile = false;
        QTimer::singleShot(0, m_window.get(), [&] {
            ranMeanwhile = true;
            typeKeyShortcut();
        });
        operation();
        return ranMeanwhile;
    };
    QVERIFY(whileWorking([&] { m_window->EncFile(source, path(u"plain.vrl"_s), u"key"_s); }));
    QVERIFY(whileWorking([&] { m_window->TakeFile(path(u"plain.vrl"_s), u"key"_s); }));
    QCOMPARE(shownText(), QString::fromUtf8(Plain));
    QCOMPARE(m_boxes->count(), 0);
    QCOMPARE(keyDialogs, 0);
    typeKeyShortcut();
    QTRY_COMPARE(keyDialogs, 1);
}

void FrmMainRoadsTest::menuCommandsWithoutKeyStopAtTheInformationBox_data() {
    QTest::addColumn<QString>("item");
    QTest::newRow("put away") << u"mnuitmLock"_s;
    QTest::newRow("take out") << u"mnuitmUnlock"_s;
}

void FrmMainRoadsTest::menuCommandsWithoutKeyStopAtTheInformationBox() {
    QFETCH(QString, item);
    startWindow();
    auto seen = std::make_shared<QList<ChooserShowing>>();
    AnswerChoosers({{}}, seen);
    m_window->findChild<QAction*>(item)->trigger();
    QCOMPARE(m_boxes->count(), 1);
    QCOMPARE(m_boxes->last().text, u"鍵のパスワードを入力してください。"_s);
    QCOMPARE(m_boxes->last().icon, QMessageBox::Information);
    QCOMPARE(m_boxes->last().title, u"Winヴォレル97"_s);
    QTest::qWait(50);
    QVERIFY(seen->isEmpty());
}

void FrmMainRoadsTest::putAwayWithNoCurrentFile() {
    startWindow();
    setKeyByCommand(u"key"_s);
    m_window->mnuitmLock->trigger();
    QCOMPARE(m_boxes->count(), 1);
    QCOMPARE(m_boxes->last().text, u"ファイルが何も開かれていません。"_s);
    QCOMPARE(m_boxes->last().icon, QMessageBox::Critical);
    QCOMPARE(m_boxes->last().title, u"Winヴォレル97"_s);
    QVERIFY(!m_window->fileDialog()->isVisible());
}

void FrmMainRoadsTest::replaceAnsweredNoWhileTargetExistsAsksAgain_data() {
    QTest::addColumn<QString>("declined");
    QTest::newRow("an existing file") << u"old.vrl"_s;
    QTest::newRow("the source itself") << u"plain.txt"_s;
}

void FrmMainRoadsTest::replaceAnsweredNoWhileTargetExistsAsksAgain() {
    QFETCH(QString, declined);
    startWindow();
    chooseOptions(0, 0);
    setKeyByCommand(u"key"_s);
    write(u"plain.txt"_s, Plain);
    write(u"old.vrl"_s, "old contents");
    const QByteArray declinedBefore = FileBytes(path(declined));
    openThroughMenu(u"plain.txt"_s);

    auto seen = std::make_shared<QList<ChooserShowing>>();
    AnswerChoosers({{m_dir->path(), declined}, {m_dir->path(), u"new.vrl"_s}}, seen);
    m_boxes->answer(QMessageBox::No);
    m_window->mnuitmLock->trigger();

    QCOMPARE(seen->size(), 2);
    QCOMPARE(seen->last().caption, u"しまうファイル名"_s);
    QCOMPARE(m_boxes->count(), 1);
    QCOMPARE(m_boxes->last().text, u"同じファイル名があります。置き換えていいですか？"_s);
    QCOMPARE(m_boxes->last().icon, QMessageBox::Question);
    QCOMPARE(m_boxes->last().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(FileBytes(path(declined)), declinedBefore);
    // The second pass still puts away the file the command started with.
    m_window->TakeFile(path(u"new.vrl"_s), u"key"_s);
    QCOMPARE(shownText(), QString::fromUtf8(Plain));
}

void FrmMainRoadsTest::replaceAnsweredYesOverwritesTarget() {
    startWindow();
    chooseOptions(1, 0);
    setKeyByCommand(u"key"_s);
    write(u"plain.txt"_s, Plain);
    write(u"old.vrl"_s, QByteArray(1000, 'x'));
    openThroughMenu(u"plain.txt"_s);
    AnswerChoosers({{m_dir->path(), u"old.vrl"_s}});
    m_boxes->answer(QMessageBox::Yes);
    m_window->mnuitmLock->trigger();
    QCOMPARE(m_boxes->count(), 1);
    QVERIFY(FileBytes(path(u"old.vrl"_s)).size() < 1000);
    m_window->TakeFile(path(u"old.vrl"_s), u"key"_s);
    QCOMPARE(shownText(), QString::fromUtf8(Plain));
}

void FrmMainRoadsTest::cancelledChooserPutsNothingAway() {
    startWindow();
    chooseOptions(0, 1);
    setKeyByCommand(u"key"_s);
    write(u"plain.txt"_s, Plain);
    openThroughMenu(u"plain.txt"_s);
    // The target is given, the application chooser cancelled.
    AnswerChoosers({{m_dir->path(), u"plain.vrl"_s, true}, {}});
    m_window->mnuitmLock->trigger();
    QVERIFY(!QFile::exists(path(u"plain.vrl"_s)));
    QCOMPARE(m_boxes->count(), 0);
}

void FrmMainRoadsTest::recordedApplicationIsStartedAtTakeOut() {
    startWindow();
    const QString application = writeApplication();
    chooseOptions(0, 1);
    setKeyByCommand(u"key"_s);
    write(u"plain.txt"_s, Plain);
    openThroughMenu(u"plain.txt"_s);

    auto seen = std::make_shared<QList<ChooserShowing>>();
    AnswerChoosers({{m_dir->path(), u"rec.vrl"_s, true}, {m_dir->path(), u"app.sh"_s}}, seen);
    m_window->mnuitmLock->trigger();
    QCOMPARE(seen->size(), 2);
    QVERIFY(seen->at(0).isTake);
    QCOMPARE(seen->at(1).caption, path(u"rec.vrl"_s) + u"を開くアプリケーション"_s);
    QVERIFY(seen->at(1).openApp);
    QVERIFY(FileBytes(path(u"rec.vrl"_s)).size() > Plain.size() + 2 * application.size());

    AnswerChoosers({{m_dir->path(), u"rec.vrl"_s}}, seen);
    m_window->mnuitmUnlock->trigger();
    QVERIFY(!seen->last().isTake);
    QCOMPARE(m_boxes->count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(FileBytes(path(u"copied.dat"_s)), Plain, 10000);
    QCOMPARE(FileBytes(path(u"args.txt"_s)), "$temp.dat|");
    // The application still runs: its file stays until it ends.
    QTest::qWait(200);
    QVERIFY(QFile::exists(path(TempName)));
    QCOMPARE(QFile::permissions(path(TempName)) & ~(QFile::ReadUser | QFile::WriteUser),
             QFile::ReadOwner | QFile::WriteOwner);
    write(u"end.now"_s, {});
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(path(TempName)), 10000);
}

void FrmMainRoadsTest::applicationChosenAtTakeOut() {
    startWindow();
    writeApplication();
    chooseOptions(0, 2);
    setKeyByCommand(u"key"_s);
    makeLocker(u"a.vrl"_s, 0);
    m_window->OpenCont(write(u"other.txt"_s, "other\r\n"));

    auto seen = std::make_shared<QList<ChooserShowing>>();
    AnswerChoosers({{m_dir->path(), u"a.vrl"_s, true}, {m_dir->path(), u"app.sh"_s}}, seen);
    m_window->mnuitmUnlock->trigger();
    QCOMPARE(seen->size(), 2);
    QVERIFY(seen->at(0).isTake);
    QCOMPARE(seen->at(1).caption, path(u"a.vrl"_s) + u"を開くアプリケーション"_s);
    QTRY_COMPARE_WITH_TIMEOUT(FileBytes(path(u"copied.dat"_s)), Plain, 10000);
    QCOMPARE(shownText(), u"other\r\n"_s);
    write(u"end.now"_s, {});
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(path(TempName)), 10000);

    // Without the check the viewer shows it.
    AnswerChoosers({{m_dir->path(), u"a.vrl"_s, false}}, seen);
    m_window->mnuitmUnlock->trigger();
    QCOMPARE(seen->size(), 3);
    QCOMPARE(shownText(), QString::fromUtf8(Plain));
}

void FrmMainRoadsTest::applicationThatCannotStartIsReported() {
    startWindow();
    write(u"notes.txt"_s, "not a program");
    chooseOptions(0, 2);
    setKeyByCommand(u"key"_s);
    makeLocker(u"a.vrl"_s, 0);
    AnswerChoosers({{m_dir->path(), u"a.vrl"_s, true}, {m_dir->path(), u"notes.txt"_s}});
    m_window->mnuitmUnlock->trigger();
    QCOMPARE(m_boxes->count(), 1);
    QCOMPARE(m_boxes->last().title, u"70"_s);
    QCOMPARE(m_boxes->last().icon, QMessageBox::Warning);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void FrmMainRoadsTest::fileOfARunningApplicationGoesAtExit() {
    storeKeyType(0);
    startWindow();
    const QString application = writeApplication();
    m_window->TakeFile(makeLocker(u"a.vrl"_s, 0), u"key"_s, application);
    QTRY_COMPARE_WITH_TIMEOUT(FileBytes(path(u"copied.dat"_s)), Plain, 10000);
    QVERIFY(QFile::exists(path(TempName)));
    m_window->close();
    m_window.reset();
    QVERIFY(!QFile::exists(path(TempName)));
    write(u"end.now"_s, {});
}

void FrmMainRoadsTest::dropRoutesByButtonAndKeys_data() {
    QTest::addColumn<Qt::KeyboardModifiers>("keys");
    QTest::addColumn<bool>("takenOut");
    QTest::newRow("no key") << Qt::KeyboardModifiers() << false;
    QTest::newRow("shift") << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
    QTest::newRow("shift and ctrl")
        << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier) << false;
    QTest::newRow("shift and alt")
        << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::AltModifier) << false;
    QTest::newRow("ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
}

void FrmMainRoadsTest::dropRoutesByButtonAndKeys() {
    QFETCH(Qt::KeyboardModifiers, keys);
    QFETCH(bool, takenOut);
    storeKeyType(0);
    startWindow();
    setKeyByCommand(u"key"_s);
    const QString lockerFile = makeLocker(u"a.vrl"_s, 0);
    QList<Qt::DropAction> answered;
    QVERIFY(DropFiles(m_window.get(), {lockerFile, path(u"source.txt"_s)}, Qt::LeftButton, keys, {},
                      &answered));
    // The file is only read: the source never hears of a move or a link.
    QCOMPARE(answered, QList<Qt::DropAction>(3, Qt::CopyAction));
    QCOMPARE(m_boxes->count(), 0);
    QCOMPARE(m_window->fileDialog()->FileName(), u"a.vrl"_s);
    QCOMPARE(m_window->fileDialog()->Path(), m_dir->path() + u'/');
    if (takenOut)
        QCOMPARE(shownText(), QString::fromUtf8(Plain));
    else
        QVERIFY(shownText() != QString::fromUtf8(Plain));
}

void FrmMainRoadsTest::shiftDropWithoutKeyAsksForIt() {
    storeKeyType(1);
    startWindow();
    const QString lockerFile = makeLocker(u"a.vrl"_s, 1, u"secret"_s);
    AnswerKey(u"secret"_s);
    DropFiles(m_window.get(), {lockerFile}, Qt::LeftButton, Qt::ShiftModifier);
    QCOMPARE(m_boxes->count(), 1);
    QCOMPARE(m_boxes->last().text, u"鍵のパスワードを入力してください。"_s);
    QCOMPARE(m_window->KeyPassWd(), u"secret"_s);
    QCOMPARE(shownText(), QString::fromUtf8(Plain));
}

void FrmMainRoadsTest::shiftDropWithEmptyKeyIsRefused() {
    startWindow();
    const QString lockerFile = makeLocker(u"a.vrl"_s, 0);
    m_window->OpenCont(write(u"other.txt"_s, "other\r\n"));
    AnswerKey(QString());
    DropFiles(m_window.get(), {lockerFile}, Qt::LeftButton, Qt::ShiftModifier);
    QCOMPARE(m_boxes->count(), 2);
    QCOMPARE(m_boxes->last().text, u"鍵のパスワードが変です。"_s);
    QCOMPARE(m_boxes->last().icon, QMessageBox::Warning);
    QCOMPARE(shownText(), u"other\r\n"_s);

    // Cancelling the key dialog ends the drop silently.
    AnswerKey(std::nullopt);
    DropFiles(m_window.get(), {lockerFile}, Qt::LeftButton, Qt::ShiftModifier);
    QCOMPARE(m_boxes->count(), 3);
    QCOMPARE(shownText(), u"other\r\n"_s);
}

void FrmMainRoadsTest::rightDropOffersThePopupMenu_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("takenOut");
    QTest::addColumn<bool>("buttonInTheDrop");
    QTest::newRow("cancel") << u"mnupopCancel"_s << false << true;
    QTest::newRow("take out") << u"mnupopUnlock"_s << true << true;
    // A drag from another program on X11: the button is known only while the drag moves.
    QTest::newRow("take out, button held only while dragging")
        << u"mnupopUnlock"_s << true << false;
}

void FrmMainRoadsTest::rightDropOffersThePopupMenu() {
    QFETCH(QString, item);
    QFETCH(bool, takenOut);
    QFETCH(bool, buttonInTheDrop);
    storeKeyType(0);
    startWindow();
    setKeyByCommand(u"key"_s);
    const QString lockerFile = makeLocker(u"a.vrl"_s, 0);
    m_window->OpenCont(write(u"other.txt"_s, "other\r\n"));

    if (buttonInTheDrop)
        DropFiles(m_window.get(), {lockerFile}, Qt::RightButton, Qt::ShiftModifier);
    else
        DropFiles(m_window.get(), {lockerFile}, Qt::NoButton, Qt::ShiftModifier, Qt::RightButton);
    QMenu* popup = m_window->mnuPopupRoute;
    QTRY_COMPARE(QApplication::activePopupWidget(), popup);
    QCOMPARE(m_window->fileDialog()->FileName(), u"a.vrl"_s);
    QAction* chosen = m_window->findChild<QAction*>(item);
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(chosen).center());
    QTRY_VERIFY(!popup->isVisible());
    if (takenOut)
        QTRY_COMPARE(shownText(), QString::fromUtf8(Plain));
    QTest::qWait(50);
    QCOMPARE(shownText(), takenOut ? QString::fromUtf8(Plain) : u"other\r\n"_s);
    QCOMPARE(m_boxes->count(), 0);
}

void FrmMainRoadsTest::dropsWithoutFilesAreIgnored() {
    startWindow();
    m_window->OpenCont(write(u"other.txt"_s, "other\r\n"));
    const QString folderBefore = m_window->fileDialog()->Path();
    QMimeData text;
    text.setText(u"dragged words"_s);
    QVERIFY(!Drop(m_window.get(), text, Qt::LeftButton, Qt::ShiftModifier));
    QMimeData web;
    web.setUrls({QUrl(u"https://example.org/a.vrl"_s)});
    QVERIFY(!Drop(m_window.get(), web, Qt::LeftButton, {}));
    QCOMPARE(m_boxes->count(), 0);
    QCOMPARE(m_window->fileDialog()->Path(), folderBefore);
    QVERIFY(m_window->fileDialog()->FileName().isEmpty());
    QCOMPARE(shownText(), u"other\r\n"_s);
}

void FrmMainRoadsTest::dropOnTheShownTextReachesTheWindow() {
    startWindow();
    m_window->OpenCont(write(u"other.txt"_s, "other\r\n"));
    const QString dropped = write(u"dropped.txt"_s, "dropped\r\n");
    QWidget* textArea = m_window->contentViewer()->txtCont()->viewport();
    QVERIFY(DropFiles(textArea, {dropped}, Qt::LeftButton, {}));
    QCOMPARE(shownText(), u"dropped\r\n"_s);
}

void FrmMainRoadsTest::dropsAreRefusedWhileAnOperationRuns() {
    storeKeyType(0);
    startWindow();
    const QString lockerFile = makeLocker(u"a.vrl"_s, 0);
    const QString other = write(u"other.txt"_s, "other\r\n");
    // The first repaint of the progress window lets this timer in.
    std::optional<bool> accepted;
    QTimer::singleShot(0, m_window.get(), [&] {
        accepted = DropFiles(m_window.get(), {other}, Qt::LeftButton, {});
        m_window->Form_OLEDragDrop({QUrl::fromLocalFile(other)}, Qt::LeftButton, {}, {});
    });
    m_window->TakeFile(lockerFile, u"key"_s);
    QCOMPARE(accepted, std::optional<bool>(false));
    QCoreApplication::processEvents();
    QCOMPARE(shownText(), QString::fromUtf8(Plain));
    QCOMPARE(m_window->fileDialog()->FileName(), QString());
}

void FrmMainRoadsTest::toolbarButtonsRunTheirCommands() {
    startWindow();
    // Separators and indexes without a button do nothing.
    for (int index : {0, 1, 4, 8, 11})
        m_window->Toolbar1_ButtonClick(index);
    QCOMPARE(m_boxes->count(), 0);
    // Key, then put away and take out, as the buttons 7, 6 and 5 run them.
    AnswerKey(u"key"_s);
    m_window->Toolbar1_ButtonClick(7);
    QCOMPARE(m_window->KeyPassWd(), u"key"_s);
    m_window->Toolbar1_ButtonClick(6);
    QCOMPARE(m_boxes->last().text, u"ファイルが何も開かれていません。"_s);
    auto seen = std::make_shared<QList<ChooserShowing>>();
    AnswerChoosers({{}}, seen);
    m_window->Toolbar1_ButtonClick(5);
    QCOMPARE(seen->size(), 1);
    QCOMPARE(seen->first().caption, u"取り出すファイル名"_s);
    // Options (9) and open (2) show their dialogs.
    WhenShown<frmOptions>([](frmOptions* dialog) { dialog->cmdCancel->click(); });
    m_window->Toolbar1_ButtonClick(9);
    AnswerChoosers({{}}, seen);
    m_window->Toolbar1_ButtonClick(2);
    QCOMPARE(seen->last().caption, u"開くファイル名"_s);
}

void FrmMainRoadsTest::commandLine_data() {
    QTest::addColumn<QString>("commandLine"); // "LOCKER" and "PLAIN" stand for the files
    QTest::addColumn<bool>("startPass");
    QTest::addColumn<QString>("prompted"); // answer of a key prompt; empty: cancel
    QTest::addColumn<QString>("keyPassWd");
    QTest::addColumn<bool>("shown"); // the plain text is shown, else nothing
    QTest::addColumn<int>("boxes");

    QTest::newRow("locker, switch, password")
        << u"LOCKER /P key"_s << false << QString() << u"key"_s << true << 0;
    QTest::newRow("switch in lower case")
        << u"LOCKER /p key"_s << false << QString() << u"key"_s << true << 0;
    QTest::newRow("no blank after the switch")
        << u"LOCKER /Pxkey"_s << false << QString() << u"key"_s << true << 0;
    QTest::newRow("plain file in the viewer")
        << u"PLAIN"_s << false << QString() << QString() << true << 0;
    QTest::newRow("switch at the end empties the prompted key")
        << u"PLAIN /P"_s << true << u"typed"_s << QString() << true << 0;
    QTest::newRow("prompted key takes the file out")
        << u"LOCKER"_s << true << u"key"_s << u"key"_s << true << 0;
    QTest::newRow("switch first: no file")
        << u"/P key"_s << false << QString() << u"key"_s << false << 1;
    QTest::newRow("prompt only") << QString() << true << u"typed"_s << u"typed"_s << false << 0;
    QTest::newRow("prompt cancelled ignores the command line")
        << u"LOCKER /P key"_s << true << QString() << QString() << false << 0;
    // Opened from the desktop: the key is asked for (after the box saying that none is set).
    QTest::newRow("desktop: key asked, locker taken out")
        << u"--take-out LOCKER"_s << false << u"key"_s << u"key"_s << true << 1;
    QTest::newRow("desktop's menu entry without a file: nothing asked")
        << u"--take-out"_s << false << QString() << QString() << false << 0;
}

void FrmMainRoadsTest::commandLine() {
    QFETCH(QString, commandLine);
    QFETCH(bool, startPass);
    QFETCH(QString, prompted);
    QFETCH(bool, shown);
    storeKeyType(0);
    QSettings(QSettings::NativeFormat, QSettings::UserScope, u"WinVrls"_s)
        .setValue(u"Default/StartPass"_s, startPass ? u"True"_s : u"False"_s);
    makeLocker(u"a.vrl"_s, 0);
    write(u"plain.txt"_s, Plain);
    commandLine.replace(u"LOCKER"_s, path(u"a.vrl"_s)).replace(u"PLAIN"_s, path(u"plain.txt"_s));
    // An answer no prompt asked for is dropped at the end.
    if (startPass || commandLine.startsWith(u"--take-out"_s))
        AnswerKey(prompted.isEmpty() ? std::nullopt : std::optional<QString>(prompted));
    startWindow(commandLine);
    QTEST(m_window->KeyPassWd(), "keyPassWd");
    QCOMPARE(shownText(), shown ? QString::fromUtf8(Plain) : u"<picture>"_s);
    QTEST(int(m_boxes->count()), "boxes");
    QVERIFY(m_window->isVisible());
}

void FrmMainRoadsTest::takeOutFailuresAreReported_data() {
    QTest::addColumn<QByteArray>("lockerBytes"); // empty: no file at all
    QTest::addColumn<QString>("text");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QString>("title");
    QTest::newRow("missing locker file")
        << QByteArray() << u"ファイルが見つかりません。"_s << QMessageBox::Warning << u"53"_s;
    QTest::newRow("empty locker file")
        << QByteArray("") << u"このファイルは正しい施錠がなされていません。"_s
        << QMessageBox::Critical << u"Winヴォレル"_s;
    QTest::newRow("locker file shorter than its padding")
        << QByteArray(10, '\0') << u"このファイルは正しい施錠がなされていません。"_s
        << QMessageBox::Critical << u"Winヴォレル"_s;
}

void FrmMainRoadsTest::takeOutFailuresAreReported() {
    QFETCH(QByteArray, lockerBytes);
    storeKeyType(0);
    startWindow();
    setKeyByCommand(u"key"_s);
    m_window->OpenCont(write(u"other.txt"_s, "other\r\n"));
    if (!lockerBytes.isNull())
        write(u"bad.vrl"_s, lockerBytes);
    // A file of that name that no record names is not the program's: it stays untouched.
    write(TempName, "stale");
    AnswerChoosers({{m_dir->path(), u"bad.vrl"_s}});
    m_window->mnuitmUnlock->trigger();
    QCOMPARE(m_boxes->count(), 1);
    QTEST(m_boxes->last().text, "text");
    QTEST(m_boxes->last().icon, "icon");
    QTEST(m_boxes->last().title, "title");
    QCOMPARE(shownText(), u"other\r\n"_s);
    QCOMPARE(QFile::exists(path(u"bad.vrl"_s)), !lockerBytes.isNull());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(m_window->findChildren<frmProgress*>().isEmpty());
    QCOMPARE(FileBytes(path(TempName)), "stale");
    QFile::remove(path(TempName));
}

void FrmMainRoadsTest::putAwayFailuresAreReported_data() {
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::newRow("empty source") << QByteArray("") << u"key"_s
                                  << u"このファイルはこの施錠方式ではしまうことができません。"_s
                                  << u"Winヴォレル"_s;
    QTest::newRow("key with a double-byte character") << Plain << u"鍵"_s << QString() << u"6"_s;
}

void FrmMainRoadsTest::putAwayFailuresAreReported() {
    QFETCH(QByteArray, source);
    QFETCH(QString, password);
    QFETCH(QString, text);
    startWindow();
    chooseOptions(0, 0);
    setKeyByCommand(password);
    write(u"in.txt"_s, source);
    m_window->fileDialog()->setPath(m_dir->path());
    m_window->fileDialog()->setFileName(u"in.txt"_s);
    AnswerChoosers({{m_dir->path(), u"out.vrl"_s}});
    m_window->mnuitmLock->trigger();
    QCOMPARE(m_boxes->count(), 1);
    if (!text.isEmpty())
        QCOMPARE(m_boxes->last().text, text);
    QTEST(m_boxes->last().title, "title");
    QVERIFY(!QFile::exists(path(u"out.vrl"_s)));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void FrmMainRoadsTest::wrongPasswordWithCrossPasswordMethod() {
    startWindow();
    const QString lockerFile = makeLocker(u"a.vrl"_s, 2, u"right"_s);
    m_window->OpenCont(write(u"other.txt"_s, "other\r\n"));
    setKeyByCommand(u"wrong"_s);
    AnswerChoosers({{m_dir->path(), u"a.vrl"_s}});
    m_window->mnuitmUnlock->trigger();
    QCOMPARE(m_boxes->count(), 1);
    QCOMPARE(m_boxes->last().text, u"鍵のパスワードが違います。"_s);
    QCOMPARE(m_boxes->last().icon, QMessageBox::Warning);
    QCOMPARE(m_boxes->last().title, u"1004"_s);
    QCOMPARE(shownText(), u"other\r\n"_s);
    QVERIFY(!QFile::exists(path(TempName)));
}

QTEST_MAIN(FrmMainRoadsTest)
#include "tst_frmmain_roads.moc"
