#include "locker/legacy/ColumnShift.h"

#include "locker/legacy/KeyMaterial.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>
#include <utility>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VRL_HAVE_VBMI_KERNEL 1
#endif

namespace locker {

namespace {

constexpr int MaxWidth = KeyMaterial::MaxLength;
constexpr qint64 TileBytes = 8 << 10;

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

constexpr auto StridedCopies = stridedCopies(std::make_integer_sequence<int, MaxWidth>());

// Portable: one column at a time, in tiles small enough for the first-level cache.
void shiftColumnsPortable(const quint8* window, qint64, qint64 firstRow, quint8* destination,
                          qint64 rows, int width, const qint64* rowShift) {
    const StridedCopy copy = StridedCopies[size_t(width - 1)];
    const qint64 tileRows = qMax<qint64>(1, TileBytes / width);
    for (qint64 t0 = 0; t0 < rows; t0 += tileRows) {
        const qint64 n = qMin(rows, t0 + tileRows) - t0;
        for (int c = 0; c < width; ++c) {
            copy(window + (firstRow + t0 + rowShift[c]) * width + c, destination + t0 * width + c,
                 n);
        }
    }
}

#ifdef VRL_HAVE_VBMI_KERNEL
// Everything down to the matching pop is compiled for processors with these extensions and
// only called where the processor reports them.
#ifdef __clang__
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw,avx512vbmi"))),               \
                             apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vbmi")
#endif

constexpr int Lanes = 64;
constexpr int GroupColumns = 10; // columns whose state stays in registers at once

// Where one column's bytes come from: output byte q of the column is source byte q, which
// lies in the aligned 64-byte chunks at `aligned` + q rounded down and the one after.
struct ColumnSource {
    const quint8* aligned;
    __m512i picks; // byte i of the two chunks' 128 bytes: misalignment + i
};

// Vectors of the output until the columns line up with them again.
template <int W> constexpr int Period = W / std::gcd(Lanes, W);

// The bytes of vector K of a period that belong to column C.
template <int W, int C, int K>
constexpr __mmask64 ColumnMask = [] {
    __mmask64 mask = 0;
    for (int i = 0; i < Lanes; ++i) {
        if ((K * Lanes + i) % W == C)
            mask |= __mmask64(1) << i;
    }
    return mask;
}();

// Vector K of the period at `q` for columns C0 to C0 + N - 1: per column one aligned load, one
// two-chunk byte permute and one masked move. The first group overwrites the vector, the
// others merge into it.
template <int W, int C0, int N, int K, int... Cs>
inline void shiftVector(const quint8* const* aligned, const __m512i* picks, __m512i* chunk,
                        quint8* destination, qint64 q, std::integer_sequence<int, Cs...>) {
    __m512i bytes = C0 == 0 ? _mm512_setzero_si512() : _mm512_loadu_si512(destination + q);
    (
        [&] {
            const __m512i next = _mm512_load_si512(aligned[Cs] + q + Lanes);
            const __m512i shifted = _mm512_permutex2var_epi8(chunk[Cs], picks[Cs], next);
            bytes = _mm512_mask_mov_epi8(bytes, ColumnMask<W, C0 + Cs, K>, shifted);
            chunk[Cs] = next;
        }(),
        ...);
    _mm512_storeu_si512(destination + q, bytes);
}

// Output bytes [q0, q1), whole periods starting in column 0, for columns C0 to C0 + N - 1.
template <int W, int C0, int N, int... Ks>
void shiftGroup(const ColumnSource* sources, quint8* destination, qint64 q0, qint64 q1,
                std::integer_sequence<int, Ks...>) {
    // Held in locals: the stores below may alias anything the compiler cannot see.
    const quint8* aligned[N];
    __m512i picks[N], chunk[N];
    for (int c = 0; c < N; ++c) {
        aligned[c] = sources[C0 + c].aligned;
        picks[c] = sources[C0 + c].picks;
        chunk[c] = _mm512_load_si512(aligned[c] + q0);
    }
    for (qint64 q = q0; q < q1; q += Period<W> * Lanes) {
        (shiftVector<W, C0, N, Ks>(aligned, picks, chunk, destination, q + Ks * Lanes,
                                   std::make_integer_sequence<int, N>()),
         ...);
    }
}

// The columns in groups of near-equal size, each pass over a tile that stays in the
// first-level cache.
template <int W, int... Gs>
void shiftGroups(const ColumnSource* sources, quint8* destination, qint64 q0, qint64 q1,
                 std::integer_sequence<int, Gs...>) {
    constexpr int Groups = sizeof...(Gs);
    constexpr qint64 Step = Period<W> * Lanes;
    constexpr qint64 Tile = Groups == 1 ? std::numeric_limits<qint64>::max() / 2
                                        : qMax<qint64>(1, TileBytes / Step) * Step;
    for (qint64 t0 = q0; t0 < q1; t0 += Tile) {
        const qint64 t1 = qMin(q1, t0 + Tile);
        (shiftGroup<W, W * Gs / Groups, W*(Gs + 1) / Groups - W * Gs / Groups>(
             sources, destination, t0, t1, std::make_integer_sequence<int, Period<W>>()),
         ...);
    }
}

template <int W>
void shiftColumnsVbmi(const quint8* window, qint64 windowLength, qint64 firstRow,
                      quint8* destination, qint64 rows, const qint64* rowShift) {
    const qint64 total = rows * W;
    std::array<const quint8*, W> start{};
    std::array<ColumnSource, W> sources{};
    // Whole periods whose chunks all lie inside the window; bytes before and after are
    // copied one by one.
    qint64 first = 0, end = total;
    for (int c = 0; c < W; ++c) {
        start[size_t(c)] = window + (firstRow + rowShift[c]) * W;
        const auto address = reinterpret_cast<quintptr>(start[size_t(c)]);
        const int misalignment = int(address % Lanes);
        alignas(Lanes) std::array<quint8, Lanes> picks{};
        for (int i = 0; i < Lanes; ++i)
            picks[size_t(i)] = quint8(misalignment + i);
        const quint8* aligned = start[size_t(c)] - misalignment;
        sources[size_t(c)] = {aligned, _mm512_load_si512(picks.data())};
        first = qMax(first, qint64(window - aligned));
        end = qMin(end, qint64(window + windowLength - aligned) - Lanes);
    }
    constexpr qint64 Step = Period<W> * Lanes;
    const qint64 q0 = (first + Step - 1) / Step * Step;
    const qint64 q1 = q0 + qMax<qint64>(0, (end - q0) / Step * Step);
    const auto copyBytes = [&](qint64 from, qint64 to) {
        for (qint64 q = from; q < to; ++q)
            destination[q] = start[size_t(q % W)][q];
    };
    copyBytes(0, qMin(q0, total));
    shiftGroups<W>(sources.data(), destination, q0, q1,
                   std::make_integer_sequence<int, (W + GroupColumns - 1) / GroupColumns>());
    copyBytes(qMax(q0, q1), total);
}

using VbmiKernel = void (*)(const quint8*, qint64, qint64, quint8*, qint64, const qint64*);

template <int... Ws>
constexpr std::array<VbmiKernel, sizeof...(Ws)> vbmiKernels(std::integer_sequence<int, Ws...>) {
    return {&shiftColumnsVbmi<Ws + 1>...};
}

void shiftColumnsVbmiAnyWidth(const quint8* window, qint64 windowLength, qint64 firstRow,
                              quint8* destination, qint64 rows, int width, const qint64* rowShift) {
    static constexpr auto Kernels = vbmiKernels(std::make_integer_sequence<int, MaxWidth>());
    Kernels[size_t(width - 1)](window, windowLength, firstRow, destination, rows, rowShift);
}

#ifdef __clang__
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif

std::vector<ColumnShiftKernel> availableKernels() {
    std::vector<ColumnShiftKernel> kernels{&shiftColumnsPortable};
#ifdef VRL_HAVE_VBMI_KERNEL
    if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi"))
        kernels.push_back(&shiftColumnsVbmiAnyWidth);
#endif
    return kernels;
}

} // namespace

const std::vector<ColumnShiftKernel>& columnShiftKernels() {
    static const std::vector<ColumnShiftKernel> Kernels = availableKernels();
    return Kernels;
}

void shiftColumns(const quint8* window, qint64 windowLength, qint64 firstRow, quint8* destination,
                  qint64 rows, int width, const qint64* rowShift) {
    static const ColumnShiftKernel Kernel = columnShiftKernels().back();
    Kernel(window, windowLength, firstRow, destination, rows, width, rowShift);
}

} // namespace locker
