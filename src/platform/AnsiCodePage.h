#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The system's ANSI code page is CP932 (Shift_JIS as Windows extends it) on every platform.
namespace platform {

// The single-byte code of `ch` (ASCII and half-width katakana), or nothing for a character
// that needs two bytes or has no code at all.
[[nodiscard]] std::optional<unsigned char> ansiByte(QChar ch);

// One byte per character; a character without a single-byte code raises overflow (6).
[[nodiscard]] QByteArray toAnsiBytes(const QString& text);

// One character per byte, the inverse of toAnsiBytes; bytes that are not single-byte
// characters (lead bytes, unassigned codes) become U+FFFD so positions stay aligned.
[[nodiscard]] QString fromAnsiBytes(QByteArrayView bytes);

} // namespace platform
