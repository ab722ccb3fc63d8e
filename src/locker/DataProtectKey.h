#pragma once

#include "locker/DataProtectFormat.h"

#include <QByteArray>
#include <QString>

#include <array>

// Turning a key password into the keys of one locker file.
namespace locker::dataprotect {

inline constexpr int ChunkKeySize = 32; // AES-256

// Wipes `length` bytes at `data`.
void Wipe(void* data, std::size_t length);

// Bytes that are wiped from memory when they go out of scope.
template <std::size_t N> class Secret {
public:
    Secret() = default;
    ~Secret() { Wipe(m_bytes.data(), N); }
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;

    [[nodiscard]] unsigned char* data() { return m_bytes.data(); }
    [[nodiscard]] const unsigned char* data() const { return m_bytes.data(); }
    [[nodiscard]] static constexpr std::size_t size() { return N; }

private:
    std::array<unsigned char, N> m_bytes{};
};

// A key password as its UTF-8 bytes, wiped when done.
class Password {
public:
    explicit Password(const QString& text);
    ~Password();
    Password(const Password&) = delete;
    Password& operator=(const Password&) = delete;

    [[nodiscard]] const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// The keys of one locker file, derived from the password, the salt and the cost in `header`
// with Argon2id: the AES key of the chunks and the key check stored in the header. The two
// are independent subkeys, so the key check reveals nothing about the chunk key.
struct FileKeys {
    Secret<ChunkKeySize> chunkKey;
    std::array<unsigned char, KeyCheckSize> keyCheck{};
};

// Raises out of memory (7) when the derivation cannot get its memory.
void DeriveKeys(const Password& password, const Header& header, FileKeys& keys);

// Whether the key check in `header` matches the derived one (compared in constant time).
[[nodiscard]] bool KeyCheckMatches(const Header& header, const FileKeys& keys);

// A header for a new locker file: `parameters`, a random salt, no key check yet.
[[nodiscard]] Header NewHeader(const Parameters& parameters);

} // namespace locker::dataprotect
