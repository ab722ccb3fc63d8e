#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <array>
#include <memory>
#include <span>

struct evp_cipher_ctx_st;

namespace locker::dataprotect {

class AesGcmVaes;

// AES-256-GCM in the STREAM construction: record `index` is sealed with the index as its
// nonce and with the header plus a last-record flag as authenticated data, so that records
// cannot be reordered, dropped, moved between files or followed by more records.
// One object per thread; the key stays expanded inside it until it is destroyed. Where the
// processor has vector AES, the cipher runs on it, otherwise through OpenSSL.
class StreamCipher {
public:
    enum class Engine { Fastest, OpenSsl };

    StreamCipher(const unsigned char* key, QByteArrayView header, Engine engine = Engine::Fastest);
    ~StreamCipher();
    StreamCipher(const StreamCipher&) = delete;
    StreamCipher& operator=(const StreamCipher&) = delete;

    // Enciphers `length` bytes at `data` in place and puts the tag after them.
    void Seal(quint64 index, bool last, unsigned char* data, qsizetype length);

    // Checks the tag at the end of the `recordLength` bytes at `data` and deciphers the rest
    // in place; false when the record does not authenticate.
    [[nodiscard]] bool Open(quint64 index, bool last, unsigned char* data, qsizetype recordLength);

private:
    // Sets the nonce of record `index` and the last-record flag.
    void Prepare(quint64 index, bool last);
    [[nodiscard]] std::span<const unsigned char> AssociatedData() const;
    // Starts an OpenSSL record with the prepared nonce and associated data.
    void Start(bool encrypt);

    struct ContextFree {
        void operator()(evp_cipher_ctx_st* context) const;
    };
    std::unique_ptr<AesGcmVaes> m_vectorCipher;
    std::unique_ptr<evp_cipher_ctx_st, ContextFree> m_context; // when there is no vector AES
    std::array<unsigned char, 12> m_nonce{};
    QByteArray m_associatedData; // the header, then the last-record flag
};

} // namespace locker::dataprotect
