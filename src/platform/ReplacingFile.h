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
//   replacement keeps the previous file's mode (for plaintext its owner's part only), and its
//   owner where the user may set it;
//   a read-only file is refused (70) and left as it is;
// - a symbolic link: its final target is replaced and the link kept;
// - a FIFO, a character device or standard output: written straight through, and commit()
//   reports an error that only closing shows.
// The temporary file is unnamed where the file system allows it, so that nothing is left
// when the process dies; otherwise it has a short name of its own (TemporaryNames.h), is
// removed when the process is ended by SIGINT, SIGTERM or SIGHUP, and is swept by a later
// replacement in that folder when its writer was killed. A name that cannot be written fails
// before any byte is: too long for the folder, or refused by the file system.
//
// The data is not forced to disk before the rename: that would make every put away as slow
// as the disk rather than the page cache, and the file systems in use order the data of a
// file renamed over another before the rename.
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

    // Puts the written file in the target's place, or checks that a stream took every byte;
    // raises the runtime error of the failure.
    void commit();

private:
    void open(const QString& target);
    void openReplacement(const struct stat* existing);
    void openTemporary();
    void nameTemporary();
    void applyMetadata();
    void closeDescriptor();
    void release();

    DescriptorFile m_file;
    Access m_access = Access::KeepOrDefault;
    bool m_streamed = false;
    bool m_standardOutput = false;
    int m_fd = -1;
    int m_folderFd = -1;
    QByteArray m_name;          // the final target's name in its folder
    QByteArray m_temporaryName; // while a named temporary file exists
    std::optional<struct stat> m_replaced;
    mode_t m_newFileMode = 0600;
    std::optional<RemovedOnSignal> m_removal;
};

} // namespace platform
