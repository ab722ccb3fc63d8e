#include "StreamPipeline.h"

#include "ByteSource.h"
#include "DataProtectKey.h"
#include "platform/RuntimeError.h"

#include <QFileDevice>
#include <QIODevice>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace locker::dataprotect {

namespace {

platform::RuntimeError DeviceError(const QIODevice& device, bool forWriting) {
    if (const auto* file = qobject_cast<const QFileDevice*>(&device))
        return platform::FileError(*file, forWriting);
    return platform::RuntimeError(platform::err::DeviceIo);
}

struct Slot {
    Record record;
    std::unique_ptr<unsigned char[]> buffer;
    qsizetype used = 0; // bytes of the buffer that ever held data, to be wiped
    bool done = false;
    bool ok = false;
};

// The worker threads and the records in flight. The calling thread reads and writes; the
// workers transform. Destruction stops and joins the workers and wipes what the buffers held.
class Pipeline {
public:
    Pipeline(const PipelineSteps& steps, int workers) : m_steps(steps) {
        m_slots.resize(std::size_t(workers) * 2 + 2);
        for (Slot& slot : m_slots) {
            slot.buffer =
                std::make_unique_for_overwrite<unsigned char[]>(std::size_t(steps.capacity));
            slot.record.data = slot.buffer.get();
            m_free.push_back(&slot);
        }
        for (int i = 0; i < workers; ++i)
            m_threads.emplace_back([this, work = steps.makeWorker()] { Work(work); });
    }

    ~Pipeline() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_queued.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
        for (Slot& slot : m_slots)
            Wipe(slot.buffer.get(), std::size_t(slot.used));
    }

    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    void Run(QIODevice& input, QIODevice& output) {
        std::deque<Slot*> inFlight;
        std::exception_ptr inputFailure;
        bool inputDone = false;
        quint64 nextIndex = 0;
        for (;;) {
            while (!inputDone && !m_free.empty()) {
                Slot* slot = m_free.back();
                m_free.pop_back();
                Record& record = slot->record;
                record.length =
                    ReadFully(input, reinterpret_cast<char*>(record.data), m_steps.readSize);
                record.index = nextIndex++;
                // A transformation grows a record by at most the room beyond the read size.
                slot->used = std::max(slot->used,
                                      std::min(m_steps.capacity, record.length + m_steps.capacity -
                                                                     m_steps.readSize));
                try {
                    record.last = m_steps.isLast(record.length, record.index);
                } catch (...) {
                    // Reported once the records before it are out.
                    inputFailure = std::current_exception();
                    inputDone = true;
                    m_free.push_back(slot);
                    break;
                }
                inputDone = record.last;
                Queue(slot);
                inFlight.push_back(slot);
            }
            if (inFlight.empty())
                break;
            Slot* slot = inFlight.front();
            inFlight.pop_front();
            if (!WaitFor(slot))
                m_steps.raiseFailure();
            WriteAll(output, reinterpret_cast<const char*>(slot->record.data), slot->record.length);
            m_free.push_back(slot);
        }
        if (inputFailure)
            std::rethrow_exception(inputFailure);
    }

private:
    void Queue(Slot* slot) {
        {
            std::lock_guard lock(m_mutex);
            slot->done = false;
            m_queue.push_back(slot);
        }
        m_queued.notify_one();
    }

    bool WaitFor(Slot* slot) {
        std::unique_lock lock(m_mutex);
        m_finished.wait(lock, [slot] { return slot->done; });
        return slot->ok;
    }

    void Work(const std::function<bool(Record&)>& work) {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_queued.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            Slot* slot = m_queue.front();
            m_queue.pop_front();
            lock.unlock();
            bool ok = false;
            try {
                ok = work(slot->record);
            } catch (...) {
                ok = false;
            }
            lock.lock();
            slot->ok = ok;
            slot->done = true;
            m_finished.notify_all();
        }
    }

    const PipelineSteps& m_steps;
    std::vector<Slot> m_slots;
    std::vector<Slot*> m_free;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_finished;
    std::deque<Slot*> m_queue;
    bool m_stopping = false;
};

} // namespace

void RunPipeline(QIODevice& input, QIODevice& output, const PipelineSteps& steps) {
    // The calling thread's copies in and out of the page cache are the longest step, so it
    // keeps a core of its own; one core of AES-GCM outruns those copies.
    const int workers = std::clamp(QThread::idealThreadCount() - 1, 1, 4);
    Pipeline pipeline(steps, workers);
    pipeline.Run(input, output);
}

qsizetype ReadFully(QIODevice& input, char* data, qsizetype length) {
    qsizetype total = 0;
    while (total < length) {
        errno = 0;
        const qint64 got = input.read(data + total, length - total);
        if (got < 0)
            throw DeviceError(input, false);
        if (got == 0)
            break;
        total += qsizetype(got);
    }
    return total;
}

} // namespace locker::dataprotect
