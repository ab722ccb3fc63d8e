#pragma once

#include "platform/RuntimeError.h"

#include <QString>

#include <optional>

namespace locker {

enum class Operation { PutAway, TakeOut };

// The message a failed put away or take out shows: the fixed text of an index error, nothing
// for a silent end, otherwise the error's description.
[[nodiscard]] std::optional<QString> failureMessage(Operation operation,
                                                    const platform::RuntimeError& error);

} // namespace locker
