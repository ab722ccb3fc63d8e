#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace platform {

// What an output name stands for once its symbolic links are followed: the file that is to
// receive the bytes, found before anything is written.
struct OutputTarget {
    enum class Kind {
        Missing,    // nothing there yet: a new regular file in an existing folder
        Regular,    // an existing regular file the user may write: replaced
        Stream,     // a FIFO or a character device: written straight through
        Descriptor, // one of this process's open descriptors (/dev/stdout, /dev/fd/N, ...):
                    // written through it, whatever it leads to, as "-" is
    };
    Kind kind = Kind::Missing;
    QByteArray folder; // the final target's folder and name, as the file system holds them
    QByteArray name;
    struct stat info {}; // the existing file's
    int descriptor = -1; // for Kind::Descriptor
};

// Follows `name`'s symbolic links to the final target. A link in a sticky folder that
// others may write is followed only when its owner is the user or the folder's owner, as
// the kernel's own rule for such folders has it. A name in this process's descriptor folder
// stands for that descriptor rather than for the text of its link (which names a pipe or
// socket as "pipe:[...]", and a file that is appended to as a path that would be replaced).
// Raises: bad name (52), missing folder (76), a folder or a file of another kind (75), a
// read-only file or descriptor (70), a descriptor not open (52), and the system's errors.
[[nodiscard]] OutputTarget resolveOutputTarget(const QString& name);

} // namespace platform
