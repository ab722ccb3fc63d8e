#pragma once

#include <QString>
#include <QtGlobal>

// The key password's rules, shared by the key dialog and every locking method.
namespace locker::password {

// The longest key password in characters: the dialog cuts a longer one, the engine refuses it
// with error 9.
inline constexpr int MaxLength = 20;

// Error 5 for an empty password, then error 6 for one of more than 255 characters.
void requireUsable(const QString& password);

// Error 9 for a password longer than MaxLength.
void requireLength(const QString& password);

// The key byte of one character on the own methods: its single-byte ANSI code. A character
// without one (full-width and the like) is refused with error 6 and a message saying which
// characters the method takes.
[[nodiscard]] quint8 ownMethodByte(QChar character);

} // namespace locker::password
