#include "locker/crypto/DataProtectGcm.h"

#include "locker/crypto/DataProtectGcmLibraries.h"

#include <QByteArray>

namespace locker::dataprotect {

namespace {

bool multiBufferPreferred() {
#ifdef VRL_HAVE_IPSEC_MB
    static const bool Preferred = qgetenv("VRL_AES").toLower() != "openssl" && multiBufferUsable();
    return Preferred;
#else
    return false;
#endif
}

} // namespace

std::unique_ptr<Gcm> makeGcm(const unsigned char* key, Gcm::Library library) {
    if (library == Gcm::Library::Preferred && multiBufferPreferred()) {
#ifdef VRL_HAVE_IPSEC_MB
        return makeMultiBufferGcm(key);
#endif
    }
    return makeOpenSslGcm(key);
}

const char* preferredGcmName() {
    return multiBufferPreferred() ? "multi-buffer library" : "OpenSSL";
}

} // namespace locker::dataprotect
