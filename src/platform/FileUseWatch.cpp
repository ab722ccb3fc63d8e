#include "platform/FileUseWatch.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <array>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

FileUseWatch::FileUseWatch(const QString& path, QObject* parent)
    : QObject(parent), m_name(QFile::encodeName(QFileInfo(path).fileName())),
      m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (m_fd < 0)
        return;
    // A watch of the folder names the file in each event and outlives the file's replacement.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    ::inotify_add_watch(m_fd, folder.constData(),
                        IN_OPEN | IN_CLOSE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE);
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FileUseWatch::readEvents);
}

FileUseWatch::~FileUseWatch() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void FileUseWatch::readEvents() {
    alignas(inotify_event) std::array<char, 4096> buffer;
    bool opens = false;
    bool releases = false;
    ssize_t length = 0;
    while ((length = ::read(m_fd, buffer.data(), buffer.size())) > 0) {
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            if (event->len > 0 && m_name == event->name) {
                opens = opens || (event->mask & IN_OPEN);
                releases = releases || (event->mask & ~IN_OPEN);
            }
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    if (opens)
        Q_EMIT opened();
    if (releases)
        Q_EMIT released();
}

} // namespace platform
