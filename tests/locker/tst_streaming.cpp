// The streaming parts under the ciphers: the column shift kernels, the block pipeline and
// progress reported across threads.
#include "locker/legacy/ColumnShift.h"
#include "locker/stream/BlockPipeline.h"
#include "locker/stream/Progress.h"

#include <QRandomGenerator>
#include <QTest>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace {

// Readable memory between two inaccessible pages, so that a read past either end of a
// buffer placed against one of them faults at once.
class GuardedBuffer {
public:
    explicit GuardedBuffer(qint64 length) : m_page(sysconf(_SC_PAGESIZE)) {
        m_readable = (length + m_page - 1) / m_page * m_page;
        m_size = m_readable + 2 * m_page;
        m_base = static_cast<quint8*>(
            mmap(nullptr, size_t(m_size), PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(m_base + m_page, size_t(m_readable), PROT_READ | PROT_WRITE);
    }
    ~GuardedBuffer() { munmap(m_base, size_t(m_size)); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    [[nodiscard]] quint8* begin() const { return m_base + m_page; }
    [[nodiscard]] quint8* end() const { return m_base + m_page + m_readable; }

private:
    qint64 m_page;
    qint64 m_readable = 0;
    qint64 m_size = 0;
    quint8* m_base = nullptr;
};

struct Recorded {
    std::vector<quint64> written;
    std::vector<QByteArray> bytes;
};

// Blocks of four bytes holding their index; the transformation adds one to each byte.
locker::PipelineSteps countingSteps(quint64 blocks, Recorded& out) {
    locker::PipelineSteps steps;
    steps.capacity = 4;
    steps.read = [blocks](locker::Block& block) {
        block.length = 4;
        std::fill_n(block.data, 4, quint8(block.index));
        block.last = block.index + 1 == blocks;
    };
    steps.makeWorker = [] {
        return [](locker::Block& block) {
            // Uneven work, so that lanes overtake one another.
            std::this_thread::sleep_for(std::chrono::microseconds((block.index * 7919) % 300));
            for (qsizetype i = 0; i < block.length; ++i)
                ++block.data[i];
        };
    };
    steps.write = [&out](const locker::Block& block) {
        out.written.push_back(block.index);
        out.bytes.emplace_back(reinterpret_cast<const char*>(block.data), int(block.length));
    };
    return steps;
}

std::vector<quint64> upTo(quint64 n) {
    std::vector<quint64> indices(n);
    for (quint64 i = 0; i < n; ++i)
        indices[i] = i;
    return indices;
}

} // namespace

class StreamingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every kernel against a byte-by-byte model, for every width, for row counts around the
    // vector size, with windows that begin or end exactly at inaccessible memory, aligned
    // and not.
    void columnShiftMatchesTheModel() {
        QRandomGenerator random(7);
        for (const locker::ColumnShiftKernel kernel : locker::columnShiftKernels()) {
            for (int width = 1; width <= 20; ++width) {
                for (const qint64 rows : {1, 2, 3, 5, 31, 64, 65, 129, 1000, 4099}) {
                    std::vector<qint64> shift(static_cast<size_t>(width));
                    for (qint64& s : shift)
                        s = random.bounded(-255, 256);
                    const qint64 lowest =
                        qMin<qint64>(0, *std::min_element(shift.begin(), shift.end()));
                    const qint64 highest =
                        qMax<qint64>(0, *std::max_element(shift.begin(), shift.end()));
                    const qint64 windowRows = rows + highest - lowest;
                    const qint64 windowLength = windowRows * width;
                    const GuardedBuffer guarded(windowLength + 17);
                    for (quint8* window :
                         {guarded.begin(), guarded.begin() + 17, guarded.end() - windowLength}) {
                        for (qint64 i = 0; i < windowLength; ++i)
                            window[i] = quint8(random.generate());
                        std::vector<quint8> expected(size_t(rows * width));
                        for (qint64 r = 0; r < rows; ++r) {
                            for (int c = 0; c < width; ++c)
                                expected[size_t(r * width + c)] =
                                    window[(r - lowest + shift[size_t(c)]) * width + c];
                        }
                        std::vector<quint8> actual(size_t(rows * width), 0xEE);
                        kernel(window, windowLength, -lowest, actual.data(), rows, width,
                               shift.data());
                        if (actual != expected)
                            QFAIL(qPrintable(
                                QStringLiteral("width %1, %2 rows").arg(width).arg(rows)));
                    }
                }
            }
        }
    }

    void pipelineWritesEveryBlockInOrderWhateverTheLanesDo() {
        for (const bool parallel : {false, true}) {
            Recorded out;
            locker::PipelineSteps steps = countingSteps(300, out);
            steps.parallel = parallel;
            locker::runPipeline(steps);
            QCOMPARE(out.written, upTo(300));
            for (quint64 i = 0; i < 300; ++i)
                QCOMPARE(out.bytes[i], QByteArray(4, char(i + 1)));
        }
    }

    void pipelineReadsAndWritesOneBlockAtATime() {
        Recorded out;
        locker::PipelineSteps steps = countingSteps(200, out);
        std::atomic<int> reading{0}, writing{0};
        std::atomic<bool> overlapped{false}; // a read and a write may run at once
        const auto read = steps.read;
        steps.read = [&](locker::Block& block) {
            if (++reading > 1)
                overlapped = true;
            read(block);
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            --reading;
        };
        const auto write = steps.write;
        steps.write = [&](const locker::Block& block) {
            if (++writing > 1)
                overlapped = true;
            write(block);
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            --writing;
        };
        locker::runPipeline(steps);
        QVERIFY(!overlapped);
        QCOMPARE(out.written, upTo(200));
    }

    // A failure anywhere stops the blocks after it; the blocks before it are written, and the
    // failure of the earliest block is raised even when a later block fails first.
    void pipelineFailuresStopAtTheFailedBlock_data() {
        QTest::addColumn<QString>("step");
        QTest::newRow("read") << QStringLiteral("read");
        QTest::newRow("transform") << QStringLiteral("transform");
        QTest::newRow("write") << QStringLiteral("write");
    }
    void pipelineFailuresStopAtTheFailedBlock() {
        QFETCH(QString, step);
        constexpr quint64 Failing = 40;
        Recorded out;
        locker::PipelineSteps steps = countingSteps(100, out);
        const auto failAt = [](quint64 index) {
            if (index == Failing + 1)
                throw std::runtime_error("later block");
            if (index == Failing) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                throw std::runtime_error("failing block");
            }
        };
        if (step == u"read") {
            steps.read = [read = steps.read](locker::Block& block) {
                if (block.index == Failing)
                    throw std::runtime_error("failing block");
                read(block);
            };
        } else if (step == u"transform") {
            steps.makeWorker = [makeWorker = steps.makeWorker, failAt] {
                return [work = makeWorker(), failAt](locker::Block& block) {
                    failAt(block.index);
                    work(block);
                };
            };
        } else {
            steps.write = [write = steps.write](const locker::Block& block) {
                if (block.index == Failing)
                    throw std::runtime_error("failing block");
                write(block);
            };
        }
        try {
            locker::runPipeline(steps);
            QFAIL("the failure was not raised");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QByteArray(e.what()), QByteArray("failing block"));
        }
        QCOMPARE(out.written, upTo(Failing));
    }

    // Advances made on other threads reach the callback only on the thread that made the
    // reporter, with every value in between.
    void progressIsDeliveredOnTheReportersThread() {
        std::vector<int> values;
        bool elsewhere = false;
        const auto owner = std::this_thread::get_id();
        locker::ProgressReporter reporter(
            [&](int percent) {
                elsewhere |= std::this_thread::get_id() != owner;
                values.push_back(percent);
            },
            0, 100, 1000);
        std::thread([&] {
            for (qint64 done = 10; done <= 500; done += 10)
                reporter.advanceTo(done);
        }).join();
        QVERIFY(values.empty());
        reporter.advanceTo(600);
        reporter.advanceTo(1000);
        QVERIFY(!elsewhere);
        QCOMPARE(values.size(), size_t(101));
        QCOMPARE(values.front(), 0);
        QCOMPARE(values.back(), 100);
    }
};

QTEST_GUILESS_MAIN(StreamingTest)
#include "tst_streaming.moc"
