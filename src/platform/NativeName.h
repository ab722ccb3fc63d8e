#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// File names as the file system holds them: bytes, which need not be valid UTF-8.
namespace platform {

// The name's bytes. Valid UTF-8 is decoded as such; every other byte b is kept as the lone
// surrogate U+DC00 + b, so that nativeName(nameFromNative(x)) == x for any bytes and two
// different names never become one. A name given by the user interface is plain UTF-8.
[[nodiscard]] QString nameFromNative(QByteArrayView bytes);

// The bytes of `name`, the inverse of nameFromNative. A lone surrogate that nameFromNative
// cannot have made raises a bad file name (52): it would otherwise become another name.
[[nodiscard]] QByteArray nativeName(const QString& name);

} // namespace platform
