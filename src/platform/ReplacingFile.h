#pragma once

#include <QString>
#include <QTemporaryFile>

namespace platform {

// A file written beside its target and put in the target's place only by commit(), so that a
// failure at any point leaves a previous file of that name untouched (also when the target
// is the very file being read). Without commit the written bytes are removed again.
//
// The data is not forced to disk before the rename: that would make every put away as slow
// as the disk rather than the page cache, and the file systems in use order the data of a
// file renamed over another before the rename.
class ReplacingFile {
public:
    enum class Access {
        KeepOrDefault, // an existing target's permissions, otherwise the usual ones for new files
        OwnerOnly,     // readable and writable by the owner only (taken-out plaintext)
    };

    // Creates the temporary file; raises the runtime error of the failure.
    explicit ReplacingFile(const QString& target, Access access = Access::KeepOrDefault);

    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    [[nodiscard]] QFile& device() { return m_file; }

    // Puts the written file in the target's place; raises the runtime error of the failure.
    void commit();

private:
    QString m_target;
    QTemporaryFile m_file;
};

} // namespace platform
