#pragma once

#include <QtGlobal>

#include <atomic>
#include <functional>
#include <thread>

namespace locker {

// Receives each new progress percentage; called only when the value changes.
using ProgressCallback = std::function<void(int percent)>;

// Rounds numerator / denominator (both non-negative) to the nearest integer, halves to even.
[[nodiscard]] qint64 roundHalfEven(qint64 numerator, qint64 denominator);

// Reports base + span * done / total, rounded halves to even, as the work advances in steps
// of any size: every value that a per-byte report would reach is delivered once, in order,
// and nothing is delivered twice.
//
// Work may advance on any thread, but the callback runs only on the thread that made the
// reporter (a window's progress display lives there): advances made elsewhere are delivered
// the next time that thread calls advanceTo().
class ProgressReporter {
public:
    ProgressReporter(ProgressCallback callback, int base, int span, qint64 total);

    void advanceTo(qint64 done);

private:
    void deliver(qint64 done);
    [[nodiscard]] int percentAt(qint64 done) const;
    [[nodiscard]] qint64 firstStepReaching(int percent, qint64 from, qint64 to) const;

    ProgressCallback m_callback;
    int m_base;
    int m_span;
    qint64 m_total;
    std::thread::id m_owner = std::this_thread::get_id();
    std::atomic<qint64> m_reached{0};
    qint64 m_done = 0; // what the callback has been told, on the owner's thread
    int m_last = -1;
};

} // namespace locker
