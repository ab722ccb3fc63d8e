#pragma once

#include <QString>

#include <optional>

namespace cli {

// The key password of a run: the environment variable VRL_PASSWORD (then removed from the
// environment), else the first line of `passwordFile` (a FIFO is waited for; a first line of
// more than 4 KiB is refused (5) unread), else a prompt on the terminal without echo. Never a
// command-line argument, which other users could read from the process list. Nothing when
// there is no terminal to ask; an unreadable password file raises its file error. A password
// that is not UTF-8 is refused (5): decoded, different passwords would become the same key.
// The buffers it passed through are wiped.
[[nodiscard]] std::optional<QString> readPassword(const std::optional<QString>& passwordFile);

// Overwrites the characters of `password` in place and empties it; call when its last copy
// is done with, so that the overwritten buffer is the only one.
void wipePassword(QString& password);

} // namespace cli
