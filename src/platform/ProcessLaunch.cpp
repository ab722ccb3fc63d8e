#include "platform/ProcessLaunch.h"

#include "platform/RuntimeError.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

namespace platform {

namespace {

// The error for a program that did not start, told apart by what the file system says of it.
RuntimeError launchError(const QString& program) {
    const QString found =
        program.contains(u'/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo file(found);
    if (found.isEmpty() || !file.exists())
        return RuntimeError(err::FileNotFound);
    if (!file.isExecutable())
        return RuntimeError(err::PermissionDenied);
    return RuntimeError(err::PathFileAccess);
}

} // namespace

void startProgram(const QString& program, const QStringList& arguments) {
    if (program.isEmpty())
        throw RuntimeError(err::FileNotFound);
    if (!QProcess::startDetached(program, arguments))
        throw launchError(program);
}

qint64 startProgram(const QString& program, const QStringList& arguments, const QObject* context,
                    std::function<void()> finished) {
    if (program.isEmpty())
        throw RuntimeError(err::FileNotFound);
    // Without a parent the process object survives the caller, and is never destroyed (which
    // would kill the program) while the program runs.
    auto* process = new QProcess;
    process->setProgram(program);
    process->setArguments(arguments);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);
    process->setChildProcessModifier([] { ::setpgid(0, 0); });
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        throw launchError(program);
    }
    QObject::connect(process, &QProcess::finished, context,
                     [finished = std::move(finished)] { finished(); });
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return process->processId();
}

} // namespace platform
