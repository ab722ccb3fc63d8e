// The main window's menu bar, pop-up menu and toolbar.
#include "app/ToolbarIcons.h"
#include "app/UiText.h"
#include "app/frmMain.h"

#include <QMenuBar>
#include <QToolBar>

using icons::ToolbarImage;

namespace {

QAction* AddItem(QMenu* menu, const QString& name, const QString& caption,
                 const QKeySequence& shortcut = {}) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setShortcut(shortcut);
    return item;
}

QAction* AddSeparator(QMenu* menu, const QString& name) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(name);
    return separator;
}

QMenu* AddMenu(QMenuBar* bar, const QString& name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(name);
    return menu;
}

// The toolbar shows the image and tool tip of a menu item's action; menus show no images.
void SetButton(QAction* item, ToolbarImage image, const QString& toolTip) {
    item->setIcon(icons::ToolbarIcon(image));
    item->setIconVisibleInMenu(false);
    item->setToolTip(toolTip);
}

} // namespace

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    mnuFile = AddMenu(bar, QStringLiteral("mnuFile"), ui::FileMenu);
    mnuitmOpen = AddItem(mnuFile, QStringLiteral("mnuitmOpen"), ui::OpenItem,
                         QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuitmSave = AddItem(mnuFile, QStringLiteral("mnuitmSave"), ui::SaveItem);
    dummy1 = AddSeparator(mnuFile, QStringLiteral("dummy1"));
    mnuitmQuit = AddItem(mnuFile, QStringLiteral("mnuitmQuit"), ui::QuitItem);

    mnuEdit = AddMenu(bar, QStringLiteral("mnuEdit"), ui::EditMenu);
    mnuitmCopy = AddItem(mnuEdit, QStringLiteral("mnuitmCopy"), ui::CopyItem,
                         QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuitmSelAll = AddItem(mnuEdit, QStringLiteral("mnuitmSelAll"), ui::SelectAllItem);

    mnuDrower = AddMenu(bar, QStringLiteral("mnuDrower"), ui::DrowerMenu);
    mnuitmUnlock = AddItem(mnuDrower, QStringLiteral("mnuitmUnlock"), ui::UnlockItem,
                           QKeySequence(Qt::CTRL | Qt::Key_U));
    mnuitmLock = AddItem(mnuDrower, QStringLiteral("mnuitmLock"), ui::LockItem,
                         QKeySequence(Qt::CTRL | Qt::Key_L));
    dummy2 = AddSeparator(mnuDrower, QStringLiteral("dummy2"));
    mnuKey = AddItem(mnuDrower, QStringLiteral("mnuKey"), ui::KeyItem,
                     QKeySequence(Qt::CTRL | Qt::Key_K));
    dummy3 = AddSeparator(mnuDrower, QStringLiteral("dummy3"));
    mnuitmOption = AddItem(mnuDrower, QStringLiteral("mnuitmOption"), ui::OptionItem);

    mnuHelp = AddMenu(bar, QStringLiteral("mnuHelp"), ui::HelpMenu);
    mnuitmHelp =
        AddItem(mnuHelp, QStringLiteral("mnuitmHelp"), ui::HelpItem, QKeySequence(Qt::Key_F1));
    dummy = AddSeparator(mnuHelp, QStringLiteral("dummy"));
    mnuitmVersion = AddItem(mnuHelp, QStringLiteral("mnuitmVersion"), ui::VersionItem);
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
    mnupopOpen = AddItem(mnuPopupRoute, QStringLiteral("mnupopOpen"), ui::PopupOpen);
    mnupopOpen->setVisible(false);
    mnupopUnlock = AddItem(mnuPopupRoute, QStringLiteral("mnupopUnlock"), ui::PopupUnlock);
    mnupopSep1 = AddSeparator(mnuPopupRoute, QStringLiteral("mnupopSep1"));
    mnupopCancel = AddItem(mnuPopupRoute, QStringLiteral("mnupopCancel"), ui::PopupCancel);
}

// Ten buttons by index: 1, 4 and 8 are separators; the others run the menu items' commands.
void frmMain::buildToolbar() {
    Toolbar1 = new QToolBar(m_clientArea);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);

    SetButton(mnuitmOpen, ToolbarImage::Open, ui::OpenTip);
    SetButton(mnuitmSave, ToolbarImage::Save, ui::SaveTip);
    SetButton(mnuitmUnlock, ToolbarImage::Unlock, ui::UnlockTip);
    SetButton(mnuitmLock, ToolbarImage::Lock, ui::LockTip);
    SetButton(mnuKey, ToolbarImage::Key, ui::KeyTip);
    SetButton(mnuitmOption, ToolbarImage::Option, ui::OptionTip);
    SetButton(mnuitmHelp, ToolbarImage::Help, ui::HelpTip);

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
}
