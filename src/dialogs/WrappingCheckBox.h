#pragma once

#include <QCheckBox>

// A check box whose caption wraps onto further lines when it is wider than the box.
class WrappingCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

    [[nodiscard]] bool hasHeightForWidth() const override { return true; }
    [[nodiscard]] int heightForWidth(int width) const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    [[nodiscard]] bool hitButton(const QPoint& pos) const override;

private:
    [[nodiscard]] int indicatorSpace() const;
    [[nodiscard]] static int textFlags();
};
