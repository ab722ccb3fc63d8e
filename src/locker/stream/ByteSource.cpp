#include "locker/stream/ByteSource.h"

#include "platform/RuntimeError.h"

#include <cerrno>
#include <cstring>

namespace locker {

using platform::RuntimeError;
namespace err = platform::err;

FileSource::FileSource(const QString& path) : m_file(path), m_size(m_file.size()) {}

void FileSource::readAt(qint64 position, char* destination, qint64 length) {
    const qint64 available = qBound<qint64>(0, m_size - position, length);
    if (available > 0) {
        errno = 0;
        if (m_file.pos() != position && !m_file.seek(position))
            throw platform::fileError(m_file, false);
        qint64 done = 0;
        while (done < available) {
            const qint64 got = m_file.read(destination + done, available - done);
            if (got < 0)
                throw platform::fileError(m_file, false);
            if (got == 0) // the file shrank while being read
                throw platform::sizeChangedError(m_file.fileName());
            done += got;
        }
    }
    std::memset(destination + available, 0, size_t(length - available));
}

void FileSource::requireUnchanged() const {
    if (!m_file.keptItsSize())
        throw platform::sizeChangedError(m_file.fileName());
}

PlaintextSource::PlaintextSource(FileSource& data, QByteArray header)
    : m_data(data), m_header(std::move(header)) {}

qint64 PlaintextSource::size() const {
    return m_data.size() + 2 * m_header.size();
}

void PlaintextSource::readAt(qint64 position, char* destination, qint64 length) {
    const qint64 h = m_header.size();
    if (position < h) {
        const qint64 n = qMin(length, h - position);
        std::memcpy(destination, m_header.constData() + position, size_t(n));
        position += n;
        destination += n;
        length -= n;
    }
    if (length > 0)
        m_data.readAt(position - h, destination, length);
}

namespace {

RuntimeError deviceError(const QIODevice& device, bool forWriting) {
    if (const auto* file = qobject_cast<const QFileDevice*>(&device))
        return platform::fileError(*file, forWriting);
    return RuntimeError(err::DeviceIo);
}

RuntimeError sizeChanged(const QIODevice& device) {
    const auto* file = qobject_cast<const QFileDevice*>(&device);
    return platform::sizeChangedError(file ? file->fileName() : QString());
}

} // namespace

qsizetype readFully(QIODevice& input, char* data, qsizetype length) {
    qsizetype total = 0;
    while (total < length) {
        errno = 0;
        const qint64 got = input.read(data + total, length - total);
        if (got < 0)
            throw deviceError(input, false);
        const bool randomAccess = !input.isSequential();
        if (got == 0) {
            if (randomAccess && input.pos() < input.size())
                throw sizeChanged(input);
            break;
        }
        total += qsizetype(got);
        if (randomAccess && input.pos() > input.size())
            throw sizeChanged(input);
    }
    return total;
}

void writeAll(QIODevice& device, const char* data, qint64 length) {
    while (length > 0) {
        errno = 0;
        const qint64 written = device.write(data, length);
        if (written <= 0)
            throw deviceError(device, true);
        data += written;
        length -= written;
    }
}

} // namespace locker
