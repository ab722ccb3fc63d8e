#include "platform/HandOffFile.h"

#include "platform/ProcessIdentity.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool linkStat(const QString& path, struct stat& status) {
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

qint64 nanoseconds(const timespec& time) {
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

} // namespace

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

void syncToDisk(QFile& file) {
    if (!file.flush() || ::fsync(file.handle()) != 0)
        throw RuntimeError(errorNumberFromErrno(errno, true));
}

std::optional<FileStamp> regularFileStamp(const QString& path) {
    struct stat status {};
    if (!linkStat(path, status) || !S_ISREG(status.st_mode))
        return std::nullopt;
    return FileStamp{status.st_size, nanoseconds(status.st_mtim), nanoseconds(status.st_ctim),
                     status.st_ino, status.st_dev};
}

bool entryExists(const QString& path) {
    struct stat status {};
    return linkStat(path, status);
}

void makeOwnerOnly(const QString& path) {
    ::fchmodat(AT_FDCWD, QFile::encodeName(path).constData(), 0600, AT_SYMLINK_NOFOLLOW);
}

// Every descriptor of every process this user may look at, compared by device and inode, so
// that a file reached under another name counts too.
QStringList holdersOf(const QString& path) {
    const std::optional<FileStamp> target = regularFileStamp(path);
    if (!target)
        return {};
    const QString self = QString::number(::getpid());
    const QDir proc(QStringLiteral("/proc"));
    QStringList holders;
    for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid == self || !pid.front().isDigit())
            continue;
        const QDir fds(proc.filePath(pid + QStringLiteral("/fd")));
        for (const QString& fd : fds.entryList(QDir::Files | QDir::System)) {
            struct stat open {};
            if (::stat(QFile::encodeName(fds.filePath(fd)).constData(), &open) == 0 &&
                open.st_dev == target->device && open.st_ino == target->inode) {
                holders << processTag(pid.toLongLong());
                break;
            }
        }
    }
    holders.removeAll(QString());
    return holders;
}

} // namespace platform
