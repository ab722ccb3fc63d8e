// Recognising pictures by their content, and writing them as BMP.
#include "viewer/PictureLoader.h"

#include "platform/RuntimeError.h"

#include <QBuffer>
#include <QDataStream>
#include <QImageWriter>
#include <QTest>

namespace {

QImage Sample(QSize size = {7, 5}) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 30, y * 40, 200));
    }
    return image;
}

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (QByteArray(format) == "jpeg")
        writer.setQuality(100);
    if (!writer.write(image))
        qFatal("cannot write %s: %s", format, qPrintable(writer.errorString()));
    return bytes;
}

} // namespace

class PictureLoaderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void picturesAreReadByContent_data();
    void picturesAreReadByContent();
    void nonPicturesGiveNoPicture_data();
    void nonPicturesGiveNoPicture();
    void appendedBytesKeepThePicture();
    void pictureTooLargeToHoldRaisesOutOfMemory();
    void bmpBytesRoundTrip();
};

void PictureLoaderTest::picturesAreReadByContent_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    for (const char* format : {"bmp", "jpeg", "png", "tiff", "ico", "webp"})
        QTest::newRow(format) << Encoded(Sample(), format) << QByteArray(format) << QSize(7, 5);
    // Qt writes no GIF: a one-pixel GIF89a written out by hand (header, global colour table of
    // two entries, image descriptor, LZW data, trailer).
    const QByteArray gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00"
                         ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                         35);
    QTest::newRow("gif") << gif << QByteArray("gif") << QSize(1, 1);
}

void PictureLoaderTest::picturesAreReadByContent() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QCOMPARE(viewer::pictureFormat(bytes), format);
    const QImage picture = viewer::readPicture(bytes);
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), size);
}

void PictureLoaderTest::nonPicturesGiveNoPicture_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray png = Encoded(Sample(), "png");
    const QByteArray bmp = Encoded(Sample(), "bmp");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("plain text") << QByteArray("hello\r\nworld\r\n");
    QTest::newRow("text starting like a bitmap") << QByteArray("BMW drivers\r\n");
    QTest::newRow("portable pixmap header") << QByteArray("P1\n2 2\n0 1\n1 0\n");
    QTest::newRow("x bitmap source") << QByteArray("#define a_width 1\n#define a_height 1\n");
    QTest::newRow("png signature only") << png.left(8);
    QTest::newRow("png cut in its header") << png.left(20);
    QTest::newRow("bmp cut in its header") << bmp.left(10);
    QTest::newRow("riff that is not webp") << QByteArray("RIFF\x04\0\0\0WAVEfmt ", 16);
    QByteArray corrupted = png;
    corrupted[12] = 'X'; // the IHDR chunk type
    QTest::newRow("png with corrupted header chunk") << corrupted;
}

void PictureLoaderTest::nonPicturesGiveNoPicture() {
    QFETCH(QByteArray, bytes);
    QVERIFY(viewer::readPicture(bytes).isNull());
}

void PictureLoaderTest::appendedBytesKeepThePicture() {
    const QByteArray bytes = Encoded(Sample(), "png") + QByteArray("trailing garbage");
    QCOMPARE(viewer::readPicture(bytes).size(), QSize(7, 5));
}

void PictureLoaderTest::pictureTooLargeToHoldRaisesOutOfMemory() {
    // A BMP header announcing 16000 x 16000 pixels of 24 bits, without the pixels.
    QByteArray bmp("BM");
    QDataStream out(&bmp, QIODevice::Append);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(54) << quint32(0) << quint32(54);                   // file header
    out << quint32(40) << qint32(16000) << qint32(16000) << quint16(1) // info header
        << quint16(24) << quint32(0) << quint32(0) << qint32(2835) << qint32(2835) << quint32(0)
        << quint32(0);
    try {
        (void)viewer::readPicture(bmp);
        QFAIL("no error raised");
    } catch (const platform::RuntimeError& error) {
        QCOMPARE(error.number(), platform::err::OutOfMemory);
    }
}

void PictureLoaderTest::bmpBytesRoundTrip() {
    const QImage picture = Sample({40, 30});
    const QByteArray bytes = viewer::bmpBytes(picture);
    QVERIFY(bytes.startsWith("BM"));
    const QImage back = viewer::readPicture(bytes);
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32), picture);
}

QTEST_GUILESS_MAIN(PictureLoaderTest)
#include "tst_pictureloader.moc"
