#include "locker/stream/BlockPipeline.h"

#include "locker/stream/Wiping.h"

#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace locker {

namespace {

constexpr quint64 NoBlock = std::numeric_limits<quint64>::max();

class Lanes {
public:
    explicit Lanes(const PipelineSteps& steps) : m_steps(steps) {}

    // Runs up to `count` lanes, the calling thread's last, and raises the first failure. The
    // buffers are had before any thread starts, so that running out of memory stops nothing
    // half-way; a thread that cannot start (a process or memory limit) leaves its blocks to
    // the lanes that did, which write the same bytes.
    void run(int count) {
        std::vector<Buffer> buffers;
        buffers.reserve(std::size_t(count));
        for (int i = 0; i < count; ++i)
            buffers.emplace_back(std::size_t(m_steps.capacity));
        std::vector<std::thread> helpers;
        helpers.reserve(std::size_t(count - 1));
        try {
            for (int i = 1; i < count; ++i) {
                auto work = m_steps.makeWorker();
                try {
                    helpers.emplace_back([this, work = std::move(work), buffer = &buffers[i]] {
                        lane(work, *buffer);
                    });
                } catch (const std::system_error&) {
                    break;
                }
            }
            lane(m_steps.makeWorker(), buffers[0]);
        } catch (...) {
            stop(std::current_exception());
        }
        for (std::thread& helper : helpers)
            helper.join();
        if (m_failure)
            std::rethrow_exception(m_failure);
    }

private:
    // One lane's block buffer, wiped before it is freed when it held a block.
    class Buffer {
    public:
        explicit Buffer(std::size_t size)
            : m_bytes(std::make_unique_for_overwrite<unsigned char[]>(size)), m_size(size) {}
        Buffer(Buffer&&) noexcept = default;
        Buffer& operator=(Buffer&&) noexcept = default;
        ~Buffer() {
            if (m_used)
                wipe(m_bytes.get(), m_size);
        }
        unsigned char* take() {
            m_used = true;
            return m_bytes.get();
        }

    private:
        std::unique_ptr<unsigned char[]> m_bytes;
        std::size_t m_size;
        bool m_used = false;
    };

    void lane(const std::function<void(Block&)>& work, Buffer& buffer) {
        for (;;) {
            std::unique_lock lock(m_mutex);
            const quint64 index = m_nextIndex++;
            if (!awaitTurn(lock, m_readTurn, index))
                break;
            lock.unlock();
            Block block{index, false, 0, 0, buffer.take()};
            const bool read = attempt(index, [&] { m_steps.read(block); });
            lock.lock();
            if (read) {
                m_readTurn = index + 1;
                if (block.last)
                    m_end = index + 1;
            }
            m_changed.notify_all();
            lock.unlock();
            if (!read || !attempt(index, [&] { work(block); }))
                break;
            lock.lock();
            if (!awaitTurn(lock, m_writeTurn, index))
                break;
            lock.unlock();
            const bool written = attempt(index, [&] { m_steps.write(block); });
            lock.lock();
            m_writeTurn = index + 1;
            m_changed.notify_all();
            if (!written)
                break;
        }
    }

    // Waits until `turn` reaches block `index`; false when the block is not to be done: it
    // lies past the last block or after a failed one.
    bool awaitTurn(std::unique_lock<std::mutex>& lock, const quint64& turn, quint64 index) {
        m_changed.wait(lock, [&] { return turn == index || !wanted(index); });
        return wanted(index);
    }

    [[nodiscard]] bool wanted(quint64 index) const { return index < m_end && index < m_failedAt; }

    // Runs one step of block `index`; a failure stops every later block.
    template <typename Step> bool attempt(quint64 index, Step step) {
        try {
            step();
            return true;
        } catch (...) {
            failAt(index, std::current_exception());
            return false;
        }
    }

    // A failure outside any block (a lane's transformation could not be made): every block
    // stops.
    void stop(std::exception_ptr failure) { failAt(0, std::move(failure)); }

    void failAt(quint64 index, std::exception_ptr failure) {
        std::lock_guard lock(m_mutex);
        if (index < m_failedAt) {
            m_failedAt = index;
            m_failure = std::move(failure);
        }
        m_changed.notify_all();
    }

    const PipelineSteps& m_steps;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    quint64 m_nextIndex = 0;
    quint64 m_readTurn = 0;
    quint64 m_writeTurn = 0;
    quint64 m_end = NoBlock;      // the index after the last block, once it is read
    quint64 m_failedAt = NoBlock; // the first block that failed
    std::exception_ptr m_failure;
};

} // namespace

void runPipeline(const PipelineSteps& steps) {
    const int lanes = steps.parallel ? std::clamp(QThread::idealThreadCount(), 1, 4) : 1;
    Lanes(steps).run(lanes);
}

} // namespace locker
