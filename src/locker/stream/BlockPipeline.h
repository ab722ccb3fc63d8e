#pragma once

#include <QtGlobal>

#include <functional>

namespace locker {

// One block on its way from the input to the output.
struct Block {
    quint64 index = 0;
    bool last = false;
    qsizetype offset = 0; // where the bytes to write begin in `data`
    qsizetype length = 0; // bytes to write: as read, then as transformed
    unsigned char* data = nullptr;
};

// How blocks are read, transformed and written.
struct PipelineSteps {
    qsizetype capacity = 0; // bytes each block's buffer holds
    // Fills the next block, in block order and one at a time: its bytes, what to write and
    // whether it is the last.
    std::function<void(Block&)> read;
    // Makes the transformation of one lane, which keeps its own state. The transformation
    // changes the block in place and raises when it fails.
    std::function<std::function<void(Block&)>()> makeWorker;
    // Takes each transformed block, in block order and one at a time.
    std::function<void(const Block&)> write;
    // Whether to use more than the calling thread; a single block is done on it alone.
    bool parallel = true;
};

// Runs every block through read, transformation and write on one lane per core, the calling
// thread's among them: each lane takes the next block and carries it all the way, so a
// block's bytes stay in one core's caches, while reads and writes keep block order. Reads
// and writes may therefore run on any lane. A block is written only after its
// transformation succeeded and every block before it was written. Memory is one block per
// lane. Buffers are wiped before they are freed. Raises the first failure in block order
// after the blocks before it were written.
void runPipeline(const PipelineSteps& steps);

} // namespace locker
