#pragma once

#include "locker/crypto/DataProtectGcm.h"

// The library bindings behind makeGcm.
namespace locker::dataprotect {

[[nodiscard]] std::unique_ptr<Gcm> makeOpenSslGcm(const unsigned char* key);

#ifdef VRL_HAVE_IPSEC_MB
// Whether the processor runs the multi-buffer library's AES-NI code.
[[nodiscard]] bool multiBufferUsable();
[[nodiscard]] std::unique_ptr<Gcm> makeMultiBufferGcm(const unsigned char* key);
#endif

} // namespace locker::dataprotect
