#pragma once

#include <QString>

namespace viewer {

// Reported when a picture is to be saved or copied while the viewer holds none.
[[nodiscard]] inline QString noPictureShown() {
    return QStringLiteral("表示している画像がありません。");
}

} // namespace viewer
