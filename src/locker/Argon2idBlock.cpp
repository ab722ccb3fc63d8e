#include "locker/Argon2idBlock.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VRL_HAVE_X86_COMPRESS 1
#endif

namespace locker::dataprotect::argon2 {

namespace {

// Portable: 64-bit words. The round function P works on 16 words v0..v15 laid out as a 4x4
// matrix; a row of the block is 16 consecutive words, a column is 2 consecutive words from
// each of the 8 rows.

inline quint64 rotr(quint64 x, int n) {
    return (x >> n) | (x << (64 - n));
}

// The BLAKE2b addition with the product of the low halves added twice.
inline quint64 blamka(quint64 x, quint64 y) {
    return x + y + 2 * (x & 0xffffffffu) * (y & 0xffffffffu);
}

inline void mix(quint64& a, quint64& b, quint64& c, quint64& d) {
    a = blamka(a, b);
    d = rotr(d ^ a, 32);
    c = blamka(c, d);
    b = rotr(b ^ c, 24);
    a = blamka(a, b);
    d = rotr(d ^ a, 16);
    c = blamka(c, d);
    b = rotr(b ^ c, 63);
}

// P over p[0], p[1], p[Stride], p[Stride + 1], ..., p[7 * Stride + 1]: a row with stride 2,
// a column with stride 16.
template <int Stride> inline void permute(quint64* p) {
    const auto v = [p](int k) -> quint64& { return p[(k >> 1) * Stride + (k & 1)]; };
    mix(v(0), v(4), v(8), v(12));
    mix(v(1), v(5), v(9), v(13));
    mix(v(2), v(6), v(10), v(14));
    mix(v(3), v(7), v(11), v(15));
    mix(v(0), v(5), v(10), v(15));
    mix(v(1), v(6), v(11), v(12));
    mix(v(2), v(7), v(8), v(13));
    mix(v(3), v(4), v(9), v(14));
}

void compressPortable(const Block& prev, const Block& ref, Block& next, bool xorInto) {
    quint64 r[BlockWords]; // prev ^ ref, and the old next when xoring into it
    quint64 q[BlockWords];
    for (int i = 0; i < BlockWords; ++i) {
        q[i] = prev.words[i] ^ ref.words[i];
        r[i] = xorInto ? q[i] ^ next.words[i] : q[i];
    }
    for (int i = 0; i < 8; ++i)
        permute<2>(q + 16 * i);
    for (int i = 0; i < 8; ++i)
        permute<16>(q + 2 * i);
    for (int i = 0; i < BlockWords; ++i)
        next.words[i] = q[i] ^ r[i];
}

#ifdef VRL_HAVE_X86_COMPRESS
// AVX2: 4 words a register, so a block is 32 registers and register 4r + k holds words
// 4k..4k+3 of row r.
#ifdef __clang__
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

inline __m256i blamka(__m256i x, __m256i y) {
    const __m256i product = _mm256_mul_epu32(x, y);
    return _mm256_add_epi64(_mm256_add_epi64(x, y), _mm256_add_epi64(product, product));
}

inline __m256i rotr32(__m256i x) {
    return _mm256_shuffle_epi32(x, _MM_SHUFFLE(2, 3, 0, 1));
}

inline __m256i rotr24(__m256i x) {
    const __m256i bytes = _mm256_setr_epi8(3, 4, 5, 6, 7, 0, 1, 2, 11, 12, 13, 14, 15, 8, 9, 10, 3,
                                           4, 5, 6, 7, 0, 1, 2, 11, 12, 13, 14, 15, 8, 9, 10);
    return _mm256_shuffle_epi8(x, bytes);
}

inline __m256i rotr16(__m256i x) {
    const __m256i bytes = _mm256_setr_epi8(2, 3, 4, 5, 6, 7, 0, 1, 10, 11, 12, 13, 14, 15, 8, 9, 2,
                                           3, 4, 5, 6, 7, 0, 1, 10, 11, 12, 13, 14, 15, 8, 9);
    return _mm256_shuffle_epi8(x, bytes);
}

inline __m256i rotr63(__m256i x) {
    return _mm256_xor_si256(_mm256_srli_epi64(x, 63), _mm256_add_epi64(x, x));
}

inline void mix(__m256i& a, __m256i& b, __m256i& c, __m256i& d) {
    a = blamka(a, b);
    d = rotr32(_mm256_xor_si256(d, a));
    c = blamka(c, d);
    b = rotr24(_mm256_xor_si256(b, c));
    a = blamka(a, b);
    d = rotr16(_mm256_xor_si256(d, a));
    c = blamka(c, d);
    b = rotr63(_mm256_xor_si256(b, c));
}

// Per 128-bit half: the high word of x, then the low word of y.
inline __m256i straddle(__m256i x, __m256i y) {
    return _mm256_castpd_si256(
        _mm256_shuffle_pd(_mm256_castsi256_pd(x), _mm256_castsi256_pd(y), 5));
}

// P over one row: a, b, c, d are v0..v3, v4..v7, v8..v11, v12..v15. The diagonal step
// rotates b, c and d by 1, 2 and 3 words so that the diagonals line up.
inline void permuteRow(__m256i& a, __m256i& b, __m256i& c, __m256i& d) {
    mix(a, b, c, d);
    b = _mm256_permute4x64_epi64(b, _MM_SHUFFLE(0, 3, 2, 1));
    c = _mm256_permute4x64_epi64(c, _MM_SHUFFLE(1, 0, 3, 2));
    d = _mm256_permute4x64_epi64(d, _MM_SHUFFLE(2, 1, 0, 3));
    mix(a, b, c, d);
    b = _mm256_permute4x64_epi64(b, _MM_SHUFFLE(2, 1, 0, 3));
    c = _mm256_permute4x64_epi64(c, _MM_SHUFFLE(1, 0, 3, 2));
    d = _mm256_permute4x64_epi64(d, _MM_SHUFFLE(0, 3, 2, 1));
}

// P over two columns, given the register of the first row that holds them: the register of
// row r is x[4 * r] and holds the two words of row r in each column (one a 128-bit half).
// x[0], x[8], x[16], x[24] are v0v1, v4v5, v8v9, v12v13 and x[4], x[12], x[20], x[28] are
// v2v3, v6v7, v10v11, v14v15. The diagonal step pairs up halves so that v5v6, v7v4, v15v12
// and v13v14 line up with v0v1 and v2v3.
inline void permuteColumns(__m256i* x) {
    constexpr int Row = 4;
    mix(x[0], x[2 * Row], x[4 * Row], x[6 * Row]);
    mix(x[Row], x[3 * Row], x[5 * Row], x[7 * Row]);
    __m256i b0 = straddle(x[2 * Row], x[3 * Row]);
    __m256i b1 = straddle(x[3 * Row], x[2 * Row]);
    __m256i d0 = straddle(x[7 * Row], x[6 * Row]);
    __m256i d1 = straddle(x[6 * Row], x[7 * Row]);
    mix(x[0], b0, x[5 * Row], d0);
    mix(x[Row], b1, x[4 * Row], d1);
    x[2 * Row] = straddle(b1, b0);
    x[3 * Row] = straddle(b0, b1);
    x[6 * Row] = straddle(d0, d1);
    x[7 * Row] = straddle(d1, d0);
}

void compressAvx2(const Block& prev, const Block& ref, Block& next, bool xorInto) {
    const auto* p = reinterpret_cast<const __m256i*>(prev.words);
    const auto* f = reinterpret_cast<const __m256i*>(ref.words);
    auto* n = reinterpret_cast<__m256i*>(next.words);
    // Unrolled in full, which the compiler does not do by itself and which makes this about a
    // sixth faster: the rows and columns are independent and get scheduled together.
    __m256i q[32], r[32];
#pragma GCC unroll 32
    for (int i = 0; i < 32; ++i) {
        q[i] = _mm256_xor_si256(_mm256_load_si256(p + i), _mm256_load_si256(f + i));
        r[i] = xorInto ? _mm256_xor_si256(q[i], _mm256_load_si256(n + i)) : q[i];
    }
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i)
        permuteRow(q[4 * i], q[4 * i + 1], q[4 * i + 2], q[4 * i + 3]);
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k)
        permuteColumns(q + k);
#pragma GCC unroll 32
    for (int i = 0; i < 32; ++i)
        _mm256_store_si256(n + i, _mm256_xor_si256(q[i], r[i]));
}

#ifdef __clang__
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

// AVX-512: 8 words a register, so a block is 16 registers and register 2r + k holds words
// 8k..8k+7 of row r.
#ifdef __clang__
#pragma clang attribute push(__attribute__((target("avx512f"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f")
// GCC 12 takes the placeholder operand inside its own AVX-512 intrinsics for an uninitialised
// variable, depending on optimisation and sanitizers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

inline __m512i blamka(__m512i x, __m512i y) {
    const __m512i product = _mm512_mul_epu32(x, y);
    return _mm512_add_epi64(_mm512_add_epi64(x, y), _mm512_add_epi64(product, product));
}

inline void mix(__m512i& a, __m512i& b, __m512i& c, __m512i& d) {
    a = blamka(a, b);
    d = _mm512_ror_epi64(_mm512_xor_si512(d, a), 32);
    c = blamka(c, d);
    b = _mm512_ror_epi64(_mm512_xor_si512(b, c), 24);
    a = blamka(a, b);
    d = _mm512_ror_epi64(_mm512_xor_si512(d, a), 16);
    c = blamka(c, d);
    b = _mm512_ror_epi64(_mm512_xor_si512(b, c), 63);
}

inline __m512i straddle(__m512i x, __m512i y) {
    return _mm512_castpd_si512(
        _mm512_shuffle_pd(_mm512_castsi512_pd(x), _mm512_castsi512_pd(y), 0x55));
}

// P over rows r and r + 1, given as their registers: u0 = v0..v7 and u1 = v8..v15 of row r,
// w0 and w1 of row r + 1. The 256-bit halves of the two rows are paired up so that one
// register holds the same four v of both rows.
inline void permuteRows(__m512i& u0, __m512i& u1, __m512i& w0, __m512i& w1) {
    __m512i a = _mm512_shuffle_i64x2(u0, w0, 0x44);
    __m512i b = _mm512_shuffle_i64x2(u0, w0, 0xee);
    __m512i c = _mm512_shuffle_i64x2(u1, w1, 0x44);
    __m512i d = _mm512_shuffle_i64x2(u1, w1, 0xee);
    mix(a, b, c, d);
    b = _mm512_permutex_epi64(b, _MM_SHUFFLE(0, 3, 2, 1));
    c = _mm512_permutex_epi64(c, _MM_SHUFFLE(1, 0, 3, 2));
    d = _mm512_permutex_epi64(d, _MM_SHUFFLE(2, 1, 0, 3));
    mix(a, b, c, d);
    b = _mm512_permutex_epi64(b, _MM_SHUFFLE(2, 1, 0, 3));
    c = _mm512_permutex_epi64(c, _MM_SHUFFLE(1, 0, 3, 2));
    d = _mm512_permutex_epi64(d, _MM_SHUFFLE(0, 3, 2, 1));
    u0 = _mm512_shuffle_i64x2(a, b, 0x44);
    w0 = _mm512_shuffle_i64x2(a, b, 0xee);
    u1 = _mm512_shuffle_i64x2(c, d, 0x44);
    w1 = _mm512_shuffle_i64x2(c, d, 0xee);
}

// The same as for AVX2 over four columns, the register of row r being x[2 * r].
inline void permuteColumns(__m512i* x) {
    constexpr int Row = 2;
    mix(x[0], x[2 * Row], x[4 * Row], x[6 * Row]);
    mix(x[Row], x[3 * Row], x[5 * Row], x[7 * Row]);
    __m512i b0 = straddle(x[2 * Row], x[3 * Row]);
    __m512i b1 = straddle(x[3 * Row], x[2 * Row]);
    __m512i d0 = straddle(x[7 * Row], x[6 * Row]);
    __m512i d1 = straddle(x[6 * Row], x[7 * Row]);
    mix(x[0], b0, x[5 * Row], d0);
    mix(x[Row], b1, x[4 * Row], d1);
    x[2 * Row] = straddle(b1, b0);
    x[3 * Row] = straddle(b0, b1);
    x[6 * Row] = straddle(d0, d1);
    x[7 * Row] = straddle(d1, d0);
}

void compressAvx512(const Block& prev, const Block& ref, Block& next, bool xorInto) {
    const auto* p = reinterpret_cast<const __m512i*>(prev.words);
    const auto* f = reinterpret_cast<const __m512i*>(ref.words);
    auto* n = reinterpret_cast<__m512i*>(next.words);
    __m512i q[16], r[16]; // unrolled as for AVX2
#pragma GCC unroll 16
    for (int i = 0; i < 16; ++i) {
        q[i] = _mm512_xor_si512(_mm512_load_si512(p + i), _mm512_load_si512(f + i));
        r[i] = xorInto ? _mm512_xor_si512(q[i], _mm512_load_si512(n + i)) : q[i];
    }
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i)
        permuteRows(q[4 * i], q[4 * i + 1], q[4 * i + 2], q[4 * i + 3]);
#pragma GCC unroll 2
    for (int k = 0; k < 2; ++k)
        permuteColumns(q + k);
#pragma GCC unroll 16
    for (int i = 0; i < 16; ++i)
        _mm512_store_si512(n + i, _mm512_xor_si512(q[i], r[i]));
}

#ifdef __clang__
#pragma clang attribute pop
#else
#pragma GCC diagnostic pop
#pragma GCC pop_options
#endif
#endif

std::vector<Compress> availableCompressors() {
    std::vector<Compress> compressors{&compressPortable};
#ifdef VRL_HAVE_X86_COMPRESS
    if (__builtin_cpu_supports("avx2"))
        compressors.push_back(&compressAvx2);
    if (__builtin_cpu_supports("avx512f"))
        compressors.push_back(&compressAvx512);
#endif
    return compressors;
}

} // namespace

const std::vector<Compress>& Compressors() {
    static const std::vector<Compress> compressors = availableCompressors();
    return compressors;
}

} // namespace locker::dataprotect::argon2
