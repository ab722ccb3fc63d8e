#pragma once

#include <cstddef>
#include <span>

namespace locker::dataprotect {

// AES-256-GCM with a 12-byte nonce and a 16-byte tag on VAES and VPCLMULQDQ over 512-bit
// registers. The key schedule and the powers of the hash key are wiped on destruction.
class AesGcmVaes {
public:
    static constexpr std::size_t KeySize = 32;
    static constexpr std::size_t NonceSize = 12;
    static constexpr std::size_t TagSize = 16;

    // Whether the processor (and the operating system, through the compiler's processor
    // checks) supports the instructions. The other members may be used only when it does.
    static bool Available();

    explicit AesGcmVaes(const unsigned char* key); // KeySize bytes
    ~AesGcmVaes();
    AesGcmVaes(const AesGcmVaes&) = delete;
    AesGcmVaes& operator=(const AesGcmVaes&) = delete;

    // Enciphers `length` bytes at `data` in place and writes the tag. A nonce must not be
    // used twice with one key; `length` stays below 2^36 - 32, the mode's limit.
    void Seal(const unsigned char* nonce, std::span<const unsigned char> associatedData,
              unsigned char* data, std::size_t length, unsigned char* tag);
    // Deciphers in place and returns whether `tag` matches (compared in constant time).
    // On a mismatch the buffer holds unauthenticated bytes; the caller discards them.
    [[nodiscard]] bool Open(const unsigned char* nonce,
                            std::span<const unsigned char> associatedData, unsigned char* data,
                            std::size_t length, const unsigned char* tag);

private:
    static constexpr int Rounds = 14;
    static constexpr int HashPowers = 16; // blocks hashed per reduction

    // Round key i broadcast to all four 128-bit lanes of entry i.
    alignas(64) unsigned char m_roundKeys[Rounds + 1][64];
    // H^16 down to H^1 in the bit-reflected form the multiplication takes, then zero blocks so
    // that a run of n < 16 blocks can read its powers H^n..H^1 as whole 512-bit vectors.
    alignas(64) unsigned char m_hashPowers[HashPowers + 4][16];
};

} // namespace locker::dataprotect
