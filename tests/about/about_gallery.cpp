// Shows the about box over a stand-in main window, as a person sees it (screenshots):
//   about_gallery [POINT_SIZE]
#include "about/frmAbout.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        QFont font = QApplication::font();
        font.setPointSizeF(args.at(1).toDouble());
        QApplication::setFont(font);
    }
    QMainWindow mainWindow;
    mainWindow.setWindowTitle(QStringLiteral("Winヴォレル"));
    mainWindow.resize(560, 420);
    mainWindow.move(60, 40);
    mainWindow.show();
    frmAbout about(&mainWindow);
    return about.exec() == QDialog::Accepted ? 0 : 1;
}
