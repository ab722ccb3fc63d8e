#include "FileContents.h"

#include "platform/ReplacingFile.h"
#include "platform/RuntimeError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace viewer {

using platform::RuntimeError;

QByteArray ReadWholeFile(const QString& fileName) {
    if (fileName.isEmpty())
        throw RuntimeError(platform::err::BadFileName);
    if (QFileInfo(fileName).isDir())
        throw RuntimeError(platform::err::PathFileAccess);
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw platform::FileError(file, false);
    errno = 0;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw platform::FileError(file, false);
    return bytes;
}

void WriteWholeFile(const QString& fileName, const QByteArray& bytes) {
    platform::ReplacingFile file(fileName);
    errno = 0;
    if (file.device().write(bytes) != bytes.size())
        throw platform::FileError(file.device(), true);
    file.commit();
}

} // namespace viewer
