#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// The sizes a placement is held to, in pixels of the window's inner area.
struct WindowSizes {
    // The smallest usable window; a stored size below it gives way to `firstStart`.
    QSize minimum;
    // The size of a first start, without settings.
    QSize firstStart;
};

// Where the window opens, from the placement stored at the last exit: `stored` holds the
// outer top-left corner and the inner size, as the window is moved and resized; `frame` is the
// width of the window manager's frame on each side. A stored placement may have been made on
// screens that are gone, or edited by hand.
//
// A size below the minimum, or one no screen could show, becomes the first-start size; then the
// window, frame included, is shrunk to fit and moved wholly onto the screen it overlaps most,
// or onto the first of `screens` (the primary one) when it overlaps none. `screens` are the
// screens' usable areas. The result is in the terms of `stored`.
[[nodiscard]] QRect visiblePlacement(const QRect& stored, const QMargins& frame,
                                     const QList<QRect>& screens, const WindowSizes& sizes);

// Places the top-level `window`, not yet shown, from `stored` on the screens there are; once
// the window manager has framed it, once more with the frame, so that the title bar too lies
// on the screen.
void placeVisibly(QWidget* window, const QRect& stored, const WindowSizes& sizes);
