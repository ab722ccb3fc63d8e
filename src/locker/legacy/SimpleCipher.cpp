#include "locker/legacy/SimpleCipher.h"

#include "locker/stream/BlockPipeline.h"
#include "locker/stream/Wiping.h"

namespace locker {

namespace {
constexpr qint64 StreamBytes = 64 * 1024;
constexpr qint64 BlockBytes = 1 << 20;
} // namespace

SimpleCipher::SimpleCipher(const KeyMaterial& key)
    : m_keyLength(key.bytKeyLen), m_period(StreamBytes - StreamBytes % key.bytKeyLen),
      m_stream(size_t(m_period + key.bytKeyLen)) {
    for (size_t i = 0; i < m_stream.size(); ++i)
        m_stream[i] = key.bytKey[i % size_t(m_keyLength)];
}

SimpleCipher::~SimpleCipher() {
    wipe(m_stream.data(), m_stream.size());
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

template <bool Add>
void SimpleCipher::stream(ByteSource& input, qint64 from, qint64 to, const ByteSink& sink) const {
    if (from >= to)
        return;
    PipelineSteps steps;
    steps.capacity = qMin(BlockBytes, to - from);
    steps.parallel = to - from > BlockBytes;
    steps.read = [&](Block& block) {
        const qint64 position = from + qint64(block.index) * BlockBytes;
        block.length = qMin(BlockBytes, to - position);
        block.last = position + block.length == to;
        input.readAt(position, reinterpret_cast<char*>(block.data), block.length);
    };
    steps.makeWorker = [&] {
        return [&](Block& block) {
            apply<Add>(block.data, block.length, from + qint64(block.index) * BlockBytes);
        };
    };
    steps.write = [&](const Block& block) { sink(block.data, block.length); };
    runPipeline(steps);
}

void SimpleCipher::encipher(ByteSource& plaintext, qint64 from, qint64 to,
                            const ByteSink& sink) const {
    stream<true>(plaintext, from, to, sink);
}

void SimpleCipher::decipher(ByteSource& locker, qint64 from, qint64 to,
                            const ByteSink& sink) const {
    stream<false>(locker, from, to, sink);
}

} // namespace locker
