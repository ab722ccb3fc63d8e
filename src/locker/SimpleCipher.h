#pragma once

#include "KeyMaterial.h"

#include <QtGlobal>

#include <vector>

namespace locker {

// The simple cipher: byte j of the plaintext (0-based) plus key byte (j mod L), modulo 256.
// The key is laid out once as a repeated stream so that the byte loops vectorise.
class SimpleCipher {
public:
    explicit SimpleCipher(const KeyMaterial& key);

    // Transforms `length` bytes in place that sit at `position` of the stream.
    void encipher(quint8* data, qint64 length, qint64 position) const;
    void decipher(quint8* data, qint64 length, qint64 position) const;

private:
    template <bool Add> void apply(quint8* data, qint64 length, qint64 position) const;

    int m_keyLength;
    qint64 m_period; // a multiple of the key length
    std::vector<quint8> m_stream;
};

} // namespace locker
