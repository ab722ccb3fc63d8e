#include "OverlappedWriter.h"

#include "ByteSource.h"

#include <algorithm>

namespace locker {

OverlappedWriter::~OverlappedWriter() {
    if (m_inFlight.valid())
        m_inFlight.wait();
}

void OverlappedWriter::write(const quint8* data, qint64 length) {
    finish();
    m_pending.assign(data, data + length);
    m_inFlight = std::async(std::launch::async, [this] {
        WriteAll(m_device, reinterpret_cast<const char*>(m_pending.data()),
                 qint64(m_pending.size()));
    });
}

void OverlappedWriter::finish() {
    if (m_inFlight.valid())
        m_inFlight.get();
}

} // namespace locker
