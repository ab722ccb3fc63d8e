#include "locker/crypto/CipherLibraryError.h"
#include "locker/crypto/DataProtectGcmLibraries.h"
#include "locker/crypto/DataProtectLockedMemory.h"
#include "platform/RuntimeError.h"

#include <intel-ipsec-mb.h>
#include <sodium.h>

namespace locker::dataprotect {

namespace {

// The expanded key lives in LockedBytes, 64-byte aligned as the library wants it when the
// size is a multiple of 64.
constexpr std::size_t KeyDataSize = (sizeof(gcm_key_data) + 63) / 64 * 64;

class MultiBufferGcm final : public Gcm {
public:
    explicit MultiBufferGcm(const unsigned char* key)
        : m_manager(alloc_mb_mgr(0)), m_keyData(KeyDataSize) {
        if (!m_manager)
            throw platform::RuntimeError(platform::err::OutOfMemory);
        IMB_ARCH architecture{};
        init_mb_mgr_auto(m_manager.get(), &architecture);
        check();
        IMB_AES256_GCM_PRE(m_manager.get(), key, keyData());
        check();
    }

    void seal(const unsigned char* nonce, std::span<const unsigned char> associatedData,
              unsigned char* data, std::size_t length, unsigned char* tag) override {
        gcm_context_data context;
        IMB_AES256_GCM_ENC(m_manager.get(), keyData(), &context, data, data, length, nonce,
                           associatedData.data(), associatedData.size(), tag, TagSize);
        sodium_memzero(&context, sizeof context);
        check();
    }

    bool open(const unsigned char* nonce, std::span<const unsigned char> associatedData,
              unsigned char* data, std::size_t length, const unsigned char* tag) override {
        gcm_context_data context;
        unsigned char computed[TagSize];
        IMB_AES256_GCM_DEC(m_manager.get(), keyData(), &context, data, data, length, nonce,
                           associatedData.data(), associatedData.size(), computed, TagSize);
        sodium_memzero(&context, sizeof context);
        check();
        return sodium_memcmp(computed, tag, TagSize) == 0;
    }

private:
    gcm_key_data* keyData() { return reinterpret_cast<gcm_key_data*>(m_keyData.data()); }

    void check() {
        if (imb_get_errno(m_manager.get()) != 0)
            throw cipherLibraryError();
    }

    struct ManagerFree {
        void operator()(IMB_MGR* manager) const { free_mb_mgr(manager); }
    };
    std::unique_ptr<IMB_MGR, ManagerFree> m_manager;
    LockedBytes m_keyData;
};

} // namespace

bool multiBufferUsable() {
    const uint64_t needed = IMB_FEATURE_AESNI | IMB_FEATURE_PCLMULQDQ;
    return (imb_get_feature_flags() & needed) == needed;
}

std::unique_ptr<Gcm> makeMultiBufferGcm(const unsigned char* key) {
    return std::make_unique<MultiBufferGcm>(key);
}

} // namespace locker::dataprotect
