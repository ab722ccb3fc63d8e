#pragma once

#include <QByteArrayView>
#include <QString>

namespace viewer {

// The encodings a text file is shown in: UTF-8 when its bytes are valid UTF-8, otherwise the
// system's code page CP932.
enum class TextEncoding { Utf8, Cp932 };

// Whether bytes are valid UTF-8 as a whole. Bytes may be checked in pieces cut by
// characterStart, each piece giving the same answer as the whole would.
[[nodiscard]] bool isUtf8(QByteArrayView bytes);

// Decodes bytes that begin at a character. A byte order mark is kept as a character. Each
// byte that cannot be decoded is shown as one replacement character U+FFFD, so that the text
// has exactly one character (two for UTF-8 beyond the 16-bit range) per character of the
// bytes as characterLength counts them.
[[nodiscard]] QString decodeText(QByteArrayView bytes, TextEncoding encoding);

// The length in bytes of the character that starts at `pos`.
[[nodiscard]] qsizetype characterLength(QByteArrayView bytes, qsizetype pos, TextEncoding encoding);

// The start of the character holding the byte at `pos` in valid UTF-8; for CP932, where a
// trail byte looks like a lead byte, `pos` itself when it holds a single-byte character and
// otherwise the nearest start found by reading forward from `from`, a known start.
[[nodiscard]] qsizetype characterStart(QByteArrayView bytes, qsizetype from, qsizetype pos,
                                       TextEncoding encoding);

// The byte offset of the `column`th decoded character (UTF-16 units) in bytes that begin at a
// character; the bytes' size when the column lies beyond them.
[[nodiscard]] qsizetype columnOffset(QByteArrayView bytes, qsizetype column, TextEncoding encoding);

} // namespace viewer
