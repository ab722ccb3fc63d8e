#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace platform;
using namespace Qt::StringLiterals;

namespace {

const QString TestKey = u"SOFTWARE\\Test"_s;
const QString SysInfoKey = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_s;
const QByteArray TestSection = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n";

void writeFile(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

} // namespace

class RegistryTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_store;
    QByteArray m_savedPath;

    // The store holds `store`; PATH holds only a folder of the test.
    void useStore(const QByteArray& store) {
        writeFile(m_store, store);
        qputenv("PATH", QFile::encodeName(m_dir.filePath(u"bin"_s)));
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(u"bin"_s));
        m_store = m_dir.filePath(u"registry.ini"_s);
        setRegistryStore(m_store);
        m_savedPath = qgetenv("PATH");
    }
    void cleanupTestCase() {
        setRegistryStore({});
        qputenv("PATH", m_savedPath);
    }

    void readsStoredValue_data() {
        QTest::addColumn<QByteArray>("store");
        QTest::addColumn<uint>("root");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("value");
        const uint lm = hkey::LocalMachine;
        const QString previous = u"previous"_s;

        QTest::newRow("text") << TestSection + "Name=/opt/tool\n" << lm << true << u"/opt/tool"_s;
        QTest::newRow("blanks around, CR LF")
            << QByteArray(" [ HKEY_LOCAL_MACHINE\\SOFTWARE\\Test ] \r\n  Name = a b \r\n") << lm
            << true << u"a b"_s;
        QTest::newRow("quotes keep blanks")
            << TestSection + "Name=\" a \"" << lm << true << u" a "_s;
        QTest::newRow("names regardless of case")
            << QByteArray("[hkey_local_machine\\software\\TEST]\nNAME=x") << lm << true << u"x"_s;
        QTest::newRow("empty text") << TestSection + "Name=" << lm << true << QString();
        QTest::newRow("number") << TestSection + "Name=dword:0000002a" << lm << true << u"42"_s;
        QTest::newRow("largest number")
            << TestSection + "Name=DWORD:FFFFFFFF" << lm << true << u"4294967295"_s;
        QTest::newRow("other type keeps the text")
            << TestSection + "Name=hex:01,02" << lm << true << previous;
        QTest::newRow("other type with a number")
            << TestSection + "Name=hex(2):41,00" << lm << true << previous;
        QTest::newRow("text cut at code 0")
            << TestSection + QByteArray("Name=ab\0cd\n", 11) << lm << true << u"ab"_s;
        QTest::newRow("longest text")
            << TestSection + "Name=" + QByteArray(1023, 'a') << lm << true << QString(1023, u'a');
        QTest::newRow("first of repeated entries")
            << TestSection + "Name=first\nName=second" << lm << true << u"first"_s;
        QTest::newRow("comment line")
            << TestSection + ";Name=x\n#Name=y" << lm << false << QString();
        QTest::newRow("text too long")
            << TestSection + "Name=" + QByteArray(1024, 'a') << lm << false << QString();
        QTest::newRow("missing value") << TestSection + "Other=x" << lm << false << QString();
        QTest::newRow("missing key")
            << QByteArray("[HKEY_LOCAL_MACHINE\\SOFTWARE]\nName=x") << lm << false << QString();
        QTest::newRow("entry of the next section")
            << TestSection + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\nName=x" << lm << false
            << QString();
        QTest::newRow("other root")
            << TestSection + "Name=x" << uint(hkey::CurrentUser) << false << QString();
        QTest::newRow("unknown root") << TestSection + "Name=x" << 0x12345u << false << QString();
        QTest::newRow("bad number") << TestSection + "Name=dword:12g4" << lm << false << QString();
        QTest::newRow("number too long")
            << TestSection + "Name=dword:123456789" << lm << false << QString();
        QTest::newRow("empty store") << QByteArray() << lm << false << QString();
        QTest::newRow("truncated section line")
            << QByteArray("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Te") << lm << false << QString();
        QTest::newRow("truncated number")
            << TestSection + "Name=dword:" << lm << false << QString();
        QTest::newRow("unclosed section line hides its entries")
            << QByteArray("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\nName=x") << lm << false
            << QString();
        QTest::newRow("appended garbage") << TestSection + "Name=x\n\xff\xfe[[\x01\x02\n=\n"
                                          << lm << true << u"x"_s;
        QTest::newRow("corrupted name") << TestSection + "Na\xffme=x" << lm << false << QString();
        QTest::newRow("binary junk")
            << QByteArray("\x00\x9f[\x01]\x00=\xff", 9) << lm << false << QString();
        QTest::newRow("store too large")
            << TestSection + "Name=x\n" + QByteArray(1 << 20, ';') << lm << false << QString();
    }
    void readsStoredValue() {
        QFETCH(QByteArray, store);
        QFETCH(uint, root);
        QFETCH(bool, found);
        QFETCH(QString, value);
        useStore(store);
        QString keyVal = u"previous"_s;
        QCOMPARE(GetKeyValue(root, TestKey, u"Name"_s, keyVal), found);
        QCOMPARE(keyVal, value);
    }

    void missingStoreFindsNothing() {
        useStore({});
        QVERIFY(QFile::remove(m_store));
        QString keyVal = u"previous"_s;
        QVERIFY(!GetKeyValue(hkey::LocalMachine, TestKey, u"Name"_s, keyVal));
        QVERIFY(keyVal.isEmpty());
    }

    // The tool's path comes from the store first, then from the known programs on PATH in
    // their order; other values never come from PATH.
    void sysInfoToolFallsBackToPath_data() {
        QTest::addColumn<QByteArray>("store");
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<QString>("expected");
        const QByteArray stored =
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\nPATH=/stored\n";
        QTest::newRow("store first")
            << stored << QStringList{u"hardinfo"_s} << u"PATH"_s << u"/stored"_s;
        QTest::newRow("program on PATH")
            << QByteArray() << QStringList{u"hardinfo"_s} << u"PATH"_s << u"bin/hardinfo"_s;
        QTest::newRow("programs in order")
            << QByteArray() << QStringList{u"hardinfo"_s, u"kinfocenter"_s} << u"path"_s
            << u"bin/kinfocenter"_s;
        QTest::newRow("no program") << QByteArray() << QStringList() << u"PATH"_s << QString();
        QTest::newRow("other value")
            << QByteArray() << QStringList{u"hardinfo"_s} << u"MSINFO"_s << QString();
    }
    void sysInfoToolFallsBackToPath() {
        QFETCH(QByteArray, store);
        QFETCH(QStringList, programs);
        QFETCH(QString, valueName);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"bin"_s));
        for (const QString& program : programs)
            writeFile(dir.filePath(u"bin/"_s + program), "#!/bin/sh\n", true);
        // A file that may not be run is no program.
        writeFile(dir.filePath(u"bin/hardinfo2"_s), "#!/bin/sh\n");
        writeFile(m_store, store);
        qputenv("PATH", QFile::encodeName(dir.filePath(u"bin"_s)));
        QString keyVal;
        QCOMPARE(GetKeyValue(hkey::LocalMachine, SysInfoKey, valueName, keyVal),
                 !expected.isEmpty());
        QCOMPARE(keyVal, expected.startsWith(u"bin/"_s) ? dir.filePath(expected) : expected);
    }

    void defaultStoreLivesInTheSettingsFolder() {
        const QString previous = setRegistryStore({});
        const QString file = qEnvironmentVariable("XDG_CONFIG_HOME") + u"/WinVrls-registry.ini"_s;
        writeFile(file, TestSection + "Name=default");
        QString keyVal;
        const bool found = GetKeyValue(hkey::LocalMachine, TestKey, u"Name"_s, keyVal);
        setRegistryStore(previous);
        QVERIFY(found);
        QCOMPARE(keyVal, u"default"_s);
    }
};

int main(int argc, char* argv[]) {
    // The settings folder of this run, before anything reads it.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QCoreApplication app(argc, argv);
    RegistryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_registry.moc"
