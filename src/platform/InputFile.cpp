#include "platform/InputFile.h"

#include "platform/NativeName.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

InputFile::InputFile(const QString& name, Accept accept) : DescriptorFile(name) {
    // Without blocking, so that a FIFO given by mistake is refused instead of waited for;
    // where streams are accepted, a FIFO is opened as any reader opens it, waiting for its
    // writer.
    const int waiting = accept == Accept::Streams ? 0 : O_NONBLOCK;
    const int fd = ::open(nativeName(name).constData(), O_RDONLY | O_NOCTTY | waiting | O_CLOEXEC);
    if (fd < 0)
        throw systemError(name, false);
    struct stat info {};
    const bool known = ::fstat(fd, &info) == 0;
    const bool stream = S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode);
    if (!known || !(S_ISREG(info.st_mode) || (stream && accept == Accept::Streams))) {
        const bool folder = S_ISDIR(info.st_mode);
        ::close(fd);
        throw RuntimeError(
            err::PathFileAccess,
            folder ? QString() : QStringLiteral("この種類のファイルは読み込めません。"), name);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_openedSize = info.st_size;
    adopt(fd, ReadOnly, AutoCloseHandle);
}

bool InputFile::keptItsSize() const {
    struct stat info {};
    return ::fstat(handle(), &info) == 0 && info.st_size == m_openedSize;
}

RuntimeError sizeChangedError(const QString& fileName) {
    return RuntimeError(err::DeviceIo,
                        QStringLiteral("読み込んでいる間にファイルの大きさが変わりました。"),
                        fileName);
}

} // namespace platform
