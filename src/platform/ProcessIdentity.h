#pragma once

#include <QString>

namespace platform {

// A running process told apart from any later one that reuses its number: the process
// number and its start time, as text that can be stored.
[[nodiscard]] QString currentProcessTag();

// True while the process of `tag` (from currentProcessTag) still runs.
[[nodiscard]] bool processTagAlive(const QString& tag);

} // namespace platform
