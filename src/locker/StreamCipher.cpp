#include "StreamCipher.h"

#include "DataProtectFormat.h"
#include "platform/RuntimeError.h"

#include <openssl/evp.h>

#include <array>

namespace locker::dataprotect {

namespace {

constexpr int NonceSize = 12;

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

StreamCipher::StreamCipher(const unsigned char* key, QByteArrayView header)
    : m_context(EVP_CIPHER_CTX_new()), m_associatedData(header.toByteArray()) {
    if (!m_context)
        CipherFailure();
    m_associatedData.append('\0');
    Check(EVP_CipherInit_ex(m_context.get(), EVP_aes_256_gcm(), nullptr, key, nullptr, -1));
}

StreamCipher::~StreamCipher() = default;

void StreamCipher::Start(quint64 index, bool last, bool encrypt) {
    std::array<unsigned char, NonceSize> nonce{};
    for (int i = 0; i < 8; ++i)
        nonce[NonceSize - 1 - i] = static_cast<unsigned char>(index >> (8 * i));
    Check(EVP_CipherInit_ex(m_context.get(), nullptr, nullptr, nullptr, nonce.data(),
                            encrypt ? 1 : 0));
    m_associatedData.back() = last ? '\1' : '\0';
    int length = 0;
    Check(EVP_CipherUpdate(m_context.get(), nullptr, &length,
                           reinterpret_cast<const unsigned char*>(m_associatedData.constData()),
                           int(m_associatedData.size())));
}

void StreamCipher::Seal(quint64 index, bool last, unsigned char* data, qsizetype length) {
    Start(index, last, true);
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
    Start(index, last, false);
    int written = 0;
    Check(EVP_CipherUpdate(m_context.get(), data, &written, data, int(length)));
    Check(EVP_CIPHER_CTX_ctrl(m_context.get(), EVP_CTRL_GCM_SET_TAG, TagSize, data + length));
    int finalLength = 0;
    return EVP_CipherFinal_ex(m_context.get(), data + written, &finalLength) == 1;
}

} // namespace locker::dataprotect
