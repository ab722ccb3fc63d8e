#include "app/frmMain.h"

#include "app/StartupCommandLine.h"
#include "app/StoredSettings.h"
#include "app/VisiblePlacement.h"
#include "ui/UiText.h"

#include "dialogs/frmFile.h"
#include "dialogs/frmKey.h"
#include "dialogs/frmOptions.h"
#include "platform/RuntimeError.h"
#include "viewer/TextLines.h"
#include "viewer/Twips.h"
#include "viewer/Viewer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>

#include <algorithm>

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent), m_clientArea(new QWidget(this)),
      m_commandLine(QCoreApplication::arguments().mid(1).join(u' ')) {
    setWindowTitle(ui::WindowTitle);
    setAcceptDrops(true);
    m_clientArea->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(m_clientArea);
    buildMenus();
    buildPopupMenu();
    buildToolbar();
    connectCommands();
    m_viewer = new viewer::Viewer(m_clientArea, Toolbar1);
    connect(m_viewer, &viewer::Viewer::isTextChanged, mnuitmSelAll, &QAction::setEnabled);
    m_clientArea->installEventFilter(this);
}

void frmMain::Form_Load() {
    setIsText(false);
    restorePlacement();
    // The dialogs place themselves relative to the window, so they come after the placement.
    m_frmKey = new frmKey(this);
    m_frmFile = new frmFile(this);
    m_frmOptions = new frmOptions(this);
    restoreOptions();
    Form_Resize();
    show();
    recoverHandOffs();
    EntStartPass();
}

void frmMain::EntStartPass() {
    if (m_frmOptions->StartPass()) {
        m_frmKey->exec();
        if (m_frmKey->Cancel())
            return;
        m_keyPassWd = m_frmKey->PassWd();
        if (!CheckPassWd())
            return;
    }
    if (m_commandLine.isEmpty())
        return;
    const StartupCommandLine given = parseStartupCommandLine(m_commandLine);
    if (given.takeOut) {
        // Started by the desktop for a locker file: the pop-up's take out (mode 1), which asks
        // for a key password when none is set. Started from the menu, there is no file.
        if (!given.fileName.isEmpty())
            FileAction(1, given.fileName);
        return;
    }
    if (given.password)
        m_keyPassWd = *given.password;
    if (!m_keyPassWd.isEmpty())
        TakeFile(given.fileName, m_keyPassWd);
    else
        OpenCont(given.fileName);
}

bool frmMain::chooseFile(const QString& caption, bool isTake, bool openApp) {
    m_frmFile->setWindowTitle(caption);
    m_frmFile->setIsTake(isTake);
    m_frmFile->setOpenApp(openApp);
    m_frmFile->exec();
    return !m_frmFile->Cancel();
}

QString frmMain::chosenFile() const {
    return m_frmFile->Path() + QDir::separator() + m_frmFile->FileName();
}

namespace {

// The smallest window worth opening: every menu and toolbar button shows, with a strip of the
// viewer as high as the toolbar below them.
QSize usableSize(const QWidget* menuBar, const QWidget* toolbar) {
    const QSize menus = menuBar->sizeHint();
    const QSize buttons = toolbar->sizeHint();
    return {std::max(menus.width(), buttons.width()), menus.height() + 2 * buttons.height()};
}

} // namespace

// The stored placement, made visible on the screens there are now.
void frmMain::restorePlacement() {
    const settings::Placement placement = settings::readPlacement();
    const settings::Placement firstStart;
    const QScreen* display = screen();
    const double dpiX = display->logicalDotsPerInchX();
    const double dpiY = display->logicalDotsPerInchY();
    const QRect stored(viewer::twipsToPixels(placement.left, dpiX),
                       viewer::twipsToPixels(placement.top, dpiY),
                       viewer::twipsToPixels(placement.width, dpiX),
                       viewer::twipsToPixels(placement.height, dpiY));
    placeVisibly(
        this, stored,
        {usableSize(menuBar(), Toolbar1), QSize(viewer::twipsToPixels(firstStart.width, dpiX),
                                                viewer::twipsToPixels(firstStart.height, dpiY))});
}

// A stored value the dialogs refuse (out of range, a folder that is gone) gives way to the
// default, so that the program always starts.
void frmMain::restoreOptions() {
    try {
        m_frmOptions->setKeyType(settings::readKeyType());
    } catch (const platform::RuntimeError&) {
        m_frmOptions->setKeyType(settings::DefaultKeyType);
    }
    m_frmOptions->setStartPass(settings::readStartPass());
    try {
        m_frmOptions->setAppMode(settings::readAppMode());
    } catch (const platform::RuntimeError&) {
        m_frmOptions->setAppMode(settings::DefaultAppMode);
    }
    try {
        m_frmFile->setPath(settings::readFilePath());
    } catch (const platform::RuntimeError&) {
        try {
            m_frmFile->setPath(settings::defaultFilePath());
        } catch (const platform::RuntimeError&) {
            // The chooser stays at its own start folder.
        }
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!letHandOffsGo()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

// Saves the settings: the placement only in the normal window state, then the options and
// the chooser's folder.
void frmMain::Form_Unload() {
    if (!isMinimized() && !isMaximized() && !isFullScreen()) {
        const QScreen* display = screen();
        const double dpiX = display->logicalDotsPerInchX();
        const double dpiY = display->logicalDotsPerInchY();
        settings::writePlacement(
            {viewer::pixelsToTwips(y(), dpiY), viewer::pixelsToTwips(x(), dpiX),
             viewer::pixelsToTwips(height(), dpiY), viewer::pixelsToTwips(width(), dpiX)});
    }
    if (m_frmOptions) {
        settings::writeKeyType(m_frmOptions->KeyType());
        settings::writeAppMode(m_frmOptions->AppMode());
        settings::writeStartPass(m_frmOptions->StartPass());
    }
    if (m_frmFile)
        settings::writeFilePath(m_frmFile->Path());
    Q_EMIT unloaded();
}

void frmMain::mnuitmQuit_Click() {
    close();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_clientArea && event->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

// The toolbar lies across the top of the client area; the viewer fills the rest.
void frmMain::Form_Resize() {
    Toolbar1->setGeometry(0, 0, m_clientArea->width(), Toolbar1->sizeHint().height());
    m_viewer->Form_Resize();
}

void frmMain::SetScrollbars() {
    m_viewer->SetScrollbars();
}

void frmMain::OpenCont(const QString& strFileName) {
    m_viewer->OpenCont(strFileName);
}

bool frmMain::IsText() const {
    return m_viewer->IsText();
}

void frmMain::setIsText(bool vNewValue) {
    m_viewer->setIsText(vNewValue);
}

QString frmMain::NL() {
    return viewer::NL();
}
