#include "locker/dataprotect/DataProtectKey.h"

#include "locker/crypto/DataProtectKdf.h"
#include "locker/stream/Wiping.h"

#include <QByteArray>

#include <sodium.h>

#include <cstring>

namespace locker::dataprotect {

namespace {

// The context of the subkeys: exactly crypto_kdf_CONTEXTBYTES characters.
constexpr char SubkeyContext[crypto_kdf_CONTEXTBYTES + 1] = "VrlXProt";
enum Subkey : quint64 { ChunkKeyId = 1, KeyCheckId = 2 };

} // namespace

Password::Password(const QString& text) : Password(text.toUtf8()) {}

Password::Password(QByteArray&& utf8) : m_bytes(std::size_t(utf8.size())) {
    std::memcpy(m_bytes.data(), utf8.constData(), m_bytes.size());
    wipe(utf8.data(), std::size_t(utf8.size())); // the unlocked copy
}

Header newHeader(const Parameters& parameters) {
    initialiseSodium();
    Header header;
    header.parameters = parameters;
    randombytes_buf(header.salt.data(), header.salt.size());
    return header;
}

void deriveKeys(const Password& password, const Header& header, FileKeys& keys) {
    initialiseSodium();
    Secret<crypto_kdf_KEYBYTES> master;
    const Parameters& cost = header.parameters;
    argon2id({master.data(), master.size()}, {password.bytes(), header.salt},
             {cost.opsLimit, cost.memLimitKiB, cost.lanes});
    crypto_kdf_derive_from_key(keys.chunkKey.data(), keys.chunkKey.size(), ChunkKeyId,
                               SubkeyContext, master.data());
    crypto_kdf_derive_from_key(keys.keyCheck.data(), keys.keyCheck.size(), KeyCheckId,
                               SubkeyContext, master.data());
}

bool keyCheckMatches(const Header& header, const FileKeys& keys) {
    return sodium_memcmp(header.keyCheck.data(), keys.keyCheck.data(), KeyCheckSize) == 0;
}

} // namespace locker::dataprotect
