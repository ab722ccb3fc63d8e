#pragma once

#include <QString>

namespace platform {

// The application title: the caption of message boxes that name no title of their own.
[[nodiscard]] inline QString ApplicationTitle() {
    return QStringLiteral("Winヴォレル97");
}

} // namespace platform
