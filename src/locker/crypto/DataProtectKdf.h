#pragma once

#include <QtGlobal>

#include <span>

// Argon2id version 1.3 from the reference library (libargon2), with memory on huge pages.
namespace locker::dataprotect {

struct Argon2idCost {
    quint32 passes;    // t
    quint32 memoryKiB; // m; used rounded down to a multiple of 4 KiB per lane
    quint32 lanes;     // p
};

struct Argon2idInput {
    std::span<const unsigned char> password;
    std::span<const unsigned char> salt;
    std::span<const unsigned char> secret = {};
    std::span<const unsigned char> associatedData = {};
};

// Fills `out` with the tag of `input` at `cost`, computing the lanes on the calling thread.
// The memory is wiped before it is given back.
// Raises out of memory (7) when the memory cannot be had, and the cipher library's failure
// when the library refuses the parameters.
void argon2id(std::span<unsigned char> out, const Argon2idInput& input, const Argon2idCost& cost);

} // namespace locker::dataprotect
