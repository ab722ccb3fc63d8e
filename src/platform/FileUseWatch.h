#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QSocketNotifier;

namespace platform {

// Follows who uses the file at `path`, which this process has written and closed: a watch of
// its folder reports opens, closes, completed writes and renames onto the name, and a write
// lease on the file holds every other process's open until the opener is known, so that a
// program that reads the file and closes it at once is still remembered (by process tag)
// for as long as it runs. A file put under the name by a rename is made owner-only at once.
// Where the file system gives no lease, an opener is known only while it holds the file.
class FileUseWatch : public QObject {
    Q_OBJECT

public:
    explicit FileUseWatch(const QString& path, QObject* parent = nullptr);
    ~FileUseWatch() override;
    FileUseWatch(const FileUseWatch&) = delete;
    FileUseWatch& operator=(const FileUseWatch&) = delete;

    // True once another process has opened the file since the watch began.
    [[nodiscard]] bool everOpened() const { return m_everOpened; }
    // Every process seen opening the file, running or not.
    [[nodiscard]] const QStringList& openers() const { return m_openers; }
    // The processes that have the file open now or have opened it and still run; looks now.
    [[nodiscard]] QStringList users();
    // Lets the lease go for good, so that this process can open the file without waiting on
    // itself; later opens are noticed only once they happened.
    void stopLease();

Q_SIGNALS:
    // A write was completed or another file was renamed onto the name.
    void saved();
    // Closed, replaced or removed: whether anyone still uses it must be asked again.
    void released();
    // A process not seen before opened the file.
    void openersChanged();

private:
    void readEvents();
    void leaseBroken();
    void takeLease();
    void notice(const QStringList& processes);

    QString m_path;
    QByteArray m_name;
    int m_fd = -1;
    int m_leaseFd = -1;
    quint64 m_leasedInode = 0;
    bool m_leased = false;
    bool m_leaseStopped = false;
    bool m_everOpened = false;
    QStringList m_openers;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace platform
