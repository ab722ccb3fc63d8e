// Writes the malformed cross-password lockers that tst_dataprotect checks, and their manifest
// (name, expected error number, what is wrong), into the folder given as argument:
//
//   make_malformed_lockers tests/locker/data/dataprotect
//
// All are made from plain.bin under the tests' password with the smallest chunks a reader
// accepts (two full chunks of 64 KiB and a short last one) and the cheapest key derivation,
// in one lane but for the sound locker in four lanes. Cases that the header alone refuses
// keep only the start of the first chunk, so that the set stays small.
#include "locker/dataprotect/DataProtectErrors.h"
#include "locker/dataprotect/DataProtectFormat.h"
#include "locker/dataprotect/DataProtectKey.h"
#include "locker/dataprotect/DataProtectStream.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

using namespace locker::dataprotect;

namespace {

const QString TestPassword = QStringLiteral("合言葉 correct horse");
constexpr int ChunkShift = 16; // the smallest chunks a reader accepts
constexpr int FullChunks = 2;
constexpr int Record = (1 << ChunkShift) + TagSize;

QByteArray Plaintext() {
    QByteArray plain;
    const int size = FullChunks * (1 << ChunkShift) + 20;
    while (plain.size() < size)
        plain += "Winヴォレル locker test data. ";
    return plain.left(size);
}

QByteArray Lock(const QByteArray& plain, const QString& password, quint32 lanes = 1) {
    Parameters parameters;
    parameters.opsLimit = MinOpsLimit;
    parameters.memLimitKiB = MinMemLimitKiB * lanes;
    parameters.lanes = lanes;
    parameters.chunkShift = ChunkShift;
    QByteArray source = plain;
    QBuffer input(&source);
    input.open(QIODevice::ReadOnly);
    QBuffer output;
    output.open(QIODevice::WriteOnly);
    protectStream(input, output, Password(password), parameters);
    return output.data();
}

QByteArray Flip(QByteArray bytes, qsizetype offset) {
    bytes[offset] = char(bytes[offset] ^ 0x01);
    return bytes;
}

void PutLittleEndian(QByteArray& bytes, int offset, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char(value >> (8 * i));
}

// The header changed by `change`, with its checksum made right again, so that the change
// itself is what a reader meets.
template <typename Change> QByteArray Resealed(QByteArray bytes, Change change) {
    change(bytes);
    const auto checksum = headerChecksum(bytes);
    std::copy(checksum.begin(), checksum.end(), bytes.begin() + ChecksumOffset);
    return bytes;
}

// The header claiming the multi-lane derivation with `lanes` lanes over `memoryKiB`.
QByteArray MultiLane(const QByteArray& bytes, quint8 lanes, quint32 memoryKiB) {
    return Resealed(bytes, [&](QByteArray& b) {
        b[AlgorithmOffset] = char(Argon2idLanes);
        b[LanesOffset] = char(lanes);
        PutLittleEndian(b, MemLimitOffset, memoryKiB);
    });
}

QByteArray RecordAt(const QByteArray& locker, int index) {
    return locker.mid(HeaderSize + index * Record, Record);
}

int Number(Failure failure) {
    return static_cast<int>(failure);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_malformed_lockers FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const QByteArray plain = Plaintext();
    const QByteArray valid = Lock(plain, TestPassword);
    const QByteArray other = Lock(plain, TestPassword);
    const QByteArray header = valid.left(HeaderSize);
    const qsizetype lastRecord = HeaderSize + FullChunks * Record;

    struct Case {
        const char* name;
        int expected;
        const char* what;
        QByteArray bytes;
    };
    const auto truncated = Number(Failure::Truncated);
    const auto parameters = Number(Failure::UnsupportedParameters);
    const auto headerDamaged = Number(Failure::HeaderDamaged);
    const auto chunkDamaged = Number(Failure::ChunkDamaged);
    const QList<Case> cases = {
        {"valid.vrl", 0, "a sound locker of plain.bin", valid},
        {"valid-lanes.vrl", 0, "a sound locker of plain.bin, key derived in 4 lanes",
         Lock(plain, TestPassword, 4)},
        {"empty.vrl", truncated, "no bytes at all", {}},
        {"wrong-magic.vrl", Number(Failure::NotALocker), "first byte changed", Flip(valid, 0)},
        {"text-file.vrl", Number(Failure::NotALocker), "an ordinary text file", plain},
        {"version-2.vrl", Number(Failure::UnsupportedVersion), "version byte 2",
         Resealed(valid, [](QByteArray& b) { b[VersionOffset] = 2; })},
        {"cut-in-magic.vrl", truncated, "ends inside the magic", valid.left(5)},
        {"cut-before-version.vrl", truncated, "ends after the magic", valid.left(VersionOffset)},
        {"cut-before-chunk-shift.vrl", truncated, "ends after the version",
         valid.left(ChunkShiftOffset)},
        {"cut-before-algorithm.vrl", truncated, "ends after the chunk shift",
         valid.left(AlgorithmOffset)},
        {"cut-before-lanes.vrl", truncated, "ends after the key derivation",
         valid.left(LanesOffset)},
        {"cut-in-passes.vrl", truncated, "ends inside the pass count",
         valid.left(OpsLimitOffset + 2)},
        {"cut-in-memory.vrl", truncated, "ends inside the memory size",
         valid.left(MemLimitOffset + 2)},
        {"cut-in-salt.vrl", truncated, "ends inside the salt", valid.left(SaltOffset + 8)},
        {"cut-in-key-check.vrl", truncated, "ends inside the key check",
         valid.left(KeyCheckOffset + 8)},
        {"cut-in-checksum.vrl", truncated, "ends inside the header checksum",
         valid.left(ChecksumOffset + 8)},
        {"header-only.vrl", truncated, "the header and no chunk", header},
        {"passes-too-many.vrl", parameters, "17 Argon2id passes",
         Resealed(valid, [](QByteArray& b) { PutLittleEndian(b, OpsLimitOffset, 17); })},
        {"memory-too-large.vrl", parameters, "Argon2id memory of 2 GiB",
         Resealed(valid,
                  [](QByteArray& b) { PutLittleEndian(b, MemLimitOffset, 2 * 1024 * 1024); })},
        {"work-too-large.vrl", parameters, "8 passes over 1 GiB",
         Resealed(valid,
                  [](QByteArray& b) {
                      PutLittleEndian(b, OpsLimitOffset, 8);
                      PutLittleEndian(b, MemLimitOffset, 1024 * 1024);
                  })},
        {"memory-too-small.vrl", parameters, "Argon2id memory of 4 KiB",
         Resealed(valid, [](QByteArray& b) { PutLittleEndian(b, MemLimitOffset, 4); })},
        {"chunk-too-large.vrl", parameters, "32 MiB chunks",
         Resealed(valid, [](QByteArray& b) { b[ChunkShiftOffset] = 25; })},
        {"chunk-too-small.vrl", parameters, "32 KiB chunks",
         Resealed(valid, [](QByteArray& b) { b[ChunkShiftOffset] = 15; })},
        {"chunk-largest.vrl", chunkDamaged, "16 MiB chunks: accepted, so the chunks fail",
         Resealed(valid, [](QByteArray& b) { b[ChunkShiftOffset] = 24; })},
        {"unknown-algorithm.vrl", parameters, "key derivation 3",
         Resealed(valid, [](QByteArray& b) { b[AlgorithmOffset] = 3; })},
        {"lanes-in-one-lane.vrl", parameters, "a lane count with the one-lane derivation",
         Resealed(valid, [](QByteArray& b) { b[LanesOffset] = 4; })},
        {"lanes-one.vrl", parameters, "one lane spelt with the multi-lane derivation",
         MultiLane(valid, 1, 8)},
        {"lanes-too-many.vrl", parameters, "17 lanes", MultiLane(valid, 17, 1024)},
        {"memory-below-lanes.vrl", parameters, "4 lanes in 16 KiB, less than 8 KiB a lane",
         MultiLane(valid, 4, 16)},
        {"wrong-password.vrl", Number(Failure::WrongPassword), "made with another password",
         Lock(plain, QStringLiteral("another password"))},
        {"flip-in-passes.vrl", headerDamaged, "bit flip in the pass count",
         Flip(valid, OpsLimitOffset)},
        {"flip-in-salt.vrl", headerDamaged, "bit flip in the salt", Flip(valid, SaltOffset + 3)},
        {"flip-in-key-check.vrl", headerDamaged, "bit flip in the key check",
         Flip(valid, KeyCheckOffset)},
        {"flip-in-checksum.vrl", headerDamaged, "bit flip in the header checksum",
         Flip(valid, ChecksumOffset + 15)},
        {"resealed-salt.vrl", Number(Failure::WrongPassword),
         "salt changed and the checksum recomputed",
         Resealed(valid, [](QByteArray& b) { b[SaltOffset] = char(b[SaltOffset] ^ 1); })},
        {"flip-first-chunk.vrl", chunkDamaged, "bit flip in the first chunk",
         Flip(valid, HeaderSize + 10)},
        {"flip-middle-chunk.vrl", chunkDamaged, "bit flip in the second chunk",
         Flip(valid, HeaderSize + Record + 30)},
        {"flip-last-chunk.vrl", chunkDamaged, "bit flip in the last chunk",
         Flip(valid, lastRecord + 5)},
        {"flip-in-tag.vrl", chunkDamaged, "bit flip in the first chunk's tag",
         Flip(valid, HeaderSize + Record - 3)},
        {"cut-mid-chunk.vrl", chunkDamaged, "ends inside the second chunk",
         valid.left(HeaderSize + Record + 40)},
        {"cut-at-chunk-boundary.vrl", truncated, "ends after the first chunk",
         valid.left(HeaderSize + Record)},
        {"last-chunk-missing.vrl", truncated, "ends after the last full chunk",
         valid.left(lastRecord)},
        {"trailing-byte.vrl", chunkDamaged, "one byte after the last chunk", valid + '\0'},
        {"trailing-record.vrl", chunkDamaged, "a whole record after the last chunk",
         valid + RecordAt(valid, 0)},
        {"chunks-swapped.vrl", chunkDamaged, "first and second chunk swapped",
         header + RecordAt(valid, 1) + RecordAt(valid, 0) + valid.mid(HeaderSize + 2 * Record)},
        {"chunk-duplicated.vrl", chunkDamaged, "first chunk twice",
         header + RecordAt(valid, 0) + valid.mid(HeaderSize)},
        {"chunk-spliced.vrl", chunkDamaged,
         "second chunk from another locker of the same file and password",
         header + RecordAt(valid, 0) + RecordAt(other, 1) + valid.mid(HeaderSize + 2 * Record)},
        {"header-spliced.vrl", chunkDamaged, "header of another locker, chunks of this one",
         other.left(HeaderSize) + valid.mid(HeaderSize)},
    };

    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            std::exit(1);
        }
    };
    write(QStringLiteral("plain.bin"), plain);
    QByteArray manifest;
    const auto refusedByHeader = [](int expected) {
        return expected >= Number(Failure::NotALocker) &&
               expected <= Number(Failure::HeaderDamaged);
    };
    for (const Case& c : cases) {
        write(QString::fromLatin1(c.name),
              refusedByHeader(c.expected) ? c.bytes.left(HeaderSize + 64) : c.bytes);
        manifest +=
            QByteArray(c.name) + '\t' + QByteArray::number(c.expected) + '\t' + c.what + '\n';
    }
    write(QStringLiteral("expected.tsv"), manifest);
    return 0;
}
