#include "viewer/FileContents.h"

#include "platform/ReplacingFile.h"
#include "platform/RuntimeError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace viewer {

using platform::RuntimeError;

namespace {

constexpr qint64 PieceBytes = qint64(16) << 20;

} // namespace

QByteArray readWholeFile(const QString& fileName, const std::function<void()>& keepAlive) {
    if (fileName.isEmpty())
        throw RuntimeError(platform::err::BadFileName);
    if (QFileInfo(fileName).isDir())
        throw RuntimeError(platform::err::PathFileAccess);
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw platform::fileError(file, false);
    // Read into one array of the file's size, then on to the end of a file that grew meanwhile
    // or whose size is not known beforehand.
    QByteArray bytes(file.size(), Qt::Uninitialized);
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 got = file.read(bytes.data() + done, qMin(PieceBytes, bytes.size() - done));
        if (got < 0)
            throw platform::fileError(file, false);
        if (got == 0)
            break;
        done += got;
        if (keepAlive && done < bytes.size())
            keepAlive();
    }
    bytes.truncate(done);
    if (done == file.size()) {
        errno = 0;
        const QByteArray rest = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw platform::fileError(file, false);
        bytes += rest;
    }
    return bytes;
}

void writeWholeFile(const QString& fileName, const QByteArray& bytes) {
    platform::ReplacingFile file(fileName);
    errno = 0;
    if (file.device().write(bytes) != bytes.size())
        throw platform::fileError(file.device(), true);
    file.commit();
}

} // namespace viewer
