#include "platform/AnsiCodePage.h"

#include "platform/RuntimeError.h"

namespace platform {

namespace {
constexpr char16_t HalfWidthKatakanaFirst = 0xFF61; // byte 0xA1
constexpr char16_t HalfWidthKatakanaLast = 0xFF9F;  // byte 0xDF
constexpr unsigned char KatakanaFirstByte = 0xA1;
} // namespace

std::optional<unsigned char> ansiByte(QChar ch) {
    const char16_t u = ch.unicode();
    if (u < 0x80)
        return static_cast<unsigned char>(u);
    if (u >= HalfWidthKatakanaFirst && u <= HalfWidthKatakanaLast)
        return static_cast<unsigned char>(KatakanaFirstByte + (u - HalfWidthKatakanaFirst));
    return std::nullopt;
}

QByteArray toAnsiBytes(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar ch : text) {
        const auto b = ansiByte(ch);
        if (!b)
            throw RuntimeError(err::Overflow);
        bytes.append(static_cast<char>(*b));
    }
    return bytes;
}

QString fromAnsiBytes(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            text.append(QChar(char16_t(b)));
        else if (b >= KatakanaFirstByte && b <= KatakanaFirstByte + 0x3E)
            text.append(QChar(char16_t(HalfWidthKatakanaFirst + (b - KatakanaFirstByte))));
        else
            text.append(QChar(QChar::ReplacementCharacter));
    }
    return text;
}

} // namespace platform
