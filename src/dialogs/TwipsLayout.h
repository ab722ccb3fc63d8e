#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

// Lays out a form designed in twips (1440 to the inch) at its screen's logical resolution.
// When the font needs more room than the design gives a control, the whole form grows by one
// factor, so the designed proportions hold and no text is clipped. Lays out again when the
// form's font or style changes.
class TwipsLayout : public QObject {
public:
    TwipsLayout(QWidget* form, QSize clientTwips);

    // Places `control` at a rectangle in twips relative to its parent (the form or a frame).
    void place(QWidget* control, int left, int top, int width, int height);

    // Sets the geometry of every control placed and fixes the form's size.
    void apply();

    // The factor by which the form is larger than its design at this resolution.
    [[nodiscard]] double growth() const { return m_growth; }

    // Moves `form` to `owner`'s position plus an offset in twips; does nothing without owner.
    static void placeRelativeTo(QWidget* form, const QWidget* owner, int leftTwips, int topTwips);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Item {
        QWidget* control;
        QRect twips;
    };

    [[nodiscard]] double growthNeededBy(const Item& item) const;
    [[nodiscard]] QRect pixels(const QRect& twips) const;

    QWidget* m_form;
    QSize m_clientTwips;
    QList<Item> m_items;
    double m_growth = 1.0;
};
