// The main window's menu bar, pop-up menu and toolbar.
#include "app/ToolbarIcons.h"
#include "app/frmMain.h"
#include "ui/UiText.h"

#include <QMenuBar>
#include <QToolBar>

using icons::ToolbarImage;

namespace {

QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                 const QKeySequence& shortcut = {}) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setShortcut(shortcut);
    return item;
}

QAction* addSeparator(QMenu* menu, const QString& name) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(name);
    return separator;
}

QMenu* addMenu(QMenuBar* bar, const QString& name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(name);
    return menu;
}

// The toolbar shows the image and tool tip of a menu item's action; menus show no images.
void setButton(QAction* item, ToolbarImage image, const QString& toolTip) {
    item->setIcon(icons::toolbarIcon(image));
    item->setIconVisibleInMenu(false);
    item->setToolTip(toolTip);
}

} // namespace

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    mnuFile = addMenu(bar, QStringLiteral("mnuFile"), ui::FileMenu);
    mnuitmOpen = addItem(mnuFile, QStringLiteral("mnuitmOpen"), ui::OpenItem,
                         QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuitmSave = addItem(mnuFile, QStringLiteral("mnuitmSave"), ui::SaveItem);
    dummy1 = addSeparator(mnuFile, QStringLiteral("dummy1"));
    mnuitmQuit = addItem(mnuFile, QStringLiteral("mnuitmQuit"), ui::QuitItem);

    mnuEdit = addMenu(bar, QStringLiteral("mnuEdit"), ui::EditMenu);
    mnuitmCopy = addItem(mnuEdit, QStringLiteral("mnuitmCopy"), ui::CopyItem,
                         QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuitmSelAll = addItem(mnuEdit, QStringLiteral("mnuitmSelAll"), ui::SelectAllItem);

    mnuDrower = addMenu(bar, QStringLiteral("mnuDrower"), ui::DrowerMenu);
    mnuitmUnlock = addItem(mnuDrower, QStringLiteral("mnuitmUnlock"), ui::UnlockItem,
                           QKeySequence(Qt::CTRL | Qt::Key_U));
    mnuitmLock = addItem(mnuDrower, QStringLiteral("mnuitmLock"), ui::LockItem,
                         QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuitmEndHandOffs =
        addItem(mnuDrower, QStringLiteral("mnuitmEndHandOffs"), ui::EndHandOffsItem);
    mnuitmEndHandOffs->setEnabled(false);
    dummy2 = addSeparator(mnuDrower, QStringLiteral("dummy2"));
    mnuKey = addItem(mnuDrower, QStringLiteral("mnuKey"), ui::KeyItem,
                     QKeySequence(Qt::CTRL | Qt::Key_K));
    dummy3 = addSeparator(mnuDrower, QStringLiteral("dummy3"));
    mnuitmOption = addItem(mnuDrower, QStringLiteral("mnuitmOption"), ui::OptionItem);

    mnuHelp = addMenu(bar, QStringLiteral("mnuHelp"), ui::HelpMenu);
    mnuitmHelp =
        addItem(mnuHelp, QStringLiteral("mnuitmHelp"), ui::HelpItem, QKeySequence(Qt::Key_F1));
    dummy = addSeparator(mnuHelp, QStringLiteral("dummy"));
    mnuitmVersion = addItem(mnuHelp, QStringLiteral("mnuitmVersion"), ui::VersionItem);
}

// Menu items and the toolbar buttons that share their actions run the commands; the pop-up
// menu's items run theirs once the menu has closed.
void frmMain::connectCommands() {
    connect(mnuitmOpen, &QAction::triggered, this, &frmMain::mnuitmOpen_Click);
    connect(mnuitmSave, &QAction::triggered, this, &frmMain::mnuitmSave_Click);
    connect(mnuitmQuit, &QAction::triggered, this, &frmMain::mnuitmQuit_Click);
    connect(mnuitmCopy, &QAction::triggered, this, &frmMain::mnuitmCopy_Click);
    connect(mnuitmSelAll, &QAction::triggered, this, &frmMain::mnuitmSelAll_Click);
    connect(mnuitmUnlock, &QAction::triggered, this, &frmMain::mnuitmUnlock_Click);
    connect(mnuitmLock, &QAction::triggered, this, &frmMain::mnuitmLock_Click);
    connect(mnuKey, &QAction::triggered, this, &frmMain::mnuKey_Click);
    connect(mnuitmEndHandOffs, &QAction::triggered, this, &frmMain::mnuitmEndHandOffs_Click);
    connect(mnuitmOption, &QAction::triggered, this, &frmMain::mnuitmOption_Click);
    connect(mnuitmHelp, &QAction::triggered, this, &frmMain::mnuitmHelp_Click);
    connect(mnuitmVersion, &QAction::triggered, this, &frmMain::mnuitmVersion_Click);
    connect(mnupopOpen, &QAction::triggered, this, &frmMain::mnupopOpen_Click,
            Qt::QueuedConnection);
    connect(mnupopUnlock, &QAction::triggered, this, &frmMain::mnupopUnlock_Click,
            Qt::QueuedConnection);
}

void frmMain::buildPopupMenu() {
    mnuPopupRoute = new QMenu(ui::PopupMenu, this);
    mnuPopupRoute->setObjectName(QStringLiteral("mnuPopupRoute"));
    mnupopOpen = addItem(mnuPopupRoute, QStringLiteral("mnupopOpen"), ui::PopupOpen);
    mnupopOpen->setVisible(false);
    mnupopUnlock = addItem(mnuPopupRoute, QStringLiteral("mnupopUnlock"), ui::PopupUnlock);
    mnupopSep1 = addSeparator(mnuPopupRoute, QStringLiteral("mnupopSep1"));
    mnupopCancel = addItem(mnuPopupRoute, QStringLiteral("mnupopCancel"), ui::PopupCancel);
}

// Ten buttons by index: 1, 4 and 8 are separators; the others run the menu items' commands.
void frmMain::buildToolbar() {
    Toolbar1 = new QToolBar(m_clientArea);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);

    setButton(mnuitmOpen, ToolbarImage::Open, ui::OpenTip);
    setButton(mnuitmSave, ToolbarImage::Save, ui::SaveTip);
    setButton(mnuitmUnlock, ToolbarImage::Unlock, ui::UnlockTip);
    setButton(mnuitmLock, ToolbarImage::Lock, ui::LockTip);
    setButton(mnuKey, ToolbarImage::Key, ui::KeyTip);
    setButton(mnuitmOption, ToolbarImage::Option, ui::OptionTip);
    setButton(mnuitmHelp, ToolbarImage::Help, ui::HelpTip);

    Toolbar1->addSeparator();
    Toolbar1->addAction(mnuitmOpen);
    Toolbar1->addAction(mnuitmSave);
    Toolbar1->addSeparator();
    Toolbar1->addAction(mnuitmUnlock);
    Toolbar1->addAction(mnuitmLock);
    Toolbar1->addAction(mnuKey);
    Toolbar1->addSeparator();
    Toolbar1->addAction(mnuitmOption);
    Toolbar1->addAction(mnuitmHelp);
    // Screen readers name each button as its tool tip does.
    for (QAction* button : Toolbar1->actions()) {
        if (!button->isSeparator())
            Toolbar1->widgetForAction(button)->setAccessibleName(button->toolTip());
    }
}
