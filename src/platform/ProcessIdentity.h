#pragma once

#include <QString>

namespace platform {

// A running process told apart from any later one that reuses its number: the process
// number and its start time, as text that can be stored.
[[nodiscard]] QString CurrentProcessTag();

// True while the process of `tag` (from CurrentProcessTag) still runs.
[[nodiscard]] bool ProcessTagAlive(const QString& tag);

} // namespace platform
