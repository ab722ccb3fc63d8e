// The main window: its controls, start-up and shut-down with the settings store, and the
// viewer's commands through the file chooser.
#include "app/frmMain.h"

#include "about/frmAbout.h"
#include "app/VisiblePlacement.h"
#include "dialogs/frmFile.h"
#include "dialogs/frmKey.h"
#include "dialogs/frmOptions.h"
#include "platform/MessageBoxRecorder.h"
#include "platform/RuntimeError.h"
#include "platform/SettingsStore.h"
#include "support/ModalAnswer.h"
#include "viewer/ContentTextBox.h"
#include "viewer/PictureBox.h"
#include "viewer/Viewer.h"

#include "support/TestFiles.h"

#include <QAccessible>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QImageWriter>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString AppName = u"WinVrls"_s;

QString Stored(const QString& section, const QString& key) {
    return platform::getSetting(AppName, section, key, u"<none>"_s);
}

void Store(const QString& section, const QString& key, const QString& value) {
    platform::saveSetting(AppName, section, key, value);
}

int Pixels(double twips) {
    return qRound(twips * QGuiApplication::primaryScreen()->logicalDotsPerInchX() / 1440.0);
}

// Answers the next showing of the chooser with `name` in `folder`, or cancels it.
// `chosen` runs once the chooser has accepted, before the command goes on.
void AnswerChooser(const QString& folder, const QString& name, QString* caption = nullptr,
                   const std::function<void()>& chosen = {}) {
    testsupport::whenModalShown([=](QWidget* modal) {
        auto* chooser = qobject_cast<frmFile*>(modal);
        if (!chooser)
            return;
        if (caption)
            *caption = chooser->windowTitle();
        if (name.isEmpty()) {
            chooser->cmdCancel->click();
            return;
        }
        chooser->setPath(folder);
        chooser->txtFileName->setText(name);
        chooser->cmdOK->click();
        if (chosen)
            chosen();
    });
}

// Stands in for the desktop's document opener and notes what it was asked to open.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler(u"file"_s, this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(u"file"_s); }
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class FrmMainTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    // Controls.
    void menuItemsCarryNamesCaptionsAndShortcuts_data();
    void menuItemsCarryNamesCaptionsAndShortcuts();
    void menuBarHoldsTheFourMenusInOrder();
    void popupMenuStaysOutOfTheMenuBar();
    void toolbarHasTenButtonsWithToolTipsAndNames();
    void viewerControlsCarryTheirNames();
    void resizingTheWindowLaysOutTheViewer();

    // Start-up and shut-down.
    void firstStartUsesDefaults();
    void storedSettingsAreRestored();
    void unusableStoredValuesFallBackToDefaults_data();
    void unusableStoredValuesFallBackToDefaults();
    void storedPlacementIsMadeVisible_data();
    void storedPlacementIsMadeVisible();
    void placementOffEveryScreenStartsOnTheScreen();
    void exitInNormalStateWritesEverything();
    void exitWhileNotNormalKeepsStoredPlacement_data();
    void exitWhileNotNormalKeepsStoredPlacement();
    void quitUnloadsTheWindow();

    // Viewer commands.
    void selectAllFollowsThePresentation();
    void openAndSaveReproduceTextFiles_data();
    void openAndSaveReproduceTextFiles();
    void cancelledOpenLeavesViewer();
    void savedPictureIsBmpUnderATextName();
    void saveFailuresAreReported_data();
    void saveFailuresAreReported();
    void copyPutsSelectionOrPicture();
    void copyWithoutPictureIsReported();

    // Key, options, help and version.
    void keyCommandSetsOrKeepsThePassword();
    void optionsCommandShowsTheLiveOptions();
    void helpOpensTheGuideInTheWorkingDirectory();
    void helpWithoutGuideSaysSo();
    void versionShowsTheAboutBox();

    // The arithmetic of the own ciphers, reachable on the window.
    void arithmeticHelpers();

private:
    void startWindow();
    // The placement and options of a start without usable settings.
    void verifyDefaultStart();
    QString write(const QString& name, const QByteArray& bytes);

    std::unique_ptr<QTemporaryDir> m_settingsDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;
};

void FrmMainTest::initTestCase() {
    m_settingsDir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
}

void FrmMainTest::init() {
    QSettings(QSettings::NativeFormat, QSettings::UserScope, AppName).clear();
    m_dir = std::make_unique<QTemporaryDir>();
    // Take outs write "$temp.dat" and help looks for its guide in the working directory.
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_window = std::make_unique<frmMain>();
    // The test program's own arguments are no command line for the window.
    m_window->setCommandLine({});
}

void FrmMainTest::cleanup() {
    m_window.reset();
    QDir::setCurrent(QDir::tempPath());
    m_dir.reset();
}

void FrmMainTest::startWindow() {
    m_window->Form_Load();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void FrmMainTest::verifyDefaultStart() {
    QCOMPARE(m_window->pos(), QPoint(Pixels(100), Pixels(100)));
    QCOMPARE(m_window->size(), QSize(Pixels(5430), Pixels(5190)));
    QCOMPARE(m_window->optionsDialog()->KeyType(), 2);
    QCOMPARE(m_window->optionsDialog()->StartPass(), false);
    QCOMPARE(m_window->optionsDialog()->AppMode(), 0);
    QCOMPARE(m_window->fileDialog()->Path(), QDir::homePath());
}

QString FrmMainTest::write(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file");
    return path;
}

void FrmMainTest::menuItemsCarryNamesCaptionsAndShortcuts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");
    const QKeySequence none;
    QTest::newRow("open") << u"mnuitmOpen"_s << u"開く(&O)"_s << QKeySequence(u"Ctrl+O"_s);
    QTest::newRow("save") << u"mnuitmSave"_s << u"保存(&S)"_s << none;
    QTest::newRow("quit") << u"mnuitmQuit"_s << u"終了(&X)"_s << none;
    QTest::newRow("copy") << u"mnuitmCopy"_s << u"コピー(&C)"_s << QKeySequence(u"Ctrl+C"_s);
    QTest::newRow("select all") << u"mnuitmSelAll"_s << u"全て選択(&A)"_s << none;
    QTest::newRow("take out") << u"mnuitmUnlock"_s << u"取り出す(&U)"_s
                              << QKeySequence(u"Ctrl+U"_s);
    QTest::newRow("put away") << u"mnuitmLock"_s << u"しまう(&L)"_s << QKeySequence(u"Ctrl+L"_s);
    QTest::newRow("key") << u"mnuKey"_s << u"鍵の設定(&K)"_s << QKeySequence(u"Ctrl+K"_s);
    QTest::newRow("options") << u"mnuitmOption"_s << u"オプション(&O)"_s << none;
    QTest::newRow("help") << u"mnuitmHelp"_s << u"ヘルプ(&H)"_s << QKeySequence(u"F1"_s);
    QTest::newRow("version") << u"mnuitmVersion"_s << u"バージョン情報(&V)"_s << none;
    QTest::newRow("pop-up open") << u"mnupopOpen"_s << u"開く"_s << none;
    QTest::newRow("pop-up take out") << u"mnupopUnlock"_s << u"取り出す"_s << none;
    QTest::newRow("pop-up cancel") << u"mnupopCancel"_s << u"キャンセル"_s << none;
}

void FrmMainTest::menuItemsCarryNamesCaptionsAndShortcuts() {
    QFETCH(QString, name);
    auto* item = m_window->findChild<QAction*>(name);
    QVERIFY(item);
    QTEST(item->text(), "caption");
    QTEST(item->shortcut(), "shortcut");
}

void FrmMainTest::menuBarHoldsTheFourMenusInOrder() {
    const QList<QAction*> menus = m_window->menuBar()->actions();
    QCOMPARE(menus.size(), 4);
    const QStringList names{u"mnuFile"_s, u"mnuEdit"_s, u"mnuDrower"_s, u"mnuHelp"_s};
    const QStringList captions{u"ファイル(&F)"_s, u"編集(&E)"_s, u"ヴォレル(&D)"_s,
                               u"ヘルプ(&H)"_s};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(menus[i]->menu()->objectName(), names[i]);
        QCOMPARE(menus[i]->text(), captions[i]);
    }
    auto names_of = [](QMenu* menu) {
        QStringList result;
        for (QAction* item : menu->actions())
            result << item->objectName();
        return result;
    };
    QCOMPARE(names_of(m_window->mnuFile),
             (QStringList{u"mnuitmOpen"_s, u"mnuitmSave"_s, u"dummy1"_s, u"mnuitmQuit"_s}));
    QCOMPARE(names_of(m_window->mnuEdit), (QStringList{u"mnuitmCopy"_s, u"mnuitmSelAll"_s}));
    QCOMPARE(names_of(m_window->mnuDrower),
             (QStringList{u"mnuitmUnlock"_s, u"mnuitmLock"_s, u"mnuitmEndHandOffs"_s, u"dummy2"_s,
                          u"mnuKey"_s, u"dummy3"_s, u"mnuitmOption"_s}));
    QCOMPARE(names_of(m_window->mnuHelp),
             (QStringList{u"mnuitmHelp"_s, u"dummy"_s, u"mnuitmVersion"_s}));
    QVERIFY(m_window->dummy1->isSeparator());
}

void FrmMainTest::popupMenuStaysOutOfTheMenuBar() {
    QMenu* popup = m_window->mnuPopupRoute;
    QCOMPARE(popup->objectName(), u"mnuPopupRoute"_s);
    QCOMPARE(popup->title(), u"dummy"_s);
    QVERIFY(!m_window->menuBar()->actions().contains(popup->menuAction()));
    const QList<QAction*> items = popup->actions();
    QCOMPARE(items.size(), 4);
    QCOMPARE(items[0], m_window->mnupopOpen);
    QVERIFY(!m_window->mnupopOpen->isVisible());
    QVERIFY(m_window->mnupopUnlock->isVisible());
    QVERIFY(items[2]->isSeparator());
    QCOMPARE(items[2]->objectName(), u"mnupopSep1"_s);
    QVERIFY(m_window->mnupopCancel->isVisible());
}

void FrmMainTest::toolbarHasTenButtonsWithToolTipsAndNames() {
    auto* toolbar = m_window->findChild<QToolBar*>(u"Toolbar1"_s);
    QVERIFY(toolbar);
    const QList<QAction*> buttons = toolbar->actions();
    QCOMPARE(buttons.size(), 10);
    const QList<QAction*> commands{nullptr,
                                   m_window->mnuitmOpen,
                                   m_window->mnuitmSave,
                                   nullptr,
                                   m_window->mnuitmUnlock,
                                   m_window->mnuitmLock,
                                   m_window->mnuKey,
                                   nullptr,
                                   m_window->mnuitmOption,
                                   m_window->mnuitmHelp};
    const QStringList tips{{},
                           u"開く"_s,
                           u"保存"_s,
                           {},
                           u"ヴォレルから取り出す"_s,
                           u"ヴォレルにしまう"_s,
                           u"鍵の設定"_s,
                           {},
                           u"オプション"_s,
                           u"ヘルプ"_s};
    for (int i = 0; i < 10; ++i) {
        if (!commands[i]) {
            QVERIFY2(buttons[i]->isSeparator(), qPrintable(QString::number(i + 1)));
            continue;
        }
        QCOMPARE(buttons[i], commands[i]);
        QCOMPARE(buttons[i]->toolTip(), tips[i]);
        QVERIFY(!buttons[i]->icon().isNull());
        const QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(toolbar->widgetForAction(buttons[i]));
        QCOMPARE(accessible->text(QAccessible::Name), tips[i]);
    }
}

void FrmMainTest::viewerControlsCarryTheirNames() {
    for (const QString& name :
         {u"txtCont"_s, u"picParent"_s, u"picCont"_s, u"HScroll1"_s, u"VScroll1"_s, u"Toolbar1"_s})
        QVERIFY2(m_window->findChild<QWidget*>(name), qPrintable(name));
}

void FrmMainTest::resizingTheWindowLaysOutTheViewer() {
    startWindow();
    QWidget* client = m_window->centralWidget();
    QToolBar* toolbar = m_window->Toolbar1;
    QWidget* viewport = m_window->contentViewer()->picParent();
    m_window->resize(500, 400);
    QTRY_COMPARE(toolbar->width(), client->width());
    QCOMPARE(toolbar->pos(), QPoint(0, 0));
    const int barWidth = m_window->contentViewer()->VScroll1()->width();
    const int barHeight = m_window->contentViewer()->HScroll1()->height();
    QCOMPARE(viewport->geometry(), QRect(0, toolbar->height(), client->width() - barWidth,
                                         client->height() - barHeight - toolbar->height()));
}

void FrmMainTest::firstStartUsesDefaults() {
    platform::MessageBoxRecorder boxes;
    startWindow();
    QCOMPARE(m_window->windowTitle(), u"Winヴォレル"_s);
    verifyDefaultStart();
    QVERIFY(!m_window->keyDialog()->isVisible());
    QVERIFY(!m_window->fileDialog()->isVisible());
    QVERIFY(!m_window->optionsDialog()->isVisible());
    QCOMPARE(boxes.count(), 0);
    QVERIFY(!m_window->IsText());
    QVERIFY(!m_window->mnuitmSelAll->isEnabled());
    QVERIFY(m_window->KeyPassWd().isEmpty());
}

void FrmMainTest::storedSettingsAreRestored() {
    Store(u"StartUp"_s, u"Top"_s, u"1500"_s);
    Store(u"StartUp"_s, u"Left"_s, u"3000"_s);
    Store(u"StartUp"_s, u"Height"_s, u"6000"_s);
    Store(u"StartUp"_s, u"Width"_s, u"7500"_s);
    Store(u"Default"_s, u"KeyType"_s, u"1"_s);
    Store(u"Default"_s, u"StartPass"_s, u"True"_s);
    Store(u"Default"_s, u"AppMode"_s, u"2"_s);
    Store(u"Default"_s, u"FilePath"_s, m_dir->path());
    // The restored start-up prompt asks for the key password.
    bool prompted = false;
    testsupport::whenModalShown([&](QWidget* modal) {
        prompted = modal == m_window->keyDialog();
        m_window->keyDialog()->cmdCancel->click();
    });
    startWindow();
    QVERIFY(prompted);
    QCOMPARE(m_window->pos(), QPoint(Pixels(3000), Pixels(1500)));
    QCOMPARE(m_window->size(), QSize(Pixels(7500), Pixels(6000)));
    QCOMPARE(m_window->optionsDialog()->KeyType(), 1);
    QCOMPARE(m_window->optionsDialog()->StartPass(), true);
    QCOMPARE(m_window->optionsDialog()->AppMode(), 2);
    QCOMPARE(m_window->fileDialog()->Path(), m_dir->path());
}

void FrmMainTest::unusableStoredValuesFallBackToDefaults_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("top not a number") << u"StartUp"_s << u"Top"_s << u"abc"_s;
    QTest::newRow("width empty") << u"StartUp"_s << u"Width"_s << u""_s;
    QTest::newRow("key type not a number") << u"Default"_s << u"KeyType"_s << u"two"_s;
    QTest::newRow("key type out of range") << u"Default"_s << u"KeyType"_s << u"7"_s;
    QTest::newRow("key type beyond 16 bits") << u"Default"_s << u"KeyType"_s << u"65537"_s;
    QTest::newRow("app mode out of range") << u"Default"_s << u"AppMode"_s << u"-1"_s;
    QTest::newRow("start pass not a truth value") << u"Default"_s << u"StartPass"_s << u"yes"_s;
    QTest::newRow("folder gone") << u"Default"_s << u"FilePath"_s << u"/no/such/folder"_s;
}

void FrmMainTest::unusableStoredValuesFallBackToDefaults() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    Store(section, key, value);
    platform::MessageBoxRecorder boxes;
    startWindow();
    QCOMPARE(boxes.count(), 0);
    verifyDefaultStart();
}

// Two screens side by side, the second lower than the first; a usable window is 200 x 150, a
// first start's 362 x 346. A frame of 1, 20, 1, 1 is a title bar and thin borders.
void FrmMainTest::storedPlacementIsMadeVisible_data() {
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("placed");
    const QMargins none;
    const QMargins titleBar(1, 20, 1, 1);
    QTest::newRow("on the first screen: unchanged")
        << QRect(7, 7, 362, 346) << none << QRect(7, 7, 362, 346);
    QTest::newRow("width 0: the first start's size")
        << QRect(7, 7, 0, 346) << none << QRect(7, 7, 362, 346);
    QTest::newRow("height negative: the first start's size")
        << QRect(7, 7, 362, -500) << none << QRect(7, 7, 362, 346);
    QTest::newRow("wider than any window can be: the first start's size")
        << QRect(7, 7, 666667, 346) << none << QRect(7, 7, 362, 346);
    QTest::newRow("left beyond every screen: onto the first")
        << QRect(90000, 7, 362, 346) << none << QRect(1558, 7, 362, 346);
    QTest::newRow("top and left above and before every screen")
        << QRect(-5000, -300, 362, 346) << none << QRect(0, 0, 362, 346);
    QTest::newRow("partly below the second screen: up onto it")
        << QRect(2500, 900, 362, 346) << none << QRect(2500, 678, 362, 346);
    QTest::newRow("across both: onto the one it covers more")
        << QRect(1800, 100, 362, 346) << none << QRect(1920, 100, 362, 346);
    QTest::newRow("larger than its screen: the screen")
        << QRect(2000, 0, 3000, 3000) << none << QRect(1920, 0, 1280, 1024);
    QTest::newRow("bottom-right corner: the frame too on the screen")
        << QRect(1700, 900, 362, 346) << titleBar << QRect(1556, 713, 362, 346);
    QTest::newRow("larger than its screen: the frame fills it")
        << QRect(2000, 0, 3000, 3000) << titleBar << QRect(1920, 0, 1278, 1003);
}

void FrmMainTest::storedPlacementIsMadeVisible() {
    QFETCH(QRect, stored);
    QFETCH(QMargins, frame);
    QFETCH(QRect, placed);
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    QCOMPARE(visiblePlacement(stored, frame, screens, {QSize(200, 150), QSize(362, 346)}), placed);
}

// A placement stored far off, or edited to nonsense, still opens a usable window on the screen.
void FrmMainTest::placementOffEveryScreenStartsOnTheScreen() {
    Store(u"StartUp"_s, u"Left"_s, u"1e30"_s);
    Store(u"StartUp"_s, u"Top"_s, u"-99999999"_s);
    Store(u"StartUp"_s, u"Width"_s, u"0"_s);
    startWindow();
    QVERIFY(m_window->screen()->availableGeometry().contains(m_window->frameGeometry()));
    QCOMPARE(m_window->size(), QSize(Pixels(5430), Pixels(5190)));
}

void FrmMainTest::exitInNormalStateWritesEverything() {
    startWindow();
    m_window->move(20, 30);
    m_window->resize(400, 300);
    m_window->optionsDialog()->setKeyType(0);
    m_window->optionsDialog()->setAppMode(1);
    m_window->optionsDialog()->setStartPass(true);
    m_window->fileDialog()->setPath(m_dir->path());
    QVERIFY(m_window->close());
    const double twipsPerPixel = 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    QCOMPARE(Stored(u"StartUp"_s, u"Top"_s), QString::number(30 * twipsPerPixel));
    QCOMPARE(Stored(u"StartUp"_s, u"Left"_s), QString::number(20 * twipsPerPixel));
    QCOMPARE(Stored(u"StartUp"_s, u"Height"_s), QString::number(300 * twipsPerPixel));
    QCOMPARE(Stored(u"StartUp"_s, u"Width"_s), QString::number(400 * twipsPerPixel));
    QCOMPARE(Stored(u"Default"_s, u"KeyType"_s), u"0"_s);
    QCOMPARE(Stored(u"Default"_s, u"AppMode"_s), u"1"_s);
    QCOMPARE(Stored(u"Default"_s, u"StartPass"_s), u"True"_s);
    QCOMPARE(Stored(u"Default"_s, u"FilePath"_s), m_dir->path());

    // The next start finds the window where it was left (and asks for the key password).
    m_window = std::make_unique<frmMain>();
    m_window->setCommandLine({});
    testsupport::whenModalShown([&](QWidget*) { m_window->keyDialog()->cmdCancel->click(); });
    startWindow();
    QCOMPARE(m_window->pos(), QPoint(20, 30));
    QCOMPARE(m_window->size(), QSize(400, 300));
}

void FrmMainTest::exitWhileNotNormalKeepsStoredPlacement_data() {
    QTest::addColumn<Qt::WindowState>("state");
    QTest::newRow("maximised") << Qt::WindowMaximized;
    QTest::newRow("minimised") << Qt::WindowMinimized;
}

void FrmMainTest::exitWhileNotNormalKeepsStoredPlacement() {
    QFETCH(Qt::WindowState, state);
    Store(u"StartUp"_s, u"Top"_s, u"1500"_s);
    Store(u"StartUp"_s, u"Left"_s, u"3000"_s);
    startWindow();
    m_window->setWindowState(state);
    QTRY_VERIFY(m_window->windowState().testFlag(state));
    m_window->optionsDialog()->setKeyType(1);
    QVERIFY(m_window->close());
    QCOMPARE(Stored(u"StartUp"_s, u"Top"_s), u"1500"_s);
    QCOMPARE(Stored(u"StartUp"_s, u"Left"_s), u"3000"_s);
    QCOMPARE(Stored(u"StartUp"_s, u"Height"_s), u"<none>"_s);
    QCOMPARE(Stored(u"StartUp"_s, u"Width"_s), u"<none>"_s);
    QCOMPARE(Stored(u"Default"_s, u"KeyType"_s), u"1"_s);
    QCOMPARE(Stored(u"Default"_s, u"AppMode"_s), u"0"_s);
    QCOMPARE(Stored(u"Default"_s, u"StartPass"_s), u"False"_s);
    QCOMPARE(Stored(u"Default"_s, u"FilePath"_s), QDir::homePath());
}

void FrmMainTest::quitUnloadsTheWindow() {
    startWindow();
    QSignalSpy unloaded(m_window.get(), &frmMain::unloaded);
    m_window->mnuitmQuit->trigger();
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(Stored(u"Default"_s, u"KeyType"_s), u"2"_s);
}

void FrmMainTest::selectAllFollowsThePresentation() {
    startWindow();
    m_window->OpenCont(write(u"a.txt"_s, "text\r\n"));
    QVERIFY(m_window->mnuitmSelAll->isEnabled());
    m_window->mnuitmSelAll->trigger();
    QCOMPARE(m_window->contentViewer()->txtCont()->selectedContent(), u"text\r\n"_s);
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    m_window->OpenCont(write(u"p.png"_s, Encoded(picture, "png")));
    QVERIFY(!m_window->mnuitmSelAll->isEnabled());
}

void FrmMainTest::openAndSaveReproduceTextFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("utf-8") << QByteArray("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\r\nabc\r\n\r\n");
    QTest::newRow("cp932") << QByteArray(
        "\x93\xFA\x96\x7B\x8C\xEA\r\n\x83\x5C\x83\x74\x83\x67\r\n");
}

void FrmMainTest::openAndSaveReproduceTextFiles() {
    QFETCH(QByteArray, bytes);
    startWindow();
    write(u"in.txt"_s, bytes);
    QString caption;
    AnswerChooser(m_dir->path(), u"in.txt"_s, &caption);
    m_window->mnuitmOpen->trigger();
    QCOMPARE(caption, u"開くファイル名"_s);
    QVERIFY(m_window->IsText());

    AnswerChooser(m_dir->path(), u"out.bmp"_s, &caption);
    m_window->mnuitmSave->trigger();
    QCOMPARE(caption, u"保存ファイル名"_s);
    QCOMPARE(FileBytes(m_dir->filePath(u"out.bmp"_s)), bytes);
    QCOMPARE(m_window->fileDialog()->FileName(), u"out.bmp"_s);
}

void FrmMainTest::cancelledOpenLeavesViewer() {
    startWindow();
    m_window->OpenCont(write(u"a.txt"_s, "kept"));
    platform::MessageBoxRecorder boxes;
    AnswerChooser({}, {});
    m_window->mnuitmOpen->trigger();
    QVERIFY(m_window->fileDialog()->Cancel());
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(m_window->contentViewer()->txtCont()->content(), u"kept\r\n"_s);
}

void FrmMainTest::savedPictureIsBmpUnderATextName() {
    startWindow();
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(qRgb(10, 200, 30));
    m_window->OpenCont(write(u"p.png"_s, Encoded(picture, "png")));
    AnswerChooser(m_dir->path(), u"notes.txt"_s);
    m_window->mnuitmSave->trigger();
    const QByteArray saved = FileBytes(m_dir->filePath(u"notes.txt"_s));
    QVERIFY(saved.startsWith("BM"));
    QImage back;
    QVERIFY(back.loadFromData(saved, "bmp"));
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32), picture);
}

void FrmMainTest::saveFailuresAreReported_data() {
    QTest::addColumn<bool>("pictureShown");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::newRow("no picture yet") << false << u"none.bmp"_s << platform::err::InvalidPicture;
    QTest::newRow("name of a folder made meanwhile")
        << true << u"sub"_s << platform::err::PathFileAccess;
}

void FrmMainTest::saveFailuresAreReported() {
    QFETCH(bool, pictureShown);
    QFETCH(QString, name);
    QFETCH(int, number);
    startWindow();
    if (pictureShown) {
        QImage picture(5, 5, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        m_window->OpenCont(write(u"p.png"_s, Encoded(picture, "png")));
    }
    platform::MessageBoxRecorder boxes;
    // The chooser opens a folder typed as the name: this one comes after the choice.
    AnswerChooser(m_dir->path(), name, nullptr, [this] { QDir(m_dir->path()).mkdir(u"sub"_s); });
    m_window->mnuitmSave->trigger();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QString::number(number));
    QCOMPARE(boxes.last().icon, QMessageBox::Warning);
    QVERIFY(m_window->isVisible());
    QVERIFY(!QFile::exists(m_dir->filePath(u"none.bmp"_s)));
}

void FrmMainTest::copyPutsSelectionOrPicture() {
    startWindow();
    QGuiApplication::clipboard()->setText(u"before"_s);
    m_window->OpenCont(write(u"a.txt"_s, "one\r\ntwo"));
    m_window->mnuitmCopy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), u"before"_s);
    m_window->mnuitmSelAll->trigger();
    m_window->mnuitmCopy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), u"one\r\ntwo\r\n"_s);

    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(qRgb(1, 2, 3));
    m_window->OpenCont(write(u"p.bmp"_s, Encoded(picture, "bmp")));
    m_window->mnuitmCopy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), picture);
}

void FrmMainTest::copyWithoutPictureIsReported() {
    startWindow();
    platform::MessageBoxRecorder boxes;
    m_window->mnuitmCopy->trigger();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QString::number(platform::err::InvalidPicture));
    QVERIFY(m_window->isVisible());
}

void FrmMainTest::keyCommandSetsOrKeepsThePassword() {
    m_window->setCommandLine(u"a.vrl /P from-command-line"_s);
    platform::MessageBoxRecorder boxes;
    startWindow();
    // Cancel keeps the password the command line gave.
    testsupport::whenModalShown([&](QWidget*) {
        m_window->keyDialog()->txtPassWd->setText(u"typed"_s);
        m_window->keyDialog()->cmdCancel->click();
    });
    m_window->mnuKey->trigger();
    QCOMPARE(m_window->KeyPassWd(), u"from-command-line"_s);
    testsupport::whenModalShown([&](QWidget*) {
        m_window->keyDialog()->txtPassWd->setText(u"新しい鍵"_s);
        m_window->keyDialog()->cmdOK->click();
    });
    m_window->mnuKey->trigger();
    QCOMPARE(m_window->KeyPassWd(), u"新しい鍵"_s);
    // An empty password is taken; the next put away asks for one.
    testsupport::whenModalShown([&](QWidget*) {
        m_window->keyDialog()->txtPassWd->clear();
        m_window->keyDialog()->cmdOK->click();
    });
    m_window->mnuKey->trigger();
    QVERIFY(m_window->KeyPassWd().isEmpty());
    boxes.clear();
    m_window->mnuitmLock->trigger();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().text, u"鍵のパスワードを入力してください。"_s);
}

void FrmMainTest::optionsCommandShowsTheLiveOptions() {
    startWindow();
    testsupport::whenModalShown([&](QWidget* modal) {
        QCOMPARE(modal, m_window->optionsDialog());
        m_window->optionsDialog()->optKeyType[1]->click();
        m_window->optionsDialog()->chkStartPass->setChecked(true);
        m_window->optionsDialog()->cmdOK->click();
    });
    m_window->mnuitmOption->trigger();
    QCOMPARE(m_window->optionsDialog()->KeyType(), 1);
    QCOMPARE(m_window->optionsDialog()->StartPass(), true);
}

void FrmMainTest::helpOpensTheGuideInTheWorkingDirectory() {
    startWindow();
    write(u"Readme.htm"_s, "<html></html>");
    OpenedUrls opened;
    platform::MessageBoxRecorder boxes;
    m_window->mnuitmHelp->trigger();
    m_window->Toolbar1_ButtonClick(10);
    QCOMPARE(boxes.count(), 0);
    const QUrl guide = QUrl::fromLocalFile(m_dir->filePath(u"Readme.htm"_s));
    QCOMPARE(opened.urls, (QList<QUrl>{guide, guide}));
}

void FrmMainTest::helpWithoutGuideSaysSo() {
    startWindow();
    OpenedUrls opened;
    platform::MessageBoxRecorder boxes;
    m_window->mnuitmHelp->trigger();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().text,
             u"ファイルが見つかりません。\r\nReadme.htmを直接ダブルクリックして開いてください。"_s);
    QCOMPARE(boxes.last().icon, QMessageBox::Warning);
    QCOMPARE(boxes.last().title, u"Winヴォレル97"_s);
    QVERIFY(opened.urls.isEmpty());
}

void FrmMainTest::versionShowsTheAboutBox() {
    startWindow();
    bool aboutShown = false;
    QWidget* owner = nullptr;
    testsupport::whenModalShown([&](QWidget* modal) {
        auto* about = qobject_cast<frmAbout*>(modal);
        aboutShown = about != nullptr;
        owner = modal->parentWidget();
        if (about)
            about->cmdOK->click();
    });
    m_window->mnuitmVersion->trigger();
    QVERIFY(aboutShown);
    QCOMPARE(owner, m_window.get());
}

void FrmMainTest::arithmeticHelpers() {
    QCOMPARE(frmMain::SuperMod(10, 5), 5);
    QCOMPARE(frmMain::SuperMod(11, 5), 1);
    QCOMPARE(frmMain::SuperYen(5, 5), 0);
    QCOMPARE(frmMain::SuperYen(6, 5), 1);
    QCOMPARE(frmMain::SuperCByte(-1), quint8(255));
    QCOMPARE(frmMain::SuperCByte(300), quint8(44));
    QCOMPARE(frmMain::MaxRow(1, 10, 5), 3);
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, (void)frmMain::SuperMod(1, 0));
}

QTEST_MAIN(FrmMainTest)
#include "tst_frmmain.moc"
