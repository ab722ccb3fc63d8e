// AES-256-GCM on VAES: published vectors, agreement with OpenSSL at every short length and
// at long ones, and rejection of any altered input.
#include "locker/AesGcm.h"

#include <QRandomGenerator>
#include <QTest>

#include <openssl/evp.h>

#include <memory>
#include <vector>

using namespace locker::dataprotect;

namespace {

using Bytes = std::vector<unsigned char>;

const unsigned char* bytesOf(const QByteArray& bytes) {
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

Bytes randomBytes(QRandomGenerator& random, std::size_t length) {
    Bytes bytes(length);
    for (auto& b : bytes)
        b = static_cast<unsigned char>(random.generate());
    return bytes;
}

// OpenSSL's AES-256-GCM over `data` in place; returns the tag.
Bytes referenceSeal(const Bytes& key, const Bytes& nonce, const Bytes& associatedData,
                    unsigned char* data, std::size_t length) {
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> owner(
        EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    EVP_CIPHER_CTX* context = owner.get();
    Bytes tag(16);
    int n = 0;
    const bool sealed =
        EVP_EncryptInit_ex(context, EVP_aes_256_gcm(), nullptr, key.data(), nonce.data()) == 1 &&
        EVP_EncryptUpdate(context, nullptr, &n, associatedData.data(),
                          int(associatedData.size())) == 1 &&
        EVP_EncryptUpdate(context, data, &n, data, int(length)) == 1 &&
        EVP_EncryptFinal_ex(context, data + n, &n) == 1 &&
        EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_GCM_GET_TAG, 16, tag.data()) == 1;
    return sealed ? tag : Bytes();
}

} // namespace

class AesGcmTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (!AesGcmVaes::Available())
            QSKIP("this processor lacks VAES or VPCLMULQDQ on 512-bit registers");
    }

    void publishedVectors() {
        struct Case {
            QByteArray key, nonce, associatedData, plaintext, ciphertext, tag;
        };
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
        const Case cases[] = {
            {zeros, zeros.left(12), {}, {}, {}, "530f8afbc74536b9a963b4f1c4cb738b"},
            {zeros,
             zeros.left(12),
             {},
             zeros.left(16),
             QByteArray::fromHex("cea7403d4d606b6e074ec5d3baf39d18"),
             "d0d1c8a799996bf0265b98b5d48ab919"},
            {key, nonce, {}, plaintext, ciphertext, "b094dac5d93471bdec1a502270e3cc6c"},
            {key, nonce, QByteArray::fromHex("feedfacedeadbeeffeedfacedeadbeefabaddad2"),
             plaintext.left(60), ciphertext.left(60), "76fc6ece0f4e1768cddf8853bb2d551b"},
        };
        for (const Case& c : cases) {
            AesGcmVaes gcm(bytesOf(c.key));
            const std::span<const unsigned char> ad(bytesOf(c.associatedData),
                                                    std::size_t(c.associatedData.size()));
            QByteArray data = c.plaintext, tag(16, '\0');
            auto* bytes = reinterpret_cast<unsigned char*>(data.data());
            gcm.Seal(bytesOf(c.nonce), ad, bytes, std::size_t(data.size()),
                     reinterpret_cast<unsigned char*>(tag.data()));
            QCOMPARE(data.toHex(), c.ciphertext.toHex());
            QCOMPARE(tag.toHex(), c.tag);
            QVERIFY(gcm.Open(bytesOf(c.nonce), ad, bytes, std::size_t(data.size()), bytesOf(tag)));
            QCOMPARE(data, c.plaintext);
        }
    }

    // Every length up to 600 bytes (with 0 to 80 bytes of associated data), lengths around
    // multiples of 256 and 1024, and megabytes, at varying alignments; the bytes after the
    // message must stay untouched.
    void matchesOpenSsl() {
        std::vector<std::size_t> lengths;
        for (std::size_t length = 0; length <= 600; ++length)
            lengths.push_back(length);
        for (std::size_t base : {768, 1024, 2048, 4096, 65536})
            lengths.insert(lengths.end(), {base - 17, base - 1, base, base + 1, base + 16});
        lengths.insert(lengths.end(), {(1u << 20) + 17, 4u << 20});

        QRandomGenerator random(11);
        Bytes key, nonce;
        std::unique_ptr<AesGcmVaes> gcm;
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            const std::size_t length = lengths[i], offset = i % 3, guard = 64;
            if (i % 7 == 0) {
                key = randomBytes(random, 32);
                gcm = std::make_unique<AesGcmVaes>(key.data());
            }
            nonce = randomBytes(random, 12);
            const Bytes ad = randomBytes(random, i % 81);
            const Bytes buffer = randomBytes(random, offset + length + guard);
            Bytes expected = buffer, actual = buffer;
            const Bytes expectedTag =
                referenceSeal(key, nonce, ad, expected.data() + offset, length);
            QVERIFY(!expectedTag.empty());
            Bytes tag(16);
            gcm->Seal(nonce.data(), ad, actual.data() + offset, length, tag.data());
            QVERIFY2(actual == expected && tag == expectedTag,
                     qPrintable(QStringLiteral("length %1").arg(length)));
            QVERIFY(gcm->Open(nonce.data(), ad, actual.data() + offset, length, tag.data()));
            QVERIFY2(actual == buffer, qPrintable(QStringLiteral("length %1").arg(length)));
        }
    }

    void rejectsAlteredInput() {
        QRandomGenerator random(5);
        const Bytes key = randomBytes(random, 32), nonce = randomBytes(random, 12),
                    ad = randomBytes(random, 69), plaintext = randomBytes(random, 1000);
        AesGcmVaes gcm(key.data());
        Bytes sealed = plaintext, tag(16);
        gcm.Seal(nonce.data(), ad, sealed.data(), sealed.size(), tag.data());

        const auto opens = [&](Bytes n, Bytes a, Bytes data, Bytes t, std::size_t length) {
            return gcm.Open(n.data(), a, data.data(), length, t.data());
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
