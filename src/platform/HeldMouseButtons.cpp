#include "platform/HeldMouseButtons.h"

#include <QGuiApplication>

#include <utility>

namespace platform {

namespace {

HeldButtonsSource& Source() {
    static HeldButtonsSource source;
    return source;
}

} // namespace

// On X11 the toolkit asks the X server for the pointer's buttons at every position of a drag
// from another program (that program holds the pointer); on Windows the drop target is told
// the buttons with each position.
Qt::MouseButtons HeldMouseButtons() {
    return Source() ? Source()() : QGuiApplication::mouseButtons();
}

HeldButtonsSource SetHeldButtonsSource(HeldButtonsSource source) {
    return std::exchange(Source(), std::move(source));
}

} // namespace platform
