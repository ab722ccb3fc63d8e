#pragma once

#include "platform/DescriptorFile.h"
#include "platform/RuntimeError.h"

namespace platform {

// An existing file opened for reading by the exact bytes of its name. A missing file is
// reported (53), never created; a folder cannot be read (75), nor a file other than a
// regular one unless streams are accepted (a pipe given as a password file). size() stays
// the size the file had when it was opened, so that a reader can tell that the file changed
// while it was read.
class InputFile final : public DescriptorFile {
public:
    enum class Accept { RegularOnly, Streams };

    explicit InputFile(const QString& name, Accept accept = Accept::RegularOnly);

    [[nodiscard]] qint64 size() const override { return m_openedSize; }

    // Whether the file still has the size it had when it was opened.
    [[nodiscard]] bool keptItsSize() const;

private:
    qint64 m_openedSize = 0;
};

// The error of a file that changed its size while it was read (57).
[[nodiscard]] RuntimeError sizeChangedError(const QString& fileName);

} // namespace platform
