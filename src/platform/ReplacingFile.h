#pragma once

#include "platform/DescriptorFile.h"
#include "platform/RemovedOnSignal.h"

#include <QString>

#include <optional>

#include <sys/stat.h>

namespace platform {

// The place an output goes, by the kind of file its name stands for:
// - a regular file, or a name not yet taken, is replaced only by commit(): the bytes go to a
//   temporary file in the same folder that takes the target's place when complete, so that a
//   failure at any point leaves a previous file of that name untouched (also when the target
//   is the very file being read). Without commit the written bytes are removed again. The
//   replacement keeps the previous file's mode (for plaintext its owner's part only), its
//   owner where the user may set it, and its extended attributes and access ACL (plaintext:
//   not the ACL) where the file system has them; it is a new file, so other hard links keep
//   the old content. A read-only file is refused (70) and left as it is;
// - commit() writes the file through to the disk before it takes the target's name, and the
//   folder after, so that a power cut leaves either the previous file or the whole new one;
// - a symbolic link: its final target is replaced and the link kept;
// - a FIFO, a character device, standard output or a named descriptor of this process
//   (/dev/stdout, /dev/fd/N, ...): written straight through, and commit() reports an error
//   that only closing shows. Nothing is synced: a stream has no disk to reach.
// The temporary file is unnamed where the file system allows it, so that nothing is left
// when the process dies; otherwise it has a short name of its own (TemporaryNames.h), is
// removed when the process is ended by SIGINT, SIGTERM or SIGHUP, and is swept by a later
// replacement in that folder when its writer was killed. A name that cannot be written fails
// before any byte is: too long for the folder, or refused by the file system.
class ReplacingFile {
public:
    enum class Access {
        KeepOrDefault, // an existing target's mode, otherwise the usual one for new files
        OwnerOnly,     // plaintext: an existing target's mode for its owner alone, otherwise
                       // readable and writable by the owner only
    };
    struct StandardOutput {};

    // Opens the output `target`; raises the runtime error of the failure.
    explicit ReplacingFile(const QString& target, Access access = Access::KeepOrDefault);
    // The process's standard output, named "標準出力" in errors.
    explicit ReplacingFile(StandardOutput);
    ~ReplacingFile();

    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Written without buffering: each write reaches the file or raises.
    [[nodiscard]] QFile& device() { return m_file; }

    // Puts the written file, synced, in the target's place and syncs the folder, or checks
    // that a stream took every byte; raises the runtime error of the failure, which before
    // the rename leaves the previous file whole.
    void commit();

private:
    void open(const QString& target);
    void adoptDescriptor(int fd);
    void openReplacement(const struct stat* existing);
    void openTemporary();
    void nameTemporary();
    void applyMetadata();
    void syncFolder();
    void closeDescriptor();
    void release();

    DescriptorFile m_file;
    Access m_access = Access::KeepOrDefault;
    bool m_streamed = false;
    bool m_borrowed = false; // a descriptor of the process's own: never closed here
    int m_fd = -1;
    int m_folderFd = -1;
    QByteArray m_name;          // the final target's name in its folder
    QByteArray m_temporaryName; // while a named temporary file exists
    std::optional<struct stat> m_replaced;
    mode_t m_newFileMode = 0600;
    std::optional<RemovedOnSignal> m_removal;
};

} // namespace platform
