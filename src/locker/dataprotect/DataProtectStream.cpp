#include "locker/dataprotect/DataProtectStream.h"

#include "locker/crypto/StreamCipher.h"
#include "locker/dataprotect/DataProtectErrors.h"
#include "locker/stream/BlockPipeline.h"
#include "locker/stream/ByteSource.h"

#include <QIODevice>

#include <memory>

namespace locker::dataprotect {

// A record is a chunk followed by the cipher library's tag.
static_assert(Gcm::TagSize == TagSize);

namespace {

void writeBlock(QIODevice& device, const Block& block) {
    writeAll(device, reinterpret_cast<const char*>(block.data + block.offset), block.length);
}

} // namespace

void protectStream(QIODevice& source, QIODevice& locker, const Password& password,
                   const Parameters& parameters) {
    Header header = newHeader(parameters);
    FileKeys keys;
    deriveKeys(password, header, keys);
    header.keyCheck = keys.keyCheck;
    const QByteArray headerBytes = serializeHeader(header);
    writeAll(locker, headerBytes.constData(), headerBytes.size());

    const qsizetype chunkSize = header.chunkSize();
    PipelineSteps steps;
    steps.capacity = chunkSize + TagSize;
    steps.read = [&source, chunkSize](Block& block) {
        block.length = readFully(source, reinterpret_cast<char*>(block.data), chunkSize);
        // A short chunk, possibly empty, ends the stream.
        block.last = block.length < chunkSize;
    };
    steps.makeWorker = [&keys, &headerBytes] {
        auto cipher = std::make_shared<StreamCipher>(keys.chunkKey.data(), headerBytes);
        return [cipher](Block& block) {
            cipher->seal(block.index, block.last, block.data, block.length);
            block.length += TagSize;
        };
    };
    steps.write = [&locker](const Block& block) { writeBlock(locker, block); };
    runPipeline(steps);
}

UnprotectStream::UnprotectStream(QIODevice& locker, const Password& password)
    : m_locker(locker), m_headerBytes(HeaderSize, '\0') {
    m_headerBytes.resize(readFully(locker, m_headerBytes.data(), HeaderSize));
    m_header = parseHeader(m_headerBytes);
    deriveKeys(password, m_header, m_keys);
    if (!keyCheckMatches(m_header, m_keys))
        throw makeError(Failure::WrongPassword);
}

void UnprotectStream::copyTo(QIODevice& output) {
    const qsizetype recordSize = m_header.chunkSize() + TagSize;
    PipelineSteps steps;
    steps.capacity = recordSize;
    steps.read = [this, recordSize](Block& block) {
        block.length = readFully(m_locker, reinterpret_cast<char*>(block.data), recordSize);
        if (block.length == 0)
            throw makeError(Failure::Truncated); // ends after a full chunk, before the last
        if (block.length < TagSize)
            throw makeError(Failure::ChunkDamaged);
        block.last = block.length < recordSize;
    };
    steps.makeWorker = [this] {
        auto cipher = std::make_shared<StreamCipher>(m_keys.chunkKey.data(), m_headerBytes);
        return [cipher](Block& block) {
            if (!cipher->open(block.index, block.last, block.data, block.length))
                throw makeError(Failure::ChunkDamaged);
            block.length -= TagSize;
        };
    };
    steps.write = [&output](const Block& block) { writeBlock(output, block); };
    runPipeline(steps);
}

} // namespace locker::dataprotect
