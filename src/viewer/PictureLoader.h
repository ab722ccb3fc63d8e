#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

namespace viewer {

// The picture format that `bytes` announce by their leading signature: "bmp", "gif", "jpeg",
// "png", "tiff", "ico" or "webp"; empty for anything else. The file name plays no part.
[[nodiscard]] QByteArray pictureFormat(QByteArrayView bytes);

// The picture held in `bytes`, or a null image when they are not a picture of one of the
// formats above that can be read. A picture too large to hold raises out of memory (7).
[[nodiscard]] QImage readPicture(const QByteArray& bytes);

// The picture, which must not be null, as a BMP file.
[[nodiscard]] QByteArray bmpBytes(const QImage& picture);

} // namespace viewer
