#include "frmMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    frmMain window;
    // The program ends as soon as the main window has saved its settings.
    QObject::connect(&window, &frmMain::Unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.Form_Load();
    return app.exec();
}
