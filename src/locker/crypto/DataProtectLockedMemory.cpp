#include "locker/crypto/DataProtectLockedMemory.h"

#include "locker/crypto/CipherLibraryError.h"
#include "platform/RuntimeError.h"

#include <sodium.h>

namespace locker::dataprotect {

void initialiseSodium() {
    if (sodium_init() < 0)
        throw cipherLibraryError();
}

LockedBytes::LockedBytes(std::size_t size) : m_size(size) {
    initialiseSodium();
    m_data = static_cast<unsigned char*>(sodium_malloc(size == 0 ? 1 : size));
    if (!m_data)
        throw platform::RuntimeError(platform::err::OutOfMemory);
}

LockedBytes::~LockedBytes() {
    sodium_free(m_data); // wipes, unlocks and unmaps
}

} // namespace locker::dataprotect
