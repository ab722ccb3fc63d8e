#include "VirtualCylinder.h"

#include "ByteSource.h"
#include "platform/RuntimeError.h"

#include <utility>
#include <vector>

namespace locker {

namespace {

constexpr qint64 BlockBytes = 1 << 20;
constexpr qint64 TileBytes = 8 << 10;
constexpr qint64 Reach = 256;     // rows a byte can move without wrapping, and one more
constexpr qint64 EdgeRows = 1024; // first and last rows kept for wrapped bytes

qint64 ceilDiv(qint64 a, qint64 b) {
    return (a + b - 1) / b;
}

qint64 positiveMod(qint64 a, qint64 m) {
    const qint64 r = a % m;
    return r < 0 ? r + m : r;
}

// Copies every L-th byte; the stride is a compile-time constant so that the loop unrolls
// with fixed address offsets.
template <int L> void copyStrided(const quint8* src, quint8* dst, qint64 count) {
    for (; count >= 4; count -= 4, src += 4 * L, dst += 4 * L) {
        dst[0] = src[0];
        dst[L] = src[L];
        dst[2 * L] = src[2 * L];
        dst[3 * L] = src[3 * L];
    }
    for (; count > 0; --count, src += L, dst += L)
        *dst = *src;
}

using StridedCopy = void (*)(const quint8*, quint8*, qint64);

template <int... Ls>
constexpr std::array<StridedCopy, sizeof...(Ls)> stridedCopies(std::integer_sequence<int, Ls...>) {
    return {&copyStrided<Ls + 1>...};
}

constexpr auto StridedCopies =
    stridedCopies(std::make_integer_sequence<int, KeyMaterial::MaxLength>());

// The first and last rows of an input, for the bytes that wrap around a column.
class EdgeBuffer {
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

} // namespace

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
    const qint64 blockRows = qMax<qint64>(1, BlockBytes / L);
    const qint64 tileRows = qMax<qint64>(1, TileBytes / L);
    const StridedCopy copy = StridedCopies[size_t(L - 1)];
    std::vector<quint8> out(size_t(blockRows * L));
    std::vector<quint8> window(size_t((blockRows + 2 * Reach) * L));

    for (qint64 o0 = from / L, endRow = ceilDiv(to, L); o0 < endRow; o0 += blockRows) {
        const qint64 o1 = qMin(endRow, o0 + blockRows);
        const qint64 w0 = qMax<qint64>(0, o0 - Reach);
        const qint64 w1 = qMin(inputRows, o1 + Reach);
        input.readAt(w0 * L, reinterpret_cast<char*>(window.data()), (w1 - w0) * L);
        std::fill(out.begin(), out.begin() + (o1 - o0) * L, quint8(0));

        // Rows whose source lies inside the window without wrapping are strided copies, done
        // in tiles small enough for the first-level cache; the rest wrap around or reach past
        // the end of their column and are looked up one by one.
        std::array<qint64, KeyMaterial::MaxLength> fastBegin{}, fastEnd{}, shift{}, limit{};
        for (int c = 0; c < m_width; ++c) {
            const Column& col = m_columns[size_t(c)];
            shift[c] = putAway ? -col.key : col.key;
            limit[c] = qMin(o1, putAway ? col.height : col.count);
            const qint64 lo = putAway ? col.key : 0;
            const qint64 hi = putAway ? qMin(col.height, col.count + col.key)
                                      : qMin(col.count, col.height - col.key);
            fastBegin[c] = qMax(o0, lo);
            fastEnd[c] = qMax(fastBegin[c], qMin(limit[c], hi));
        }
        for (qint64 t0 = o0; t0 < o1; t0 += tileRows) {
            const qint64 t1 = qMin(o1, t0 + tileRows);
            for (int c = 0; c < m_width; ++c) {
                const qint64 b = qMax(t0, fastBegin[c]);
                const qint64 e = qMin(t1, fastEnd[c]);
                if (e > b)
                    copy(window.data() + (b + shift[c] - w0) * L + c, out.data() + (b - o0) * L + c,
                         e - b);
            }
        }
        for (int c = 0; c < m_width; ++c) {
            const Column& col = m_columns[size_t(c)];
            for (qint64 o = o0; o < limit[c]; ++o) {
                if (o == fastBegin[c] && fastEnd[c] > o) {
                    o = fastEnd[c] - 1;
                    continue;
                }
                const qint64 i = positiveMod(o + shift[c], col.height);
                if (putAway && i >= col.count)
                    continue;
                out[size_t((o - o0) * L + c)] =
                    (i >= w0 && i < w1) ? window[size_t((i - w0) * L + c)] : edges.at(i, c);
            }
        }
        const qint64 begin = qMax(from, o0 * L);
        const qint64 end = qMin(to, o1 * L);
        sink(out, begin - o0 * L, end - begin);
        out.resize(size_t(blockRows * L));
    }
}

} // namespace locker
