#include "dialogs/WrappingCheckBox.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

int WrappingCheckBox::textFlags() {
    return Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
}

int WrappingCheckBox::indicatorSpace() const {
    return style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) +
           style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
}

int WrappingCheckBox::heightForWidth(int width) const {
    const int textWidth = std::max(1, width - indicatorSpace());
    const QRect text =
        fontMetrics().boundingRect(QRect(0, 0, textWidth, 0x7fff), textFlags(), this->text());
    const int indicator = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this);
    return std::max(text.height(), indicator);
}

QSize WrappingCheckBox::minimumSizeHint() const {
    // Room for the indicator and a couple of characters; the height follows the width.
    const int width = indicatorSpace() + 2 * fontMetrics().height();
    return QSize(width, heightForWidth(width));
}

void WrappingCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_CheckBox, option);
    const QRect textRect = rect().adjusted(indicatorSpace(), 0, 0, 0);
    style()->drawItemText(&painter, textRect, textFlags(), palette(), isEnabled(), text(),
                          QPalette::WindowText);
}

bool WrappingCheckBox::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}
