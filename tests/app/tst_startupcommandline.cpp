// Splitting the start-up command line into a file name and an optional key password.
#include "app/StartupCommandLine.h"

#include <QTest>

using namespace Qt::StringLiterals;

class StartupCommandLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void splitsFileAndPassword_data();
    void splitsFileAndPassword();
};

void StartupCommandLineTest::splitsFileAndPassword_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("switchFound");
    QTest::addColumn<QString>("password");

    QTest::newRow("file only") << u"a.vrl"_s << u"a.vrl"_s << false << QString();
    QTest::newRow("blanks trimmed") << u"  a.vrl  "_s << u"a.vrl"_s << false << QString();
    QTest::newRow("blanks inside a name kept")
        << u"my letter.vrl"_s << u"my letter.vrl"_s << false << QString();
    QTest::newRow("quotes kept") << u"\"a b.vrl\""_s << u"\"a b.vrl\""_s << false << QString();
    QTest::newRow("file, switch, password")
        << u"a.vrl /P secret"_s << u"a.vrl"_s << true << u"secret"_s;
    QTest::newRow("switch in lower case")
        << u"a.vrl /p secret"_s << u"a.vrl"_s << true << u"secret"_s;
    QTest::newRow("password trimmed and inner blanks kept")
        << u"a.vrl /P   two words  "_s << u"a.vrl"_s << true << u"two words"_s;
    QTest::newRow("no blank after the switch skips a character")
        << u"a.vrl /Psecret"_s << u"a.vrl"_s << true << u"ecret"_s;
    QTest::newRow("switch at the end gives an empty password")
        << u"a.vrl /P"_s << u"a.vrl"_s << true << QString();
    QTest::newRow("switch and one character") << u"a.vrl /Px"_s << u"a.vrl"_s << true << QString();
    QTest::newRow("switch first gives an empty name")
        << u"/P secret"_s << QString() << true << u"secret"_s;
    QTest::newRow("switch alone") << u"/p"_s << QString() << true << QString();
    QTest::newRow("only slash is the last character")
        << u"a.vrl /"_s << u"a.vrl /"_s << false << QString();
    QTest::newRow("first switch counts")
        << u"a.vrl /P one /P two"_s << u"a.vrl"_s << true << u"one /P two"_s;
    QTest::newRow("japanese password") << u"a.vrl /P ﾋﾐﾂ"_s << u"a.vrl"_s << true << u"ﾋﾐﾂ"_s;

    // Folders beginning with "p" are part of a path, not the switch.
    QTest::newRow("path with a folder beginning with p")
        << u"/home/pat/photos/a.vrl"_s << u"/home/pat/photos/a.vrl"_s << false << QString();
    QTest::newRow("path beginning with /p")
        << u"/proj/a.vrl"_s << u"/proj/a.vrl"_s << false << QString();
    QTest::newRow("path with /p, then the switch")
        << u"/proj/Pat/a.vrl /P key"_s << u"/proj/Pat/a.vrl"_s << true << u"key"_s;

    // The desktop's switch hands over one file name exactly, whatever it holds.
    QTest::newRow("desktop's file with blanks and a switch in its name")
        << u"--take-out /x/a /P b.vrl "_s << u"/x/a /P b.vrl "_s << false << QString();
}

void StartupCommandLineTest::splitsFileAndPassword() {
    QFETCH(QString, commandLine);
    QFETCH(bool, switchFound);
    QFETCH(QString, password);
    const StartupCommandLine parsed = parseStartupCommandLine(commandLine);
    QTEST(parsed.fileName, "fileName");
    QCOMPARE(parsed.password.has_value(), switchFound);
    if (switchFound)
        QCOMPARE(*parsed.password, password);
}

QTEST_APPLESS_MAIN(StartupCommandLineTest)
#include "tst_startupcommandline.moc"
