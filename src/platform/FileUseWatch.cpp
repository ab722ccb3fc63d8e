#include "platform/FileUseWatch.h"

#include "platform/HandOffFile.h"
#include "platform/ProcessIdentity.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

namespace {

std::array<int, 2> LeasePipe{-1, -1};

// The lease-break signal (SIGIO) brought into the event loop through a pipe; one for all
// watches, each of which then asks its own lease whether it is the one broken. Nothing when
// no pipe can be made: opens are then noticed only after they happened.
QSocketNotifier* leaseBreaks() {
    static QSocketNotifier* const Notifier = []() -> QSocketNotifier* {
        if (::pipe2(LeasePipe.data(), O_CLOEXEC | O_NONBLOCK) != 0)
            return nullptr;
        struct sigaction action {};
        action.sa_handler = [](int) {
            const int saved = errno;
            const char byte = 0;
            [[maybe_unused]] const ssize_t written = ::write(LeasePipe[1], &byte, 1);
            errno = saved;
        };
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGIO, &action, nullptr);
        return new QSocketNotifier(LeasePipe[0], QSocketNotifier::Read,
                                   QCoreApplication::instance());
    }();
    return Notifier;
}

void drainLeaseBreaks() {
    char byte = 0;
    while (::read(LeasePipe[0], &byte, 1) == 1) {
    }
}

} // namespace

FileUseWatch::FileUseWatch(const QString& path, QObject* parent)
    : QObject(parent), m_path(path), m_name(QFile::encodeName(QFileInfo(path).fileName())) {
    // The lease is taken before the folder is watched, so that its own open is not reported.
    if (QSocketNotifier* breaks = leaseBreaks()) {
        connect(breaks, &QSocketNotifier::activated, this, [this] {
            drainLeaseBreaks();
            leaseBroken();
        });
        takeLease();
    }
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    // A watch of the folder names the file in each event and outlives the file's replacement.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    ::inotify_add_watch(m_fd, folder.constData(),
                        IN_OPEN | IN_CLOSE | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE);
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FileUseWatch::readEvents);
}

FileUseWatch::~FileUseWatch() {
    stopLease();
    if (m_fd >= 0)
        ::close(m_fd);
}

QStringList FileUseWatch::users() {
    takeLease();
    const QStringList holders = holdersOf(m_path);
    notice(holders);
    QStringList users = holders;
    for (const QString& opener : m_openers) {
        if (!users.contains(opener) && processTagAlive(opener))
            users << opener;
    }
    return users;
}

void FileUseWatch::stopLease() {
    m_leaseStopped = true;
    if (m_leaseFd >= 0)
        ::close(m_leaseFd); // closing the last descriptor ends the lease
    m_leaseFd = -1;
    m_leased = false;
}

// Only a file this user owns, that nobody else has open, takes a write lease; otherwise it is
// tried again at the next close.
void FileUseWatch::takeLease() {
    if (m_leaseStopped || m_leased)
        return;
    const std::optional<FileStamp> file = regularFileStamp(m_path);
    if (!file)
        return;
    if (m_leaseFd < 0 || file->inode != m_leasedInode) {
        if (m_leaseFd >= 0)
            ::close(m_leaseFd);
        m_leaseFd = ::open(QFile::encodeName(m_path).constData(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        m_leasedInode = file->inode;
        if (m_leaseFd < 0)
            return;
    }
    m_leased = ::fcntl(m_leaseFd, F_SETLEASE, F_WRLCK) == 0;
}

// An open waits on this lease: the waiting processes are the openers. Letting the lease go
// lets them on.
void FileUseWatch::leaseBroken() {
    if (!m_leased || ::fcntl(m_leaseFd, F_GETLEASE) == F_WRLCK)
        return;
    notice(waitingForLease());
    m_everOpened = true;
    ::fcntl(m_leaseFd, F_SETLEASE, F_UNLCK);
    m_leased = false;
}

void FileUseWatch::notice(const QStringList& processes) {
    bool added = false;
    for (const QString& process : processes) {
        if (!m_openers.contains(process)) {
            m_openers << process;
            added = true;
        }
    }
    if (added)
        Q_EMIT openersChanged();
}

void FileUseWatch::readEvents() {
    alignas(inotify_event) std::array<char, 4096> buffer;
    bool opens = false;
    bool saves = false;
    bool releases = false;
    ssize_t length = 0;
    while ((length = ::read(m_fd, buffer.data(), buffer.size())) > 0) {
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->len == 0 || m_name != event->name)
                continue;
            if (event->mask & (IN_CREATE | IN_MOVED_TO))
                makeOwnerOnly(m_path);
            opens = opens || (event->mask & IN_OPEN);
            saves = saves || (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO));
            releases = releases || (event->mask & ~IN_OPEN);
        }
    }
    if (opens) {
        m_everOpened = true;
        notice(holdersOf(m_path));
    }
    if (releases)
        takeLease();
    if (saves)
        Q_EMIT saved();
    if (releases)
        Q_EMIT released();
}

} // namespace platform
