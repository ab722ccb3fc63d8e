#pragma once

#include <cstddef>

namespace locker::dataprotect {

// Bytes for keys and passwords: locked against swapping and left out of core dumps where the
// system allows it, behind guard pages, and wiped when freed (libsodium's guarded
// allocation). A size that is a multiple of 64 gives a 64-byte aligned start.
class LockedBytes {
public:
    explicit LockedBytes(std::size_t size); // raises out of memory (7)
    ~LockedBytes();
    LockedBytes(const LockedBytes&) = delete;
    LockedBytes& operator=(const LockedBytes&) = delete;

    [[nodiscard]] unsigned char* data() { return m_data; }
    [[nodiscard]] const unsigned char* data() const { return m_data; }
    [[nodiscard]] std::size_t size() const { return m_size; }

private:
    unsigned char* m_data;
    std::size_t m_size;
};

// Starts libsodium once; raises the cipher library's failure when it cannot start.
void initialiseSodium();

} // namespace locker::dataprotect
