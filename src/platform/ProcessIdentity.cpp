#include "platform/ProcessIdentity.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <unistd.h>

namespace platform {

namespace {

// The fields of a process's stat line after its command name, from the state on (field 3);
// empty when the process does not exist. The command name in parentheses may hold blanks,
// the fields after it do not.
QList<QByteArray> statFields(const QString& pid) {
    QFile stat(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 ? QList<QByteArray>() : line.mid(close + 2).split(' ');
}

constexpr int StateField = 0;
constexpr int GroupField = 2;
constexpr int StartField = 19;

bool running(const QList<QByteArray>& fields) {
    return fields.size() > StartField && fields.at(StateField) != "Z" &&
           fields.at(StateField) != "X";
}

QString tagOf(const QString& pid, const QList<QByteArray>& fields) {
    return running(fields) ? pid + u':' + QString::fromLatin1(fields.at(StartField)) : QString();
}

QStringList processNumbers() {
    QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    pids.removeIf([](const QString& pid) { return !pid.front().isDigit(); });
    return pids;
}

} // namespace

QString currentProcessTag() {
    return processTag(::getpid());
}

QString processTag(qint64 pid) {
    const QString number = QString::number(pid);
    return tagOf(number, statFields(number));
}

bool processTagAlive(const QString& tag) {
    const QStringList parts = tag.split(u':');
    return parts.size() == 2 && !parts.at(1).isEmpty() &&
           processTag(parts.at(0).toLongLong()) == tag;
}

bool groupAlive(qint64 group, const QString& leaderTag) {
    const QByteArray number = QByteArray::number(group);
    const qint64 founded = leaderTag.section(u':', 1).toLongLong();
    for (const QString& pid : processNumbers()) {
        const QList<QByteArray> fields = statFields(pid);
        if (running(fields) && fields.at(GroupField) == number &&
            fields.at(StartField).toLongLong() >= founded)
            return true;
    }
    return false;
}

// Any thread may be the one that opens (a program's I/O threads often do), so each thread's
// wait is looked at.
QStringList waitingForLease() {
    QStringList tags;
    for (const QString& pid : processNumbers()) {
        const QDir threads(QStringLiteral("/proc/") + pid + QStringLiteral("/task"));
        for (const QString& thread : threads.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile wchan(threads.filePath(thread + QStringLiteral("/wchan")));
            if (wchan.open(QIODevice::ReadOnly) && wchan.readAll().contains("break_lease")) {
                tags << processTag(pid.toLongLong());
                break;
            }
        }
    }
    tags.removeAll(QString());
    return tags;
}

} // namespace platform
