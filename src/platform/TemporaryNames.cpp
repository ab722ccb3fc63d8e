#include "platform/TemporaryNames.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr char Prefix[] = ".vrl-";
constexpr char Suffix[] = ".tmp";
constexpr int RandomLength = 6;
constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// The writer's process id when `name` has the pattern, else 0.
pid_t writerOf(const char* name) {
    if (std::strncmp(name, Prefix, sizeof Prefix - 1) != 0)
        return 0;
    static const QRegularExpression Pattern(
        QStringLiteral("^\\.vrl-([1-9][0-9]{0,9})-[A-Za-z0-9]{6}\\.tmp$"));
    const auto match = Pattern.match(QString::fromLatin1(name));
    if (!match.hasMatch())
        return 0;
    const qint64 pid = match.captured(1).toLongLong();
    return pid <= std::numeric_limits<pid_t>::max() ? pid_t(pid) : 0;
}

bool writerAlive(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Whether the open file `fd` is ours and no writer holds it.
bool abandoned(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
        return false;
    // A file system without locks cannot tell; the process id still does.
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

} // namespace

QByteArray newTemporaryName() {
    QByteArray name = Prefix + QByteArray::number(::getpid()) + '-';
    for (int i = 0; i < RandomLength; ++i)
        name.append(Alphabet[QRandomGenerator::global()->bounded(int(sizeof Alphabet - 1))]);
    return name + Suffix;
}

qsizetype longestTemporaryName() {
    return qsizetype(sizeof Prefix - 1) + 10 + 1 + RandomLength + qsizetype(sizeof Suffix - 1);
}

void sweepStaleTemporaries(int folderFd) {
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return;
    DIR* folder = ::fdopendir(listFd);
    if (!folder) {
        ::close(listFd);
        return;
    }
    while (const dirent* entry = ::readdir(folder)) {
        const pid_t writer = writerOf(entry->d_name);
        if (writer == 0 || writerAlive(writer))
            continue;
        const int fd =
            ::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (abandoned(fd))
            ::unlinkat(folderFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(folder);
}

} // namespace platform
