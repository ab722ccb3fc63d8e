// Decoding, line rules and encoding of the text the viewer shows.
#include "viewer/TextCodec.h"
#include "viewer/TextLines.h"

#include <QTest>

using namespace Qt::StringLiterals;
using viewer::TextEncoding;

class TextContentTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nlIsCarriageReturnThenLineFeed();
    void lineRules_data();
    void lineRules();
    void decodingChoosesEncoding_data();
    void decodingChoosesEncoding();
    void encodingReproducesLoadedBytes_data();
    void encodingReproducesLoadedBytes();
};

void TextContentTest::nlIsCarriageReturnThenLineFeed() {
    const QString nl = viewer::NL();
    QCOMPARE(nl.size(), 2);
    QCOMPARE(nl[0].unicode(), 13);
    QCOMPARE(nl[1].unicode(), 10);
}

void TextContentTest::lineRules_data() {
    QTest::addColumn<QString>("contents");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty file") << u""_s << u""_s;
    QTest::newRow("last line without line end") << u"a\r\nb"_s << u"a\r\nb\r\n"_s;
    QTest::newRow("every line ended") << u"a\r\nb\r\n"_s << u"a\r\nb\r\n"_s;
    QTest::newRow("bare LF is a character") << u"a\nb\nc"_s << u"a\nb\nc\r\n"_s;
    QTest::newRow("bare LF at the end") << u"a\n"_s << u"a\n\r\n"_s;
    QTest::newRow("lone CR ends a line") << u"a\rb"_s << u"a\r\nb\r\n"_s;
    QTest::newRow("lone CR at the end") << u"a\r"_s << u"a\r\n"_s;
    QTest::newRow("empty lines") << u"\r\n\r\n"_s << u"\r\n\r\n"_s;
    QTest::newRow("LF CR is a character and a line end") << u"a\n\rb"_s << u"a\n\r\nb\r\n"_s;
    QTest::newRow("CR CR LF") << u"a\r\r\n"_s << u"a\r\n\r\n"_s;
    QTest::newRow("single character") << u"x"_s << u"x\r\n"_s;
}

void TextContentTest::lineRules() {
    QFETCH(QString, contents);
    QFETCH(QString, shown);
    QCOMPARE(viewer::LinesWithLineEnds(contents), shown);
}

void TextContentTest::decodingChoosesEncoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");
    const int utf8 = int(TextEncoding::Utf8);
    const int cp932 = int(TextEncoding::Cp932);
    QTest::newRow("empty") << QByteArray() << QString() << utf8;
    QTest::newRow("ascii") << QByteArray("abc") << u"abc"_s << utf8;
    QTest::newRow("utf-8 japanese") << QByteArray("\xE6\x97\xA5\xE6\x9C\xAC") << u"日本"_s << utf8;
    QTest::newRow("utf-8 byte order mark kept")
        << QByteArray("\xEF\xBB\xBFhi") << (QString(QChar(0xFEFF)) + u"hi"_s) << utf8;
    QTest::newRow("cp932 japanese") << QByteArray("\x93\xFA\x96\x7B") << u"日本"_s << cp932;
    QTest::newRow("cp932 trail byte 0x5C") << QByteArray("\x95\x5C\x83\x5C") << u"表ソ"_s << cp932;
    QTest::newRow("cp932 half-width katakana") << QByteArray("\xB1\xB2") << u"ｱｲ"_s << cp932;
    QTest::newRow("cp932 windows extensions")
        << QByteArray("\x87\x40\x81\x60") << u"①～"_s << cp932;
    QTest::newRow("utf-8 cut off at the end is not utf-8")
        << QByteArray("\xE3\x81") << u"縺"_s << cp932;
    QTest::newRow("encoded surrogate is not utf-8")
        << QByteArray("\xED\xA0\x80") << u"恝\x1A"_s << cp932;
}

void TextContentTest::decodingChoosesEncoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, encoding);
    const viewer::DecodedText decoded = viewer::DecodeText(bytes);
    QCOMPARE(int(decoded.encoding), encoding);
    QCOMPARE(decoded.text, text);
}

void TextContentTest::encodingReproducesLoadedBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("utf-8 with CR LF") << QByteArray("\xE6\x97\xA5\xE6\x9C\xAC\r\nabc\r\n");
    QTest::newRow("utf-8 with byte order mark") << QByteArray("\xEF\xBB\xBF\xE3\x81\x82\r\n");
    QTest::newRow("cp932 with CR LF") << QByteArray("\x93\xFA\x96\x7B\x8C\xEA\r\n\x95\x5C\r\n");
    QTest::newRow("cp932 backslash and tilde") << QByteArray("C:\\data\\~\x83\x5C\r\n");
    QTest::newRow("cp932 with bare LF") << QByteArray("\x82\xA0\n\x82\xA2\r\n");
}

void TextContentTest::encodingReproducesLoadedBytes() {
    QFETCH(QByteArray, bytes);
    const viewer::DecodedText decoded = viewer::DecodeText(bytes);
    const QString shown = viewer::LinesWithLineEnds(decoded.text);
    QCOMPARE(viewer::EncodeText(shown, decoded.encoding), bytes);
}

QTEST_GUILESS_MAIN(TextContentTest)
#include "tst_textcontent.moc"
