#include "app/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace icons {

namespace {

// Every image is drawn on a 16 x 16 grid and scaled to the pixmap's size.
constexpr double Grid = 16.0;

const QColor Outline(40, 40, 40);

// Fills the closed outline through `corners` with `fill`.
void drawOutline(QPainter& p, const QColor& fill, const QPolygonF& corners) {
    p.setBrush(fill);
    p.drawPolygon(corners);
}

void drawFolder(QPainter& p) {
    drawOutline(p, QColor(222, 170, 50),
                {{1, 3}, {6, 3}, {7.5, 4.5}, {14, 4.5}, {14, 13.5}, {1, 13.5}});
    drawOutline(p, QColor(250, 210, 95), {{3.5, 7}, {15.5, 7}, {13.5, 13.5}, {1, 13.5}});
}

void drawDisk(QPainter& p) {
    drawOutline(p, QColor(50, 90, 170),
                {{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}});
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(4, 1.5, 7.5, 5));
    p.setBrush(QColor(50, 90, 170));
    p.drawRect(QRectF(9, 2.5, 1.5, 3));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 9, 9, 5.5));
}

// A chest of drawers with one drawer pulled; `out` points the arrow out of it, else into it.
void drawDrawer(QPainter& p, bool out) {
    p.setBrush(QColor(160, 105, 55));
    p.drawRect(QRectF(1.5, 8.5, 13, 6));
    p.setBrush(QColor(200, 145, 85));
    p.drawRect(QRectF(3, 10, 10, 3));
    p.setBrush(Outline);
    p.drawRect(QRectF(7, 11.2, 2, 0.6));

    const double tip = out ? 0.8 : 8.2;
    const double base = 4.5;
    const double tail = out ? 8.2 : 0.8;
    drawOutline(
        p, out ? QColor(40, 160, 70) : QColor(200, 60, 50),
        {{8, tip}, {12, base}, {9.6, base}, {9.6, tail}, {6.4, tail}, {6.4, base}, {4, base}});
}

void drawKey(QPainter& p) {
    p.setBrush(QColor(230, 185, 40));
    QPainterPath key;
    key.addEllipse(QRectF(1, 4, 7, 7));
    key.addRect(QRectF(7, 6.5, 8, 2));
    key.addRect(QRectF(11, 8.5, 1.5, 2.5));
    key.addRect(QRectF(13.5, 8.5, 1.5, 3));
    key.setFillRule(Qt::WindingFill);
    p.drawPath(key.simplified());
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(3, 6.3, 2.4, 2.4));
}

void drawGear(QPainter& p) {
    QPainterPath gear;
    gear.setFillRule(Qt::WindingFill);
    gear.addEllipse(QPointF(8, 8), 5, 5);
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRect(QRectF(-1.3, -7.5, 2.6, 3.5));
        QTransform turn;
        turn.translate(8, 8);
        turn.rotate(i * 45.0);
        gear.addPath(turn.map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(8, 8), 2, 2);
    p.setBrush(QColor(120, 130, 145));
    p.drawPath(gear.simplified().subtracted(hole));
}

void drawHelp(QPainter& p) {
    p.setBrush(QColor(45, 110, 200));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QPainterPath mark;
    mark.moveTo(5.6, 6);
    mark.cubicTo(5.6, 2.8, 10.6, 2.8, 10.6, 5.8);
    mark.cubicTo(10.6, 7.8, 8, 7.8, 8, 10);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 12.4), 1.1, 1.1);
}

QPixmap draw(ToolbarImage image, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / Grid, size / Grid);
    p.setPen(QPen(Outline, 0.8));
    switch (image) {
    case ToolbarImage::Open:
        drawFolder(p);
        break;
    case ToolbarImage::Save:
        drawDisk(p);
        break;
    case ToolbarImage::Unlock:
        drawDrawer(p, true);
        break;
    case ToolbarImage::Lock:
        drawDrawer(p, false);
        break;
    case ToolbarImage::Key:
        drawKey(p);
        break;
    case ToolbarImage::Option:
        drawGear(p);
        break;
    case ToolbarImage::Help:
        drawHelp(p);
        break;
    }
    return pixmap;
}

} // namespace

QIcon toolbarIcon(ToolbarImage image) {
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(draw(image, size));
    return icon;
}

} // namespace icons
