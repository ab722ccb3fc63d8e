// Argon2id through the library binding: published and reference tags in one and several
// lanes (memory from the huge-page callback), libsodium's one-lane results, and failures
// reported as errors rather than as a tag.
#include "locker/crypto/DataProtectKdf.h"
#include "support/LockerTestSupport.h"

#include <QFile>
#include <QTest>

#include <sodium.h>

using namespace locker::dataprotect;

namespace {

std::span<const unsigned char> bytesOf(const QByteArray& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size())};
}

QByteArray tagOf(const Argon2idInput& input, const Argon2idCost& cost, int length) {
    QByteArray tag(length, '\0');
    argon2id({reinterpret_cast<unsigned char*>(tag.data()), std::size_t(length)}, input, cost);
    return tag.toHex();
}

// The error number of deriving a 32-byte tag, 0 when it succeeds.
int errorOf(const Argon2idInput& input, const Argon2idCost& cost, int length = 32) {
    return testsupport::errorNumberOf([&] { tagOf(input, cost, length); });
}

constexpr int OutOfMemory = 7, CipherLibrary = 1008;

const QByteArray Salt = QByteArrayLiteral("somesaltsomesalt");
const QByteArray Password = QByteArrayLiteral("pw");

} // namespace

class Argon2idTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(sodium_init() >= 0); }

    void knownTags_data() {
        QTest::addColumn<quint32>("passes");
        QTest::addColumn<quint32>("memoryKiB");
        QTest::addColumn<quint32>("lanes");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QByteArray>("salt");
        QTest::addColumn<QByteArray>("secret");
        QTest::addColumn<QByteArray>("associatedData");
        QTest::addColumn<QByteArray>("tag");
        QTest::newRow("RFC 9106") << 3u << 32u << 4u << QByteArray(32, 1) << QByteArray(16, 2)
                                  << QByteArray(8, 3) << QByteArray(12, 4)
                                  << QByteArray("0d640df58d78766c08c037a34a8b53c9"
                                                "d01ef0452d75b65eb52520e96b01e659");
        // From the Argon2 reference library.
        QTest::newRow("2 lanes") << 1u << 64u << 2u << QByteArray("password") << Salt
                                 << QByteArray() << QByteArray()
                                 << QByteArray("8a9058c53ee1ee02598b4cfea0a0fa64"
                                               "b630aa18e2634c287353de808c97a957");
        QTest::newRow("3 lanes, memory rounded down, empty password")
            << 2u << 100u << 3u << QByteArray() << QByteArray("saltsaltsalt") << QByteArray()
            << QByteArray() << QByteArray("f35e77b3279c080a8bbdc8e8a492e3cca6a7f29b98dd3383");
        QTest::newRow("4 lanes") << 3u << 512u << 4u << QByteArray("correct horse battery staple")
                                 << QByteArray("0123456789abcdef") << QByteArray() << QByteArray()
                                 << QByteArray("a9a9bc5d92470a3f75ba2fb03dce8a6d"
                                               "261a2e2b2ee24cd392c74cb68849471e"
                                               "6edf9a5c6facc27cc1ead8e25e703816"
                                               "1fb411d2941ef153c9a176787aaf6356");
        QTest::newRow("8 lanes") << 2u << 256u << 8u << QByteArray(7, '\xff') << Salt
                                 << QByteArray() << QByteArray()
                                 << QByteArray("6ff9b35ff7a43f58f919f538154a8d60");
        QTest::newRow("4 lanes, two address blocks a segment")
            << 1u << 4096u << 4u << QByteArray("x") << Salt << QByteArray() << QByteArray()
            << QByteArray("739d24ccf0529a7f3183cea504785a3ec47b956bbe31b3d63ea97170337fcb68");
        QTest::newRow("new lockers' cost: 3 passes over 64 MiB in 4 lanes")
            << 3u << 65536u << 4u << QStringLiteral("合言葉 correct horse").toUtf8() << Salt
            << QByteArray() << QByteArray()
            << QByteArray("67513faa947bdf83ddaaf9c17da6a367fb30ccbeffc518fe8d7b173f466317d7");
        QTest::newRow("2 lanes, 100-byte tag")
            << 2u << 2000u << 2u << QByteArray("long lanes") << Salt << QByteArray() << QByteArray()
            << QByteArray("13bf17555f88ce20bccf3ab0f807f97c085c06bb04d852b595f3024356a5b4c1"
                          "b1480225554d1ca714c1c6bcd09009b15b78141d6b4250f37d2db39e67cceba2"
                          "893d4beac73359c7455c6d4241f470d5ddd0123c046753ba67b41d6311731643"
                          "0f8934c1");
    }
    void knownTags() {
        QFETCH(quint32, passes);
        QFETCH(quint32, memoryKiB);
        QFETCH(quint32, lanes);
        QFETCH(QByteArray, password);
        QFETCH(QByteArray, salt);
        QFETCH(QByteArray, secret);
        QFETCH(QByteArray, associatedData);
        QFETCH(QByteArray, tag);
        const Argon2idInput input{bytesOf(password), bytesOf(salt), bytesOf(secret),
                                  bytesOf(associatedData)};
        QCOMPARE(tagOf(input, {passes, memoryKiB, lanes}, int(tag.size() / 2)), tag);
    }

    void oneLaneMatchesLibsodium_data() {
        QTest::addColumn<quint32>("passes");
        QTest::addColumn<quint32>("memoryKiB");
        QTest::addColumn<int>("passwordLength");
        QTest::addColumn<int>("tagLength");
        QTest::newRow("least memory") << 1u << 8u << 0 << 16;
        QTest::newRow("odd memory") << 2u << 33u << 1 << 32;
        QTest::newRow("1000 KiB") << 3u << 1000u << 20 << 64;
        QTest::newRow("4 MiB") << 4u << 4096u << 1 << 100;
        QTest::newRow("16 MiB") << 3u << 16384u << 20 << 32;
    }
    void oneLaneMatchesLibsodium() {
        QFETCH(quint32, passes);
        QFETCH(quint32, memoryKiB);
        QFETCH(int, passwordLength);
        QFETCH(int, tagLength);
        const QByteArray password = QByteArray("an example password!").left(passwordLength);
        QByteArray expected(tagLength, '\0');
        QCOMPARE(crypto_pwhash(reinterpret_cast<unsigned char*>(expected.data()),
                               std::size_t(tagLength), password.constData(),
                               std::size_t(password.size()), bytesOf(Salt).data(), passes,
                               std::size_t(memoryKiB) * 1024, crypto_pwhash_ALG_ARGON2ID13),
                 0);
        QCOMPARE(tagOf({bytesOf(password), bytesOf(Salt)}, {passes, memoryKiB, 1}, tagLength),
                 expected.toHex());
    }

    // Parameters the library refuses raise its failure; memory that cannot be had raises
    // out of memory. Neither hands back a tag.
    void failuresRaise() {
        const Argon2idInput input{bytesOf(Password), bytesOf(Salt)};
        QCOMPARE(errorOf(input, {1, 64, 1}), 0);
        QCOMPARE(errorOf(input, {1, 64, 1}, 3), CipherLibrary);
        QCOMPARE(errorOf(input, {0, 64, 1}), CipherLibrary);
        QCOMPARE(errorOf(input, {1, 64, 0}), CipherLibrary);
        QCOMPARE(errorOf(input, {1, 31, 4}), CipherLibrary);
        QCOMPARE(errorOf({input.password, input.salt.first(7)}, {1, 64, 1}), CipherLibrary);
        QFile overcommit(QStringLiteral("/proc/sys/vm/overcommit_memory"));
        if (overcommit.open(QIODevice::ReadOnly) && overcommit.readAll().trimmed() != "1")
            QCOMPARE(errorOf(input, {1, 0xffffffffu, 4}), OutOfMemory); // 4 TiB
    }
};

QTEST_GUILESS_MAIN(Argon2idTest)
#include "tst_argon2id.moc"
