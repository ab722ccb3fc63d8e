#pragma once

#include "platform/RuntimeError.h"

namespace locker::dataprotect {

// The number of the failure each wrapper raises when its library refuses or fails an
// operation.
inline constexpr int CipherLibraryErrorNumber = 1008;

[[nodiscard]] platform::RuntimeError cipherLibraryError();

} // namespace locker::dataprotect
