#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <array>

// The layout of a cross-password locker file (described for independent readers in
// doc/cross-password-format.md).
//
//   offset size  field
//        0    8  magic 89 'V' 'R' 'L' 'X' 0D 0A 1A
//        8    1  version (1)
//        9    1  chunk shift: a plaintext chunk holds 2^shift bytes
//       10    1  key derivation: 1 Argon2id v1.3 in one lane, 2 Argon2id v1.3 in several lanes
//       11    1  lanes: 0 with derivation 1, 2 to 16 with derivation 2
//       12    4  Argon2id passes (opslimit), little-endian
//       16    4  Argon2id memory in KiB, little-endian
//       20   16  salt, random per file
//       36   16  key check: a subkey of the derived key, compared before any chunk is opened
//       52   16  header checksum: BLAKE2b-128 of bytes 0 to 51
//       68       chunks
//
// Every chunk but the last holds exactly 2^shift plaintext bytes; the last holds fewer (none
// when the plaintext length is a multiple of the chunk size), so a short record is the last
// and the reader never has to look ahead. A record is the AES-256-GCM ciphertext followed
// by its 16-byte tag, sealed with the chunk counter as nonce and the whole header plus a
// last-chunk flag as authenticated data.
namespace locker::dataprotect {

inline constexpr std::array<char, 8> Magic{'\x89', 'V', 'R', 'L', 'X', '\r', '\n', '\x1a'};
inline constexpr quint8 Version = 1;
inline constexpr quint8 Argon2idOneLane = 1;
inline constexpr quint8 Argon2idLanes = 2;

inline constexpr int VersionOffset = 8;
inline constexpr int ChunkShiftOffset = 9;
inline constexpr int AlgorithmOffset = 10;
inline constexpr int LanesOffset = 11;
inline constexpr int OpsLimitOffset = 12;
inline constexpr int MemLimitOffset = 16;
inline constexpr int SaltOffset = 20;
inline constexpr int KeyCheckOffset = 36;
inline constexpr int ChecksumOffset = 52;
inline constexpr int HeaderSize = 68;

inline constexpr int SaltSize = 16;
inline constexpr int KeyCheckSize = 16;
inline constexpr int ChecksumSize = 16;
inline constexpr int TagSize = 16;

// What a reader accepts: enough room to raise the cost to libsodium's SENSITIVE level
// (4 passes over 1 GiB, a few seconds), and nothing an attacker could turn into an hour
// or many GiB of work. Chunks of 64 KiB to 16 MiB: smaller ones would make a take-out
// crawl through millions of records, larger ones multiply the memory of every lane.
inline constexpr int MinChunkShift = 16;
inline constexpr int MaxChunkShift = 24;
inline constexpr quint32 MinOpsLimit = 1;
inline constexpr quint32 MaxOpsLimit = 16;
inline constexpr quint32 MinMemLimitKiB = 8; // per lane
inline constexpr quint32 MaxLanes = 16;
inline constexpr quint32 MaxMemLimitKiB = 1024 * 1024;
inline constexpr quint64 MaxWorkKiB = quint64(4) * MaxMemLimitKiB; // passes x memory

// What a writer chooses for a new locker file.
struct Parameters {
    // Argon2id with 3 passes over 64 MiB in 4 lanes, the memory-constrained choice of the
    // Argon2 standard (RFC 9106). Every guess at a password costs an attacker that much
    // memory-bound work, while the lanes let a reader spread it over its cores (this one
    // computes them on one thread, see DataProtectKdf.cpp): about 0.2 s here with the
    // reference library. Raising the cost needs no new format.
    quint32 opsLimit = 3;
    quint32 memLimitKiB = 64 * 1024;
    quint32 lanes = 4;
    int chunkShift = 20; // 1 MiB chunks, read and written whole
};

// The fields of a header, as written or as read and checked.
struct Header {
    Parameters parameters;
    std::array<unsigned char, SaltSize> salt{};
    std::array<unsigned char, KeyCheckSize> keyCheck{};

    [[nodiscard]] qsizetype chunkSize() const { return qsizetype(1) << parameters.chunkShift; }
};

// The 68 header bytes of `header`, checksum included.
[[nodiscard]] QByteArray serializeHeader(const Header& header);

// The checksum of the first 52 bytes of a serialized header.
[[nodiscard]] std::array<unsigned char, ChecksumSize> headerChecksum(QByteArrayView header);

// Checks the bytes at the start of a locker file and returns its fields. `bytes` holds the
// whole header when the file is long enough. Raises the format's errors: not a locker,
// unsupported version, truncated, damaged header, parameters outside the limits above.
[[nodiscard]] Header parseHeader(QByteArrayView bytes);

// Whether a reader accepts these parameters.
[[nodiscard]] bool withinLimits(const Parameters& parameters);

} // namespace locker::dataprotect
