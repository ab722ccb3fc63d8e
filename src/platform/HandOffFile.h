#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QFile;

namespace platform {

// Opens `file` (its file name set) as a new file readable and writable by its owner only.
// The file must not exist yet: an existing file, and a link of any kind at that name, are
// refused rather than followed. Raises the runtime error of the failure. Qt forgets the name
// of a file opened this way: keep it apart when it is needed later.
void createOwnerOnly(QFile& file);

// Forces the bytes written to `file` to the disk, so that after a power cut the file still
// matches the stamp recorded for it. Raises the runtime error of the failure.
void syncToDisk(QFile& file);

// What tells a regular file's content apart from an earlier state without reading it: any
// write, replacement or change of mode moves one of these.
struct FileStamp {
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds
    qint64 changed = 0;  // nanoseconds, the inode's change time
    quint64 inode = 0;
    quint64 device = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the regular file at `path`, the link itself never followed; nothing when
// nothing is there or it is a link, a folder, a FIFO, a device or a socket.
[[nodiscard]] std::optional<FileStamp> regularFileStamp(const QString& path);
// True when anything at all is at `path` (a dangling link included).
[[nodiscard]] bool entryExists(const QString& path);

// Makes the regular file at `path` readable and writable by its owner only; a link is left.
void makeOwnerOnly(const QString& path);

// The processes other than this one that have the file at `path` open, as process tags.
[[nodiscard]] QStringList holdersOf(const QString& path);

} // namespace platform
