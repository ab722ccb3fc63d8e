#include "platform/DescriptorFile.h"

#include "platform/RuntimeError.h"

#include <unistd.h>

namespace platform {

void DescriptorFile::adopt(int fd, OpenMode mode, FileHandleFlags flags) {
    errno = 0;
    if (!QFile::open(fd, mode | Unbuffered, flags)) {
        const RuntimeError error = platform::fileError(*this, mode.testFlag(WriteOnly));
        if (flags.testFlag(AutoCloseHandle))
            ::close(fd);
        throw error;
    }
}

} // namespace platform
