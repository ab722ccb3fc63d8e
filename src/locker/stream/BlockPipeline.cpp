#include "locker/stream/BlockPipeline.h"

#include "locker/stream/Wiping.h"

#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace locker {

namespace {

constexpr quint64 NoBlock = std::numeric_limits<quint64>::max();

class Lanes {
public:
    explicit Lanes(const PipelineSteps& steps) : m_steps(steps) {}

    // Runs `count` lanes, the calling thread's last, and raises the first failure.
    void run(int count) {
        std::vector<std::thread> helpers;
        for (int i = 1; i < count; ++i)
            helpers.emplace_back([this, work = m_steps.makeWorker()] { lane(work); });
        lane(m_steps.makeWorker());
        for (std::thread& helper : helpers)
            helper.join();
        if (m_failure)
            std::rethrow_exception(m_failure);
    }

private:
    void lane(const std::function<void(Block&)>& work) {
        const auto buffer =
            std::make_unique_for_overwrite<unsigned char[]>(std::size_t(m_steps.capacity));
        bool used = false;
        for (;;) {
            std::unique_lock lock(m_mutex);
            const quint64 index = m_nextIndex++;
            if (!awaitTurn(lock, m_readTurn, index))
                break;
            lock.unlock();
            used = true;
            Block block{index, false, 0, 0, buffer.get()};
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
        if (used)
            wipe(buffer.get(), std::size_t(m_steps.capacity));
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
            std::lock_guard lock(m_mutex);
            if (index < m_failedAt) {
                m_failedAt = index;
                m_failure = std::current_exception();
            }
            m_changed.notify_all();
            return false;
        }
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
