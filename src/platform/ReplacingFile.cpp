#include "ReplacingFile.h"

#include "RuntimeError.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <filesystem>
#include <system_error>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace platform {

namespace {

// Read and write for everybody less the process's umask, as a plain new file gets.
QFileDevice::Permissions newFilePermissions() {
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ReadUser | QFileDevice::WriteUser;
#ifdef Q_OS_UNIX
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (!(mask & S_IRGRP))
        permissions |= QFileDevice::ReadGroup;
    if (!(mask & S_IWGRP))
        permissions |= QFileDevice::WriteGroup;
    if (!(mask & S_IROTH))
        permissions |= QFileDevice::ReadOther;
    if (!(mask & S_IWOTH))
        permissions |= QFileDevice::WriteOther;
#endif
    return permissions;
}

QString temporaryTemplate(const QString& target) {
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX");
}

} // namespace

ReplacingFile::ReplacingFile(const QString& target, Access access)
    : m_target(QFileInfo(target).absoluteFilePath()), m_file(temporaryTemplate(target)) {
    const QFileInfo info(target);
    if (target.isEmpty())
        throw RuntimeError(err::BadFileName);
    if (info.isDir())
        throw RuntimeError(err::PathFileAccess);
    if (!info.absoluteDir().exists())
        throw RuntimeError(err::PathNotFound);
    errno = 0;
    if (!m_file.open())
        throw FileError(m_file, true);
    const auto permissions = access == Access::OwnerOnly
                                 ? QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ReadUser | QFileDevice::WriteUser
                             : info.exists() ? QFile::permissions(target)
                                             : newFilePermissions();
    m_file.setPermissions(permissions);
}

void ReplacingFile::commit() {
    errno = 0;
    if (!m_file.flush())
        throw FileError(m_file, true);
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        throw FileError(m_file, true);
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(m_file.fileName().toStdU16String()),
                            std::filesystem::path(m_target.toStdU16String()), error);
    if (error)
        throw RuntimeError(ErrorNumberFromErrno(error.value(), true));
    m_file.setAutoRemove(false);
}

} // namespace platform
