#include "ColumnShift.h"

#include "KeyMaterial.h"

#include <algorithm>
#include <array>
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
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vbmi")

constexpr int Lanes = 64;
constexpr int GroupColumns = 10; // columns whose state stays in registers at once
constexpr qint64 TileVectors = 64;

// Where one column's bytes come from: output byte q of the column is source byte q, which
// lies in the aligned 64-byte chunks at `aligned` + q rounded down and the one after.
struct ColumnSource {
    const quint8* aligned;
    __m512i picks; // byte i of the two chunks' 128 bytes: misalignment + i
    int column;
};

// Byte i of a vector whose first byte is in column p belongs to column (p + i) mod width.
struct MaskTable {
    std::array<std::array<__mmask64, MaxWidth>, MaxWidth> byPhase{};

    explicit MaskTable(int width) {
        __mmask64 pattern = 0;
        for (int i = 0; i < Lanes; i += width)
            pattern |= __mmask64(1) << i;
        for (int p = 0; p < width; ++p) {
            for (int c = 0; c < width; ++c)
                byPhase[size_t(p)][size_t(c)] = pattern << ((c - p + width) % width);
        }
    }
};

// Output vectors [q0, q1) for a group of N columns: per column one aligned load, one
// two-chunk byte permute and one masked move. The first group overwrites the vectors, the
// others merge into them.
template <int N>
void shiftGroup(const ColumnSource* sources, const MaskTable& masks, quint8* destination, qint64 q0,
                qint64 q1, int phase, int width, bool first) {
    // Held in locals: the stores below may alias anything the compiler cannot see.
    const quint8* aligned[N];
    __m512i picks[N], chunk[N];
#pragma GCC unroll 10
    for (int c = 0; c < N; ++c) {
        aligned[c] = sources[c].aligned;
        picks[c] = sources[c].picks;
        chunk[c] = _mm512_load_si512(aligned[c] + q0);
    }
    const __mmask64* columnMasks = &masks.byPhase[0][size_t(sources[0].column)];
    const int step = Lanes % width;
    for (qint64 q = q0; q < q1; q += Lanes) {
        __m512i bytes = first ? _mm512_setzero_si512() : _mm512_loadu_si512(destination + q);
        const __mmask64* mask = columnMasks + phase * MaxWidth;
#pragma GCC unroll 10
        for (int c = 0; c < N; ++c) {
            const __m512i next = _mm512_load_si512(aligned[c] + q + Lanes);
            const __m512i shifted = _mm512_permutex2var_epi8(chunk[c], picks[c], next);
            bytes = _mm512_mask_mov_epi8(bytes, mask[c], shifted);
            chunk[c] = next;
        }
        _mm512_storeu_si512(destination + q, bytes);
        phase += step;
        if (phase >= width)
            phase -= width;
    }
}

using GroupKernel = void (*)(const ColumnSource*, const MaskTable&, quint8*, qint64, qint64, int,
                             int, bool);

template <int... Ns>
constexpr std::array<GroupKernel, sizeof...(Ns)> groupKernels(std::integer_sequence<int, Ns...>) {
    return {&shiftGroup<Ns + 1>...};
}

constexpr auto GroupKernels = groupKernels(std::make_integer_sequence<int, GroupColumns>());

void shiftColumnsVbmi(const quint8* window, qint64 windowLength, qint64 firstRow,
                      quint8* destination, qint64 rows, int width, const qint64* rowShift) {
    const qint64 total = rows * width;
    std::array<const quint8*, MaxWidth> start{};
    std::array<ColumnSource, MaxWidth> sources{};
    // Vectors whose chunks all lie inside the window; bytes before and after are copied one
    // by one.
    qint64 first = 0, end = total;
    for (int c = 0; c < width; ++c) {
        start[size_t(c)] = window + (firstRow + rowShift[c]) * width;
        const auto address = reinterpret_cast<quintptr>(start[size_t(c)]);
        const int misalignment = int(address % Lanes);
        alignas(Lanes) std::array<quint8, Lanes> picks{};
        for (int i = 0; i < Lanes; ++i)
            picks[size_t(i)] = quint8(misalignment + i);
        const quint8* aligned = start[size_t(c)] - misalignment;
        sources[size_t(c)] = {aligned, _mm512_load_si512(picks.data()), c};
        first = qMax(first, qint64(window - aligned));
        end = qMin(end, qint64(window + windowLength - aligned) - Lanes);
    }
    const qint64 q0 = (first + Lanes - 1) / Lanes * Lanes;
    const qint64 q1 = q0 + qMax<qint64>(0, (end - q0) / Lanes * Lanes);
    const auto copyBytes = [&](qint64 from, qint64 to) {
        for (qint64 q = from; q < to; ++q)
            destination[q] = start[size_t(q % width)][q];
    };
    copyBytes(0, qMin(q0, total));
    if (q1 > q0) {
        const MaskTable masks(width);
        const int groups = (width + GroupColumns - 1) / GroupColumns;
        // With more than one group, tiles keep the output in the first-level cache between
        // the groups' passes.
        const qint64 tile = groups == 1 ? q1 - q0 : TileVectors * Lanes;
        for (qint64 t0 = q0; t0 < q1; t0 += tile) {
            const qint64 t1 = qMin(q1, t0 + tile);
            for (int g = 0, c = 0; g < groups; ++g) {
                const int n = (width - c) / (groups - g);
                GroupKernels[size_t(n - 1)](sources.data() + c, masks, destination, t0, t1,
                                            int(t0 % width), width, g == 0);
                c += n;
            }
        }
    }
    copyBytes(qMax(q0, q1), total);
}

#pragma GCC pop_options
#endif

std::vector<ColumnShiftKernel> availableKernels() {
    std::vector<ColumnShiftKernel> kernels{&shiftColumnsPortable};
#ifdef VRL_HAVE_VBMI_KERNEL
    if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi"))
        kernels.push_back(&shiftColumnsVbmi);
#endif
    return kernels;
}

} // namespace

const std::vector<ColumnShiftKernel>& ColumnShiftKernels() {
    static const std::vector<ColumnShiftKernel> kernels = availableKernels();
    return kernels;
}

void ShiftColumns(const quint8* window, qint64 windowLength, qint64 firstRow, quint8* destination,
                  qint64 rows, int width, const qint64* rowShift) {
    static const ColumnShiftKernel kernel = ColumnShiftKernels().back();
    kernel(window, windowLength, firstRow, destination, rows, width, rowShift);
}

} // namespace locker
