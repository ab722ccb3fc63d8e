#include "locker/crypto/StreamCipher.h"

namespace locker::dataprotect {

StreamCipher::StreamCipher(const unsigned char* key, QByteArrayView header, Engine engine)
    : m_gcm(makeGcm(key, engine)), m_associatedData(header.toByteArray()) {
    m_associatedData.append('\0');
}

void StreamCipher::prepare(quint64 index, bool last) {
    for (int i = 0; i < 8; ++i)
        m_nonce[m_nonce.size() - 1 - i] = static_cast<unsigned char>(index >> (8 * i));
    m_associatedData.back() = last ? '\1' : '\0';
}

std::span<const unsigned char> StreamCipher::associatedData() const {
    return {reinterpret_cast<const unsigned char*>(m_associatedData.constData()),
            std::size_t(m_associatedData.size())};
}

void StreamCipher::seal(quint64 index, bool last, unsigned char* data, qsizetype length) {
    prepare(index, last);
    m_gcm->seal(m_nonce.data(), associatedData(), data, std::size_t(length), data + length);
}

bool StreamCipher::open(quint64 index, bool last, unsigned char* data, qsizetype recordLength) {
    if (recordLength < qsizetype(Gcm::TagSize))
        return false;
    const qsizetype length = recordLength - qsizetype(Gcm::TagSize);
    prepare(index, last);
    return m_gcm->open(m_nonce.data(), associatedData(), data, std::size_t(length), data + length);
}

} // namespace locker::dataprotect
