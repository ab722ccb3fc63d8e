#pragma once

#include <QString>

namespace platform {

// The application title: the caption of message boxes that name no title of their own.
[[nodiscard]] inline QString applicationTitle() {
    return QStringLiteral("Winヴォレル97");
}

} // namespace platform
