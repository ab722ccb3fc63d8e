#pragma once

#include <QtGlobal>

class QIODevice;

namespace locker::dataprotect {

// Asks the system to start writing `length` bytes of `output` from `offset` to disk now,
// without waiting, so that the closing sync finds little left and disk writes overlap the
// ciphering. Does nothing for a device that is no file, or where the system has no such
// request.
void StartWriteback(QIODevice& output, qint64 offset, qint64 length);

} // namespace locker::dataprotect
