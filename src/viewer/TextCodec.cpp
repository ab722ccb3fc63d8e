#include "viewer/TextCodec.h"

#include <QStringDecoder>

namespace viewer {

namespace {

constexpr auto Cp932Name = "Shift_JIS"; // the converter maps it with the Windows extensions

bool isCp932Lead(uchar byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isCp932Trail(uchar byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

bool isUtf8Continuation(uchar byte) {
    return (byte & 0xC0) == 0x80;
}

qsizetype utf8Length(uchar lead) {
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    return lead < 0xF0 ? 3 : 4;
}

} // namespace

bool isUtf8(QByteArrayView bytes) {
    return bytes.isValidUtf8();
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                        QStringConverter::Flag::ConvertInitialBom);
        return utf8.decode(bytes);
    }
    // The converter holds back a lead byte at the end; the line feed that follows here makes it
    // give the lead byte out as undecodable, and is then taken off again.
    QStringDecoder cp932(Cp932Name);
    QString text = cp932.decode(bytes);
    text += cp932.decode(QByteArrayView("\n"));
    text.chop(1);
    // The converter marks undecodable bytes with the substitute control character.
    text.replace(QChar(0x1A), QChar::ReplacementCharacter);
    return text;
}

qsizetype characterLength(QByteArrayView bytes, qsizetype pos, TextEncoding encoding) {
    const auto byte = uchar(bytes[pos]);
    if (encoding == TextEncoding::Utf8)
        return qMin(utf8Length(byte), bytes.size() - pos);
    return isCp932Lead(byte) && pos + 1 < bytes.size() && isCp932Trail(uchar(bytes[pos + 1])) ? 2
                                                                                              : 1;
}

qsizetype characterStart(QByteArrayView bytes, qsizetype from, qsizetype pos,
                         TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8) {
        while (pos > from && isUtf8Continuation(uchar(bytes[pos])))
            --pos;
        return pos;
    }
    if (uchar(bytes[pos]) < 0x40)
        return pos; // never part of a two-byte character
    qsizetype start = from;
    while (start < pos) {
        const qsizetype next = start + characterLength(bytes, start, encoding);
        if (next > pos)
            break;
        start = next;
    }
    return start;
}

qsizetype columnOffset(QByteArrayView bytes, qsizetype column, TextEncoding encoding) {
    qsizetype pos = 0;
    for (qsizetype shown = 0; shown < column && pos < bytes.size();) {
        const qsizetype length = characterLength(bytes, pos, encoding);
        shown += length == 4 ? 2 : 1; // four UTF-8 bytes decode to a surrogate pair
        pos += length;
    }
    return pos;
}

} // namespace viewer
