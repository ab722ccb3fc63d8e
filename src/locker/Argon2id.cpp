#include "locker/Argon2id.h"

#include "locker/Argon2idBlock.h"

#include <QtEndian>

#include <sodium.h>

#include <algorithm>
#include <array>
#include <barrier>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace locker::dataprotect {

namespace {

using argon2::Block;
using argon2::BlockWords;

constexpr quint32 Version = 0x13;
constexpr quint32 Type = 2; // Argon2id
constexpr quint32 Slices = 4;
constexpr quint32 MaxLanes = (1u << 24) - 1;
constexpr std::size_t Max32 = 0xffffffffu;
constexpr std::size_t BlockBytes = sizeof(Block);
constexpr int Interleave = 4;                    // lanes of one thread computed side by side
constexpr std::size_t StackWipeBytes = 32 << 10; // more than the segment filling uses

static_assert(BlockBytes == 1024);

// BLAKE2b of `outLength` bytes (64 at most), its state wiped when done.
class Blake2b {
public:
    explicit Blake2b(std::size_t outLength) : m_outLength(outLength) {
        crypto_generichash_blake2b_init(&m_state, nullptr, 0, outLength);
    }
    ~Blake2b() { sodium_memzero(&m_state, sizeof m_state); }
    Blake2b(const Blake2b&) = delete;
    Blake2b& operator=(const Blake2b&) = delete;

    void Add(std::span<const unsigned char> bytes) {
        if (!bytes.empty())
            crypto_generichash_blake2b_update(&m_state, bytes.data(), bytes.size());
    }
    void AddLe32(quint32 value) {
        unsigned char bytes[4];
        qToLittleEndian(value, bytes);
        Add(bytes);
    }
    void Finish(unsigned char* out) {
        crypto_generichash_blake2b_final(&m_state, out, m_outLength);
    }

private:
    crypto_generichash_blake2b_state m_state;
    std::size_t m_outLength;
};

// The variable-length hash H': BLAKE2b of the output length and `in` when 64 bytes are
// enough, otherwise a chain of 64-byte BLAKE2b hashes of which each gives 32 bytes and the
// last all the rest.
void LongHash(std::span<unsigned char> out, std::span<const unsigned char> in) {
    const auto length = quint32(out.size());
    if (length <= 64) {
        Blake2b hash(length);
        hash.AddLe32(length);
        hash.Add(in);
        hash.Finish(out.data());
        return;
    }
    unsigned char v[64];
    Blake2b first(64);
    first.AddLe32(length);
    first.Add(in);
    first.Finish(v);
    std::size_t done = 0;
    for (;;) {
        std::memcpy(out.data() + done, v, 32);
        done += 32;
        if (length - done <= 64)
            break;
        Blake2b next(64);
        next.Add(v);
        next.Finish(v);
    }
    Blake2b last(length - done);
    last.Add(v);
    last.Finish(out.data() + done);
    sodium_memzero(v, sizeof v);
}

void LoadBlock(Block& block, const unsigned char* bytes) {
    for (int i = 0; i < BlockWords; ++i)
        block.words[i] = qFromLittleEndian<quint64>(bytes + 8 * i);
}

void StoreBlock(unsigned char* bytes, const Block& block) {
    for (int i = 0; i < BlockWords; ++i)
        qToLittleEndian(block.words[i], bytes + 8 * i);
}

// The blocks of one derivation, lane after lane, wiped before they are freed. On Linux they
// are a mapping of their own with transparent huge pages: references jump across all of the
// memory, and with small pages nearly every one would miss the TLB.
class Memory {
public:
    explicit Memory(std::size_t blocks) : m_bytes(blocks * BlockBytes) {
#ifdef Q_OS_LINUX
        void* mapped =
            mmap(nullptr, m_bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            return;
#ifdef MADV_HUGEPAGE
        madvise(mapped, m_bytes, MADV_HUGEPAGE);
#endif
        m_blocks = static_cast<Block*>(mapped);
#else
        m_blocks = static_cast<Block*>(
            ::operator new(m_bytes, std::align_val_t(alignof(Block)), std::nothrow));
#endif
    }
    ~Memory() {
        if (!m_blocks)
            return;
        sodium_memzero(m_blocks, m_bytes);
#ifdef Q_OS_LINUX
        munmap(m_blocks, m_bytes);
#else
        ::operator delete(m_blocks, std::align_val_t(alignof(Block)));
#endif
    }
    Memory(const Memory&) = delete;
    Memory& operator=(const Memory&) = delete;

    [[nodiscard]] Block* blocks() const {
        return m_blocks;
    }

private:
    std::size_t m_bytes;
    Block* m_blocks = nullptr;
};

// Maps the pages of `count` blocks at `blocks` in one go rather than a page fault at a time.
void Populate(Block* blocks, std::size_t count) {
#if defined(Q_OS_LINUX) && defined(MADV_POPULATE_WRITE)
    madvise(blocks, count * BlockBytes, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(blocks);
    Q_UNUSED(count);
#endif
}

struct Instance {
    const unsigned char* h0; // 64 bytes
    Block* memory;
    quint32 passes;
    quint32 lanes;
    quint32 laneLength; // columns
    quint32 segmentLength;
    argon2::Compress compress;

    [[nodiscard]] Block& at(quint32 lane, quint32 column) const {
        return memory[std::size_t(lane) * laneLength + column];
    }
    [[nodiscard]] Block& before(quint32 lane, quint32 column) const {
        return at(lane, column == 0 ? laneLength - 1 : column - 1);
    }
};

// The column that block `index` of the segment of `slice` refers to in a lane, given the
// low half of its pseudo-random value. It may refer to the blocks of its own lane computed
// before the previous one, or to the finished segments of another lane less their last block
// when it is the first block of its segment; `j1` picks one of them, favouring recent ones.
quint32 ReferenceColumn(const Instance& in, quint32 pass, quint32 slice, quint32 index, quint32 j1,
                        bool sameLane) {
    quint32 area = pass == 0 ? slice * in.segmentLength : in.laneLength - in.segmentLength;
    if (sameLane)
        area += index - 1;
    else if (index == 0)
        area -= 1;
    const quint64 x = (quint64(j1) * j1) >> 32;
    const quint64 y = (quint64(area) * x) >> 32;
    // After the first pass the blocks are counted from the segment after the current one.
    const quint64 start = pass == 0 || slice == Slices - 1 ? 0 : (slice + 1) * in.segmentLength;
    return quint32((start + area - 1 - y) % in.laneLength);
}

void Prefetch(const Block& block) {
#ifdef __GNUC__
    for (int i = 0; i < BlockWords; i += 8)
        __builtin_prefetch(block.words + i);
#else
    Q_UNUSED(block);
#endif
}

// One lane in its segment.
struct LaneState {
    quint32 lane = 0;
    const Block* ref = nullptr; // the reference of the block to compute next
    Block input{};              // the counter block of data-independent addressing
    Block addresses{};          // the pseudo-random values it gave
};

// Fills the segment of `slice` in `pass` of each of `lanes`, a block of each lane in turn: the
// reference block of a lane's next block is known as soon as its current block is done, and
// it comes from memory while the other lanes' blocks are computed.
void FillSegments(const Instance& in, quint32 pass, quint32 slice, std::span<const quint32> lanes) {
    static constexpr Block Zero{};
    // The first half of the first pass takes its references from a counter, independent of
    // the password; the rest from the previous block.
    const bool independent = pass == 0 && slice < 2;
    const quint32 first = pass == 0 && slice == 0 ? 2 : 0; // blocks 0 and 1 come from H0
    const quint32 base = slice * in.segmentLength;

    const auto locate = [&](LaneState& state, quint32 index) {
        quint64 random;
        if (independent) {
            if (index == first || index % BlockWords == 0) {
                ++state.input.words[6];
                in.compress(Zero, state.input, state.addresses, false);
                in.compress(Zero, state.addresses, state.addresses, false);
            }
            random = state.addresses.words[index % BlockWords];
        } else {
            random = in.before(state.lane, base + index).words[0];
        }
        // The first slice refers to its own lane only: the others have nothing finished yet.
        const quint32 lane =
            pass == 0 && slice == 0 ? state.lane : quint32(random >> 32) % in.lanes;
        state.ref = &in.at(
            lane, ReferenceColumn(in, pass, slice, index, quint32(random), lane == state.lane));
        Prefetch(*state.ref);
    };

    std::array<LaneState, Interleave> states;
    for (std::size_t k = 0; k < lanes.size(); ++k) {
        LaneState& state = states[k];
        state.lane = lanes[k];
        if (independent) {
            const quint64 words[] = {
                pass, state.lane, slice, quint64(in.lanes) * in.laneLength, in.passes, Type};
            std::copy(std::begin(words), std::end(words), state.input.words);
        }
        locate(state, first);
    }
    for (quint32 index = first; index < in.segmentLength; ++index) {
        for (std::size_t k = 0; k < lanes.size(); ++k) {
            LaneState& state = states[k];
            in.compress(in.before(state.lane, base + index), *state.ref,
                        in.at(state.lane, base + index), pass > 0);
            if (index + 1 < in.segmentLength)
                locate(state, index + 1);
        }
    }
}

// The first two blocks of `lane`: H' of H0, the column and the lane.
void SeedLane(const Instance& in, quint32 lane) {
    std::array<unsigned char, 64 + 8> seed;
    std::array<unsigned char, BlockBytes> bytes;
    std::memcpy(seed.data(), in.h0, 64);
    qToLittleEndian(lane, seed.data() + 68);
    for (quint32 column = 0; column < 2; ++column) {
        qToLittleEndian(column, seed.data() + 64);
        LongHash(bytes, seed);
        LoadBlock(in.at(lane, column), bytes.data());
    }
    sodium_memzero(seed.data(), seed.size());
    sodium_memzero(bytes.data(), bytes.size());
}

// Computes lanes `worker`, `worker` + `workers`, ... of every segment, meeting the other
// workers at `sync` after each slice, since the next slice may refer to any lane's blocks.
void FillLanes(const Instance& in, quint32 worker, quint32 workers, std::barrier<>* sync) {
    for (quint32 lane = worker; lane < in.lanes; lane += workers) {
        Populate(&in.at(lane, 0), in.laneLength);
        SeedLane(in, lane);
    }
    for (quint32 pass = 0; pass < in.passes; ++pass) {
        for (quint32 slice = 0; slice < Slices; ++slice) {
            std::array<quint32, Interleave> group{};
            std::size_t count = 0;
            for (quint32 lane = worker; lane < in.lanes; lane += workers) {
                group[count++] = lane;
                if (count == group.size() || lane + workers >= in.lanes) {
                    FillSegments(in, pass, slice, std::span(group.data(), count));
                    count = 0;
                }
            }
            if (sync)
                sync->arrive_and_wait();
        }
    }
    // The compression leaves copies of blocks on the stack.
    sodium_stackzero(StackWipeBytes);
}

// Runs FillLanes on `threads` threads, the calling one among them, or on fewer when threads
// cannot be started: the workers wait until the calling thread has counted them.
void Fill(const Instance& in, quint32 threads) {
    std::optional<std::barrier<>> sync;
    if (threads > 1) {
        try {
            sync.emplace(threads);
        } catch (const std::bad_alloc&) {
            threads = 1;
        }
    }
    if (threads == 1) {
        FillLanes(in, 0, 1, nullptr);
        return;
    }
    quint32 started = threads;
    const auto work = [&](quint32 worker) {
        sync->arrive_and_wait();
        FillLanes(in, worker, started, &*sync);
    };
    std::vector<std::thread> workers;
    try {
        workers.reserve(threads - 1);
        for (quint32 worker = 1; worker < threads; ++worker)
            workers.emplace_back(work, worker);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    started = quint32(workers.size()) + 1;
    for (quint32 missing = threads - started; missing > 0; --missing)
        sync->arrive_and_drop();
    work(0);
    for (std::thread& worker : workers)
        worker.join();
}

} // namespace

bool Argon2id(std::span<unsigned char> out, const Argon2idInput& input, const Argon2idCost& cost,
              int threads) {
    const std::span<const unsigned char> fields[] = {input.password, input.salt, input.secret,
                                                     input.associatedData};
    if (out.size() < 4 || out.size() > Max32 || input.salt.size() < 8 || cost.passes < 1 ||
        cost.lanes < 1 || cost.lanes > MaxLanes || cost.memoryKiB / 8 < cost.lanes)
        return false;
    for (const auto& field : fields) {
        if (field.size() > Max32)
            return false;
    }
    // The memory is a whole number of blocks per segment in every lane.
    const quint32 laneLength = cost.memoryKiB / (Slices * cost.lanes) * Slices;
    const quint64 blocks = quint64(laneLength) * cost.lanes;
    if (blocks > std::numeric_limits<std::size_t>::max() / BlockBytes || sodium_init() < 0)
        return false;

    std::array<unsigned char, 64> h0;
    Blake2b hash(h0.size());
    for (quint32 value :
         {cost.lanes, quint32(out.size()), cost.memoryKiB, cost.passes, Version, Type})
        hash.AddLe32(value);
    for (const auto& field : fields) {
        hash.AddLe32(quint32(field.size()));
        hash.Add(field);
    }
    hash.Finish(h0.data());

    Memory memory{std::size_t(blocks)};
    if (!memory.blocks()) {
        sodium_memzero(h0.data(), h0.size());
        return false;
    }
    const Instance in{.h0 = h0.data(),
                      .memory = memory.blocks(),
                      .passes = cost.passes,
                      .lanes = cost.lanes,
                      .laneLength = laneLength,
                      .segmentLength = laneLength / Slices,
                      .compress = argon2::Compressors().back()};
    Fill(in, quint32(std::clamp<qint64>(threads, 1, in.lanes)));
    sodium_memzero(h0.data(), h0.size());

    // The tag is H' of the last column.
    Block& last = in.at(0, laneLength - 1);
    for (quint32 lane = 1; lane < in.lanes; ++lane) {
        const Block& block = in.at(lane, laneLength - 1);
        for (int i = 0; i < BlockWords; ++i)
            last.words[i] ^= block.words[i];
    }
    std::array<unsigned char, BlockBytes> bytes;
    StoreBlock(bytes.data(), last);
    LongHash(out, bytes);
    sodium_memzero(bytes.data(), bytes.size());
    return true;
}

} // namespace locker::dataprotect
