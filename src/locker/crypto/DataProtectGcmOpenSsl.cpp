#include "locker/crypto/CipherLibraryError.h"
#include "locker/crypto/DataProtectGcmLibraries.h"
#include "platform/RuntimeError.h"

#include <openssl/evp.h>

namespace locker::dataprotect {

namespace {

void Check(int result) {
    if (result != 1)
        throw CipherLibraryError();
}

class OpenSslGcm final : public Gcm {
public:
    explicit OpenSslGcm(const unsigned char* key) : m_context(EVP_CIPHER_CTX_new()) {
        if (!m_context)
            throw platform::RuntimeError(platform::err::OutOfMemory);
        Check(EVP_CipherInit_ex(m_context.get(), EVP_aes_256_gcm(), nullptr, key, nullptr, -1));
    }

    void Seal(const unsigned char* nonce, std::span<const unsigned char> associatedData,
              unsigned char* data, std::size_t length, unsigned char* tag) override {
        const int written = Run(true, nonce, associatedData, data, length);
        int finalLength = 0;
        Check(EVP_CipherFinal_ex(m_context.get(), data + written, &finalLength));
        Check(EVP_CIPHER_CTX_ctrl(m_context.get(), EVP_CTRL_GCM_GET_TAG, TagSize, tag));
    }

    bool Open(const unsigned char* nonce, std::span<const unsigned char> associatedData,
              unsigned char* data, std::size_t length, const unsigned char* tag) override {
        const int written = Run(false, nonce, associatedData, data, length);
        Check(EVP_CIPHER_CTX_ctrl(m_context.get(), EVP_CTRL_GCM_SET_TAG, TagSize,
                                  const_cast<unsigned char*>(tag)));
        int finalLength = 0;
        return EVP_CipherFinal_ex(m_context.get(), data + written, &finalLength) == 1;
    }

private:
    // Starts a message under `nonce` and runs the associated data and `data` through.
    int Run(bool encrypt, const unsigned char* nonce, std::span<const unsigned char> associatedData,
            unsigned char* data, std::size_t length) {
        Check(EVP_CipherInit_ex(m_context.get(), nullptr, nullptr, nullptr, nonce, encrypt));
        int written = 0;
        Check(EVP_CipherUpdate(m_context.get(), nullptr, &written, associatedData.data(),
                               int(associatedData.size())));
        Check(EVP_CipherUpdate(m_context.get(), data, &written, data, int(length)));
        return written;
    }

    struct ContextFree {
        void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
    };
    std::unique_ptr<EVP_CIPHER_CTX, ContextFree> m_context; // freeing wipes the key schedule
};

} // namespace

std::unique_ptr<Gcm> MakeOpenSslGcm(const unsigned char* key) {
    return std::make_unique<OpenSslGcm>(key);
}

} // namespace locker::dataprotect
