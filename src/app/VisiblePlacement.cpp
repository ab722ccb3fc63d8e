#include "app/VisiblePlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

// No window system shows a window larger than this (coordinates are 16-bit numbers there).
constexpr int LargestSide = 32767;

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

QSize sizeToOpen(const QSize& stored, const WindowSizes& sizes) {
    const bool tooSmall =
        stored.width() < sizes.minimum.width() || stored.height() < sizes.minimum.height();
    const bool absurd = stored.width() > LargestSide || stored.height() > LargestSide;
    return (tooSmall || absurd ? sizes.firstStart : stored).expandedTo(sizes.minimum);
}

QList<QRect> availableScreens() {
    QList<QRect> screens;
    for (const QScreen* each : QGuiApplication::screens())
        screens << each->availableGeometry();
    return screens;
}

QMargins frameOf(const QWidget* window) {
    const QRect inner = window->geometry();
    const QRect outer = window->frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void place(QWidget* window, const QRect& stored, const WindowSizes& sizes) {
    const QRect placed = visiblePlacement(stored, frameOf(window), availableScreens(), sizes);
    window->move(placed.topLeft());
    window->resize(placed.size());
}

// Places the window again when the window manager has framed it: the frame is known only
// after the window is shown. Goes at that moment, or once the window is active (a window
// system without frames).
class FramedPlacement : public QObject {
public:
    FramedPlacement(QWidget* window, const WindowSizes& sizes)
        : QObject(window), m_window(window), m_sizes(sizes) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_window)
            return false;
        if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
            !frameOf(m_window).isNull()) {
            m_window->removeEventFilter(this);
            place(m_window, QRect(m_window->pos(), m_window->size()), m_sizes);
            deleteLater();
        } else if (event->type() == QEvent::WindowActivate) {
            m_window->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QWidget* m_window;
    WindowSizes m_sizes;
};

} // namespace

QRect visiblePlacement(const QRect& stored, const QMargins& frame, const QList<QRect>& screens,
                       const WindowSizes& sizes) {
    const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    QRect outer(stored.topLeft(), sizeToOpen(stored.size(), sizes) + frameSize);
    if (!screens.isEmpty()) {
        const QRect screen = screenFor(outer, screens);
        outer.setSize(outer.size().boundedTo(screen.size()));
        outer.moveLeft(std::clamp(outer.left(), screen.left(), screen.right() + 1 - outer.width()));
        outer.moveTop(std::clamp(outer.top(), screen.top(), screen.bottom() + 1 - outer.height()));
    }
    return {outer.topLeft(), outer.size() - frameSize};
}

void placeVisibly(QWidget* window, const QRect& stored, const WindowSizes& sizes) {
    place(window, stored, sizes);
    new FramedPlacement(window, sizes);
}
