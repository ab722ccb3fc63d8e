#include "SimpleCipher.h"

namespace locker {

namespace {
constexpr qint64 StreamBytes = 64 * 1024;
}

SimpleCipher::SimpleCipher(const KeyMaterial& key)
    : m_keyLength(key.bytKeyLen), m_period(StreamBytes - StreamBytes % key.bytKeyLen),
      m_stream(size_t(m_period + key.bytKeyLen)) {
    for (size_t i = 0; i < m_stream.size(); ++i)
        m_stream[i] = key.bytKey[i % size_t(m_keyLength)];
}

template <bool Add> void SimpleCipher::apply(quint8* data, qint64 length, qint64 position) const {
    const quint8* stream = m_stream.data() + position % m_keyLength;
    while (length > 0) {
        const qint64 n = qMin(length, m_period);
        for (qint64 i = 0; i < n; ++i)
            data[i] = Add ? quint8(data[i] + stream[i]) : quint8(data[i] - stream[i]);
        data += n;
        length -= n;
    }
}

void SimpleCipher::encipher(quint8* data, qint64 length, qint64 position) const {
    apply<true>(data, length, position);
}

void SimpleCipher::decipher(quint8* data, qint64 length, qint64 position) const {
    apply<false>(data, length, position);
}

} // namespace locker
