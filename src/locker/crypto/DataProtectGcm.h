#pragma once

#include <cstddef>
#include <memory>
#include <span>

// AES-256-GCM with 12-byte nonces and 16-byte tags, from a kept library: Intel's
// multi-buffer crypto library where the build found it and the processor has AES-NI and
// carry-less multiplication, OpenSSL everywhere else. Both give the same bytes.
namespace locker::dataprotect {

class Gcm {
public:
    enum class Library {
        Preferred, // chosen once at start-up; VRL_AES=openssl forces OpenSSL
        OpenSsl,
    };
    static constexpr std::size_t KeySize = 32;
    static constexpr std::size_t NonceSize = 12;
    static constexpr std::size_t TagSize = 16;

    virtual ~Gcm() = default;

    // Enciphers `length` bytes at `data` in place and writes the tag.
    virtual void seal(const unsigned char* nonce, std::span<const unsigned char> associatedData,
                      unsigned char* data, std::size_t length, unsigned char* tag) = 0;
    // Deciphers in place and returns whether `tag` matches (compared in constant time). On a
    // mismatch the buffer holds unauthenticated bytes that the caller discards.
    [[nodiscard]] virtual bool open(const unsigned char* nonce,
                                    std::span<const unsigned char> associatedData,
                                    unsigned char* data, std::size_t length,
                                    const unsigned char* tag) = 0;
};

// A cipher under the KeySize bytes at `key`; one object per thread. Raises the cipher
// library's failure when the library cannot be set up.
[[nodiscard]] std::unique_ptr<Gcm> makeGcm(const unsigned char* key,
                                           Gcm::Library library = Gcm::Library::Preferred);

// The library that Library::Preferred stands for in this process, for benchmarks and reports.
[[nodiscard]] const char* preferredGcmName();

} // namespace locker::dataprotect
