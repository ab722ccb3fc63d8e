#pragma once

#include <QtGlobal>

#include <future>
#include <vector>

class QIODevice;

namespace locker {

// Writes blocks to a device on a second thread while the caller transforms the next one, so
// that ciphering and writing overlap on two cores. One block is in flight at a time; a write
// failure is raised by the next call to write() or finish().
class OverlappedWriter {
public:
    explicit OverlappedWriter(QIODevice& device) : m_device(device) {}
    ~OverlappedWriter();

    OverlappedWriter(const OverlappedWriter&) = delete;
    OverlappedWriter& operator=(const OverlappedWriter&) = delete;

    void write(const quint8* data, qint64 length);
    // Waits for the last block; raises its failure.
    void finish();

private:
    QIODevice& m_device;
    std::vector<quint8> m_pending;
    std::future<void> m_inFlight;
};

} // namespace locker
