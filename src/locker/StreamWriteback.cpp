#include "StreamWriteback.h"

#include <QFileDevice>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

namespace locker::dataprotect {

void StartWriteback(QIODevice& output, qint64 offset, qint64 length) {
#ifdef Q_OS_LINUX
    if (auto* file = qobject_cast<QFileDevice*>(&output); file && file->handle() >= 0)
        ::sync_file_range(file->handle(), offset, length, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(output);
    Q_UNUSED(offset);
    Q_UNUSED(length);
#endif
}

} // namespace locker::dataprotect
