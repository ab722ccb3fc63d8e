// AES-256-GCM through both library bindings: published vectors, agreement of the preferred
// library with OpenSSL over lengths and associated data, and rejection of any altered input.
#include "locker/crypto/DataProtectGcm.h"

#include <QRandomGenerator>
#include <QTest>

#include <vector>

using namespace locker::dataprotect;
using Library = Gcm::Library;

Q_DECLARE_METATYPE(Library)

namespace {

using Bytes = std::vector<unsigned char>;

const unsigned char* bytesOf(const QByteArray& bytes) {
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

std::span<const unsigned char> spanOf(const QByteArray& bytes) {
    return {bytesOf(bytes), std::size_t(bytes.size())};
}

Bytes randomBytes(QRandomGenerator& random, std::size_t length) {
    Bytes bytes(length);
    for (auto& b : bytes)
        b = static_cast<unsigned char>(random.generate());
    return bytes;
}

} // namespace

class AesGcmTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { qInfo("preferred library: %s", preferredGcmName()); }

    // The AES-256 cases of the GCM paper (test cases 13 to 16).
    void publishedVectors_data() {
        QTest::addColumn<Library>("library");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("nonce");
        QTest::addColumn<QByteArray>("associatedData");
        QTest::addColumn<QByteArray>("plaintext");
        QTest::addColumn<QByteArray>("ciphertext");
        QTest::addColumn<QByteArray>("tag");
        const QByteArray zeros(32, '\0');
        const QByteArray key =
            QByteArray::fromHex("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308");
        const QByteArray nonce = QByteArray::fromHex("cafebabefacedbaddecaf888");
        const QByteArray plaintext =
            QByteArray::fromHex("d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
                                "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b391aafd255");
        const QByteArray ciphertext =
            QByteArray::fromHex("522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
                                "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662898015ad");
        for (const Library library : {Library::Preferred, Library::OpenSsl}) {
            const char* name = library == Library::Preferred ? "preferred" : "OpenSSL";
            QTest::addRow("13 empty, %s", name)
                << library << zeros << zeros.left(12) << QByteArray() << QByteArray()
                << QByteArray() << QByteArray("530f8afbc74536b9a963b4f1c4cb738b");
            QTest::addRow("14 one zero block, %s", name)
                << library << zeros << zeros.left(12) << QByteArray() << zeros.left(16)
                << QByteArray::fromHex("cea7403d4d606b6e074ec5d3baf39d18")
                << QByteArray("d0d1c8a799996bf0265b98b5d48ab919");
            QTest::addRow("15 four blocks, %s", name)
                << library << key << nonce << QByteArray() << plaintext << ciphertext
                << QByteArray("b094dac5d93471bdec1a502270e3cc6c");
            QTest::addRow("16 associated data, partial block, %s", name)
                << library << key << nonce
                << QByteArray::fromHex("feedfacedeadbeeffeedfacedeadbeefabaddad2")
                << plaintext.left(60) << ciphertext.left(60)
                << QByteArray("76fc6ece0f4e1768cddf8853bb2d551b");
        }
    }
    void publishedVectors() {
        QFETCH(Library, library);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, nonce);
        QFETCH(QByteArray, associatedData);
        QFETCH(QByteArray, plaintext);
        QFETCH(QByteArray, ciphertext);
        QFETCH(QByteArray, tag);
        const auto gcm = makeGcm(bytesOf(key), library);
        QByteArray data = plaintext, actualTag(16, '\0');
        auto* bytes = reinterpret_cast<unsigned char*>(data.data());
        gcm->seal(bytesOf(nonce), spanOf(associatedData), bytes, std::size_t(data.size()),
                  reinterpret_cast<unsigned char*>(actualTag.data()));
        QCOMPARE(data.toHex(), ciphertext.toHex());
        QCOMPARE(actualTag.toHex(), tag);
        QVERIFY(gcm->open(bytesOf(nonce), spanOf(associatedData), bytes, std::size_t(data.size()),
                          bytesOf(actualTag)));
        QCOMPARE(data, plaintext);
    }

    // Lengths around block and buffer boundaries up to megabytes, with 0 to 80 bytes of
    // associated data at varying alignments: the preferred library seals exactly what
    // OpenSSL seals, opens it, and leaves the bytes after the message untouched.
    void preferredMatchesOpenSsl() {
        std::vector<std::size_t> lengths;
        for (std::size_t length = 0; length <= 300; ++length)
            lengths.push_back(length);
        for (std::size_t base : {512, 1024, 4096, 65536})
            lengths.insert(lengths.end(), {base - 17, base - 1, base, base + 1, base + 16});
        lengths.insert(lengths.end(), {(1u << 20) + 17, 4u << 20});

        QRandomGenerator random(11);
        Bytes key;
        std::unique_ptr<Gcm> preferred, openSsl;
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            const std::size_t length = lengths[i], offset = i % 3, guard = 64;
            if (i % 7 == 0) {
                key = randomBytes(random, 32);
                preferred = makeGcm(key.data(), Library::Preferred);
                openSsl = makeGcm(key.data(), Library::OpenSsl);
            }
            const Bytes nonce = randomBytes(random, 12), ad = randomBytes(random, i % 81);
            const Bytes buffer = randomBytes(random, offset + length + guard);
            Bytes expected = buffer, actual = buffer, expectedTag(16), tag(16);
            openSsl->seal(nonce.data(), ad, expected.data() + offset, length, expectedTag.data());
            preferred->seal(nonce.data(), ad, actual.data() + offset, length, tag.data());
            QVERIFY2(actual == expected && tag == expectedTag,
                     qPrintable(QStringLiteral("length %1").arg(length)));
            QVERIFY(preferred->open(nonce.data(), ad, actual.data() + offset, length, tag.data()));
            QVERIFY2(actual == buffer, qPrintable(QStringLiteral("length %1").arg(length)));
        }
    }

    void rejectsAlteredInput_data() {
        QTest::addColumn<Library>("library");
        QTest::newRow("preferred library") << Library::Preferred;
        QTest::newRow("OpenSSL") << Library::OpenSsl;
    }
    void rejectsAlteredInput() {
        QFETCH(Library, library);
        QRandomGenerator random(5);
        const Bytes key = randomBytes(random, 32), nonce = randomBytes(random, 12),
                    ad = randomBytes(random, 69), plaintext = randomBytes(random, 1000);
        const auto gcm = makeGcm(key.data(), library);
        Bytes sealed = plaintext, tag(16);
        gcm->seal(nonce.data(), ad, sealed.data(), sealed.size(), tag.data());

        const auto opens = [&](Bytes n, Bytes a, Bytes data, Bytes t, std::size_t length) {
            return gcm->open(n.data(), a, data.data(), length, t.data());
        };
        const auto flipped = [](Bytes bytes, std::size_t bit) {
            bytes[bit / 8] ^= static_cast<unsigned char>(1u << (bit % 8));
            return bytes;
        };
        QVERIFY(opens(nonce, ad, sealed, tag, sealed.size()));
        for (std::size_t bit : {0, 7, 4000, 7999})
            QVERIFY(!opens(nonce, ad, flipped(sealed, bit), tag, sealed.size()));
        for (std::size_t bit : {0, 551})
            QVERIFY(!opens(nonce, flipped(ad, bit), sealed, tag, sealed.size()));
        for (std::size_t bit : {0, 95})
            QVERIFY(!opens(flipped(nonce, bit), ad, sealed, tag, sealed.size()));
        for (std::size_t bit : {0, 127})
            QVERIFY(!opens(nonce, ad, sealed, flipped(tag, bit), sealed.size()));
        QVERIFY(!opens(nonce, ad, sealed, tag, sealed.size() - 1));
        QVERIFY(!opens(nonce, Bytes(ad.begin(), ad.end() - 1), sealed, tag, sealed.size()));
    }
};

QTEST_GUILESS_MAIN(AesGcmTest)
#include "tst_aesgcm.moc"
