#pragma once

#include "app/TakenOutFile.h"
#include "locker/Locker.h"

#include <QMainWindow>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

class frmFile;
class frmKey;
class frmOptions;
class QLabel;
class QMenu;
class QToolBar;

namespace viewer {
class Viewer;
}

// The main window: menu bar, toolbar, pop-up menu and the built-in viewer. Form_Load runs
// the start-up; closing the window (or Quit) saves the settings and sends unloaded.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);

    // Start-up: viewer to pictures, placement and options from the settings store, the
    // three long-lived dialogs, layout, show, then the start-up prompt and command line.
    void Form_Load();
    // Start-up key prompt and command line.
    void EntStartPass();
    // The command line EntStartPass reads: the program's arguments joined with blanks.
    [[nodiscard]] QString commandLine() const { return m_commandLine; }
    void setCommandLine(const QString& value) { m_commandLine = value; }

    // The current key password; never stored.
    [[nodiscard]] QString KeyPassWd() const { return m_keyPassWd; }
    void setKeyPassWd(const QString& value) { m_keyPassWd = value; }

    // Put away and take out. Each reports its own failures and returns nothing. While the
    // own methods run, the hourglass and the progress window show. Take out shows the file
    // in the viewer from memory, or writes it to "$temp.dat" in the working directory and
    // starts the application (the one recorded in the locker file with AppMode 1, else
    // strAppName) with it; "$temp.dat" goes once no program uses it any more, after asking
    // whether to put a changed file back, or at once when anything fails. A file still used
    // from an earlier take out stays, and the new one gets the next name ("$temp2.dat", ...).
    void EncFile(const QString& sbjFileName, const QString& objFileName, const QString& strPassWd,
                 const std::optional<QString>& strAppName = {});
    void TakeFile(const QString& objFileName, const QString& strPassWd,
                  std::optional<QString> strAppName = {});
    // True when a key password is set; otherwise asks for one and returns false.
    [[nodiscard]] bool CheckPassWd();

    // The arithmetic of the own ciphers.
    [[nodiscard]] static qint32 SuperMod(qint32 ObjExpr, qint32 SbjExpr);
    [[nodiscard]] static qint32 SuperYen(qint32 ObjExpr, qint32 SbjExpr);
    [[nodiscard]] static quint8 SuperCByte(int Expr);
    [[nodiscard]] static qint32 MaxRow(qint32 intCol, qint32 intFileLen, quint8 bytLen);

    // Commands of the locker files.
    void mnuitmLock_Click();
    // Ends every file handed to an application now: a changed one is offered for put back,
    // one that another program still has open only when the user agrees.
    void mnuitmEndHandOffs_Click();
    void mnuitmUnlock_Click();
    // Mode 0 shows the file in the viewer, 1 takes it out (asking for a key password when
    // none is set); any other mode does nothing.
    void FileAction(quint8 Mode, const QString& strFileName);
    // A drop of files: the first becomes the current file; the right button offers the
    // pop-up menu at `position` (global), Shift alone takes it out, anything else shows it.
    // Drops are refused while a put away or take out runs.
    void Form_OLEDragDrop(const QList<QUrl>& Data, Qt::MouseButtons Button,
                          Qt::KeyboardModifiers Shift, const QPoint& position);
    void mnupopOpen_Click();
    void mnupopUnlock_Click();
    // Runs the command of the toolbar button with the 1-based index; separators do nothing.
    void Toolbar1_ButtonClick(int Index);

    // Key, options, help and version.
    void mnuKey_Click();
    void mnuitmOption_Click();
    void mnuitmHelp_Click();
    void mnuitmVersion_Click();

    // The viewer's operations.
    void OpenCont(const QString& strFileName);
    [[nodiscard]] bool IsText() const;
    void setIsText(bool vNewValue);
    [[nodiscard]] static QString NL();
    void Form_Resize();
    void SetScrollbars();

    // The long-lived dialogs, created by Form_Load.
    [[nodiscard]] frmKey* keyDialog() const { return m_frmKey; }
    [[nodiscard]] frmFile* fileDialog() const { return m_frmFile; }
    [[nodiscard]] frmOptions* optionsDialog() const { return m_frmOptions; }
    [[nodiscard]] viewer::Viewer* contentViewer() const { return m_viewer; }

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
    QAction* mnuitmEndHandOffs = nullptr; // enabled while a file is handed to an application
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
    // The files handed to applications (and which were saved), in the status bar while there
    // are any.
    QLabel* lblHandOffs = nullptr;

Q_SIGNALS:
    // The settings are saved and the program is to end.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void connectCommands();
    void buildPopupMenu();
    void buildToolbar();
    void restorePlacement();
    void restoreOptions();
    void Form_Unload();
    // Shows the file chooser, in take mode or for programs as asked; true when a file was
    // chosen.
    bool chooseFile(const QString& caption, bool isTake = false, bool openApp = false);
    // The same for a locker file; outside take mode the application check is cleared.
    bool chooseLockerFile(const QString& caption, bool isTake);
    [[nodiscard]] QString chosenFile() const;
    // Whether the put away may write `target`, asking when it exists or is the source.
    [[nodiscard]] bool replaceAgreed(const QString& source, const QString& target);
    // Makes way for a new hand-off in the working directory: leftovers of ended copies there
    // are dealt with and the own hand-offs there that nobody uses any more are finished.
    // Raises the runtime error when another running copy holds "$temp.dat".
    [[nodiscard]] std::unique_ptr<TakenOutFile> newHandOff();
    // Hands the written file to the application; it lives on in m_handOffs.
    void startApplication(std::unique_ptr<TakenOutFile> handOff, const QString& application,
                          const QString& objFileName, const QString& strPassWd,
                          locker::KeyType keyType, const std::optional<QString>& appHeader);
    // Asks whether to put a changed file back into its locker file, then deletes it; a file
    // whose put back failed is kept for the next start. False when the user kept it in use.
    bool finishHandOff(TakenOutFile* handOff, bool askWhenHeld = false);
    void dropHandOff(TakenOutFile* handOff);
    void showHandOffs();
    // Puts `file` away into `target` under the operation's error handler; true on success.
    bool putBack(const HandOffRecord& file, const QString& password, const QString& target);
    // Quitting: asks when an application may still use a handed-over file; true when the user
    // agrees, every file then finished.
    bool letHandOffsGo();
    // Names the locker files written at a forced end, and deals with the files ended copies
    // of the program left behind: all of them, or those in `folder`.
    void recoverHandOffs();
    void recoverLeftovers(const QString& folder = {});
    void recoverHandOff(const HandOffRecord& leftover);

    QWidget* m_clientArea;
    viewer::Viewer* m_viewer = nullptr;
    frmKey* m_frmKey = nullptr;
    frmFile* m_frmFile = nullptr;
    frmOptions* m_frmOptions = nullptr;
    QString m_keyPassWd;
    QString m_commandLine;
    // The files handed to applications, while they live.
    std::vector<std::unique_ptr<TakenOutFile>> m_handOffs;
    // Set while a question about them is open, so that none is finished meanwhile.
    bool m_askingAboutHandOff = false;
    // Set while a put away or take out runs: the event loop goes on without user input, and
    // a drop queued before must not start a second operation.
    bool m_operating = false;
    // The buttons held while the drag moved over the window: a drop from another program
    // may carry none.
    Qt::MouseButtons m_dragButtons;
};
