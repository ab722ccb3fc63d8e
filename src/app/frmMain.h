#pragma once

#include <QMainWindow>
#include <QString>

class frmFile;
class frmKey;
class frmOptions;
class QMenu;
class QToolBar;

namespace viewer {
class Viewer;
}

// The main window: menu bar, toolbar, pop-up menu and the built-in viewer. Form_Load runs
// the start-up; closing the window (or Quit) saves the settings and sends Unloaded.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);

    // Start-up: viewer to pictures, placement and options from the settings store, the
    // three long-lived dialogs, layout, show, then the start-up prompt and command line.
    void Form_Load();
    // Start-up key prompt and command line.
    void EntStartPass();

    // The current key password; never stored.
    [[nodiscard]] QString KeyPassWd() const { return m_keyPassWd; }
    void setKeyPassWd(const QString& value) { m_keyPassWd = value; }

    // The viewer's operations.
    void OpenCont(const QString& strFileName);
    [[nodiscard]] bool IsText() const;
    void setIsText(bool vNewValue);
    [[nodiscard]] static QString NL();
    void Form_Resize();
    void SetScrollbars();

    // The long-lived dialogs, created by Form_Load.
    [[nodiscard]] frmKey* KeyDialog() const { return m_frmKey; }
    [[nodiscard]] frmFile* FileDialog() const { return m_frmFile; }
    [[nodiscard]] frmOptions* OptionsDialog() const { return m_frmOptions; }
    [[nodiscard]] viewer::Viewer* ContentViewer() const { return m_viewer; }

    // Commands of the viewer.
    void mnuitmOpen_Click();
    void mnuitmSave_Click();
    void mnuitmCopy_Click();
    void mnuitmSelAll_Click();
    void mnuitmQuit_Click();

    // Menu bar.
    QMenu* mnuFile = nullptr;
    QAction* mnuitmOpen = nullptr;
    QAction* mnuitmSave = nullptr;
    QAction* dummy1 = nullptr;
    QAction* mnuitmQuit = nullptr;
    QMenu* mnuEdit = nullptr;
    QAction* mnuitmCopy = nullptr;
    QAction* mnuitmSelAll = nullptr;
    QMenu* mnuDrower = nullptr;
    QAction* mnuitmUnlock = nullptr;
    QAction* mnuitmLock = nullptr;
    QAction* dummy2 = nullptr;
    QAction* mnuKey = nullptr;
    QAction* dummy3 = nullptr;
    QAction* mnuitmOption = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuitmHelp = nullptr;
    QAction* dummy = nullptr;
    QAction* mnuitmVersion = nullptr;

    // The pop-up menu after a drop with the right button; never in the menu bar.
    QMenu* mnuPopupRoute = nullptr;
    QAction* mnupopOpen = nullptr;
    QAction* mnupopUnlock = nullptr;
    QAction* mnupopSep1 = nullptr;
    QAction* mnupopCancel = nullptr;

    QToolBar* Toolbar1 = nullptr;

Q_SIGNALS:
    // The settings are saved and the program is to end.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildPopupMenu();
    void buildToolbar();
    void restorePlacement();
    void restoreOptions();
    void Form_Unload();
    // Shows the file chooser for the viewer's commands; true when a file was chosen.
    bool chooseFile(const QString& caption);
    [[nodiscard]] QString chosenFile() const;

    QWidget* m_clientArea;
    viewer::Viewer* m_viewer = nullptr;
    frmKey* m_frmKey = nullptr;
    frmFile* m_frmFile = nullptr;
    frmOptions* m_frmOptions = nullptr;
    QString m_keyPassWd;
};
