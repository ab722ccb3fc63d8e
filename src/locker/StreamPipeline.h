#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

class QIODevice;

namespace locker::dataprotect {

// One record on its way from the input to the output.
struct Record {
    quint64 index = 0;
    bool last = false;
    qsizetype length = 0; // bytes held: as read, then as transformed
    unsigned char* data = nullptr;
};

// How records are cut from the input and transformed.
struct PipelineSteps {
    qsizetype readSize = 0; // bytes read per record (fewer only at the end of the input)
    qsizetype capacity = 0; // bytes a record may hold after its transformation
    // Tells from a record's read length whether it is the last one; raises for a length
    // that no valid input has. Called on the calling thread in record order.
    std::function<bool(qsizetype length, quint64 index)> isLast;
    // Makes the transformation of one worker thread, which keeps its own state. The
    // transformation changes the record in place and returns false when it fails.
    std::function<std::function<bool(Record&)>()> makeWorker;
    // Raises the error of a record whose transformation failed.
    std::function<void()> raiseFailure;
};

// Reads records from `input`, transforms them on worker threads and writes them to `output`
// in order, so that reading, ciphering and writing overlap. A record is written only after
// its transformation succeeded and every record before it was written. Memory is bounded by
// a few records per worker. Buffers are wiped before they are freed. Raises the first
// failure in record order after the records before it were written.
void RunPipeline(QIODevice& input, QIODevice& output, const PipelineSteps& steps);

// Reads up to `length` bytes, fewer only at the end of the input; raises on a read error.
qsizetype ReadFully(QIODevice& input, char* data, qsizetype length);

} // namespace locker::dataprotect
