#include "platform/ProcessIdentity.h"

#include <QFile>
#include <QStringList>

#include <unistd.h>

namespace platform {

namespace {

// The start time of a process in clock ticks since boot (field 22 of its stat line), or an
// empty text when the process does not exist.
QString startTime(const QString& pid) {
    QFile stat(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    // The command name in parentheses may hold blanks; the fields after it do not.
    const qsizetype close = line.lastIndexOf(')');
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    return fields.size() > 19 ? QString::fromLatin1(fields.at(19)) : QString();
}

} // namespace

QString currentProcessTag() {
    const QString pid = QString::number(::getpid());
    return pid + u':' + startTime(pid);
}

bool processTagAlive(const QString& tag) {
    const QStringList parts = tag.split(u':');
    return parts.size() == 2 && !parts.at(1).isEmpty() && startTime(parts.at(0)) == parts.at(1);
}

} // namespace platform
