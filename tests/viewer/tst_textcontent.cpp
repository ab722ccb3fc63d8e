// Decoding, line rules and rows of the text the viewer shows.
#include "viewer/TextCodec.h"
#include "viewer/TextContent.h"
#include "viewer/TextLines.h"

#include <QTest>

using namespace Qt::StringLiterals;
using viewer::TextContent;
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
    void rowsAndTheirText_data();
    void rowsAndTheirText();
};

void TextContentTest::nlIsCarriageReturnThenLineFeed() {
    const QString nl = viewer::NL();
    QCOMPARE(nl.size(), 2);
    QCOMPARE(nl[0].unicode(), 13);
    QCOMPARE(nl[1].unicode(), 10);
}

void TextContentTest::lineRules_data() {
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("empty file") << ""_ba
                                << ""_ba;
    QTest::newRow("last line without line end") << "a\r\nb"_ba
                                                << "a\r\nb\r\n"_ba;
    QTest::newRow("every line ended") << "a\r\nb\r\n"_ba
                                      << "a\r\nb\r\n"_ba;
    QTest::newRow("bare LF is a character") << "a\nb\nc"_ba
                                            << "a\nb\nc\r\n"_ba;
    QTest::newRow("bare LF at the end") << "a\n"_ba
                                        << "a\n\r\n"_ba;
    QTest::newRow("lone CR ends a line") << "a\rb"_ba
                                         << "a\r\nb\r\n"_ba;
    QTest::newRow("lone CR at the end") << "a\r"_ba
                                        << "a\r\n"_ba;
    QTest::newRow("empty lines") << "\r\n\r\n"_ba
                                 << "\r\n\r\n"_ba;
    QTest::newRow("LF CR is a character and a line end") << "a\n\rb"_ba
                                                         << "a\n\r\nb\r\n"_ba;
    QTest::newRow("CR CR LF") << "a\r\r\n"_ba
                              << "a\r\n\r\n"_ba;
    QTest::newRow("single character") << "x"_ba
                                      << "x\r\n"_ba;
    QTest::newRow("lone CRs first and last, bytes between kept") << "\r\x93\xFA\r\n\xFF\r"_ba
                                                                 << "\r\n\x93\xFA\r\n\xFF\r\n"_ba;
}

void TextContentTest::lineRules() {
    QFETCH(QByteArray, contents);
    QFETCH(QByteArray, shown);
    viewer::applyLineRule(contents);
    QCOMPARE(contents, shown);
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
        << QByteArray("\xED\xA0\x80") << u"恝\uFFFD"_s << cp932;
    QTest::newRow("cp932 undecodable single bytes")
        << QByteArray("\xA0\xFD\xFE\xFFz") << u"\uFFFD\uFFFD\uFFFD\uFFFDz"_s << cp932;
    QTest::newRow("cp932 lead byte without trail, inside and at the end")
        << QByteArray("\x81 \x93") << u"\uFFFD \uFFFD"_s << cp932;
    QTest::newRow("cp932 unassigned pair is one replacement")
        << QByteArray("\x85\x40z") << u"\uFFFDz"_s << cp932;
}

void TextContentTest::decodingChoosesEncoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, encoding);
    const TextEncoding detected = viewer::isUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp932;
    QCOMPARE(int(detected), encoding);
    QCOMPARE(viewer::decodeText(bytes, detected), text);
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
    const TextContent content(bytes);
    QCOMPARE(content.bytes(), bytes);
    // Copying all of it gives the text the bytes decode to.
    QCOMPARE(content.text({}, content.end()), viewer::decodeText(bytes, content.encoding()));
}

void TextContentTest::rowsAndTheirText_data() {
    // Rows split at line feeds and are cut at the longest row's length, never inside a
    // character nor between a carriage return and its line feed.
    constexpr qsizetype Max = TextContent::MaxRowBytes;
    const QByteArray as(Max - 1, 'a');
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("empty: one empty row") << QByteArray() << QStringList{u""_s};
    QTest::newRow("CR LF and lone LF end rows")
        << "ab\r\ncd\nef"_ba << QStringList{u"ab"_s, u"cd"_s, u"ef"_s, u""_s};
    QTest::newRow("utf-8 character across the cut")
        << as + "\xE6\x97\xA5z\r\n"
        << QStringList{QString::fromLatin1(as), u"日z"_s, u""_s};
    QTest::newRow("cp932 character across the cut")
        << as + "\x93\xFAz\r\n"
        << QStringList{QString::fromLatin1(as), u"日z"_s, u""_s};
    QTest::newRow("cp932 trail byte that looks like a lead byte before the cut")
        << QByteArray(Max - 2, 'a') + "\x8C\xEA\x8C\xEAz\r\n"
        << QStringList{QString(Max - 2, u'a') + u"語"_s, u"語z"_s, u""_s};
    QTest::newRow("line end right after the longest row")
        << as + "x\r\nz" << QStringList{QString::fromLatin1(as) + u"x"_s, u"z"_s, u""_s};
    QByteArray many;
    QStringList numbers;
    for (int i = 0; i < 200; ++i) {
        many += QByteArray::number(i) + "\r\n";
        numbers << QString::number(i);
    }
    QTest::newRow("rows past several index entries") << many << (numbers << u""_s);
}

void TextContentTest::rowsAndTheirText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    const TextContent content(bytes);
    QCOMPARE(content.rowCount(), rows.size());
    for (qsizetype row = 0; row < rows.size(); ++row)
        QCOMPARE(content.rowText(row), rows[row]);
    // Text between positions joins the rows with their line ends as loaded.
    QCOMPARE(content.text({}, content.end()),
             viewer::decodeText(content.bytes(), content.encoding()));
}

QTEST_GUILESS_MAIN(TextContentTest)
#include "tst_textcontent.moc"
