#pragma once

#include "locker/crypto/CipherLibraryError.h"
#include "platform/RuntimeError.h"

// The errors of the cross-password method. Each has a number of its own so that callers and
// tests can tell them apart, and a description that says what the user can do about it.
namespace locker::dataprotect {

enum class Failure {
    NotALocker = 1001,            // the file does not start with the magic
    UnsupportedVersion = 1002,    // written by a newer format version
    UnsupportedParameters = 1003, // chunk size or key derivation cost outside the limits
    WrongPassword = 1004,         // the key check does not match
    HeaderDamaged = 1005,         // the header checksum does not match
    Truncated = 1006,             // the file ends before its last chunk
    ChunkDamaged = 1007,          // a chunk does not authenticate
    CipherLibrary =
        CipherLibraryErrorNumber, // a cryptographic library refused or failed an operation
    UnknownOperation = 438,       // a dispatch identifier that names no operation
};

[[nodiscard]] platform::RuntimeError makeError(Failure failure);

} // namespace locker::dataprotect
