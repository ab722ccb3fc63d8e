#include "dialogs/Filing.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestFiling : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitsAtTheLastSeparator_data();
    void splitsAtTheLastSeparator();
    void splitsNamesOfAnyLength();
};

void TestFiling::splitsAtTheLastSeparator_data() {
    QTest::addColumn<QString>("fullName");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QChar>("separator");

    struct Row {
        const char* tag;
        QString fullName;
        QString path;
        QString fileName;
    };
    const QList<Row> windowsRows{
        {"folder and name", u"C:\\data\\letter.txt"_s, u"C:\\data\\"_s, u"letter.txt"_s},
        {"drive root", u"C:\\letter.txt"_s, u"C:\\"_s, u"letter.txt"_s},
        {"ends with separator", u"C:\\data\\"_s, u"C:\\data\\"_s, {}},
        {"no separator", u"letter.txt"_s, {}, {}},
        {"colon is no separator", u"C:letter.txt"_s, {}, {}},
        {"slash is no separator", u"C:/data/letter.txt"_s, {}, {}},
        {"network share", u"\\\\server\\share\\a.txt"_s, u"\\\\server\\share\\"_s, u"a.txt"_s},
        {"empty", {}, {}, {}},
        // 表 is 0x955C in CP932: its second byte must not count as a separator.
        {"Japanese folder", u"C:\\表\\a.txt"_s, u"C:\\表\\"_s, u"a.txt"_s},
        {"Japanese name", u"C:\\ソ\\表.txt"_s, u"C:\\ソ\\"_s, u"表.txt"_s},
    };
    for (const Row& row : windowsRows) {
        QTest::addRow("backslash: %s", row.tag)
            << row.fullName << row.path << row.fileName << QChar(u'\\');
        // The same cases with the roles of "\" and "/" swapped hold with "/" as separator.
        auto swapped = [](QString s) {
            for (QChar& c : s) {
                if (c == u'\\')
                    c = u'/';
                else if (c == u'/')
                    c = u'\\';
            }
            return s;
        };
        QTest::addRow("slash: %s", row.tag)
            << swapped(row.fullName) << swapped(row.path) << swapped(row.fileName) << QChar(u'/');
    }
}

void TestFiling::splitsAtTheLastSeparator() {
    QFETCH(QString, fullName);
    QFETCH(QString, path);
    QFETCH(QString, fileName);
    QFETCH(QChar, separator);
    const Filing filing;
    QCOMPARE(filing.getPath(fullName, separator), path);
    QCOMPARE(filing.getFileName(fullName, separator), fileName);
    if (!path.isEmpty())
        QCOMPARE(filing.getPath(fullName, separator) + filing.getFileName(fullName, separator),
                 fullName);
}

void TestFiling::splitsNamesOfAnyLength() {
    // Longer than a 16-bit position could index: still split, not refused.
    const QString folder = QString(40000, u'a') + u'/';
    const Filing filing;
    QCOMPARE(filing.getPath(folder + u"b.txt"_s, u'/'), folder);
    QCOMPARE(filing.getFileName(folder + u"b.txt"_s, u'/'), u"b.txt"_s);
    const QString native = u"x"_s + QDir::separator() + u"y"_s;
    QCOMPARE(filing.getFileName(native), u"y"_s); // the native separator by default
}

QTEST_APPLESS_MAIN(TestFiling)
#include "tst_filing.moc"
