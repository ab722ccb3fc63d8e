#include "locker/legacy/VirtualCylinder.h"

#include "locker/legacy/ColumnShift.h"
#include "locker/stream/BlockPipeline.h"
#include "locker/stream/Wiping.h"
#include "platform/RuntimeError.h"

#include <utility>
#include <vector>

namespace locker {

namespace {

constexpr qint64 BlockBytes = 1 << 20;
constexpr qint64 Reach = 256;     // rows a byte can move without wrapping, and one more
constexpr qint64 EdgeRows = 1024; // first and last rows kept for wrapped bytes

qint64 ceilDiv(qint64 a, qint64 b) {
    return (a + b - 1) / b;
}

qint64 positiveMod(qint64 a, qint64 m) {
    const qint64 r = a % m;
    return r < 0 ? r + m : r;
}

} // namespace

// The first and last rows of an input, for the bytes that wrap around a column.
class VirtualCylinder::EdgeBuffer {
public:
    EdgeBuffer(ByteSource& input, qint64 rows, int width)
        : m_rows(rows), m_width(width), m_span(qMin(rows, EdgeRows)),
          m_head(size_t(m_span * width)), m_tail(size_t(m_span * width)) {
        input.readAt(0, reinterpret_cast<char*>(m_head.data()), m_span * width);
        input.readAt((rows - m_span) * width, reinterpret_cast<char*>(m_tail.data()),
                     m_span * width);
    }

    [[nodiscard]] quint8 at(qint64 row, int column) const {
        if (row < m_span)
            return m_head[size_t(row * m_width + column)];
        if (row >= m_rows - m_span)
            return m_tail[size_t((row - (m_rows - m_span)) * m_width + column)];
        throw platform::RuntimeError(platform::err::IndexOutOfRange);
    }

private:
    qint64 m_rows;
    int m_width;
    qint64 m_span;
    std::vector<quint8> m_head;
    std::vector<quint8> m_tail;
};

VirtualCylinder::~VirtualCylinder() {
    wipe(m_columns.data(), sizeof m_columns);
}

VirtualCylinder::VirtualCylinder(const KeyMaterial& key, qint64 cipherLength)
    : m_cipherLength(cipherLength), m_width(key.bytKeyLen) {
    const qint64 fullRows = cipherLength / m_width;
    const qint64 remainder = cipherLength % m_width;
    for (int c = 0; c < m_width; ++c) {
        Column& column = m_columns[size_t(c)];
        column.count = fullRows + (c < remainder ? 1 : 0);
        column.height = remainder == 0 ? fullRows + 1 : column.count;
        column.key = key.bytKey[size_t(c)];
    }
}

bool VirtualCylinder::placesByteBeyondCipher(qint64 position) const {
    const qint64 c = position - m_cipherLength;
    if (m_cipherLength % m_width != 0 || c < 0 || c >= m_width)
        return false;
    const Column& column = m_columns[size_t(c)];
    return column.key % column.height != 0;
}

bool VirtualCylinder::fitsIn(qint64 lockerLength) const {
    for (qint64 p = lockerLength; p < m_cipherLength + m_width; ++p) {
        if (placesByteBeyondCipher(p))
            return false;
    }
    return true;
}

void VirtualCylinder::encipher(ByteSource& plaintext, qint64 lockerLength,
                               const ByteSink& sink) const {
    rotate(plaintext, true, 0, lockerLength, sink);
}

void VirtualCylinder::decipher(ByteSource& locker, qint64 from, qint64 to,
                               const ByteSink& sink) const {
    rotate(locker, false, from, to, sink);
}

// Output row o of column c takes input row (o - key) mod height when putting away, and
// (o + key) mod height when taking out. Rows that no byte reaches stay zero.
void VirtualCylinder::rotate(ByteSource& input, bool putAway, qint64 from, qint64 to,
                             const ByteSink& sink) const {
    if (from >= to)
        return;
    const qint64 L = m_width;
    const qint64 inputRows = ceilDiv(input.size(), L);
    const EdgeBuffer edges(input, inputRows, m_width);
    const qint64 firstRow = from / L;
    const qint64 endRow = ceilDiv(to, L);
    const qint64 blockRows = qMin(endRow - firstRow, qMax<qint64>(1, BlockBytes / L));
    // A block's buffer holds its window of input rows, then its output rows.
    const qint64 windowBytes = (blockRows + 2 * Reach) * L;

    const auto rowsOf = [&](const Block& block) {
        const qint64 o0 = firstRow + qint64(block.index) * blockRows;
        const qint64 o1 = qMin(endRow, o0 + blockRows);
        return BlockRows{o0, o1, qMax<qint64>(0, o0 - Reach), qMin(inputRows, o1 + Reach)};
    };

    PipelineSteps steps;
    steps.capacity = windowBytes + blockRows * L;
    steps.parallel = endRow - firstRow > blockRows;
    steps.read = [&](Block& block) {
        const BlockRows r = rowsOf(block);
        input.readAt(r.w0 * L, reinterpret_cast<char*>(block.data), (r.w1 - r.w0) * L);
        const qint64 begin = qMax(from, r.o0 * L);
        const qint64 end = qMin(to, r.o1 * L);
        block.offset = windowBytes + begin - r.o0 * L;
        block.length = end - begin;
        block.last = r.o1 == endRow;
    };
    steps.makeWorker = [&] {
        return [&](Block& block) {
            const BlockRows r = rowsOf(block);
            rotateBlock(r, putAway, block.data, edges, block.data + windowBytes);
        };
    };
    steps.write = [&](const Block& block) { sink(block.data + block.offset, block.length); };
    runPipeline(steps);
}

void VirtualCylinder::rotateBlock(const BlockRows& rows, bool putAway, const quint8* window,
                                  const EdgeBuffer& edges, quint8* out) const {
    const auto [o0, o1, w0, w1] = rows;
    const qint64 L = m_width;
    // Rows whose source lies inside the window without wrapping are copied in bulk, all
    // columns together where every column has such rows; the rest wrap around or reach past
    // the end of their column and are looked up one by one.
    std::array<qint64, KeyMaterial::MaxLength> shift{}, limit{};
    qint64 bulkBegin = o0, bulkEnd = o1;
    for (int c = 0; c < m_width; ++c) {
        const Column& col = m_columns[size_t(c)];
        shift[c] = putAway ? -col.key : col.key;
        limit[c] = qMin(o1, putAway ? col.height : col.count);
        const qint64 lo = putAway ? col.key : 0;
        const qint64 hi =
            putAway ? qMin(col.height, col.count + col.key) : qMin(col.count, col.height - col.key);
        bulkBegin = qMax(bulkBegin, lo);
        bulkEnd = qMin(bulkEnd, qMin(limit[c], hi));
    }
    if (bulkEnd <= bulkBegin)
        bulkBegin = bulkEnd = o0;
    // Cells outside the bulk rows that no byte reaches stay zero.
    std::fill(out, out + (bulkBegin - o0) * L, quint8(0));
    std::fill(out + (bulkEnd - o0) * L, out + (o1 - o0) * L, quint8(0));
    shiftColumns(window, (w1 - w0) * L, bulkBegin - w0, out + (bulkBegin - o0) * L,
                 bulkEnd - bulkBegin, m_width, shift.data());
    for (int c = 0; c < m_width; ++c) {
        const Column& col = m_columns[size_t(c)];
        for (qint64 o = o0; o < limit[c]; ++o) {
            if (o == bulkBegin && bulkEnd > o) {
                o = bulkEnd - 1;
                continue;
            }
            const qint64 i = positiveMod(o + shift[c], col.height);
            if (putAway && i >= col.count)
                continue;
            out[(o - o0) * L + c] = (i >= w0 && i < w1) ? window[(i - w0) * L + c] : edges.at(i, c);
        }
    }
}

} // namespace locker
