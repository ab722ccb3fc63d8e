#include "app/StartupCommandLine.h"
#include "app/TakenOutFile.h"
#include "app/frmMain.h"

#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QImageReader>

#include <csignal>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    // Answered before any window system is needed, so that it works on a bare terminal too.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(startupUsage(), stdout);
        return 0;
    }
    // Past the file-size limit a write then fails (EFBIG) and is reported, instead of the
    // signal ending the program with its temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    // Photographs of many megapixels decode in full; Qt's default stops at 128 MiB.
    QImageReader::setAllocationLimit(1024);
    frmMain window;
    // The program ends as soon as the main window has saved its settings.
    QObject::connect(&window, &frmMain::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Asked to end from outside: the file handed to an application is dealt with, and the
    // program ends at once, without saving the settings or showing anything.
    platform::TerminationSignals termination;
    QObject::connect(&termination, &platform::TerminationSignals::received, &termination,
                     [](int signal) {
                         TakenOutFile::endAllByForce();
                         platform::TerminationSignals::endNow(signal);
                     });
    window.Form_Load();
    return app.exec();
}
