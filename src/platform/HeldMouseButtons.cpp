#include "platform/HeldMouseButtons.h"

#include <QGuiApplication>

#include <utility>

namespace platform {

namespace {

HeldButtonsSource& installedSource() {
    static HeldButtonsSource source;
    return source;
}

} // namespace

// On X11 the toolkit asks the X server for the pointer's buttons at every position of a drag
// from another program (that program holds the pointer); on Windows the drop target is told
// the buttons with each position.
Qt::MouseButtons heldMouseButtons() {
    return installedSource() ? installedSource()() : QGuiApplication::mouseButtons();
}

HeldButtonsSource setHeldButtonsSource(HeldButtonsSource source) {
    return std::exchange(installedSource(), std::move(source));
}

} // namespace platform
