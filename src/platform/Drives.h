#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The drives of the file chooser: the mounted volumes whose root is a folder.
namespace platform {

struct Drive {
    QString rootPath; // with native separators and a trailing one ("/", "/media/usb/", "C:\")
    QString label;    // the volume's name, possibly empty
    bool ready = true;
};

// The drives, the root volume first, then the others by root path.
[[nodiscard]] QList<Drive> mountedDrives();

// The drive holding `path` (the one with the longest root that contains it), or nothing when
// no drive holds it.
[[nodiscard]] std::optional<Drive> driveOf(const QString& path);

// Throws RuntimeError 68 (device unavailable) when `drive` is not ready now.
void requireReady(const Drive& drive);

// Replaces the source of mountedDrives (for tests); an empty function restores the volumes
// of the system. Returns the previous source.
using DriveSource = std::function<QList<Drive>()>;
DriveSource setDriveSource(DriveSource source);

} // namespace platform
