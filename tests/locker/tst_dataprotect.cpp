#include "locker/crypto/StreamCipher.h"
#include "locker/dataprotect/DataProtect.h"
#include "locker/dataprotect/DataProtectFormat.h"
#include "support/LockerTestSupport.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

using namespace locker;
using namespace testsupport;
using namespace Qt::StringLiterals;
namespace dp = locker::dataprotect;

namespace {

const QString Password = QStringLiteral("合言葉 correct horse");
constexpr qsizetype Chunk = qsizetype(1) << 20;
constexpr int SmallShift = 16; // the smallest chunks a reader accepts
constexpr qsizetype Small = qsizetype(1) << SmallShift;
constexpr int NotALocker = 1001, UnsupportedVersion = 1002, WrongPassword = 1004,
              HeaderDamaged = 1005, Truncated = 1006, ChunkDamaged = 1007;

// The cheapest key derivation, so that sweeps over thousands of damaged files stay fast.
dp::Parameters FastParameters(int chunkShift = 20) {
    dp::Parameters parameters;
    parameters.opsLimit = dp::MinOpsLimit;
    parameters.memLimitKiB = dp::MinMemLimitKiB;
    parameters.lanes = 1;
    parameters.chunkShift = chunkShift;
    return parameters;
}

// The locker bytes of `plain`, made through the file interface.
QByteArray Protect(const QByteArray& plain, const dp::Parameters& parameters,
                   const QString& password = Password) {
    QTemporaryDir dir;
    writeFile(dir.filePath(u"plain"_s), plain);
    DataProtect(parameters)
        .ProtectFile(dir.filePath(u"plain"_s), dir.filePath(u"locker"_s), password, 1, 0, 1);
    return readFile(dir.filePath(u"locker"_s));
}

} // namespace

class DataProtectTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Takes `lockerBytes` out into a folder that also holds an older file of the output's
    // name, and checks that a failure leaves exactly that behind. Returns the error number.
    int TakeOutFailing(const QByteArray& lockerBytes) {
        QTemporaryDir dir;
        const QString lockerPath = dir.filePath(u"in.vrl"_s);
        const QString outputPath = dir.filePath(u"out.dat"_s);
        writeFile(lockerPath, lockerBytes);
        writeFile(outputPath, "older file");
        const int number = errorNumberOf(
            [&] { DataProtect().UnprotectFile(lockerPath, outputPath, Password, 1, 0, 1); });
        if (number != 0 && (readFile(outputPath) != "older file" ||
                            entries(dir.path()) != QStringList{u"in.vrl"_s, u"out.dat"_s}))
            return -1; // something was released or left behind
        return number;
    }

private Q_SLOTS:
    // The switch that forces OpenSSL is honoured, so that its run of this suite is one.
    void aesLibrarySwitch() {
        if (qgetenv("VRL_AES") == "openssl")
            QCOMPARE(dp::preferredGcmName(), "OpenSSL");
    }

    void roundTrip_data() {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("empty") << qsizetype(0);
        QTest::newRow("one byte") << qsizetype(1);
        QTest::newRow("chunk - 1") << Chunk - 1;
        QTest::newRow("chunk") << Chunk;
        QTest::newRow("chunk + 1") << Chunk + 1;
        QTest::newRow("two chunks") << 2 * Chunk;
        QTest::newRow("two chunks + 1") << 2 * Chunk + 1;
        QTest::newRow("about 10 MB") << qsizetype(10'000'019);
    }
    // Every length comes back byte for byte, in a file and on a device, and the locker holds
    // the header, the data and one tag for each full chunk plus the short last one.
    void roundTrip() {
        QFETCH(qsizetype, size);
        const QByteArray plain = randomBytes(size, quint32(size));
        writeFile(path(u"plain"_s), plain);
        DataProtect dataProtect(FastParameters());
        dataProtect.ProtectFile(path(u"plain"_s), path(u"locker.vrl"_s), Password, 1, 0, 1);
        QCOMPARE(QFileInfo(path(u"locker.vrl"_s)).size(),
                 dp::HeaderSize + size + dp::TagSize * (size / Chunk + 1));
        dataProtect.UnprotectFile(path(u"locker.vrl"_s), path(u"out"_s), Password, 1, 0, 1);
        QCOMPARE(readFile(path(u"out"_s)), plain);
        QBuffer device;
        device.open(QIODevice::WriteOnly);
        dataProtect.unprotectTo(path(u"locker.vrl"_s), device, Password, 1, 0, 1);
        QCOMPARE(device.data(), plain);
    }

    // A new locker records the default cost (3 passes over 64 MiB in 4 lanes) and 1 MiB
    // chunks, and a reader follows what the header says.
    void defaultParametersAreRecorded() {
        writeFile(path(u"plain"_s), "put away with the default cost");
        DataProtect().ProtectFile(path(u"plain"_s), path(u"default.vrl"_s), Password, 1, 0, 1);
        const QByteArray bytes = readFile(path(u"default.vrl"_s));
        QCOMPARE(quint8(bytes[dp::ChunkShiftOffset]), quint8(20));
        QCOMPARE(bytes.mid(dp::AlgorithmOffset, 10), QByteArray::fromHex("02040300000000000100"));
        DataProtect(FastParameters())
            .UnprotectFile(path(u"default.vrl"_s), path(u"out"_s), Password, 1, 0, 1);
        QCOMPARE(readFile(path(u"out"_s)), QByteArray("put away with the default cost"));
    }

    // Fresh salt, fresh keys: the same file under the same password never gives the same
    // bytes, and a chunk of one cannot be passed off in the other.
    void everyLockerHasItsOwnKey() {
        const QByteArray plain = randomBytes(300, 1);
        const QByteArray first = Protect(plain, FastParameters());
        const QByteArray second = Protect(plain, FastParameters());
        QVERIFY(first.mid(dp::SaltOffset, dp::SaltSize) !=
                second.mid(dp::SaltOffset, dp::SaltSize));
        QVERIFY(first.mid(dp::HeaderSize) != second.mid(dp::HeaderSize));
    }

    // Source and target may be the same file: it is replaced only when complete.
    void sameSourceAndTarget() {
        const QByteArray plain = randomBytes(3 * Small + 5, 2);
        writeFile(path(u"same"_s), plain);
        DataProtect dataProtect(FastParameters(SmallShift));
        dataProtect.ProtectFile(path(u"same"_s), path(u"same"_s), Password, 1, 0, 1);
        QVERIFY(readFile(path(u"same"_s)) != plain);
        QCOMPARE(errorNumberOf([&] {
                     dataProtect.UnprotectFile(path(u"same"_s), path(u"same"_s), u"other"_s, 1, 0,
                                               1);
                 }),
                 WrongPassword);
        dataProtect.UnprotectFile(path(u"same"_s), path(u"same"_s), Password, 1, 0, 1);
        QCOMPARE(readFile(path(u"same"_s)), plain);
    }

    // The taken-out file is for its owner's eyes only, also when it replaces a file that
    // others could read.
    void outputIsReadableByOwnerOnly() {
        writeFile(path(u"plain"_s), "private");
        writeFile(path(u"shared"_s), "older, readable by all");
        QFile::setPermissions(path(u"shared"_s), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ReadGroup |
                                                     QFileDevice::ReadOther);
        DataProtect dataProtect(FastParameters());
        dataProtect.ProtectFile(path(u"plain"_s), path(u"private.vrl"_s), Password, 1, 0, 1);
        dataProtect.UnprotectFile(path(u"private.vrl"_s), path(u"shared"_s), Password, 1, 0, 1);
        const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                            QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(path(u"shared"_s)) & others, QFileDevice::Permissions());
        QCOMPARE(readFile(path(u"shared"_s)), QByteArray("private"));
    }

    void passwords_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("expected");
        QTest::newRow("20 single-byte") << u"abcdefghijklmnopqrst"_s << 0;
        QTest::newRow("20 double-byte") << QString(20, QChar(u'鍵')) << 0;
        QTest::newRow("21 characters") << u"abcdefghijklmnopqrstu"_s << 9;
        QTest::newRow("21 double-byte") << QString(21, QChar(u'鍵')) << 9;
        QTest::newRow("empty") << QString() << 5;
    }
    // The password is taken as UTF-8, up to 20 characters; a longer or empty one is refused
    // by both operations before any file is touched.
    void passwords() {
        QFETCH(QString, password);
        QFETCH(int, expected);
        writeFile(path(u"plain"_s), "text");
        DataProtect dataProtect(FastParameters());
        QFile::remove(path(u"pw.vrl"_s));
        QCOMPARE(errorNumberOf([&] {
                     dataProtect.ProtectFile(path(u"plain"_s), path(u"pw.vrl"_s), password, 1, 0,
                                             1);
                 }),
                 expected);
        QCOMPARE(QFile::exists(path(u"pw.vrl"_s)), expected == 0);
        if (expected != 0)
            dataProtect.ProtectFile(path(u"plain"_s), path(u"pw.vrl"_s), Password, 1, 0, 1);
        QFile::remove(path(u"pw.out"_s));
        const int number = errorNumberOf([&] {
            dataProtect.UnprotectFile(path(u"pw.vrl"_s), path(u"pw.out"_s), password, 1, 0, 1);
        });
        QCOMPARE(number, expected);
        QCOMPARE(QFile::exists(path(u"pw.out"_s)), expected == 0);
    }

    void integerArguments_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("expected");
        QTest::newRow("1, 0, 1") << 1 << 0 << 1 << 0;
        QTest::newRow("another version") << 2 << 0 << 1 << 5;
        QTest::newRow("a flag") << 1 << 1 << 1 << 5;
        QTest::newRow("two files") << 1 << 0 << 2 << 5;
    }
    void integerArguments() {
        QFETCH(int, version);
        QFETCH(int, flags);
        QFETCH(int, count);
        QFETCH(int, expected);
        writeFile(path(u"plain"_s), "text");
        DataProtect dataProtect(FastParameters());
        QCOMPARE(errorNumberOf([&] {
                     dataProtect.ProtectFile(path(u"plain"_s), path(u"int.vrl"_s), Password,
                                             version, flags, count);
                 }),
                 expected);
        dataProtect.ProtectFile(path(u"plain"_s), path(u"int.vrl"_s), Password, 1, 0, 1);
        QCOMPARE(errorNumberOf([&] {
                     dataProtect.UnprotectFile(path(u"int.vrl"_s), path(u"int.out"_s), Password,
                                               version, flags, count);
                 }),
                 expected);
    }

    // A missing input is reported and never created; neither is the target.
    void missingFiles() {
        DataProtect dataProtect(FastParameters());
        QCOMPARE(errorNumberOf([&] {
                     dataProtect.ProtectFile(path(u"absent"_s), path(u"absent.vrl"_s), Password, 1,
                                             0, 1);
                 }),
                 53);
        QCOMPARE(errorNumberOf([&] {
                     dataProtect.UnprotectFile(path(u"absent.vrl"_s), path(u"absent.out"_s),
                                               Password, 1, 0, 1);
                 }),
                 53);
        QBuffer device;
        device.open(QIODevice::WriteOnly);
        QCOMPARE(errorNumberOf([&] {
                     dataProtect.unprotectTo(path(u"absent.vrl"_s), device, Password, 1, 0, 1);
                 }),
                 53);
        for (const char* name : {"absent", "absent.vrl", "absent.out"})
            QVERIFY(!QFile::exists(path(QString::fromLatin1(name))));
        writeFile(path(u"plain"_s), "text");
        QCOMPARE(errorNumberOf([&] {
                     dataProtect.ProtectFile(path(u"plain"_s), path(u"no/such/folder.vrl"_s),
                                             Password, 1, 0, 1);
                 }),
                 76);
    }

    // A put away that fails leaves the previous locker file of that name as it was, and no
    // temporary file behind.
    void failedPutAwayKeepsPreviousLocker() {
        QTemporaryDir dir;
        const QString lockerPath = dir.filePath(u"kept.vrl"_s);
        writeFile(lockerPath, "previous locker");
        QDir(dir.path()).mkdir(u"folder"_s);
        DataProtect dataProtect(FastParameters());
        for (const QString& source : {dir.filePath(u"absent"_s), dir.filePath(u"folder"_s)}) {
            QVERIFY(errorNumberOf([&] {
                        dataProtect.ProtectFile(source, lockerPath, Password, 1, 0, 1);
                    }) != 0);
            QCOMPARE(readFile(lockerPath), QByteArray("previous locker"));
            QCOMPARE(entries(dir.path()), QStringList{u"kept.vrl"_s});
        }
    }

    // The dispatch entry reaches both operations by their identifiers.
    void invokeByDispatchIdentifier() {
        writeFile(path(u"plain"_s), "dispatched");
        DataProtect dataProtect(FastParameters());
        dataProtect.invoke(0x60030000, {path(u"plain"_s), path(u"inv.vrl"_s), Password, 1, 0, 1});
        dataProtect.invoke(0x60030001, {path(u"inv.vrl"_s), path(u"inv.out"_s), Password, 1, 0, 1});
        QCOMPARE(readFile(path(u"inv.out"_s)), QByteArray("dispatched"));
        QCOMPARE(errorNumberOf([&] { dataProtect.invoke(0x60030002, {}); }), 438);
        QCOMPARE(errorNumberOf([&] {
                     dataProtect.invoke(0x60030001, {path(u"inv.vrl"_s), path(u"inv.out"_s)});
                 }),
                 5);
        QCOMPARE(errorNumberOf([&] {
                     dataProtect.invoke(0x60030001, {path(u"inv.vrl"_s), path(u"inv.out"_s),
                                                     Password, u"1"_s, 0, 1});
                 }),
                 5);
    }

    // On a device each chunk is released only after its tag verified: a damaged last chunk
    // raises after the chunks before it, a wrong password before anything.
    void deviceOutputReleasesVerifiedChunksOnly() {
        const QByteArray plain = randomBytes(3 * Small + 10, 3);
        QByteArray locker = Protect(plain, FastParameters(SmallShift));
        writeFile(path(u"device.vrl"_s), locker);
        QBuffer device;
        device.open(QIODevice::WriteOnly);
        DataProtect dataProtect;
        QCOMPARE(errorNumberOf([&] {
                     dataProtect.unprotectTo(path(u"device.vrl"_s), device, u"wrong"_s, 1, 0, 1);
                 }),
                 WrongPassword);
        QCOMPARE(device.size(), 0);
        locker[locker.size() - 20] = char(locker[locker.size() - 20] ^ 1);
        writeFile(path(u"device.vrl"_s), locker);
        QCOMPARE(errorNumberOf([&] {
                     dataProtect.unprotectTo(path(u"device.vrl"_s), device, Password, 1, 0, 1);
                 }),
                 ChunkDamaged);
        QCOMPARE(device.data(), plain.left(3 * Small));
    }

    // A device that stops taking bytes is reported as an I/O error.
    void deviceWriteFailure() {
        const QByteArray plain = randomBytes(5000, 4);
        writeFile(path(u"fail.vrl"_s), Protect(plain, FastParameters()));
        FailingDevice device(1000);
        QCOMPARE(errorNumberOf([&] {
                     DataProtect().unprotectTo(path(u"fail.vrl"_s), device, Password, 1, 0, 1);
                 }),
                 57);
        QCOMPARE(device.written, plain.left(1000));
    }

    // Records sealed by either AES library open with the other, so that lockers move between
    // machines with and without the multi-buffer library; both refuse a record out of place.
    void recordsOpenWithEitherEngine() {
        using Engine = dp::StreamCipher::Engine;
        const QByteArray key = randomBytes(32, 8);
        const QByteArray header = randomBytes(dp::HeaderSize, 9);
        const auto keyBytes = reinterpret_cast<const unsigned char*>(key.constData());
        for (const auto& [sealer, opener] : {std::pair(Engine::Preferred, Engine::OpenSsl),
                                             std::pair(Engine::OpenSsl, Engine::Preferred)}) {
            dp::StreamCipher seal(keyBytes, header, sealer), open(keyBytes, header, opener);
            for (const int length : {0, 1, 63, 64, 1000, int(Chunk) + 17}) {
                const QByteArray plain = randomBytes(length, length);
                const bool last = length < 64;
                QByteArray record = plain + QByteArray(dp::TagSize, '\0');
                seal.seal(7, last, reinterpret_cast<unsigned char*>(record.data()), length);
                const auto opens = [&](quint64 index, bool asLast, QByteArray bytes) {
                    return open.open(index, asLast, reinterpret_cast<unsigned char*>(bytes.data()),
                                     bytes.size()) &&
                           bytes.left(length) == plain;
                };
                QVERIFY(opens(7, last, record));
                QVERIFY(!opens(6, last, record));
                QVERIFY(!opens(7, !last, record));
            }
        }
    }

    // The committed lockers, each with the outcome its manifest names: the malformed set
    // (written by the release whose primitives were our own) and lockers of later versions.
    // The sound ones come back as the committed plaintext.
    void malformedLockers_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("expected");
        const QDir data(QStringLiteral(VRL_DATAPROTECT_DATA));
        const QStringList manifests = data.entryList({u"*.tsv"_s});
        QCOMPARE(manifests, (QStringList{u"expected.tsv"_s, u"versions.tsv"_s}));
        for (const QString& name : manifests) {
            QFile manifest(data.filePath(name));
            QVERIFY(manifest.open(QIODevice::ReadOnly | QIODevice::Text));
            while (!manifest.atEnd()) {
                const QList<QByteArray> fields = manifest.readLine().trimmed().split('\t');
                if (fields.size() >= 2)
                    QTest::newRow(fields[0].constData())
                        << QString::fromUtf8(fields[0]) << fields[1].toInt();
            }
        }
    }
    void malformedLockers() {
        QFETCH(QString, name);
        QFETCH(int, expected);
        const QByteArray bytes = readFile(QStringLiteral(VRL_DATAPROTECT_DATA "/") + name);
        if (expected != 0) {
            QCOMPARE(TakeOutFailing(bytes), expected);
            return;
        }
        writeFile(path(u"valid.vrl"_s), bytes);
        QCOMPARE(errorNumberOf([&] {
                     DataProtect().UnprotectFile(path(u"valid.vrl"_s), path(u"valid.out"_s),
                                                 Password, 1, 0, 1);
                 }),
                 0);
        QCOMPARE(readFile(path(u"valid.out"_s)),
                 readFile(QStringLiteral(VRL_DATAPROTECT_DATA "/plain.bin")));
    }

    // Every single-bit change in the header is caught before any chunk is opened.
    void headerBitFlipSweep() {
        const QByteArray locker = Protect(randomBytes(100, 5), FastParameters());
        for (int bit = 0; bit < dp::HeaderSize * 8; ++bit) {
            QByteArray damaged = locker;
            damaged[bit / 8] = char(damaged[bit / 8] ^ (1 << (bit % 8)));
            const int number = TakeOutFailing(damaged);
            const int byte = bit / 8;
            const int expected = byte < dp::VersionOffset    ? NotALocker
                                 : byte == dp::VersionOffset ? UnsupportedVersion
                                                             : HeaderDamaged;
            QVERIFY2(number == expected, qPrintable(u"bit %1 gave %2"_s.arg(bit).arg(number)));
        }
    }

    // A multi-chunk locker changed in every header byte, in the first and last bytes of
    // every record and at a stride through the data, and cut at every header length, around
    // every record boundary and at a stride: all refused, nothing released.
    void byteFlipAndTruncationSweep() {
        const QByteArray locker =
            Protect(randomBytes(2 * Small + 17, 6), FastParameters(SmallShift));
        const qsizetype record = Small + dp::TagSize;
        QList<qsizetype> positions;
        for (qsizetype i = 0; i < dp::HeaderSize; ++i)
            positions << i;
        for (qsizetype start = dp::HeaderSize; start < locker.size(); start += record)
            for (qsizetype i = -20; i < 20; ++i)
                positions << start + i;
        for (qsizetype i = dp::HeaderSize; i < locker.size(); i += 4099)
            positions << i;
        positions << locker.size() - 1;
        for (const qsizetype i : positions) {
            QByteArray damaged = locker;
            damaged[i] = char(damaged[i] ^ (1 << (i % 8)));
            const int number = TakeOutFailing(damaged);
            QVERIFY2(number > 0, qPrintable(u"byte %1 gave %2"_s.arg(i).arg(number)));
        }
        for (const qsizetype length : positions) {
            const int number = TakeOutFailing(locker.left(length));
            QVERIFY2(number > 0, qPrintable(u"length %1 gave %2"_s.arg(length).arg(number)));
            if (length >= dp::HeaderSize)
                QVERIFY(number == Truncated || number == ChunkDamaged);
        }
        QCOMPARE(TakeOutFailing(locker + QByteArray(1, '\0')), ChunkDamaged);
        QCOMPARE(TakeOutFailing(QByteArray()), Truncated);
    }
};

QTEST_GUILESS_MAIN(DataProtectTest)
#include "tst_dataprotect.moc"
