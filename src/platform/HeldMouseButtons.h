#pragma once

#include <Qt>

#include <functional>

// The mouse buttons held down now, as the window system knows them. A drop that another
// program's drag ends carries no button on X11, so a drop target asks here while the drag
// moves over it, when the button that drags is still down.
namespace platform {

[[nodiscard]] Qt::MouseButtons heldMouseButtons();

// Replaces the source of heldMouseButtons (for tests); an empty function restores the window
// system's. Returns the previous source.
using HeldButtonsSource = std::function<Qt::MouseButtons()>;
HeldButtonsSource setHeldButtonsSource(HeldButtonsSource source);

} // namespace platform
