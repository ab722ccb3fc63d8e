#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace viewer {

namespace {

constexpr auto Cp932Name = "Shift_JIS"; // the converter maps it with the Windows extensions
constexpr auto Flags =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

} // namespace

DecodedText DecodeText(QByteArrayView bytes) {
    // Stateless, so that a sequence cut off at the end counts as invalid rather than pending.
    QStringDecoder utf8(QStringConverter::Utf8, Flags);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return {text, TextEncoding::Utf8};
    QStringDecoder cp932(Cp932Name, Flags);
    return {cp932.decode(bytes), TextEncoding::Cp932};
}

QByteArray EncodeText(const QString& text, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8) {
        QStringEncoder utf8(QStringConverter::Utf8, Flags);
        return utf8.encode(text);
    }
    QStringEncoder cp932(Cp932Name, Flags);
    return cp932.encode(text);
}

} // namespace viewer
