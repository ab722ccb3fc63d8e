#include "viewer/ContentTextBox.h"

#include "viewer/ContentTextBoxAccessible.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>

#include <climits>
#include <cmath>

namespace viewer {

namespace {

constexpr int Margin = 4;        // pixels left free before the text
constexpr int SideStepChars = 4; // an arrow click sideways moves this many average characters
constexpr qreal RowLayoutWidth = 1e6;
// A row longer than this many characters is laid out only as far as it can be in sight, and
// that part reaches this many average characters past the viewport's right edge, so that
// nothing at its cut is in sight.
constexpr qsizetype LongRowChars = 512;
constexpr int CutSlackChars = 8;

// A row's text as it is laid out: separators that would break the line are shown as
// replacement characters, one for one, so that columns stay those of the text.
QString laidOutText(QString text) {
    for (QChar& ch : text) {
        if (ch == QChar::LineSeparator || ch == QChar::ParagraphSeparator)
            ch = QChar::ReplacementCharacter;
    }
    return text;
}

// Whether a row's text that holds no right-to-left character and begins left to right is laid
// out the same up to any point whatever follows it.
bool isPlainLeftToRight(QStringView text) {
    bool leftToRight = false;
    for (const QChar ch : text) {
        switch (ch.direction()) {
        case QChar::DirL:
            leftToRight = true;
            break;
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
        case QChar::DirFSI:
            return false;
        default:
            break;
        }
    }
    return leftToRight;
}

} // namespace

ContentTextBox::ContentTextBox(QWidget* parent) : QAbstractScrollArea(parent) {
    installAccessibleContentTextBox();
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    updateScrollBars();
}

void ContentTextBox::setContent(TextContent content) {
    m_content = std::move(content);
    m_anchor = m_cursor = TextPosition{};
    m_textWidth = int(qMin<qsizetype>(INT_MAX / 2, m_content.longestRowBytes() *
                                                       fontMetrics().averageCharWidth()));
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    caretChanged();
}

QString ContentTextBox::content() const {
    return m_content.text({}, m_content.end());
}

TextPosition ContentTextBox::clamped(TextPosition position) const {
    position.row = qBound<qsizetype>(0, position.row, m_content.rowCount() - 1);
    position.column = qBound<qsizetype>(0, position.column, m_content.rowText(position.row).size());
    return position;
}

void ContentTextBox::select(TextPosition anchor, TextPosition cursor) {
    m_anchor = clamped(anchor);
    m_cursor = clamped(cursor);
    caretChanged();
}

void ContentTextBox::selectAll() {
    select({}, m_content.end());
}

QString ContentTextBox::selectedContent() const {
    return m_content.text(m_anchor, m_cursor);
}

void ContentTextBox::copySelection() const {
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedContent());
}

int ContentTextBox::rowHeight() const {
    return qMax(1, fontMetrics().lineSpacing());
}

qsizetype ContentTextBox::rowsInSight() const {
    return qMax(1, viewport()->height() / rowHeight());
}

qsizetype ContentTextBox::firstRowInSight() const {
    return verticalScrollBar()->value();
}

void ContentTextBox::layOutRow(QTextLayout& layout) const {
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.setFont(font());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    // Every row's baseline at the same height, whatever font a row's characters fall back on.
    if (line.isValid()) {
        line.setLineWidth(RowLayoutWidth); // rows do not wrap; this lays the row out
        line.setPosition({0, qreal(fontMetrics().ascent()) - line.ascent()});
    }
    layout.endLayout();
}

void ContentTextBox::updateScrollBars() {
    const qsizetype rowsBeyondSight = m_content.rowCount() - rowsInSight();
    verticalScrollBar()->setRange(0,
                                  int(qBound<qsizetype>(0, rowsBeyondSight, qsizetype(INT_MAX))));
    verticalScrollBar()->setPageStep(int(rowsInSight()));
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, qMax(0, m_textWidth + 2 * Margin - viewport()->width()));
    horizontalScrollBar()->setPageStep(qMax(1, viewport()->width()));
    horizontalScrollBar()->setSingleStep(SideStepChars * fontMetrics().averageCharWidth());
}

bool ContentTextBox::layOutStart(QTextLayout& layout, const QString& text, qsizetype chars,
                                 qreal width) const {
    // Shaping costs time by the length laid out, and a long row's far part is out of sight.
    // The characters' advances (no shaping) tell how many reach that far.
    const QFontMetrics metrics = fontMetrics();
    const qreal reach = width + CutSlackChars * metrics.averageCharWidth();
    qsizetype length = text.size();
    if (length > LongRowChars) {
        length = qMin(length, chars);
        for (int advanced = 0; length < text.size() && advanced <= reach; ++length)
            advanced += metrics.horizontalAdvance(text[length]);
        length += CutSlackChars;
    }
    for (;;) {
        length = qMin(length, text.size());
        layout.setText(text.left(length));
        layOutRow(layout);
        if (length == text.size())
            return true;
        if (layout.lineAt(0).naturalTextWidth() > reach && isPlainLeftToRight(layout.text()))
            return false;
        length *= 2;
    }
}

void ContentTextBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    const int height = rowHeight();
    const qreal left = Margin - horizontalScrollBar()->value();
    const TextPosition from = qMin(m_anchor, m_cursor);
    const TextPosition to = qMax(m_anchor, m_cursor);
    int widest = m_textWidth;
    const qsizetype first = verticalScrollBar()->value();
    const qreal inSightRight = horizontalScrollBar()->value() + viewport()->width();
    const QStringList rows =
        m_content.rowTexts(first, (viewport()->height() + height - 1) / height);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const qsizetype row = first + i;
        const int top = int(i) * height;
        QTextLayout layout;
        const bool whole = layOutStart(layout, laidOutText(rows[i]), 0, inSightRight);
        const QTextLine line = layout.lineAt(0);
        const qreal textWidth = line.naturalTextWidth();
        if (whole)
            widest = qMax(widest, int(std::ceil(textWidth)));
        QList<QTextLayout::FormatRange> selection;
        if (hasSelection() && row >= from.row && row <= to.row) {
            QTextLayout::FormatRange range;
            range.start = int(qMin(row == from.row ? from.column : 0, layout.text().size()));
            range.length =
                int(qMin(row == to.row ? to.column : layout.text().size(), layout.text().size())) -
                range.start;
            range.format.setBackground(palette().highlight());
            range.format.setForeground(palette().highlightedText());
            selection.append(range);
            if (row < to.row && whole) // the selected line end
                painter.fillRect(
                    QRectF(left + textWidth, top, fontMetrics().averageCharWidth(), height),
                    palette().highlight());
        }
        layout.draw(&painter, {left, qreal(top)}, selection);
        if (row == m_cursor.row && hasFocus() && m_cursor.column <= layout.text().size())
            layout.drawCursor(&painter, {left, qreal(top)}, int(m_cursor.column));
    }
    if (widest > m_textWidth) {
        m_textWidth = widest;
        updateScrollBars();
    }
}

void ContentTextBox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ContentTextBox::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update(); // the caret shows only with the focus
}

void ContentTextBox::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ContentTextBox::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateScrollBars();
}

TextPosition ContentTextBox::positionAt(QPoint viewportPoint) const {
    const qsizetype rowInSight = viewportPoint.y() < 0 ? -1 : viewportPoint.y() / rowHeight();
    const qsizetype row =
        qBound<qsizetype>(0, verticalScrollBar()->value() + rowInSight, m_content.rowCount() - 1);
    const qreal x = qMax<qreal>(0, viewportPoint.x() - Margin + horizontalScrollBar()->value());
    QTextLayout layout;
    layOutStart(layout, laidOutText(m_content.rowText(row)), 0, x);
    return {row, layout.lineAt(0).xToCursor(x)};
}

void ContentTextBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    m_cursor = positionAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        m_anchor = m_cursor;
    caretChanged();
}

void ContentTextBox::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return QAbstractScrollArea::mouseMoveEvent(event);
    // Dragging past an edge scrolls that way.
    const QPoint point = event->position().toPoint();
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() >= viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (point.x() < 0)
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.x() >= viewport()->width())
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    m_cursor = positionAt(point);
    caretChanged();
}

std::optional<TextPosition> ContentTextBox::caretTarget(QKeyEvent* event) const {
    using Key = QKeySequence::StandardKey;
    const auto is = [event](Key move, Key select) {
        return event->matches(move) || event->matches(select);
    };
    const TextPosition at = m_cursor;
    const auto rowLength = [this](qsizetype row) { return m_content.rowText(row).size(); };
    if (is(Key::MoveToNextChar, Key::SelectNextChar)) {
        if (at.column < rowLength(at.row)) {
            QTextLayout layout(laidOutText(m_content.rowText(at.row)));
            return TextPosition{at.row, layout.nextCursorPosition(int(at.column))};
        }
        return clamped({at.row + 1, 0});
    }
    if (is(Key::MoveToPreviousChar, Key::SelectPreviousChar)) {
        if (at.column > 0) {
            QTextLayout layout(laidOutText(m_content.rowText(at.row)));
            return TextPosition{at.row, layout.previousCursorPosition(int(at.column))};
        }
        return at.row > 0 ? TextPosition{at.row - 1, rowLength(at.row - 1)} : at;
    }
    if (is(Key::MoveToNextLine, Key::SelectNextLine))
        return clamped({at.row + 1, at.column});
    if (is(Key::MoveToPreviousLine, Key::SelectPreviousLine))
        return clamped({at.row - 1, at.column});
    if (is(Key::MoveToNextPage, Key::SelectNextPage))
        return clamped({at.row + rowsInSight(), at.column});
    if (is(Key::MoveToPreviousPage, Key::SelectPreviousPage))
        return clamped({at.row - rowsInSight(), at.column});
    if (is(Key::MoveToStartOfLine, Key::SelectStartOfLine))
        return TextPosition{at.row, 0};
    if (is(Key::MoveToEndOfLine, Key::SelectEndOfLine))
        return TextPosition{at.row, rowLength(at.row)};
    if (is(Key::MoveToStartOfDocument, Key::SelectStartOfDocument))
        return TextPosition{};
    if (is(Key::MoveToEndOfDocument, Key::SelectEndOfDocument))
        return m_content.end();
    return std::nullopt;
}

void ContentTextBox::moveCaret(TextPosition to, bool select) {
    m_cursor = clamped(to);
    if (!select)
        m_anchor = m_cursor;
    scrollTo(m_cursor);
    caretChanged();
}

void ContentTextBox::scrollTo(TextPosition to) {
    QScrollBar* rows = verticalScrollBar();
    if (to.row < rows->value())
        rows->setValue(int(qMin<qsizetype>(to.row, INT_MAX)));
    else if (to.row >= rows->value() + rowsInSight())
        rows->setValue(int(qMin<qsizetype>(to.row - rowsInSight() + 1, INT_MAX)));
    QTextLayout layout;
    layOutStart(layout, laidOutText(m_content.rowText(to.row)), to.column + CutSlackChars, 0);
    const int x = int(layout.lineAt(0).cursorToX(int(to.column)));
    QScrollBar* columns = horizontalScrollBar();
    const int width = viewport()->width() - 2 * Margin;
    if (x < columns->value())
        columns->setValue(x);
    else if (x > columns->value() + width)
        columns->setValue(x - width);
}

QRect ContentTextBox::characterRect(TextPosition at) const {
    at = clamped(at);
    QTextLayout layout;
    layOutStart(layout, laidOutText(m_content.rowText(at.row)), at.column + CutSlackChars, 0);
    const QTextLine line = layout.lineAt(0);
    const qreal x = line.cursorToX(int(at.column));
    const qreal next = at.column < layout.text().size() ? line.cursorToX(int(at.column) + 1) : x;
    const qreal left = Margin - horizontalScrollBar()->value() + x;
    return QRect(int(left), int((at.row - firstRowInSight()) * rowHeight()),
                 qMax(1, int(std::ceil(next - x))), rowHeight());
}

void ContentTextBox::caretChanged() {
    viewport()->update();
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(this);
    QAccessibleTextInterface* text = accessible ? accessible->textInterface() : nullptr;
    if (!text)
        return;
    QAccessibleTextCursorEvent caret(this, text->cursorPosition());
    QAccessible::updateAccessibility(&caret);
    int start = 0, end = 0;
    text->selection(0, &start, &end);
    QAccessibleTextSelectionEvent selection(this, start, end);
    QAccessible::updateAccessibility(&selection);
}

void ContentTextBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy))
        copySelection();
    else if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (const std::optional<TextPosition> to = caretTarget(event))
        moveCaret(*to, event->modifiers() & Qt::ShiftModifier);
    else
        QAbstractScrollArea::keyPressEvent(event);
}

} // namespace viewer
