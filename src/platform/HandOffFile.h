#pragma once

#include <QString>

class QFile;

namespace platform {

// Opens `file` (its file name set) as a new file readable and writable by its owner only.
// The file must not exist yet: an existing file, and a link of any kind at that name, are
// refused rather than followed. Raises the runtime error of the failure. Qt forgets the name
// of a file opened this way: keep it apart when it is needed later.
void createOwnerOnly(QFile& file);

// True when a process other than this one has the file at `path` open.
[[nodiscard]] bool openInOtherProcess(const QString& path);

} // namespace platform
