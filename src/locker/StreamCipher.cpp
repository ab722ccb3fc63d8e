#include "locker/StreamCipher.h"

#include "locker/AesGcm.h"
#include "locker/DataProtectFormat.h"
#include "platform/RuntimeError.h"

#include <openssl/evp.h>

namespace locker::dataprotect {

namespace {

[[noreturn]] void CipherFailure() {
    throw platform::RuntimeError(platform::err::OutOfMemory);
}

void Check(int result) {
    if (result != 1)
        CipherFailure();
}

} // namespace

void StreamCipher::ContextFree::operator()(evp_cipher_ctx_st* context) const {
    EVP_CIPHER_CTX_free(context); // also wipes the expanded key
}

StreamCipher::StreamCipher(const unsigned char* key, QByteArrayView header, Engine engine)
    : m_associatedData(header.toByteArray()) {
    static_assert(AesGcmVaes::NonceSize == std::tuple_size_v<decltype(m_nonce)>);
    static_assert(AesGcmVaes::TagSize == TagSize);
    m_associatedData.append('\0');
    if (engine == Engine::Fastest && AesGcmVaes::Available()) {
        m_vectorCipher = std::make_unique<AesGcmVaes>(key);
        return;
    }
    m_context.reset(EVP_CIPHER_CTX_new());
    if (!m_context)
        CipherFailure();
    Check(EVP_CipherInit_ex(m_context.get(), EVP_aes_256_gcm(), nullptr, key, nullptr, -1));
}

StreamCipher::~StreamCipher() = default;

void StreamCipher::Prepare(quint64 index, bool last) {
    for (int i = 0; i < 8; ++i)
        m_nonce[m_nonce.size() - 1 - i] = static_cast<unsigned char>(index >> (8 * i));
    m_associatedData.back() = last ? '\1' : '\0';
}

std::span<const unsigned char> StreamCipher::AssociatedData() const {
    return {reinterpret_cast<const unsigned char*>(m_associatedData.constData()),
            std::size_t(m_associatedData.size())};
}

void StreamCipher::Start(bool encrypt) {
    Check(EVP_CipherInit_ex(m_context.get(), nullptr, nullptr, nullptr, m_nonce.data(),
                            encrypt ? 1 : 0));
    int length = 0;
    Check(EVP_CipherUpdate(m_context.get(), nullptr, &length, AssociatedData().data(),
                           int(m_associatedData.size())));
}

void StreamCipher::Seal(quint64 index, bool last, unsigned char* data, qsizetype length) {
    Prepare(index, last);
    if (m_vectorCipher) {
        m_vectorCipher->Seal(m_nonce.data(), AssociatedData(), data, std::size_t(length),
                             data + length);
        return;
    }
    Start(true);
    int written = 0;
    Check(EVP_CipherUpdate(m_context.get(), data, &written, data, int(length)));
    int finalLength = 0;
    Check(EVP_CipherFinal_ex(m_context.get(), data + written, &finalLength));
    Check(EVP_CIPHER_CTX_ctrl(m_context.get(), EVP_CTRL_GCM_GET_TAG, TagSize, data + length));
}

bool StreamCipher::Open(quint64 index, bool last, unsigned char* data, qsizetype recordLength) {
    if (recordLength < TagSize)
        return false;
    const qsizetype length = recordLength - TagSize;
    Prepare(index, last);
    if (m_vectorCipher)
        return m_vectorCipher->Open(m_nonce.data(), AssociatedData(), data, std::size_t(length),
                                    data + length);
    Start(false);
    int written = 0;
    Check(EVP_CipherUpdate(m_context.get(), data, &written, data, int(length)));
    Check(EVP_CIPHER_CTX_ctrl(m_context.get(), EVP_CTRL_GCM_SET_TAG, TagSize, data + length));
    int finalLength = 0;
    return EVP_CipherFinal_ex(m_context.get(), data + written, &finalLength) == 1;
}

} // namespace locker::dataprotect
