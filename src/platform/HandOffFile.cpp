#include "platform/HandOffFile.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

void createOwnerOnly(QFile& file) {
    const QByteArray name = QFile::encodeName(file.fileName());
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw RuntimeError(errorNumberFromErrno(errno, true));
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw RuntimeError(err::PathFileAccess);
    }
}

// Every descriptor of every process this user may look at, compared by device and inode, so
// that a file reached under another name counts too.
bool openInOtherProcess(const QString& path) {
    struct stat target {};
    if (::stat(QFile::encodeName(path).constData(), &target) != 0)
        return false;
    const QString self = QString::number(::getpid());
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid == self || !pid.front().isDigit())
            continue;
        const QDir fds(proc.filePath(pid + QStringLiteral("/fd")));
        for (const QString& fd : fds.entryList(QDir::Files | QDir::System)) {
            struct stat open {};
            if (::stat(QFile::encodeName(fds.filePath(fd)).constData(), &open) == 0 &&
                open.st_dev == target.st_dev && open.st_ino == target.st_ino)
                return true;
        }
    }
    return false;
}

} // namespace platform
