#pragma once

#include "locker/crypto/DataProtectGcm.h"

// The library bindings behind MakeGcm.
namespace locker::dataprotect {

[[nodiscard]] std::unique_ptr<Gcm> MakeOpenSslGcm(const unsigned char* key);

#ifdef VRL_HAVE_IPSEC_MB
// Whether the processor runs the multi-buffer library's AES-NI code.
[[nodiscard]] bool MultiBufferUsable();
[[nodiscard]] std::unique_ptr<Gcm> MakeMultiBufferGcm(const unsigned char* key);
#endif

} // namespace locker::dataprotect
