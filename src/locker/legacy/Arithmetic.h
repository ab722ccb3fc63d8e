#pragma once

#include <QtGlobal>

// The arithmetic helpers of the own ciphers, with the system's integer widths: Long is 32-bit
// signed, Integer 16-bit signed, Byte unsigned 8-bit. Failures raise runtime errors.
namespace locker {

using Long = qint32;

// The value in 1..SbjExpr congruent to ObjExpr (a multiple gives SbjExpr, not 0).
// SbjExpr 0 raises division by zero (11).
[[nodiscard]] Long SuperMod(Long ObjExpr, Long SbjExpr);

// The 0-based row of the 1-based position ObjExpr in rows SbjExpr wide.
[[nodiscard]] Long SuperYen(Long ObjExpr, Long SbjExpr);

// Wraps an Integer once either way into a byte: -256..511 map to their residue modulo 256;
// anything else overflows (6).
[[nodiscard]] quint8 SuperCByte(int Expr);

// The height of column intCol when intFileLen bytes are laid out bytLen to a row; an exact
// multiple counts one row more.
[[nodiscard]] Long MaxRow(Long intCol, Long intFileLen, quint8 bytLen);

} // namespace locker
