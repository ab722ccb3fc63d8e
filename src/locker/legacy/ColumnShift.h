#pragma once

#include <QtGlobal>

#include <vector>

namespace locker {

// Fills `rows` rows of `width` bytes at `destination`: byte c of output row r is byte c of
// row firstRow + r + rowShift[c] of `window`, a buffer of `windowLength` bytes (a negative
// shift reads earlier rows). Every row read must lie inside the window. Widths are 1 to 20.
void shiftColumns(const quint8* window, qint64 windowLength, qint64 firstRow, quint8* destination,
                  qint64 rows, int width, const qint64* rowShift);

// The same through every implementation this processor can run, for comparison in tests.
using ColumnShiftKernel = void (*)(const quint8*, qint64, qint64, quint8*, qint64, int,
                                   const qint64*);
[[nodiscard]] const std::vector<ColumnShiftKernel>& columnShiftKernels();

} // namespace locker
