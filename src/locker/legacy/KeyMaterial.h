#pragma once

#include "locker/stream/PasswordRule.h"

#include <QString>

#include <array>

namespace locker {

// The key bytes of the own ciphers, built afresh for every put away and take out.
struct KeyMaterial {
    static constexpr int MaxLength = password::MaxLength;

    KeyMaterial() = default;
    KeyMaterial(const KeyMaterial&) = default;
    KeyMaterial& operator=(const KeyMaterial&) = default;
    // Holds the key password's bytes: wiped with every copy.
    ~KeyMaterial();

    quint8 bytKeyLen = 0;
    // bytKey[i - 1] holds the key byte of column i; only the first bytKeyLen are used.
    std::array<quint8, MaxLength> bytKey{};
};

// Builds the key material from a key password: more than 255 characters or a character
// without a single-byte ANSI code overflows (6), a 21st character is out of range (9).
[[nodiscard]] KeyMaterial buildKeyMaterial(const QString& strPassWd);

} // namespace locker
