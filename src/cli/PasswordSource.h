#pragma once

#include <QString>

#include <optional>

namespace cli {

// The key password of a run: the environment variable VRL_PASSWORD, else the first line of
// `passwordFile`, else a prompt on the terminal without echo. Never a command-line argument,
// which other users could read from the process list. Nothing when there is no terminal to
// ask; an unreadable password file raises its file error. A password that is not UTF-8 is
// refused (5): decoded, different passwords would become the same key.
[[nodiscard]] std::optional<QString> readPassword(const std::optional<QString>& passwordFile);

} // namespace cli
