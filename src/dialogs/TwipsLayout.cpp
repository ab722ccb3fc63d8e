#include "dialogs/TwipsLayout.h"

#include <QAbstractButton>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr double TwipsPerInch = 1440.0;
// Step by which the growth is raised while a word-wrapping control still lacks height.
constexpr double GrowthStep = 0.02;

double pixelsPerTwipX(const QWidget* widget) {
    return widget->logicalDpiX() / TwipsPerInch;
}

double pixelsPerTwipY(const QWidget* widget) {
    return widget->logicalDpiY() / TwipsPerInch;
}

// The room a control needs to show its text whole: captions need their full size hint,
// input and list controls their minimum.
QSize neededSize(const QWidget* control) {
    if (qobject_cast<const QLabel*>(control) || qobject_cast<const QAbstractButton*>(control))
        return control->sizeHint();
    return control->minimumSizeHint();
}

} // namespace

TwipsLayout::TwipsLayout(QWidget* form, QSize clientTwips)
    : QObject(form), m_form(form), m_clientTwips(clientTwips) {
    form->installEventFilter(this);
}

void TwipsLayout::place(QWidget* control, int left, int top, int width, int height) {
    m_items.append({control, QRect(left, top, width, height)});
}

double TwipsLayout::growthNeededBy(const Item& item) const {
    const double width = item.twips.width() * pixelsPerTwipX(m_form);
    const double height = item.twips.height() * pixelsPerTwipY(m_form);
    if (width <= 0 || height <= 0)
        return 1.0; // nothing to show in an empty rectangle
    const QSize needed = neededSize(item.control);
    double growth = std::max(needed.width() / width, 1.0);
    if (item.control->hasHeightForWidth()) {
        while (item.control->heightForWidth(int(width * growth)) > height * growth)
            growth += GrowthStep;
    } else {
        growth = std::max(growth, needed.height() / height);
    }
    // A control in a frame must start below the frame's caption.
    if (const auto* frame = qobject_cast<const QGroupBox*>(item.control->parentWidget())) {
        const double top = item.twips.top() * pixelsPerTwipY(m_form);
        const int caption = frame->fontMetrics().height();
        if (top > 0)
            growth = std::max(growth, caption / top);
    }
    return growth;
}

QRect TwipsLayout::pixels(const QRect& twips) const {
    const double sx = pixelsPerTwipX(m_form) * m_growth;
    const double sy = pixelsPerTwipY(m_form) * m_growth;
    const int left = int(std::lround(twips.left() * sx));
    const int top = int(std::lround(twips.top() * sy));
    const int right = int(std::lround((twips.left() + twips.width()) * sx));
    const int bottom = int(std::lround((twips.top() + twips.height()) * sy));
    return QRect(left, top, right - left, bottom - top);
}

void TwipsLayout::apply() {
    m_growth = 1.0;
    for (const Item& item : std::as_const(m_items))
        m_growth = std::max(m_growth, growthNeededBy(item));
    for (const Item& item : std::as_const(m_items))
        item.control->setGeometry(pixels(item.twips));
    m_form->setFixedSize(pixels(QRect(QPoint(0, 0), m_clientTwips)).size());
}

void TwipsLayout::placeRelativeTo(QWidget* form, const QWidget* owner, int leftTwips,
                                  int topTwips) {
    if (!owner)
        return;
    const QPoint offset(int(std::lround(leftTwips * pixelsPerTwipX(owner))),
                        int(std::lround(topTwips * pixelsPerTwipY(owner))));
    form->move(owner->pos() + offset);
}

bool TwipsLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_form &&
        (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange))
        apply();
    return QObject::eventFilter(watched, event);
}
