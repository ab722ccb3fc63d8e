#include "locker/stream/Progress.h"

namespace locker {

qint64 roundHalfEven(qint64 numerator, qint64 denominator) {
    const qint64 q = numerator / denominator;
    const qint64 twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && (q & 1)))
        return q + 1;
    return q;
}

ProgressReporter::ProgressReporter(ProgressCallback callback, int base, int span, qint64 total)
    : m_callback(std::move(callback)), m_base(base), m_span(span), m_total(total) {}

int ProgressReporter::percentAt(qint64 done) const {
    return m_base + int(roundHalfEven(qint64(m_span) * done, m_total));
}

// The smallest step in (from, to] whose percentage is at least `percent`.
qint64 ProgressReporter::firstStepReaching(int percent, qint64 from, qint64 to) const {
    qint64 lo = from + 1, hi = to;
    while (lo < hi) {
        const qint64 mid = lo + (hi - lo) / 2;
        if (percentAt(mid) >= percent)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

void ProgressReporter::advanceTo(qint64 done) {
    qint64 reached = m_reached.load();
    while (done > reached && !m_reached.compare_exchange_weak(reached, done)) {
    }
    if (std::this_thread::get_id() == m_owner)
        deliver(m_reached.load());
}

void ProgressReporter::deliver(qint64 done) {
    if (!m_callback || m_total <= 0 || done <= m_done)
        return;
    done = qMin(done, m_total);
    const int reached = percentAt(done);
    // The first report is whatever the first step gives; later ones every value in between
    // that some step actually hits.
    int next = m_last < 0 ? percentAt(m_done + 1) : m_last + 1;
    while (next <= reached) {
        const qint64 step = firstStepReaching(next, m_done, done);
        const int value = percentAt(step);
        m_callback(value);
        m_last = value;
        next = value + 1;
    }
    m_done = done;
}

} // namespace locker
