#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

class QIODevice;

namespace locker {

// Writes blocks to a device on a second thread while the caller transforms the next one, so
// that ciphering and writing overlap on two cores. The block's storage is taken over, not
// copied: the caller gets the previous block's vector back to fill next. One block is in
// flight at a time; a write failure is raised by the next call to write() or finish().
class OverlappedWriter {
public:
    explicit OverlappedWriter(QIODevice& device);
    ~OverlappedWriter();

    OverlappedWriter(const OverlappedWriter&) = delete;
    OverlappedWriter& operator=(const OverlappedWriter&) = delete;

    void write(std::vector<quint8>& block, qint64 offset, qint64 length);
    // Waits for the last block; raises its failure.
    void finish();

private:
    void run();
    // Waits until no block is in flight; the caller holds the lock.
    void waitIdle(std::unique_lock<std::mutex>& lock);

    QIODevice& m_device;
    std::vector<quint8> m_pending;
    qint64 m_offset = 0;
    qint64 m_length = 0;
    bool m_busy = false;
    bool m_stopping = false;
    std::exception_ptr m_failure;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_thread;
};

} // namespace locker
