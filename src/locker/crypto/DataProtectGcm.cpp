#include "locker/crypto/DataProtectGcm.h"

#include "locker/crypto/DataProtectGcmLibraries.h"

#include <QByteArray>

namespace locker::dataprotect {

namespace {

bool MultiBufferPreferred() {
#ifdef VRL_HAVE_IPSEC_MB
    static const bool preferred = qgetenv("VRL_AES").toLower() != "openssl" && MultiBufferUsable();
    return preferred;
#else
    return false;
#endif
}

} // namespace

std::unique_ptr<Gcm> MakeGcm(const unsigned char* key, Gcm::Library library) {
    if (library == Gcm::Library::Preferred && MultiBufferPreferred()) {
#ifdef VRL_HAVE_IPSEC_MB
        return MakeMultiBufferGcm(key);
#endif
    }
    return MakeOpenSslGcm(key);
}

const char* PreferredGcmName() {
    return MultiBufferPreferred() ? "multi-buffer library" : "OpenSSL";
}

} // namespace locker::dataprotect
