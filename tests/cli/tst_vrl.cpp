#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode;
    QByteArray out;
    QString err;
};

// Runs vrl with `args`; the key password comes from the environment unless `password` is null.
Run vrl(const QStringList& args, const QString& password = QStringLiteral("key"),
        const QString& folder = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("VRL_PASSWORD"));
    if (!password.isNull())
        env.insert(QStringLiteral("VRL_PASSWORD"), password);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(VRL_PROGRAM), args);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class VrlTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private Q_SLOTS:
    void usageErrorsExitWithTwo_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown command") << QStringList{QStringLiteral("open"), u"a"_qs, u"b"_qs};
        QTest::newRow("one file") << QStringList{u"put"_qs, u"a"_qs};
        QTest::newRow("method out of range")
            << QStringList{u"put"_qs, u"--method"_qs, u"3"_qs, u"a"_qs, u"b"_qs};
        QTest::newRow("app mode on put")
            << QStringList{u"put"_qs, u"--app-mode"_qs, u"1"_qs, u"a"_qs, u"b"_qs};
        QTest::newRow("password as argument")
            << QStringList{u"take"_qs, u"--password"_qs, u"x"_qs, u"a"_qs, u"b"_qs};
    }
    void usageErrorsExitWithTwo() {
        QFETCH(QStringList, args);
        const Run run = vrl(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains(u"usage"_qs));
    }

    void putAndTakeWithEveryMethod() {
        write(path("source"), "put away by vrl\n");
        for (const QString& method : {u"0"_qs, u"1"_qs, u"2"_qs}) {
            QCOMPARE(
                vrl({u"put"_qs, u"--method"_qs, method, path("source"), path("locker")}).exitCode,
                0);
            const Run run = vrl({u"take"_qs, u"--method"_qs, method, path("locker"), u"-"_qs});
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(run.out, QByteArray("put away by vrl\n"));
        }
    }

    void recordedApplicationIsPrinted() {
        write(path("source"), "data");
        QCOMPARE(vrl({u"put"_qs, u"--method"_qs, u"1"_qs, u"--app"_qs, u"/usr/bin/app"_qs,
                      path("source"), path("locker")})
                     .exitCode,
                 0);
        Run run = vrl({u"take"_qs, u"--method"_qs, u"1"_qs, path("locker"), path("out")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.contains(u"application: /usr/bin/app"_qs));
        QCOMPARE(read(path("out")), QByteArray("data"));
        // Other modes leave the header in front of the data.
        run = vrl({u"take"_qs, u"--method"_qs, u"1"_qs, u"--app-mode"_qs, u"0"_qs, path("locker"),
                   u"-"_qs});
        QCOMPARE(run.out, QByteArray("vrls/usr/bin/appvrlsdata"));
    }

    void passwordFromAFile() {
        write(path("source"), "data");
        write(path("pw"), "from file\r\nsecond line\n");
        QCOMPARE(vrl({u"put"_qs, u"--method"_qs, u"0"_qs, u"--password-file"_qs, path("pw"),
                      path("source"), path("locker")},
                     QString())
                     .exitCode,
                 0);
        const Run run =
            vrl({u"take"_qs, u"--method"_qs, u"0"_qs, path("locker"), u"-"_qs}, u"from file"_qs);
        QCOMPARE(run.out, QByteArray("data"));
        // A missing password file is a file error, not an empty password.
        const Run missing =
            vrl({u"take"_qs, u"--password-file"_qs, path("nothing"), path("locker"), u"-"_qs},
                QString());
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.err.contains(u"(53)"_qs));
    }

    void failuresExitWithOneAndTheWindowsMessage() {
        write(path("empty"), {});
        Run run = vrl({u"put"_qs, u"--method"_qs, u"0"_qs, path("empty"), path("locker2")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(u"このファイルはこの施錠方式ではしまうことができません。"_qs));
        QVERIFY(!QFile::exists(path("locker2")));
        run = vrl({u"take"_qs, u"--method"_qs, u"1"_qs, path("empty"), path("out2")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(u"このファイルは正しい施錠がなされていません。"_qs));
        run = vrl({u"take"_qs, u"--method"_qs, u"0"_qs, path("missing"), path("out2")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(u"(53)"_qs));
        QVERIFY(!QFile::exists(path("out2")));
        QVERIFY(!QFile::exists(path("missing")));
    }
};

QTEST_GUILESS_MAIN(VrlTest)
#include "tst_vrl.moc"
