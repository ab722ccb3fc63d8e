#pragma once

#include "locker/crypto/DataProtectLockedMemory.h"
#include "locker/dataprotect/DataProtectFormat.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <span>

// Turning a key password into the keys of one locker file.
namespace locker::dataprotect {

inline constexpr int ChunkKeySize = 32; // AES-256

// N bytes of key material in locked memory, wiped when they go out of scope.
template <std::size_t N> class Secret {
public:
    [[nodiscard]] unsigned char* data() { return m_bytes.data(); }
    [[nodiscard]] const unsigned char* data() const { return m_bytes.data(); }
    [[nodiscard]] static constexpr std::size_t size() { return N; }

private:
    LockedBytes m_bytes{N};
};

// A key password as its UTF-8 bytes in locked memory, wiped when done.
class Password {
public:
    explicit Password(const QString& text);

    [[nodiscard]] std::span<const unsigned char> bytes() const {
        return {m_bytes.data(), m_bytes.size()};
    }

private:
    explicit Password(QByteArray&& utf8);

    LockedBytes m_bytes;
};

// The keys of one locker file, derived from the password, the salt and the cost in `header`
// with Argon2id: the AES key of the chunks and the key check stored in the header. The two
// are independent subkeys, so the key check reveals nothing about the chunk key.
struct FileKeys {
    Secret<ChunkKeySize> chunkKey;
    std::array<unsigned char, KeyCheckSize> keyCheck{};
};

// Raises out of memory (7) when the derivation cannot get its memory, the cipher library's
// failure when the library fails.
void deriveKeys(const Password& password, const Header& header, FileKeys& keys);

// Whether the key check in `header` matches the derived one (compared in constant time).
[[nodiscard]] bool keyCheckMatches(const Header& header, const FileKeys& keys);

// A header for a new locker file: `parameters`, a random salt, no key check yet.
[[nodiscard]] Header newHeader(const Parameters& parameters);

} // namespace locker::dataprotect
