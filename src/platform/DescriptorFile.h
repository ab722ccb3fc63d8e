#pragma once

#include <QFile>
#include <QString>

namespace platform {

// A QFile on a descriptor opened here by the exact bytes of its name: QFile would pass the
// name through a codec that changes names that are not valid UTF-8. It keeps the name it
// was given, so that errors name the file the user asked for.
class DescriptorFile : public QFile {
public:
    explicit DescriptorFile(QString name) : m_name(std::move(name)) {}

    [[nodiscard]] QString fileName() const override { return m_name; }

    // Opens the device, unbuffered, on `fd`, which it then owns when `flags` say so; raises
    // (and closes an owned `fd`) when QFile refuses it.
    void adopt(int fd, OpenMode mode, FileHandleFlags flags);

private:
    QString m_name;
};

} // namespace platform
