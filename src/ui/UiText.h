#pragma once

#include <QString>

// Every text the windows show, in one place: the main window, the dialogs and the viewer.
namespace ui {

// The main window.

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

// Captions of the file chooser for the locker commands.
inline const QString PutAwayCaption = QStringLiteral("しまうファイル名");
inline const QString TakeOutCaption = QStringLiteral("取り出すファイル名");
// Follows the locker file's path in the caption of the application chooser.
inline const QString ApplicationCaption = QStringLiteral("を開くアプリケーション");

// Messages of the commands.
inline const QString NoFileOpen = QStringLiteral("ファイルが何も開かれていません。");
inline const QString ReplaceQuestion =
    QStringLiteral("同じファイル名があります。置き換えていいですか？");
inline const QString StrangeKeyPassword = QStringLiteral("鍵のパスワードが変です。");
inline const QString EnterKeyPassword = QStringLiteral("鍵のパスワードを入力してください。");

// The file handed to an application, when it is to go or is left from an earlier run.
inline const QString HandOffChanged =
    QStringLiteral("取り出したファイルが変更されています。ロッカーファイルにしまい直しますか？");
inline const QString HandOffsStillUsed = QStringLiteral(
    "取り出したファイル %1 個がまだ使われています。終了すると削除されます。終了しますか？");
inline const QString HandOffStillOpen =
    QStringLiteral("%1 はまだ別のプログラムに開かれています。そのプログラムの下から削除しますか？");
inline const QString HandOffOfOtherCopy = QStringLiteral(
    "作業フォルダの %1 は、動いている別の Winヴォレル "
    "がアプリケーションに渡したファイルです。そちらで片付けてから取り出してください。");
// The key dialog's title while it asks the key for a new locker file beside `%1` (a name).
inline const QString LeftoverKeyCaption = QStringLiteral("%1 の鍵");
// The ヴォレル menu's command that ends every hand-off, and the line that lists them.
inline const QString EndHandOffsItem = QStringLiteral("渡したファイルを片付ける(&E)");
inline const QString HandOffsOut = QStringLiteral("アプリケーションに渡したファイル: %1");
inline const QString HandOffSaved = QStringLiteral("%1（保存あり）");
inline const QString HandOffNotCreated =
    QStringLiteral("作業フォルダ %1 に取り出したファイル %2 を作れません。");
inline const QString WorkingFolderGone =
    QStringLiteral("作業フォルダがなくなっているため、取り出したファイル %1 を作れません。");
inline const QString PutAwayIntoNewLocker = QStringLiteral(
    "変更されていた取り出したファイルを、新しいロッカーファイル %1 にしまいました。");

// The help document, in the working directory, and the two lines shown when it is missing.
inline const QString HelpDocument = QStringLiteral("Readme.htm");
inline const QString HelpNotFound = QStringLiteral("ファイルが見つかりません。");
inline const QString HelpOpenByHand =
    QStringLiteral("Readme.htmを直接ダブルクリックして開いてください。");

// The dialogs.

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

// The viewer.

// Reported when a picture is to be saved or copied while the viewer holds none.
inline const QString NoPictureShown = QStringLiteral("表示している画像がありません。");

} // namespace ui
