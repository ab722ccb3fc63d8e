#pragma once

#include <QIcon>

// The images of the toolbar buttons, drawn by the program itself.
namespace icons {

enum class ToolbarImage { Open, Save, Unlock, Lock, Key, Option, Help };

[[nodiscard]] QIcon toolbarIcon(ToolbarImage image);

} // namespace icons
