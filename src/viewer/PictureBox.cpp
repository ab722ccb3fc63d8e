#include "viewer/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

namespace viewer {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    resize(0, 0);
}

void PictureBox::setPicture(const QImage& picture) {
    m_picture = picture;
    resize(picture.size());
    update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), m_picture, event->rect());
}

} // namespace viewer
