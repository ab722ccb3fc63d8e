#include "locker/DataProtectKey.h"

#include "locker/Argon2id.h"
#include "platform/RuntimeError.h"

#include <QThread>

#include <sodium.h>

namespace locker::dataprotect {

namespace {

// The context of the subkeys: exactly crypto_kdf_CONTEXTBYTES characters.
constexpr char SubkeyContext[crypto_kdf_CONTEXTBYTES + 1] = "VrlXProt";
enum Subkey : quint64 { ChunkKeyId = 1, KeyCheckId = 2 };

void InitialiseSodium() {
    if (sodium_init() < 0)
        throw platform::RuntimeError(platform::err::OutOfMemory);
}

} // namespace

Password::Password(const QString& text) : m_bytes(text.toUtf8()) {}

Password::~Password() {
    Wipe(m_bytes.data(), std::size_t(m_bytes.size()));
}

void Wipe(void* data, std::size_t length) {
    sodium_memzero(data, length);
}

Header NewHeader(const Parameters& parameters) {
    InitialiseSodium();
    Header header;
    header.parameters = parameters;
    randombytes_buf(header.salt.data(), header.salt.size());
    return header;
}

void DeriveKeys(const Password& password, const Header& header, FileKeys& keys) {
    InitialiseSodium();
    Secret<crypto_kdf_KEYBYTES> master;
    const QByteArray& bytes = password.bytes();
    const Argon2idInput input{
        {reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size())},
        header.salt};
    const Parameters& cost = header.parameters;
    if (!Argon2id({master.data(), master.size()}, input,
                  {cost.opsLimit, cost.memLimitKiB, cost.lanes}, QThread::idealThreadCount()))
        throw platform::RuntimeError(platform::err::OutOfMemory);
    crypto_kdf_derive_from_key(keys.chunkKey.data(), keys.chunkKey.size(), ChunkKeyId,
                               SubkeyContext, master.data());
    crypto_kdf_derive_from_key(keys.keyCheck.data(), keys.keyCheck.size(), KeyCheckId,
                               SubkeyContext, master.data());
}

bool KeyCheckMatches(const Header& header, const FileKeys& keys) {
    return sodium_memcmp(header.keyCheck.data(), keys.keyCheck.data(), KeyCheckSize) == 0;
}

} // namespace locker::dataprotect
