#include "frmMain.h"

#include <QApplication>
#include <QImageReader>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Photographs of many megapixels decode in full; Qt's default stops at 128 MiB.
    QImageReader::setAllocationLimit(1024);
    frmMain window;
    // The program ends as soon as the main window has saved its settings.
    QObject::connect(&window, &frmMain::Unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.Form_Load();
    return app.exec();
}
