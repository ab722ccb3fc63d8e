#include "app/VisiblePlacement.h"

#include <algorithm>

namespace {

qint64 areaOf(const QRect& rect) {
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

// The screen the window overlaps most; the first one when it overlaps none.
QRect screenFor(const QRect& window, const QList<QRect>& screens) {
    QRect best = screens.first();
    qint64 bestArea = 0;
    for (const QRect& screen : screens) {
        const qint64 area = areaOf(screen.intersected(window));
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best;
}

} // namespace

QRect visiblePlacement(const QRect& stored, const QList<QRect>& screens, const QSize& minimum) {
    QRect window(stored.topLeft(), stored.size().expandedTo(minimum));
    if (screens.isEmpty())
        return window;
    const QRect screen = screenFor(window, screens);
    window.setSize(window.size().boundedTo(screen.size()));
    window.moveLeft(std::clamp(window.left(), screen.left(), screen.right() + 1 - window.width()));
    window.moveTop(std::clamp(window.top(), screen.top(), screen.bottom() + 1 - window.height()));
    return window;
}
