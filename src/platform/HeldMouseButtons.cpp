#include "HeldMouseButtons.h"

#include <QGuiApplication>

#include <optional>
#include <utility>

#if VRL_HAVE_XCB && QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#endif

namespace platform {

namespace {

#if VRL_HAVE_XCB && QT_CONFIG(xcb)
// The buttons of the X server's pointer, whichever program holds it (the drag's source does).
std::optional<Qt::MouseButtons> X11PointerButtons() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return std::nullopt;
    xcb_connection_t* connection = x11->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return std::nullopt;
    const std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> reply(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, screen->root), nullptr),
        &std::free);
    if (!reply)
        return std::nullopt;
    Qt::MouseButtons held;
    held.setFlag(Qt::LeftButton, reply->mask & XCB_BUTTON_MASK_1);
    held.setFlag(Qt::MiddleButton, reply->mask & XCB_BUTTON_MASK_2);
    held.setFlag(Qt::RightButton, reply->mask & XCB_BUTTON_MASK_3);
    return held;
}
#endif

// Elsewhere the toolkit's own record: it follows the drag's button where the window system
// reports it during a drag.
Qt::MouseButtons SystemHeldButtons() {
#if VRL_HAVE_XCB && QT_CONFIG(xcb)
    if (const std::optional<Qt::MouseButtons> held = X11PointerButtons())
        return *held;
#endif
    return QGuiApplication::mouseButtons();
}

HeldButtonsSource& Source() {
    static HeldButtonsSource source;
    return source;
}

} // namespace

Qt::MouseButtons HeldMouseButtons() {
    return Source() ? Source()() : SystemHeldButtons();
}

HeldButtonsSource SetHeldButtonsSource(HeldButtonsSource source) {
    return std::exchange(Source(), std::move(source));
}

} // namespace platform
