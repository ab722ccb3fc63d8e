#pragma once

#include "platform/InputFile.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

namespace locker {

// Random-access bytes that the ciphers read; positions past the end read as zero.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    [[nodiscard]] virtual qint64 size() const = 0;
    virtual void readAt(qint64 position, char* destination, qint64 length) = 0;
};

// Receives consecutive pieces of output, `length` bytes at `data`: one piece at a time and in
// order, but not necessarily on the calling thread.
using ByteSink = std::function<void(const quint8* data, qint64 length)>;

// A file opened for reading. A missing file is reported (53), never created.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const QString& path);

    [[nodiscard]] qint64 size() const override { return m_size; }
    void readAt(qint64 position, char* destination, qint64 length) override;
    [[nodiscard]] QString fileName() const { return m_file.fileName(); }

    // Raises when the file no longer has the size it had when opened (57): what was read of
    // it is then not one version of the file.
    void requireUnchanged() const;

private:
    platform::InputFile m_file;
    qint64 m_size = 0;
};

// The plaintext of put away: an optional application header, the source file, then as many
// zero bytes as the header is long.
class PlaintextSource final : public ByteSource {
public:
    PlaintextSource(FileSource& data, QByteArray header);

    [[nodiscard]] qint64 size() const override;
    void readAt(qint64 position, char* destination, qint64 length) override;

private:
    FileSource& m_data;
    QByteArray m_header;
};

// Reads up to `length` bytes, fewer only at the end of the input; raises on a read error,
// and when a random-access input ends before its size or runs past it (it changed while
// being read: platform::InputFile keeps the size it had when opened).
qsizetype readFully(QIODevice& input, char* data, qsizetype length);

// Writes all bytes to `device` or raises the matching runtime error.
void writeAll(QIODevice& device, const char* data, qint64 length);

} // namespace locker
