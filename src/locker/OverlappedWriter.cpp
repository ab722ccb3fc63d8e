#include "OverlappedWriter.h"

#include "ByteSource.h"

namespace locker {

OverlappedWriter::~OverlappedWriter() {
    if (m_inFlight.valid())
        m_inFlight.wait();
}

void OverlappedWriter::write(std::vector<quint8>& block, qint64 offset, qint64 length) {
    finish();
    m_pending.swap(block);
    m_offset = offset;
    m_length = length;
    m_inFlight = std::async(std::launch::async, [this] {
        WriteAll(m_device, reinterpret_cast<const char*>(m_pending.data() + m_offset), m_length);
    });
}

void OverlappedWriter::finish() {
    if (m_inFlight.valid())
        m_inFlight.get();
}

} // namespace locker
