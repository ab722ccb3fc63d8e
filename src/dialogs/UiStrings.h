#pragma once

#include <QString>

// Every text the dialogs show, in one place.
namespace ui {

// Key password dialog.
inline const QString KeyCaption = QStringLiteral("鍵の設定");
inline const QString KeyLabel = QStringLiteral("鍵(&P):");
inline const QString KeyTooLong = QStringLiteral("鍵は20字以内にして下さい。");

// Buttons shared by the dialogs.
inline const QString OK = QStringLiteral("OK");
inline const QString Cancel = QStringLiteral("キャンセル");

// File chooser.
inline const QString FileNameLabel = QStringLiteral("ファイル名(&N):");
inline const QString FileListLabel = QStringLiteral("ファイル(&F):");
inline const QString FolderListLabel = QStringLiteral("フォルダ(&L):");
inline const QString DriveListLabel = QStringLiteral("ドライブ(&D):");
inline const QString UseApp = QStringLiteral("アプリケーションに関連付けて取り出す(&A)");
inline const QString TypeDefault = QStringLiteral("規定のファイル（テキスト・画像）");
inline const QString TypeDefaultPattern =
    QStringLiteral("*.txt;*.bmp;*.gif;*.tiff;*.jpg;*.jpeg;*.vrl;*.png;*.webp;*.tif");
inline const QString TypeProgram = QStringLiteral("プログラムファイル");
inline const QString TypeProgramPattern = QStringLiteral("*.exe");
inline const QString TypeAll = QStringLiteral("全てのファイル");
inline const QString TypeAllPattern = QStringLiteral("*.*");
inline const QString EnterFileName = QStringLiteral("ファイル名を入力してください。");
inline const QString DriveNotReady = QStringLiteral("ドライブの準備ができていません。");

// Options dialog.
inline const QString OptionsCaption = QStringLiteral("パラメータ設定");
inline const QString KeyTypeFrame = QStringLiteral("施錠方法");
inline const QString KeyTypeHint =
    QStringLiteral("ヴォレルの施錠方法を設定。それぞれに互換性はありません。");
inline const QString KeyTypeSimple = QStringLiteral("簡易暗号式（Ver0.5互換)(&E)");
inline const QString KeyTypeCylinder = QStringLiteral("仮想シリンダ式(&C)");
inline const QString KeyTypeCross = QStringLiteral("クロスパスワード方式(&X)");
inline const QString StartPass = QStringLiteral("起動時にヴォレルから取り出す(&S)");
inline const QString StartPassHint =
    QStringLiteral("Winヴォレルをヴォレル内ファイルに関連付けて起動する。");
inline const QString AppFrame = QStringLiteral("外部アプリケーション");
inline const QString AppHint =
    QStringLiteral("ヴォレルから取り出すときに使用する外部ビューアの設定。");
inline const QString AppViewer = QStringLiteral("全て内蔵ビューア(&N)");
inline const QString AppAtPut = QStringLiteral("しまうときに指定(&L)");
inline const QString AppAtTake = QStringLiteral("取り出すときに指定(&U)");
inline const QString NoSuchKeyType = QStringLiteral("施錠方法の番号は 0 から 2 です。");
inline const QString NoSuchAppMode = QStringLiteral("外部アプリケーションの番号は 0 から 2 です。");

// Progress window.
inline const QString ProgressCaption = QStringLiteral("しばらくお待ちください");

} // namespace ui
