#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

// The application header of a locker file: "vrls", the application path one byte per
// character in the ANSI code page, "vrls" again. It is enciphered with the data.
namespace locker {

constexpr qsizetype HeaderSearchLength = 256;

// The header bytes for `appName`; a character without a single-byte code overflows (6), a
// path holding the marker "vrls" is refused (5).
[[nodiscard]] QByteArray buildApplicationHeader(const QString& appName);

struct ApplicationHeader {
    QString appName;
    qint64 length = 0; // h: the markers and the path
};

// The application header at the start of decoded bytes (up to the first 256 are looked at):
// the opening marker and the first marker after it, when `accept` finds that header length in
// agreement with the rest of the file.
[[nodiscard]] std::optional<ApplicationHeader>
findApplicationHeader(QByteArrayView decodedHead,
                      const std::function<bool(qint64 headerLength)>& accept);

} // namespace locker
