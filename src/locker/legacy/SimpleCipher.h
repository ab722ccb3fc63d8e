#pragma once

#include "locker/legacy/KeyMaterial.h"
#include "locker/stream/ByteSource.h"

#include <QtGlobal>

#include <vector>

namespace locker {

// The simple cipher: byte j of the plaintext (0-based) plus key byte (j mod L), modulo 256.
// The key is laid out once as a repeated stream so that the byte loops vectorise.
class SimpleCipher {
public:
    explicit SimpleCipher(const KeyMaterial& key);
    // The stream repeats the key password's bytes thousands of times: wiped.
    ~SimpleCipher();
    SimpleCipher(const SimpleCipher&) = delete;
    SimpleCipher& operator=(const SimpleCipher&) = delete;

    // Streams bytes [from, to) of the input, transformed, to `sink`. Blocks run through the
    // block pipeline, so the sink may be called on any of its lanes, in order.
    void encipher(ByteSource& plaintext, qint64 from, qint64 to, const ByteSink& sink) const;
    void decipher(ByteSource& locker, qint64 from, qint64 to, const ByteSink& sink) const;

private:
    // Transforms `length` bytes in place that sit at `position` of the stream.
    template <bool Add> void apply(quint8* data, qint64 length, qint64 position) const;
    template <bool Add>
    void stream(ByteSource& input, qint64 from, qint64 to, const ByteSink& sink) const;

    int m_keyLength;
    qint64 m_period; // a multiple of the key length
    std::vector<quint8> m_stream;
};

} // namespace locker
