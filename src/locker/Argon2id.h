#pragma once

#include <QtGlobal>

#include <span>

namespace locker::dataprotect {

struct Argon2idCost {
    quint32 passes;    // t, at least 1
    quint32 memoryKiB; // m, at least 8 per lane; used rounded down to a multiple of 4 per lane
    quint32 lanes;     // p, 1 to 2^24 - 1
};

struct Argon2idInput {
    std::span<const unsigned char> password;
    std::span<const unsigned char> salt; // at least 8 bytes
    std::span<const unsigned char> secret = {};
    std::span<const unsigned char> associatedData = {};
};

// Argon2id version 1.3: fills `out` (4 bytes or more) with the tag of `input` at `cost`.
// The lanes are computed on up to `threads` threads at once (clamped to 1..lanes), the
// calling thread among them; fewer when threads cannot be started. The thread count does not
// change the tag. Returns false when the parameters are out of range or the memory cannot be
// allocated. The memory and every intermediate value are wiped before returning.
[[nodiscard]] bool Argon2id(std::span<unsigned char> out, const Argon2idInput& input,
                            const Argon2idCost& cost, int threads);

} // namespace locker::dataprotect
