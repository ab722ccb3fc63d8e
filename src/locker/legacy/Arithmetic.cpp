#include "locker/legacy/Arithmetic.h"

#include "platform/RuntimeError.h"

#include <limits>

namespace locker {

using platform::RuntimeError;
namespace err = platform::err;

namespace {

Long checkedLong(qint64 value) {
    if (value < std::numeric_limits<Long>::min() || value > std::numeric_limits<Long>::max())
        throw RuntimeError(err::Overflow);
    return static_cast<Long>(value);
}

// Quotient truncated toward zero, as the integer division of the system; it must fit a Long.
qint64 truncatedQuotient(Long dividend, Long divisor) {
    if (divisor == 0)
        throw RuntimeError(err::DivisionByZero);
    return checkedLong(qint64(dividend) / qint64(divisor));
}

} // namespace

Long SuperMod(Long ObjExpr, Long SbjExpr) {
    const qint64 q = truncatedQuotient(ObjExpr, SbjExpr);
    const qint64 r = qint64(ObjExpr) - qint64(SbjExpr) * q;
    return checkedLong(r <= 0 ? r + SbjExpr : r);
}

Long SuperYen(Long ObjExpr, Long SbjExpr) {
    const qint64 q = truncatedQuotient(ObjExpr, SbjExpr);
    const qint64 r = qint64(ObjExpr) - qint64(SbjExpr) * q;
    return checkedLong(r == 0 ? q - 1 : q);
}

quint8 SuperCByte(int Expr) {
    if (Expr < std::numeric_limits<qint16>::min() || Expr > std::numeric_limits<qint16>::max())
        throw RuntimeError(err::Overflow);
    int v = Expr;
    if (v < 0)
        v += 256;
    if (v > 255)
        v -= 256;
    if (v < 0 || v > 255)
        throw RuntimeError(err::Overflow);
    return static_cast<quint8>(v);
}

Long MaxRow(Long intCol, Long intFileLen, quint8 bytLen) {
    const Long r = SuperMod(intFileLen, bytLen);
    const Long quotient = static_cast<Long>(truncatedQuotient(intFileLen, bytLen));
    return intCol > r ? quotient : checkedLong(qint64(quotient) + 1);
}

} // namespace locker
