// Times put away and take out of a generated file with each locking method against copies of
// the same file to a new file by cp, and by cp followed by sync of the copy (the locker's
// writes are synced), in one run, and reports each operation's peak memory.
// The cross-password method is also timed with the cheapest key derivation ("bulk": the
// bulk phase alone) and taking out a locker of an empty file (the key derivation alone).
//
//   vrl-bench [SIZE_MIB] [--repeat N] [--dir FOLDER]
//
// Every operation runs in a child process of its own, so its peak resident memory is its
// own; outputs are always new files. Figures are medians over the repetitions.
#include "locker/Locker.h"
#include "locker/crypto/DataProtectGcm.h"
#include "locker/dataprotect/DataProtect.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 MiB = 1 << 20;

struct Sample {
    double seconds;
    long peakKiB;
};

// Runs `work` in a child process and measures its wall time and peak resident memory.
Sample measure(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        try {
            work();
        } catch (const platform::RuntimeError& e) {
            std::fprintf(stderr, "failed: %s\n", e.what());
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "an operation failed\n");
        std::exit(1);
    }
    return {seconds, usage.ru_maxrss};
}

// Becomes the shell running `script` with the two file names as $1 and $2.
[[noreturn]] void runShell(const char* script, const QString& first, const QString& second) {
    const QByteArray a = QFile::encodeName(first), b = QFile::encodeName(second);
    ::execl("/bin/sh", "sh", "-c", script, "sh", a.constData(), b.constData(),
            static_cast<char*>(nullptr));
    _exit(127);
}

void generate(const QString& path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::exit(1);
    std::vector<quint32> block(size_t(MiB / 4));
    QRandomGenerator generator(1);
    for (qint64 done = 0; done < size; done += MiB) {
        generator.fillRange(block.data(), block.size());
        file.write(reinterpret_cast<const char*>(block.data()), qMin(MiB, size - done));
    }
}

// Reads a file through once so that every operation starts with its input in the page
// cache; otherwise the memory manager's reclaim decides which operations read from disk.
void warm(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        std::exit(1);
    std::vector<char> buffer(static_cast<size_t>(MiB));
    while (file.read(buffer.data(), MiB) > 0) {
    }
}

template <typename T> T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qint64 sizeMiB = 256;
    int repeat = 3;
    QString folder = QDir::tempPath();
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == u"--repeat" && i + 1 < argc)
            repeat = qMax(1, atoi(argv[++i]));
        else if (arg == u"--dir" && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else
            sizeMiB = qMax<qint64>(1, arg.toLongLong());
    }
    QTemporaryDir dir(folder + QStringLiteral("/vrl-bench-XXXXXX"));
    const QString source = dir.filePath(QStringLiteral("source"));
    generate(source, sizeMiB * MiB);
    const QString password = QStringLiteral("bench-key-17");

    struct Operation {
        std::string name;
        QString input;  // read through before each run
        QString output; // removed before each run, so every output is a new file
        std::function<void()> run;
        bool wholeFile = true; // moves the generated file's bytes, so MB/s means something
    };
    const QString copyOut = dir.filePath(QStringLiteral("copy"));
    const QString syncedOut = dir.filePath(QStringLiteral("synced-copy"));
    std::vector<Operation> operations{
        {"cp", source, copyOut, [=] { runShell("exec cp -- \"$1\" \"$2\"", source, copyOut); }},
        {"cp + sync", source, syncedOut,
         [=] { runShell("cp -- \"$1\" \"$2\" && exec sync -- \"$2\"", source, syncedOut); }}};
    for (int number : {0, 1, 2}) {
        const locker::KeyType method = locker::keyTypeFromNumber(number);
        // Take out reads a locker file made once, so that the operations can run in any order.
        const QString lockerFile = dir.filePath(QStringLiteral("locker%1").arg(number));
        locker::putAway(source, lockerFile, password, method);
        const QString putOut = dir.filePath(QStringLiteral("put%1").arg(number));
        const QString takenOut = dir.filePath(QStringLiteral("out%1").arg(number));
        operations.push_back({"put method " + std::to_string(number), source, putOut,
                              [=] { locker::putAway(source, putOut, password, method); }});
        operations.push_back({"take method " + std::to_string(number), lockerFile, takenOut, [=] {
                                  locker::takeOut(lockerFile, takenOut, password, method,
                                                  locker::AppMode::ViewerOnly);
                              }});
    }
    namespace dp = locker::dataprotect;
    dp::Parameters cheapest;
    cheapest.opsLimit = dp::MinOpsLimit;
    cheapest.memLimitKiB = dp::MinMemLimitKiB;
    cheapest.lanes = 1;
    const QString bulkLocker = dir.filePath(QStringLiteral("bulk.vrl"));
    locker::DataProtect(cheapest).ProtectFile(source, bulkLocker, password, 1, 0, 1);
    const QString bulkPut = dir.filePath(QStringLiteral("bulk-put")),
                  bulkOut = dir.filePath(QStringLiteral("bulk-out"));
    const QString empty = dir.filePath(QStringLiteral("empty")),
                  emptyLocker = dir.filePath(QStringLiteral("empty.vrl")),
                  emptyOut = dir.filePath(QStringLiteral("empty-out"));
    QFile(empty).open(QIODevice::WriteOnly);
    locker::putAway(empty, emptyLocker, password, locker::KeyType::CrossPasswordMethod);
    operations.push_back(
        {"put 2 bulk", source, bulkPut,
         [=] { locker::DataProtect(cheapest).ProtectFile(source, bulkPut, password, 1, 0, 1); }});
    operations.push_back({"take 2 bulk", bulkLocker, bulkOut, [=] {
                              locker::DataProtect(cheapest).UnprotectFile(bulkLocker, bulkOut,
                                                                          password, 1, 0, 1);
                          }});
    operations.push_back({"take 2 empty", emptyLocker, emptyOut,
                          [=] {
                              locker::takeOut(emptyLocker, emptyOut, password,
                                              locker::KeyType::CrossPasswordMethod,
                                              locker::AppMode::ViewerOnly);
                          },
                          false});

    std::map<std::string, std::vector<Sample>> samples;
    for (int r = 0; r < repeat; ++r) {
        // Each round starts with another operation: whatever the machine does to the first
        // run after the last round's files were removed falls on each of them in turn.
        for (size_t i = 0; i < operations.size(); ++i) {
            const Operation& op = operations[(i + size_t(r)) % operations.size()];
            QFile::remove(op.output);
            ::sync();
            warm(op.input);
            samples[op.name].push_back(measure(op.run));
        }
    }

    const double megabytes = double(sizeMiB * MiB) / 1e6;
    const auto medianSeconds = [&](const std::string& name) {
        std::vector<double> seconds;
        for (const Sample& s : samples[name])
            seconds.push_back(s.seconds);
        return median(seconds);
    };
    const double copied = medianSeconds("cp"), synced = medianSeconds("cp + sync");
    std::printf("%lld MiB, %d repetitions, medians; AES-256-GCM from %s\n",
                static_cast<long long>(sizeMiB), repeat, locker::dataprotect::preferredGcmName());
    std::printf("%-15s %10s %10s %10s %12s %12s\n", "operation", "seconds", "MB/s", "time / cp",
                "/ cp + sync", "peak MiB");
    for (const Operation& op : operations) {
        std::vector<long> peaks;
        for (const Sample& s : samples[op.name])
            peaks.push_back(s.peakKiB);
        const double t = medianSeconds(op.name);
        const std::string rate = op.wholeFile ? std::to_string(qRound(megabytes / t)) : "-";
        std::printf("%-15s %10.3f %10s %10.2f %12.2f %12.1f\n", op.name.c_str(), t, rate.c_str(),
                    t / copied, t / synced,
                    double(*std::max_element(peaks.begin(), peaks.end())) / 1024);
    }
    return 0;
}
