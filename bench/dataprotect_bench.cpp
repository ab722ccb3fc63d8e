// Times the cross-password method on real files, for bench/peers.sh.
//
//   vrl-bench-dp put|take SOURCE TARGET [--bulk]
//
// The key password comes from VRL_PASSWORD. With --bulk, put away derives its key with the
// cheapest Argon2id cost, so that the time is the bulk phase alone; take out follows the
// cost recorded in the locker file. Prints the elapsed seconds of the operation.
#include "locker/dataprotect/DataProtect.h"
#include "platform/RuntimeError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QStringList files = args;
    const bool bulk = files.removeAll(QStringLiteral("--bulk")) > 0;
    if (files.size() != 3 || (files[0] != u"put" && files[0] != u"take")) {
        std::fputs("usage: vrl-bench-dp put|take SOURCE TARGET [--bulk]\n", stderr);
        return 2;
    }
    const QString password = qEnvironmentVariable("VRL_PASSWORD");
    locker::dataprotect::Parameters parameters;
    if (bulk) {
        parameters.opsLimit = locker::dataprotect::MinOpsLimit;
        parameters.memLimitKiB = locker::dataprotect::MinMemLimitKiB;
        parameters.lanes = 1;
    }
    locker::DataProtect dataProtect(parameters);
    QElapsedTimer timer;
    timer.start();
    try {
        if (files[0] == u"put")
            dataProtect.ProtectFile(files[1], files[2], password, 1, 0, 1);
        else
            dataProtect.UnprotectFile(files[1], files[2], password, 1, 0, 1);
    } catch (const platform::RuntimeError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("%.3f\n", double(timer.nsecsElapsed()) / 1e9);
    return 0;
}
