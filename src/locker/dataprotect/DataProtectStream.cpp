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

void WriteBlock(QIODevice& device, const Block& block) {
    WriteAll(device, reinterpret_cast<const char*>(block.data + block.offset), block.length);
}

} // namespace

void ProtectStream(QIODevice& source, QIODevice& locker, const Password& password,
                   const Parameters& parameters) {
    Header header = NewHeader(parameters);
    FileKeys keys;
    DeriveKeys(password, header, keys);
    header.keyCheck = keys.keyCheck;
    const QByteArray headerBytes = SerializeHeader(header);
    WriteAll(locker, headerBytes.constData(), headerBytes.size());

    const qsizetype chunkSize = header.chunkSize();
    PipelineSteps steps;
    steps.capacity = chunkSize + TagSize;
    steps.read = [&source, chunkSize](Block& block) {
        block.length = ReadFully(source, reinterpret_cast<char*>(block.data), chunkSize);
        // A short chunk, possibly empty, ends the stream.
        block.last = block.length < chunkSize;
    };
    steps.makeWorker = [&keys, &headerBytes] {
        auto cipher = std::make_shared<StreamCipher>(keys.chunkKey.data(), headerBytes);
        return [cipher](Block& block) {
            cipher->Seal(block.index, block.last, block.data, block.length);
            block.length += TagSize;
        };
    };
    steps.write = [&locker](const Block& block) { WriteBlock(locker, block); };
    RunPipeline(steps);
}

UnprotectStream::UnprotectStream(QIODevice& locker, const Password& password)
    : m_locker(locker), m_headerBytes(HeaderSize, '\0') {
    m_headerBytes.resize(ReadFully(locker, m_headerBytes.data(), HeaderSize));
    m_header = ParseHeader(m_headerBytes);
    DeriveKeys(password, m_header, m_keys);
    if (!KeyCheckMatches(m_header, m_keys))
        throw MakeError(Failure::WrongPassword);
}

void UnprotectStream::CopyTo(QIODevice& output) {
    const qsizetype recordSize = m_header.chunkSize() + TagSize;
    PipelineSteps steps;
    steps.capacity = recordSize;
    steps.read = [this, recordSize](Block& block) {
        block.length = ReadFully(m_locker, reinterpret_cast<char*>(block.data), recordSize);
        if (block.length == 0)
            throw MakeError(Failure::Truncated); // ends after a full chunk, before the last
        if (block.length < TagSize)
            throw MakeError(Failure::ChunkDamaged);
        block.last = block.length < recordSize;
    };
    steps.makeWorker = [this] {
        auto cipher = std::make_shared<StreamCipher>(m_keys.chunkKey.data(), m_headerBytes);
        return [cipher](Block& block) {
            if (!cipher->Open(block.index, block.last, block.data, block.length))
                throw MakeError(Failure::ChunkDamaged);
            block.length -= TagSize;
        };
    };
    steps.write = [&output](const Block& block) { WriteBlock(output, block); };
    RunPipeline(steps);
}

} // namespace locker::dataprotect
