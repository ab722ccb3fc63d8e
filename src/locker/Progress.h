#pragma once

#include <QtGlobal>

#include <functional>

namespace locker {

// Receives each new progress percentage; called only when the value changes.
using ProgressCallback = std::function<void(int percent)>;

// Rounds numerator / denominator (both non-negative) to the nearest integer, halves to even.
[[nodiscard]] qint64 RoundHalfEven(qint64 numerator, qint64 denominator);

// Reports base + span * done / total, rounded halves to even, as the work advances in steps
// of any size: every value that a per-byte report would reach is delivered once, in order,
// and nothing is delivered twice.
class ProgressReporter {
public:
    ProgressReporter(ProgressCallback callback, int base, int span, qint64 total);

    void advanceTo(qint64 done);

private:
    [[nodiscard]] int percentAt(qint64 done) const;
    [[nodiscard]] qint64 firstStepReaching(int percent, qint64 from, qint64 to) const;

    ProgressCallback m_callback;
    int m_base;
    int m_span;
    qint64 m_total;
    qint64 m_done = 0;
    int m_last = -1;
};

} // namespace locker
