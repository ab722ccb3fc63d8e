#pragma once

#include "locker/legacy/KeyMaterial.h"
#include "locker/stream/ByteSource.h"

#include <QtGlobal>

#include <array>

namespace locker {

// The virtual cylinder: the T plaintext bytes laid out row by row, L to a row; each column
// turns down by its key byte within its height. A column's height is the number of bytes it
// holds, except when T is a multiple of L: then every column is one row taller, and a byte
// can land in that extra row, at positions T to T + L - 1.
//
// The transforms stream: a byte moves by at most 255 rows except where it wraps around, and
// the wrapped bytes come from the last (put away) or first (take out) rows, so a window of
// rows around each block plus those edge rows is all that is held in memory. Blocks run
// through the block pipeline, so the sink may be called on any of its lanes, in order.
class VirtualCylinder {
public:
    VirtualCylinder(const KeyMaterial& key, qint64 cipherLength);
    // The columns hold the key password's bytes: wiped.
    ~VirtualCylinder();
    VirtualCylinder(const VirtualCylinder&) = delete;
    VirtualCylinder& operator=(const VirtualCylinder&) = delete;

    // Whether every byte lands inside a locker file of `lockerLength` bytes.
    [[nodiscard]] bool fitsIn(qint64 lockerLength) const;

    // Whether put away places a byte at `position`, which lies at or beyond the cipher length.
    [[nodiscard]] bool placesByteBeyondCipher(qint64 position) const;

    // Put away: the `lockerLength` bytes of the locker file, built from the plaintext.
    void encipher(ByteSource& plaintext, qint64 lockerLength, const ByteSink& sink) const;

    // Take out: plaintext bytes [from, to), read back from the locker file.
    void decipher(ByteSource& locker, qint64 from, qint64 to, const ByteSink& sink) const;

private:
    struct Column {
        qint64 count;  // plaintext bytes in the column
        qint64 height; // rows the column turns within
        qint64 key;    // rows a byte moves down
    };

    class EdgeBuffer;
    struct BlockRows {
        qint64 o0, o1; // output rows of a block
        qint64 w0, w1; // input rows of its window
    };

    void rotate(ByteSource& input, bool putAway, qint64 from, qint64 to,
                const ByteSink& sink) const;
    void rotateBlock(const BlockRows& rows, bool putAway, const quint8* window,
                     const EdgeBuffer& edges, quint8* out) const;

    qint64 m_cipherLength;
    int m_width;
    std::array<Column, KeyMaterial::MaxLength> m_columns{};
};

} // namespace locker
