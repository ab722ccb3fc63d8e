#include "DataProtectStream.h"

#include "ByteSource.h"
#include "DataProtectErrors.h"
#include "StreamCipher.h"
#include "StreamPipeline.h"

#include <QIODevice>

#include <memory>

namespace locker::dataprotect {

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
    steps.readSize = chunkSize;
    steps.capacity = chunkSize + TagSize;
    // A short chunk, possibly empty, ends the stream.
    steps.isLast = [chunkSize](qsizetype length, quint64) { return length < chunkSize; };
    steps.makeWorker = [&keys, &headerBytes] {
        auto cipher = std::make_shared<StreamCipher>(keys.chunkKey.data(), headerBytes);
        return [cipher](Record& record) {
            cipher->Seal(record.index, record.last, record.data, record.length);
            record.length += TagSize;
            return true;
        };
    };
    steps.raiseFailure = [] { throw platform::RuntimeError(platform::err::OutOfMemory); };
    RunPipeline(source, locker, steps);
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
    steps.readSize = recordSize;
    steps.capacity = recordSize;
    steps.isLast = [recordSize](qsizetype length, quint64) {
        if (length == recordSize)
            return false;
        if (length == 0)
            throw MakeError(Failure::Truncated); // ends after a full chunk, before the last
        if (length < TagSize)
            throw MakeError(Failure::ChunkDamaged);
        return true;
    };
    steps.makeWorker = [this] {
        auto cipher = std::make_shared<StreamCipher>(m_keys.chunkKey.data(), m_headerBytes);
        return [cipher](Record& record) {
            if (!cipher->Open(record.index, record.last, record.data, record.length))
                return false;
            record.length -= TagSize;
            return true;
        };
    };
    steps.raiseFailure = [] { throw MakeError(Failure::ChunkDamaged); };
    RunPipeline(m_locker, output, steps);
}

} // namespace locker::dataprotect
