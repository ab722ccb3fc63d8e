#pragma once

#include <QtGlobal>

#include <vector>

// The compression function G of Argon2 over 1 KiB blocks, in every implementation this
// processor can run.
namespace locker::dataprotect::argon2 {

inline constexpr int BlockWords = 128;

struct alignas(64) Block {
    quint64 words[BlockWords];
};

// next = G(prev, ref), or next ^= G(prev, ref) when `xorInto` (the passes after the first).
// `next` may be the same block as `prev` or `ref`.
using Compress = void (*)(const Block& prev, const Block& ref, Block& next, bool xorInto);

// Portable first, the fastest last.
[[nodiscard]] const std::vector<Compress>& Compressors();

} // namespace locker::dataprotect::argon2
