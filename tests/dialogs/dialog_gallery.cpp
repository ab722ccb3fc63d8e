// Shows one dialog as a person sees it, for screenshots:
//   dialog_gallery key|file|options|progress|message [POINT_SIZE]
#include "dialogs/frmFile.h"
#include "dialogs/frmKey.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmProgress.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include <memory>

namespace {

std::unique_ptr<QDialog> makeDialog(const QString& name) {
    if (name == u"key") {
        auto key = std::make_unique<frmKey>();
        key->setPassWd(QStringLiteral("secret"));
        return key;
    }
    if (name == u"file") {
        auto file = std::make_unique<frmFile>();
        file->setWindowTitle(QStringLiteral("取り出すファイル名"));
        file->setIsTake(true);
        file->setOpenApp(false);
        file->setPath(QDir::currentPath());
        file->setFileName(QStringLiteral("letter.vrl"));
        return file;
    }
    if (name == u"options") {
        auto options = std::make_unique<frmOptions>();
        options->setKeyType(2);
        options->setStartPass(true);
        options->setAppMode(0);
        return options;
    }
    if (name == u"progress") {
        auto progress = std::make_unique<frmProgress>();
        progress->setPercent(42);
        return progress;
    }
    return nullptr;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() > 2) {
        QFont font = QApplication::font();
        font.setPointSizeF(args.at(2).toDouble());
        QApplication::setFont(font);
    }
    if (args.value(1) == u"message") {
        platform::showMessage(QStringLiteral("ドライブの準備ができていません。"),
                              QMessageBox::Critical);
        return 0;
    }
    std::unique_ptr<QDialog> dialog = makeDialog(args.value(1));
    if (!dialog) {
        QTextStream(stderr)
            << "usage: dialog_gallery key|file|options|progress|message [POINT_SIZE]\n";
        return 2;
    }
    dialog->move(20, 20);
    dialog->show();
    return app.exec();
}
