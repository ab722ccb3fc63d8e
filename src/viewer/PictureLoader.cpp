#include "viewer/PictureLoader.h"

#include "platform/RuntimeError.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include <array>
#include <string_view>

namespace viewer {

namespace {

struct Signature {
    qsizetype offset;
    std::string_view magic;
    const char* format;
};

using namespace std::string_view_literals;

// Signatures recognised by their leading bytes; webp is a RIFF file whose form type follows
// the length field.
constexpr std::array<Signature, 11> Signatures{{
    {0, "BM"sv, "bmp"},
    {0, "GIF87a"sv, "gif"},
    {0, "GIF89a"sv, "gif"},
    {0, "\xFF\xD8\xFF"sv, "jpeg"},
    {0, "\x89PNG\r\n\x1A\n"sv, "png"},
    {0, "II*\0"sv, "tiff"},
    {0, "MM\0*"sv, "tiff"},
    {0, "II+\0"sv, "tiff"},
    {0, "MM\0+"sv, "tiff"},
    {0, "\0\0\1\0"sv, "ico"},
    {8, "WEBP"sv, "webp"},
}};

bool matches(QByteArrayView bytes, const Signature& sig) {
    const QByteArrayView magic(sig.magic.data(), qsizetype(sig.magic.size()));
    if (bytes.size() < sig.offset + magic.size())
        return false;
    if (sig.offset > 0 && !bytes.startsWith(QByteArrayView("RIFF")))
        return false;
    return bytes.sliced(sig.offset, magic.size()) == magic;
}

// Whether a picture of `size` is beyond what the picture loader is allowed to allocate.
bool tooLargeToHold(QSize size) {
    constexpr qint64 BytesPerPixel = 4;
    const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    return limit > 0 && size.isValid() &&
           qint64(size.width()) * size.height() * BytesPerPixel > limit;
}

} // namespace

QByteArray pictureFormat(QByteArrayView bytes) {
    for (const Signature& sig : Signatures) {
        if (matches(bytes, sig))
            return QByteArray(sig.format);
    }
    return {};
}

QImage readPicture(const QByteArray& bytes) {
    const QByteArray format = pictureFormat(bytes);
    if (format.isEmpty())
        return {};
    QByteArray data = bytes; // QBuffer needs a non-const array; this shares the bytes
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    QImage picture = reader.read();
    if (picture.isNull() && tooLargeToHold(size))
        throw platform::RuntimeError(platform::err::OutOfMemory);
    return picture;
}

QByteArray bmpBytes(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(picture))
        throw platform::RuntimeError(platform::err::OutOfMemory);
    return bytes;
}

} // namespace viewer
