#include "platform/NativeName.h"

#include "platform/RuntimeError.h"

namespace platform {

namespace {

constexpr char16_t EscapeBase = 0xDC00;
constexpr char16_t EscapeFirst = 0xDC80; // bytes below 0x80 are ASCII, never escaped
constexpr char16_t EscapeLast = 0xDCFF;

// The length of the valid UTF-8 sequence at the start of `bytes` and its code point, or
// 0 when it is not one (a stray continuation byte, an overlong form, a surrogate, a value
// beyond U+10FFFF or a cut sequence).
qsizetype validSequence(QByteArrayView bytes, char32_t& code) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    qsizetype length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString nameFromNative(QByteArrayView bytes) {
    QString name;
    name.reserve(bytes.size());
    while (!bytes.isEmpty()) {
        char32_t code = 0;
        const qsizetype length = validSequence(bytes, code);
        if (length == 0) {
            name.append(QChar(char16_t(EscapeBase + static_cast<unsigned char>(bytes[0]))));
            bytes = bytes.sliced(1);
        } else {
            name.append(QString::fromUcs4(&code, 1));
            bytes = bytes.sliced(length);
        }
    }
    return name;
}

QByteArray nativeName(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype plainFrom = 0;
    const auto flushPlain = [&](qsizetype to) {
        bytes.append(QStringView(name).sliced(plainFrom, to - plainFrom).toUtf8());
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() &&
            QChar::isLowSurrogate(name.at(i + 1).unicode())) {
            ++i; // a pair: encoded with the plain text
            continue;
        }
        if (!QChar::isSurrogate(u))
            continue;
        if (u < EscapeFirst || u > EscapeLast)
            throw RuntimeError(err::BadFileName);
        flushPlain(i);
        bytes.append(char(u - EscapeBase));
        plainFrom = i + 1;
    }
    flushPlain(name.size());
    return bytes;
}

} // namespace platform
