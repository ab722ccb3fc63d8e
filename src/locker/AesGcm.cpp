#include "locker/AesGcm.h"

#include <sodium.h>

#include <cstdint>
#include <cstdlib>

#if defined(__x86_64__) && defined(__GNUC__)
#include <cpuid.h>
#include <immintrin.h>
#define VRL_HAVE_VAES_GCM 1
#endif

namespace locker::dataprotect {

bool AesGcmVaes::Available() {
#ifdef VRL_HAVE_VAES_GCM
    // Not every compiler's cpu checks know VAES and VPCLMULQDQ; they are read from leaf 7,
    // their register state being that of AVX-512, which the checks confirm is enabled.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    constexpr unsigned Vaes = 1u << 9, Vpclmulqdq = 1u << 10;
    return __builtin_cpu_supports("aes") && __builtin_cpu_supports("pclmul") &&
           __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl") && __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) &&
           (ecx & Vaes) && (ecx & Vpclmulqdq);
#else
    return false;
#endif
}

AesGcmVaes::~AesGcmVaes() {
    sodium_memzero(m_roundKeys, sizeof m_roundKeys);
    sodium_memzero(m_hashPowers, sizeof m_hashPowers);
}

#ifdef VRL_HAVE_VAES_GCM

namespace {

// Bytes of stack below the caller that the kernels' frames (spilled keystream and hash
// values) can occupy; wiped after each call.
constexpr std::size_t KernelStackBytes = 4096;

} // namespace

// Everything down to the matching pop is compiled for processors with these extensions and
// only called where the processor reports them.
#ifdef __clang__
#pragma clang attribute push(                                                                      \
    __attribute__((target("avx512f,avx512bw,avx512vl,vaes,vpclmulqdq,aes,pclmul,sse4.1"))),        \
    apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vl,vaes,vpclmulqdq,aes,pclmul,sse4.1")
// The intrinsics' headers leave their pass-through operands undefined on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace {

using Power = unsigned char[16];

// Field elements are held bit-reflected: a block's 16 bytes reversed, so that bit i of the
// 128-bit integer is the coefficient of x^(127 - i). The carry-less product of two such
// integers is the reflected product multiplied by x; the hash key powers are stored divided
// by x to cancel it.

inline __m128i byteSwap(__m128i v) {
    return _mm_shuffle_epi8(v, _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
}

// Reverses the bytes of each 128-bit lane.
inline __m512i byteSwap(__m512i v) {
    return _mm512_shuffle_epi8(v, _mm512_broadcast_i32x4(_mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9,
                                                                      10, 11, 12, 13, 14, 15)));
}

inline __m128i xor3(__m128i a, __m128i b, __m128i c) {
    return _mm_ternarylogic_epi64(a, b, c, 0x96);
}

inline __m512i xor3(__m512i a, __m512i b, __m512i c) {
    return _mm512_ternarylogic_epi64(a, b, c, 0x96);
}

// x^128 = x^7 + x^2 + x + 1 in reflected form: the high half folds 64 bits of a product
// down by 64 places; the whole is what dividing by x adds when the x^0 coefficient is set.
inline __m128i polynomial() {
    return _mm_set_epi64x(std::int64_t(0xC200000000000000), 1);
}

// Reduces the 256-bit reflected product hi:lo modulo the field polynomial, folding the low
// (highest-degree) half down 64 bits at a time.
inline __m128i reduce(__m128i lo, __m128i hi) {
    const __m128i poly = polynomial();
    const __m128i m =
        _mm_xor_si128(_mm_shuffle_epi32(lo, 0x4E), _mm_clmulepi64_si128(lo, poly, 0x10));
    return xor3(hi, _mm_shuffle_epi32(m, 0x4E), _mm_clmulepi64_si128(m, poly, 0x10));
}

// a * b * x for reflected a and b: a * H^k when b is the stored H^k / x.
inline __m128i multiply(__m128i a, __m128i b) {
    const __m128i lo = _mm_clmulepi64_si128(a, b, 0x00);
    const __m128i hi = _mm_clmulepi64_si128(a, b, 0x11);
    const __m128i mid =
        _mm_xor_si128(_mm_clmulepi64_si128(a, b, 0x01), _mm_clmulepi64_si128(a, b, 0x10));
    return reduce(_mm_xor_si128(lo, _mm_slli_si128(mid, 8)),
                  _mm_xor_si128(hi, _mm_srli_si128(mid, 8)));
}

inline __m128i foldLanes(__m512i v) {
    const __m256i y = _mm256_xor_si256(_mm512_castsi512_si256(v), _mm512_extracti64x4_epi64(v, 1));
    return _mm_xor_si128(_mm256_castsi256_si128(y), _mm256_extracti128_si256(y, 1));
}

// Folds up to 16 reflected blocks, four per vector in `blocks[0..vectors)`, into the running
// hash `x` with one reduction: (x ^ b0) * H^n ^ b1 * H^(n-1) ^ ... ^ b(n-1) * H, where
// `powers` points at H^n and the lanes past the n-th block are zero.
inline __m128i hashBlocks(__m128i x, const Power* powers, const __m512i* blocks, int vectors) {
    __m512i lo = _mm512_setzero_si512(), hi = lo, mid = lo;
#pragma GCC unroll 4
    for (int v = 0; v < vectors; ++v) {
        const __m512i b =
            v == 0 ? _mm512_xor_si512(blocks[0], _mm512_zextsi128_si512(x)) : blocks[v];
        const __m512i p = _mm512_loadu_si512(powers + 4 * v);
        lo = _mm512_xor_si512(lo, _mm512_clmulepi64_epi128(b, p, 0x00));
        hi = _mm512_xor_si512(hi, _mm512_clmulepi64_epi128(b, p, 0x11));
        mid = xor3(mid, _mm512_clmulepi64_epi128(b, p, 0x01), _mm512_clmulepi64_epi128(b, p, 0x10));
    }
    lo = _mm512_xor_si512(lo, _mm512_bslli_epi128(mid, 8));
    hi = _mm512_xor_si512(hi, _mm512_bsrli_epi128(mid, 8));
    return reduce(foldLanes(lo), foldLanes(hi));
}

// Mask of the first min(n, 64) bytes of a vector (none for n <= 0).
inline __mmask64 firstBytes(std::ptrdiff_t n) {
    return n <= 0 ? 0 : n >= 64 ? ~__mmask64(0) : (__mmask64(1) << n) - 1;
}

// Hashes `length` bytes, the last block padded with zeros.
__m128i hashBytes(__m128i x, const Power* powers, const unsigned char* p, std::size_t length) {
    __m512i blocks[4];
    for (; length >= 256; p += 256, length -= 256) {
#pragma GCC unroll 4
        for (int v = 0; v < 4; ++v)
            blocks[v] = byteSwap(_mm512_loadu_si512(p + 64 * v));
        x = hashBlocks(x, powers, blocks, 4);
    }
    if (length > 0) {
        const int n = int((length + 15) / 16);
        const int vectors = (n + 3) / 4;
#pragma GCC unroll 4
        for (int v = 0; v < vectors; ++v)
            blocks[v] = byteSwap(
                _mm512_maskz_loadu_epi8(firstBytes(std::ptrdiff_t(length) - 64 * v), p + 64 * v));
        x = hashBlocks(x, powers + 16 - n, blocks, vectors);
    }
    return x;
}

// Encrypts the four vectors of blocks in `s` in place.
inline void encrypt(const __m512i* roundKeys, __m512i* s) {
#pragma GCC unroll 4
    for (int v = 0; v < 4; ++v)
        s[v] = _mm512_xor_si512(s[v], roundKeys[0]);
#pragma GCC unroll 13
    for (int r = 1; r < 14; ++r) {
#pragma GCC unroll 4
        for (int v = 0; v < 4; ++v)
            s[v] = _mm512_aesenc_epi128(s[v], roundKeys[r]);
    }
#pragma GCC unroll 4
    for (int v = 0; v < 4; ++v)
        s[v] = _mm512_aesenclast_epi128(s[v], roundKeys[14]);
}

// The keystream of the 16 counter blocks from `next` on, four to a vector, in `s`; advances
// `next` past them.
inline void keystream(const __m512i* roundKeys, __m512i& next, __m512i* s) {
    const __m512i four = _mm512_set_epi32(0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 4);
#pragma GCC unroll 4
    for (int v = 0; v < 4; ++v) {
        s[v] = byteSwap(next);
        next = _mm512_add_epi32(next, four);
    }
    encrypt(roundKeys, s);
}

// Xors the counter-mode keystream for the blocks after `counter` (reflected, so that the
// 32-bit block counter is its low word) into `data` and returns the reflected hash of the
// associated data, the ciphertext and the lengths block.
template <bool Decrypt>
__attribute__((noinline)) __m128i cryptAndHash(const __m512i* roundKeys, const Power* powers,
                                               __m128i counter,
                                               std::span<const unsigned char> associatedData,
                                               unsigned char* data, std::size_t length) {
    __m128i x =
        hashBytes(_mm_setzero_si128(), powers, associatedData.data(), associatedData.size());

    // Lane k of vector v counts block 4 v + k + 1 after `counter`; inc32 wraps in the lane.
    __m512i next =
        _mm512_add_epi32(_mm512_broadcast_i32x4(counter),
                         _mm512_set_epi32(0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1));

    // Sealing hashes each group's ciphertext during the next group's rounds, so that the two
    // overlap; opening hashes the ciphertext as it is read.
    __m512i s[4], in[4], hashed[4];
    std::size_t done = 0;
    for (; length - done >= 256; done += 256) {
        keystream(roundKeys, next, s);
        unsigned char* p = data + done;
#pragma GCC unroll 4
        for (int v = 0; v < 4; ++v)
            in[v] = _mm512_loadu_si512(p + 64 * v);
        if (Decrypt || done > 0) {
            if (Decrypt) {
#pragma GCC unroll 4
                for (int v = 0; v < 4; ++v)
                    hashed[v] = byteSwap(in[v]);
            }
            x = hashBlocks(x, powers, hashed, 4);
        }
#pragma GCC unroll 4
        for (int v = 0; v < 4; ++v) {
            const __m512i out = _mm512_xor_si512(in[v], s[v]);
            _mm512_storeu_si512(p + 64 * v, out);
            if (!Decrypt)
                hashed[v] = byteSwap(out);
        }
    }
    if (!Decrypt && done > 0)
        x = hashBlocks(x, powers, hashed, 4);
    if (done < length) {
        const std::ptrdiff_t rest = std::ptrdiff_t(length - done);
        const int n = int((rest + 15) / 16);
        const int vectors = (n + 3) / 4;
        keystream(roundKeys, next, s);
        unsigned char* p = data + done;
#pragma GCC unroll 4
        for (int v = 0; v < vectors; ++v) {
            const __mmask64 mask = firstBytes(rest - 64 * v);
            in[v] = _mm512_maskz_loadu_epi8(mask, p + 64 * v);
            const __m512i out = _mm512_xor_si512(in[v], s[v]);
            _mm512_mask_storeu_epi8(p + 64 * v, mask, out);
            hashed[v] = byteSwap(Decrypt ? in[v] : _mm512_maskz_mov_epi8(mask, out));
        }
        x = hashBlocks(x, powers + 16 - n, hashed, vectors);
    }

    const __m128i lengths =
        _mm_set_epi64x(std::int64_t(associatedData.size()) * 8, std::int64_t(length) * 8);
    return multiply(_mm_xor_si128(x, lengths),
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(powers + 15)));
}

// Adds the running xor of w's 32-bit words (w0, w0^w1, ...) to t: one half of the next two
// round keys.
inline __m128i expandStep(__m128i w, __m128i t) {
    w = _mm_xor_si128(w, _mm_slli_si128(w, 4));
    w = _mm_xor_si128(w, _mm_slli_si128(w, 8));
    return _mm_xor_si128(w, t);
}

// The next two AES-256 round keys after `a` and `b`, which they replace.
template <int Rcon> void expandPair(__m128i& a, __m128i& b, __m128i* out) {
    a = expandStep(a, _mm_shuffle_epi32(_mm_aeskeygenassist_si128(b, Rcon), 0xFF));
    out[0] = a;
    b = expandStep(b, _mm_shuffle_epi32(_mm_aeskeygenassist_si128(a, 0), 0xAA));
    out[1] = b;
}

inline __m128i encryptBlock(const __m512i* roundKeys, __m128i b) {
    b = _mm_xor_si128(b, _mm512_castsi512_si128(roundKeys[0]));
#pragma GCC unroll 13
    for (int r = 1; r < 14; ++r)
        b = _mm_aesenc_si128(b, _mm512_castsi512_si128(roundKeys[r]));
    return _mm_aesenclast_si128(b, _mm512_castsi512_si128(roundKeys[14]));
}

// Expands the key into broadcast round keys and derives H^16..H^1 (divided by x) from
// H = E(K, 0).
__attribute__((noinline)) void expandKey(const unsigned char* key, __m512i* roundKeys,
                                         Power* powers) {
    __m128i keys[16];
    keys[0] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key));
    keys[1] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key + 16));
    __m128i a = keys[0], b = keys[1];
    expandPair<0x01>(a, b, keys + 2);
    expandPair<0x02>(a, b, keys + 4);
    expandPair<0x04>(a, b, keys + 6);
    expandPair<0x08>(a, b, keys + 8);
    expandPair<0x10>(a, b, keys + 10);
    expandPair<0x20>(a, b, keys + 12);
    expandPair<0x40>(a, b, keys + 14); // the 16th key is not used
    for (int r = 0; r < 15; ++r)
        _mm512_store_si512(roundKeys + r, _mm512_broadcast_i32x4(keys[r]));
    sodium_memzero(keys, sizeof keys);

    // H / x: the reflected H shifted up one bit, the polynomial added when x^0 drops out.
    const __m128i h = byteSwap(encryptBlock(roundKeys, _mm_setzero_si128()));
    const __m128i shifted =
        _mm_or_si128(_mm_slli_epi64(h, 1), _mm_slli_si128(_mm_srli_epi64(h, 63), 8));
    const __m128i overflow = _mm_srai_epi32(_mm_shuffle_epi32(h, 0xFF), 31);
    const __m128i key1 = _mm_xor_si128(shifted, _mm_and_si128(overflow, polynomial()));
    __m128i power = key1;
    for (int k = 15; k >= 0; --k) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(powers + k), power);
        power = multiply(power, key1);
    }
    for (int k = 16; k < 20; ++k)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(powers + k), _mm_setzero_si128());
}

// J0 = nonce || 0x00000001.
inline __m128i firstCounter(const unsigned char* nonce) {
    return _mm_mask_loadu_epi8(_mm_set_epi32(0x01000000, 0, 0, 0), 0x0FFF, nonce);
}

} // namespace

AesGcmVaes::AesGcmVaes(const unsigned char* key) {
    expandKey(key, reinterpret_cast<__m512i*>(m_roundKeys), m_hashPowers);
    sodium_stackzero(KernelStackBytes);
}

void AesGcmVaes::Seal(const unsigned char* nonce, std::span<const unsigned char> associatedData,
                      unsigned char* data, std::size_t length, unsigned char* tag) {
    const auto* roundKeys = reinterpret_cast<const __m512i*>(m_roundKeys);
    const __m128i j0 = firstCounter(nonce);
    const __m128i hash =
        cryptAndHash<false>(roundKeys, m_hashPowers, byteSwap(j0), associatedData, data, length);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(tag),
                     _mm_xor_si128(encryptBlock(roundKeys, j0), byteSwap(hash)));
    sodium_stackzero(KernelStackBytes);
}

bool AesGcmVaes::Open(const unsigned char* nonce, std::span<const unsigned char> associatedData,
                      unsigned char* data, std::size_t length, const unsigned char* tag) {
    const auto* roundKeys = reinterpret_cast<const __m512i*>(m_roundKeys);
    const __m128i j0 = firstCounter(nonce);
    const __m128i hash =
        cryptAndHash<true>(roundKeys, m_hashPowers, byteSwap(j0), associatedData, data, length);
    const __m128i difference = xor3(encryptBlock(roundKeys, j0), byteSwap(hash),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(tag)));
    const bool matches = _mm_testz_si128(difference, difference);
    sodium_stackzero(KernelStackBytes);
    return matches;
}

#ifdef __clang__
#pragma clang attribute pop
#else
#pragma GCC diagnostic pop
#pragma GCC pop_options
#endif

#else

// Available() is false here, so none of these is reached.
AesGcmVaes::AesGcmVaes(const unsigned char*) {
    std::abort();
}

void AesGcmVaes::Seal(const unsigned char*, std::span<const unsigned char>, unsigned char*,
                      std::size_t, unsigned char*) {
    std::abort();
}

bool AesGcmVaes::Open(const unsigned char*, std::span<const unsigned char>, unsigned char*,
                      std::size_t, const unsigned char*) {
    std::abort();
}

#endif

} // namespace locker::dataprotect
