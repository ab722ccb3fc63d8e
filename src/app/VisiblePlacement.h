#pragma once

#include <QList>
#include <QRect>
#include <QSize>

// Where the window opens, from the placement stored at the last exit (in pixels). A stored
// placement may have been made on screens that are gone, or edited by hand.
//
// Each side is grown to at least `minimum` and shrunk to fit the screen; then the window is
// moved wholly onto the screen it overlaps most, or onto the first of `screens` (the primary
// one) when it overlaps none. `screens` are the screens' usable areas.
[[nodiscard]] QRect visiblePlacement(const QRect& stored, const QList<QRect>& screens,
                                     const QSize& minimum);
