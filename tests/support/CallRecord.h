#pragma once

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sys/stat.h>

// The record the fault library keeps of the calls that decide what reaches the disk
// (VRL_FAULT_RECORD), read back: where a written file was synced, named and its folder synced.
namespace testsupport {

// The recorded calls, one a line, in order.
inline QStringList recordedCalls(const QString& record) {
    QFile file(record);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n')
                                          : QStringList();
}

// The device and inode the record names a file by.
inline QString recordedIdentity(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("<missing>");
    return QStringLiteral("%1:%2").arg(info.st_dev).arg(info.st_ino);
}

// The last of `calls` before `end` that `matches`, or a negative number.
template <typename Match>
qsizetype lastCall(const QStringList& calls, qsizetype end, const Match& matches) {
    while (--end >= 0 && !matches(calls[end])) {
    }
    return end;
}

// Where the file now at `target` was last written, last synced before it took the name, took
// it (renamed or linked there), and where its folder was last synced; negative where missing.
struct Replacement {
    qsizetype write;
    qsizetype sync;
    qsizetype named;
    qsizetype folderSync;

    // Synced before it took the name and the folder after.
    bool durable() const { return named >= 0 && write >= 0 && write < sync && folderSync > named; }
};

inline Replacement replacementOf(const QStringList& calls, const QString& target) {
    const QString file = recordedIdentity(target) + u' ';
    const QString toTarget = QStringLiteral(" -> ") + QFileInfo(target).canonicalFilePath();
    const QString folderSynced =
        QStringLiteral("fsync ") + recordedIdentity(QFileInfo(target).absolutePath()) + u' ';
    const auto on = [&](const QString& line, QLatin1StringView call) {
        return line.startsWith(call + u' ' + file);
    };
    Replacement done{};
    done.named = lastCall(calls, calls.size(), [&](const QString& line) {
        return (on(line, QLatin1StringView("rename")) || on(line, QLatin1StringView("link"))) &&
               line.endsWith(toTarget);
    });
    done.sync = lastCall(calls, done.named, [&](const QString& line) {
        return on(line, QLatin1StringView("fsync")) || on(line, QLatin1StringView("fdatasync"));
    });
    done.write = lastCall(calls, calls.size(), [&](const QString& line) {
        return on(line, QLatin1StringView("write"));
    });
    done.folderSync = lastCall(calls, calls.size(),
                               [&](const QString& line) { return line.startsWith(folderSynced); });
    return done;
}

} // namespace testsupport
