#pragma once

// A literal, in-memory model of how earlier versions of the program put files away and took
// them out, byte by byte with the arithmetic helpers, 1-based as they count. The streaming
// engine must agree with it byte for byte.

#include "locker/Locker.h"
#include "locker/legacy/Arithmetic.h"
#include "locker/legacy/KeyMaterial.h"

#include <QByteArray>

#include <optional>

namespace reference {

using namespace locker;

inline quint8 at(const QByteArray& bytes, qint64 oneBased) {
    return quint8(bytes.at(oneBased - 1));
}

// The whole locker file, or nothing where a byte would land beyond it (an index error).
inline std::optional<QByteArray> putAway(const QByteArray& source, const QByteArray& header,
                                         const KeyMaterial& key, KeyType keyType) {
    const qint64 h = header.size();
    const bool withHeader = h > 0;
    QByteArray plain = withHeader ? header + source + QByteArray(h + 1, '\0') : source;
    const Long T = Long(withHeader ? source.size() + 2 * h : source.size());
    const Long F = Long(plain.size() + 10);
    QByteArray out(F, '\0');
    const Long L = key.bytKeyLen;
    for (Long j = 1; j <= T; ++j) {
        const Long col = SuperMod(j, L);
        const int k = key.bytKey[size_t(col - 1)];
        if (keyType == KeyType::SimpleMethod) {
            out[j - 1] = char(SuperCByte(at(plain, j) + k));
        } else {
            const Long r0 = SuperYen(j, L);
            const Long R = MaxRow(col, T, quint8(L));
            const Long m = SuperMod(k + r0 + 1, R);
            const Long p = L * (m - 1) + col;
            if (p > F)
                return std::nullopt;
            out[p - 1] = char(at(plain, j));
        }
    }
    return out;
}

// The decoded buffer of F + 10 bytes for cipher length T (the cylinder needs it).
inline std::optional<QByteArray> decode(const QByteArray& file, const KeyMaterial& key, int keyType,
                                        Long T) {
    const Long F = Long(file.size());
    QByteArray decoded(F + 10, '\0');
    const Long L = key.bytKeyLen;
    if (keyType == 0) {
        for (Long i = 1; i <= F; ++i)
            decoded[i - 1] =
                char(SuperCByte(int(at(file, i)) - key.bytKey[size_t(SuperMod(i, L) - 1)]));
        return decoded;
    }
    for (Long j = 1; j <= T; ++j) {
        const Long col = SuperMod(j, L);
        const Long R = MaxRow(col, T, quint8(L));
        const Long m = SuperMod(key.bytKey[size_t(col - 1)] + SuperYen(j, L) + 1, R);
        const Long p = L * (m - 1) + col;
        if (p > F)
            return std::nullopt;
        decoded[j - 1] = char(at(file, p));
    }
    return decoded;
}

} // namespace reference
