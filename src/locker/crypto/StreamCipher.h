#pragma once

#include "locker/crypto/DataProtectGcm.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <array>
#include <memory>
#include <span>

namespace locker::dataprotect {

// AES-256-GCM in the STREAM construction: record `index` is sealed with the index as its
// nonce and with the header plus a last-record flag as authenticated data, so that records
// cannot be reordered, dropped, moved between files or followed by more records.
// One object per thread; the key stays expanded inside it until it is destroyed.
class StreamCipher {
public:
    using Engine = Gcm::Library;

    StreamCipher(const unsigned char* key, QByteArrayView header,
                 Engine engine = Engine::Preferred);

    // Enciphers `length` bytes at `data` in place and puts the tag after them.
    void seal(quint64 index, bool last, unsigned char* data, qsizetype length);

    // Checks the tag at the end of the `recordLength` bytes at `data` and deciphers the rest
    // in place; false when the record does not authenticate.
    [[nodiscard]] bool open(quint64 index, bool last, unsigned char* data, qsizetype recordLength);

private:
    // Sets the nonce of record `index` and the last-record flag.
    void prepare(quint64 index, bool last);
    [[nodiscard]] std::span<const unsigned char> associatedData() const;

    std::unique_ptr<Gcm> m_gcm;
    std::array<unsigned char, Gcm::NonceSize> m_nonce{};
    QByteArray m_associatedData; // the header, then the last-record flag
};

} // namespace locker::dataprotect
