#pragma once

#include "viewer/TextContent.h"

#include <QAbstractScrollArea>
#include <QString>

#include <optional>

class QTextLayout;

namespace viewer {

// The viewer's multi-line text box: a read-only view over the loaded text that lays out and
// paints only the rows in sight, so that a file of any size is shown from one copy of its
// bytes. The mouse selects (drag, Shift+click), the caret keys move the caret and select with
// Shift, Ctrl+A selects all, Ctrl+C copies; copying gives the loaded characters, line ends as
// loaded.
class ContentTextBox : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ContentTextBox(QWidget* parent = nullptr);

    void setContent(TextContent content);
    [[nodiscard]] const TextContent& textContent() const { return m_content; }
    // The whole text, line ends as loaded.
    [[nodiscard]] QString content() const;

    // Selects from `anchor` to `cursor`, each clamped to the text.
    void select(TextPosition anchor, TextPosition cursor);
    void selectAll();
    [[nodiscard]] bool hasSelection() const { return m_anchor != m_cursor; }
    // The selected part of the content, line ends as loaded.
    [[nodiscard]] QString selectedContent() const;
    [[nodiscard]] TextPosition anchorPosition() const { return m_anchor; }
    [[nodiscard]] TextPosition cursorPosition() const { return m_cursor; }
    // Moves the caret (clamped to the text), keeping the anchor when `select`, and scrolls it
    // into sight.
    void moveCaret(TextPosition to, bool select);
    // Scrolls so that the place is in sight.
    void scrollTo(TextPosition to);

    // The rows wholly in sight: how many, and the first.
    [[nodiscard]] qsizetype rowsInSight() const;
    [[nodiscard]] qsizetype firstRowInSight() const;
    // The place under a point of the viewport, and the box of the character at a place there.
    [[nodiscard]] TextPosition positionAt(QPoint viewportPoint) const;
    [[nodiscard]] QRect characterRect(TextPosition at) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    [[nodiscard]] int rowHeight() const;
    [[nodiscard]] TextPosition clamped(TextPosition position) const;
    void layOutRow(QTextLayout& layout) const;
    // Lays out the row `text`, or of a long row only a start that holds at least `chars`
    // characters and reaches past `width` pixels, by enough that nothing at the cut is in
    // sight there; true when the whole row was laid out.
    bool layOutStart(QTextLayout& layout, const QString& text, qsizetype chars, qreal width) const;
    void updateScrollBars();
    void copySelection() const;
    // Where a caret key takes the caret, or nullopt for other keys.
    [[nodiscard]] std::optional<TextPosition> caretTarget(QKeyEvent* event) const;
    // Repaints and tells assistive technology where the caret and the selection are now.
    void caretChanged();

    TextContent m_content;
    TextPosition m_anchor;
    TextPosition m_cursor;
    int m_textWidth = 0; // the widest row seen so far, or the estimate for the longest row
};

} // namespace viewer
