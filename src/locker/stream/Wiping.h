#pragma once

#include <cstddef>

namespace locker {

// Overwrites `length` bytes at `data` with zeros in a way the compiler cannot leave out: for
// buffers that held plaintext or key bytes.
void wipe(void* data, std::size_t length);

} // namespace locker
