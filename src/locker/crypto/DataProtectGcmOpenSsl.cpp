#include "locker/crypto/CipherLibraryError.h"
#include "locker/crypto/DataProtectGcmLibraries.h"
#include "platform/RuntimeError.h"

#include <openssl/evp.h>

namespace locker::dataprotect {

namespace {

void check(int result) {
    if (result != 1)
        throw cipherLibraryError();
}

class OpenSslGcm final : public Gcm {
public:
    explicit OpenSslGcm(const unsigned char* key) : m_context(EVP_CIPHER_CTX_new()) {
        if (!m_context)
            throw platform::RuntimeError(platform::err::OutOfMemory);
        check(EVP_CipherInit_ex(m_context.get(), EVP_aes_256_gcm(), nullptr, key, nullptr, -1));
    }

    void seal(const unsigned char* nonce, std::span<const unsigned char> associatedData,
              unsigned char* data, std::size_t length, unsigned char* tag) override {
        const int written = run(true, nonce, associatedData, data, length);
        int finalLength = 0;
        check(EVP_CipherFinal_ex(m_context.get(), data + written, &finalLength));
        check(EVP_CIPHER_CTX_ctrl(m_context.get(), EVP_CTRL_GCM_GET_TAG, TagSize, tag));
    }

    bool open(const unsigned char* nonce, std::span<const unsigned char> associatedData,
              unsigned char* data, std::size_t length, const unsigned char* tag) override {
        const int written = run(false, nonce, associatedData, data, length);
        check(EVP_CIPHER_CTX_ctrl(m_context.get(), EVP_CTRL_GCM_SET_TAG, TagSize,
                                  const_cast<unsigned char*>(tag)));
        int finalLength = 0;
        return EVP_CipherFinal_ex(m_context.get(), data + written, &finalLength) == 1;
    }

private:
    // Starts a message under `nonce` and runs the associated data and `data` through.
    int run(bool encrypt, const unsigned char* nonce, std::span<const unsigned char> associatedData,
            unsigned char* data, std::size_t length) {
        check(EVP_CipherInit_ex(m_context.get(), nullptr, nullptr, nullptr, nonce, encrypt));
        int written = 0;
        check(EVP_CipherUpdate(m_context.get(), nullptr, &written, associatedData.data(),
                               int(associatedData.size())));
        check(EVP_CipherUpdate(m_context.get(), data, &written, data, int(length)));
        return written;
    }

    struct ContextFree {
        void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
    };
    std::unique_ptr<EVP_CIPHER_CTX, ContextFree> m_context; // freeing wipes the key schedule
};

} // namespace

std::unique_ptr<Gcm> makeOpenSslGcm(const unsigned char* key) {
    return std::make_unique<OpenSslGcm>(key);
}

} // namespace locker::dataprotect
