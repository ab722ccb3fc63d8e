#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace viewer {

// The encodings a text file is shown in: UTF-8 when its bytes are valid UTF-8, otherwise the
// system's code page CP932.
enum class TextEncoding { Utf8, Cp932 };

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
};

// Decodes a file's bytes. A byte order mark is kept as a character, so that encoding the
// text again gives the same bytes.
[[nodiscard]] DecodedText DecodeText(QByteArrayView bytes);

// Encodes text for a file in `encoding`; characters the encoding lacks become its
// substitution character.
[[nodiscard]] QByteArray EncodeText(const QString& text, TextEncoding encoding);

} // namespace viewer
