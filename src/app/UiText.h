#pragma once

#include <QString>

// Every text the main window shows, in one place.
namespace ui {

inline const QString WindowTitle = QStringLiteral("Winヴォレル");

// Menu bar.
inline const QString FileMenu = QStringLiteral("ファイル(&F)");
inline const QString OpenItem = QStringLiteral("開く(&O)");
inline const QString SaveItem = QStringLiteral("保存(&S)");
inline const QString QuitItem = QStringLiteral("終了(&X)");
inline const QString EditMenu = QStringLiteral("編集(&E)");
inline const QString CopyItem = QStringLiteral("コピー(&C)");
inline const QString SelectAllItem = QStringLiteral("全て選択(&A)");
inline const QString DrowerMenu = QStringLiteral("ヴォレル(&D)");
inline const QString UnlockItem = QStringLiteral("取り出す(&U)");
inline const QString LockItem = QStringLiteral("しまう(&L)");
inline const QString KeyItem = QStringLiteral("鍵の設定(&K)");
inline const QString OptionItem = QStringLiteral("オプション(&O)");
inline const QString HelpMenu = QStringLiteral("ヘルプ(&H)");
inline const QString HelpItem = QStringLiteral("ヘルプ(&H)");
inline const QString VersionItem = QStringLiteral("バージョン情報(&V)");

// The pop-up menu after a drop with the right button.
inline const QString PopupMenu = QStringLiteral("dummy");
inline const QString PopupOpen = QStringLiteral("開く");
inline const QString PopupUnlock = QStringLiteral("取り出す");
inline const QString PopupCancel = QStringLiteral("キャンセル");

// Tool tips of the toolbar buttons.
inline const QString OpenTip = QStringLiteral("開く");
inline const QString SaveTip = QStringLiteral("保存");
inline const QString UnlockTip = QStringLiteral("ヴォレルから取り出す");
inline const QString LockTip = QStringLiteral("ヴォレルにしまう");
inline const QString KeyTip = QStringLiteral("鍵の設定");
inline const QString OptionTip = QStringLiteral("オプション");
inline const QString HelpTip = QStringLiteral("ヘルプ");

// Captions of the file chooser for the viewer's commands.
inline const QString OpenFileCaption = QStringLiteral("開くファイル名");
inline const QString SaveFileCaption = QStringLiteral("保存ファイル名");

} // namespace ui
