#include "locker/dataprotect/DataProtectFormat.h"

#include "locker/dataprotect/DataProtectErrors.h"

#include <sodium.h>

#include <algorithm>
#include <cstring>

namespace locker::dataprotect {

namespace {

void putLittleEndian(QByteArray& bytes, int offset, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xff);
}

quint32 getLittleEndian(QByteArrayView bytes, int offset) {
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value |= quint32(quint8(bytes[offset + i])) << (8 * i);
    return value;
}

template <std::size_t N>
void putBytes(QByteArray& bytes, int offset, const std::array<unsigned char, N>& field) {
    std::memcpy(bytes.data() + offset, field.data(), N);
}

template <std::size_t N>
void getBytes(QByteArrayView bytes, int offset, std::array<unsigned char, N>& field) {
    std::memcpy(field.data(), bytes.data() + offset, N);
}

// The lane count that the derivation and lane bytes stand for, or 0 when they make no sense.
// Each lane count has one spelling: one lane is always derivation 1.
quint32 lanesOf(quint8 algorithm, quint8 lanes) {
    if (algorithm == Argon2idOneLane)
        return lanes == 0 ? 1 : 0;
    if (algorithm == Argon2idLanes)
        return lanes >= 2 ? lanes : 0;
    return 0;
}

} // namespace

QByteArray serializeHeader(const Header& header) {
    QByteArray bytes(HeaderSize, '\0');
    std::copy(Magic.begin(), Magic.end(), bytes.begin());
    bytes[VersionOffset] = char(Version);
    bytes[ChunkShiftOffset] = char(header.parameters.chunkShift);
    const bool oneLane = header.parameters.lanes == 1;
    bytes[AlgorithmOffset] = char(oneLane ? Argon2idOneLane : Argon2idLanes);
    bytes[LanesOffset] = char(oneLane ? 0 : header.parameters.lanes);
    putLittleEndian(bytes, OpsLimitOffset, header.parameters.opsLimit);
    putLittleEndian(bytes, MemLimitOffset, header.parameters.memLimitKiB);
    putBytes(bytes, SaltOffset, header.salt);
    putBytes(bytes, KeyCheckOffset, header.keyCheck);
    putBytes(bytes, ChecksumOffset, headerChecksum(bytes));
    return bytes;
}

std::array<unsigned char, ChecksumSize> headerChecksum(QByteArrayView header) {
    std::array<unsigned char, ChecksumSize> checksum{};
    crypto_generichash(checksum.data(), checksum.size(),
                       reinterpret_cast<const unsigned char*>(header.data()), ChecksumOffset,
                       nullptr, 0);
    return checksum;
}

bool withinLimits(const Parameters& parameters) {
    return parameters.chunkShift >= MinChunkShift && parameters.chunkShift <= MaxChunkShift &&
           parameters.opsLimit >= MinOpsLimit && parameters.opsLimit <= MaxOpsLimit &&
           parameters.lanes >= 1 && parameters.lanes <= MaxLanes &&
           parameters.memLimitKiB >= MinMemLimitKiB * parameters.lanes &&
           parameters.memLimitKiB <= MaxMemLimitKiB &&
           quint64(parameters.opsLimit) * parameters.memLimitKiB <= MaxWorkKiB;
}

Header parseHeader(QByteArrayView bytes) {
    const auto magicLength = std::min<qsizetype>(bytes.size(), Magic.size());
    if (!std::equal(bytes.begin(), bytes.begin() + magicLength, Magic.begin()))
        throw makeError(Failure::NotALocker);
    if (bytes.size() <= VersionOffset)
        throw makeError(Failure::Truncated);
    if (quint8(bytes[VersionOffset]) != Version)
        throw makeError(Failure::UnsupportedVersion);
    if (bytes.size() < HeaderSize)
        throw makeError(Failure::Truncated);

    const auto checksum = headerChecksum(bytes);
    if (sodium_memcmp(checksum.data(), bytes.data() + ChecksumOffset, ChecksumSize) != 0)
        throw makeError(Failure::HeaderDamaged);

    Header header;
    header.parameters.chunkShift = quint8(bytes[ChunkShiftOffset]);
    header.parameters.opsLimit = getLittleEndian(bytes, OpsLimitOffset);
    header.parameters.memLimitKiB = getLittleEndian(bytes, MemLimitOffset);
    header.parameters.lanes = lanesOf(quint8(bytes[AlgorithmOffset]), quint8(bytes[LanesOffset]));
    if (header.parameters.lanes == 0 || !withinLimits(header.parameters))
        throw makeError(Failure::UnsupportedParameters);
    getBytes(bytes, SaltOffset, header.salt);
    getBytes(bytes, KeyCheckOffset, header.keyCheck);
    return header;
}

} // namespace locker::dataprotect
