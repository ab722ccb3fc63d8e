#include "platform/Drives.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

QString withTrailingSeparator(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}

QList<Drive> systemDrives() {
    QList<Drive> drives;
    const QString root = withTrailingSeparator(QStorageInfo::root().rootPath());
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Single files mounted into the tree (containers do this) are not drives.
        if (!volume.isValid() || !QFileInfo(volume.rootPath()).isDir())
            continue;
        drives.append({withTrailingSeparator(volume.rootPath()), volume.name(), volume.isReady()});
    }
    std::sort(drives.begin(), drives.end(), [&root](const Drive& a, const Drive& b) {
        return std::pair(a.rootPath != root, a.rootPath) <
               std::pair(b.rootPath != root, b.rootPath);
    });
    // A volume mounted at several places, or several at one, is one drive per root.
    const auto repeated =
        std::unique(drives.begin(), drives.end(),
                    [](const Drive& a, const Drive& b) { return a.rootPath == b.rootPath; });
    drives.erase(repeated, drives.end());
    return drives;
}

DriveSource& installedSource() {
    static DriveSource source;
    return source;
}

// File names on drives with letters ignore case.
#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity PathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity PathCase = Qt::CaseSensitive;
#endif

bool holds(const Drive& drive, const QString& path) {
    return withTrailingSeparator(path).startsWith(drive.rootPath, PathCase);
}

} // namespace

QList<Drive> mountedDrives() {
    if (const DriveSource& source = installedSource())
        return source();
    return systemDrives();
}

std::optional<Drive> driveOf(const QString& path) {
    const QString absolute = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    std::optional<Drive> best;
    for (const Drive& drive : mountedDrives()) {
        if (holds(drive, absolute) && (!best || drive.rootPath.size() > best->rootPath.size()))
            best = drive;
    }
    return best;
}

void requireReady(const Drive& drive) {
    const QList<Drive> drives = mountedDrives();
    const auto now = std::find_if(drives.begin(), drives.end(), [&drive](const Drive& d) {
        return d.rootPath == drive.rootPath;
    });
    if (now == drives.end() || !now->ready)
        throw RuntimeError(err::DeviceUnavailable);
}

DriveSource setDriveSource(DriveSource source) {
    return std::exchange(installedSource(), std::move(source));
}

} // namespace platform
