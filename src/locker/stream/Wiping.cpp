#include "locker/stream/Wiping.h"

#include <sodium.h>

namespace locker {

void wipe(void* data, std::size_t length) {
    sodium_memzero(data, length);
}

} // namespace locker
