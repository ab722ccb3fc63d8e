#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace platform {

// Reports when any process opens or closes the file at `path`, by name, so that a file
// replaced by a save (a new file renamed over the old one) is still followed.
class FileUseWatch : public QObject {
    Q_OBJECT

public:
    explicit FileUseWatch(const QString& path, QObject* parent = nullptr);
    ~FileUseWatch() override;
    FileUseWatch(const FileUseWatch&) = delete;
    FileUseWatch& operator=(const FileUseWatch&) = delete;

Q_SIGNALS:
    void opened();
    // Closed, replaced or removed: whether anyone still uses it must be asked again.
    void released();

private:
    void readEvents();

    QByteArray m_name;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace platform
