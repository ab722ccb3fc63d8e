#include "OverlappedWriter.h"

#include "ByteSource.h"

namespace locker {

OverlappedWriter::OverlappedWriter(QIODevice& device)
    : m_device(device), m_thread([this] { run(); }) {}

OverlappedWriter::~OverlappedWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void OverlappedWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_busy || m_stopping; });
        if (!m_busy)
            return;
        lock.unlock();
        std::exception_ptr failure;
        try {
            WriteAll(m_device, reinterpret_cast<const char*>(m_pending.data() + m_offset),
                     m_length);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        m_failure = failure;
        m_busy = false;
        m_changed.notify_all();
    }
}

void OverlappedWriter::waitIdle(std::unique_lock<std::mutex>& lock) {
    m_changed.wait(lock, [this] { return !m_busy; });
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
}

void OverlappedWriter::write(std::vector<quint8>& block, qint64 offset, qint64 length) {
    {
        std::unique_lock lock(m_mutex);
        waitIdle(lock);
        m_pending.swap(block);
        m_offset = offset;
        m_length = length;
        m_busy = true;
    }
    m_changed.notify_all();
}

void OverlappedWriter::finish() {
    std::unique_lock lock(m_mutex);
    waitIdle(lock);
}

} // namespace locker
