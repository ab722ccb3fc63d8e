#include "viewer/ContentTextBoxAccessible.h"

#include "viewer/ContentTextBox.h"

#include <algorithm>

namespace viewer {

namespace {

QAccessibleInterface* createAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String(ContentTextBox::staticMetaObject.className()))
        return nullptr;
    auto* box = qobject_cast<ContentTextBox*>(object);
    return box ? new ContentTextBoxAccessible(box) : nullptr;
}

} // namespace

void installAccessibleContentTextBox() {
    static const bool Installed = [] {
        QAccessible::installFactory(createAccessible);
        return true;
    }();
    Q_UNUSED(Installed);
}

ContentTextBoxAccessible::ContentTextBoxAccessible(ContentTextBox* box)
    : QAccessibleWidget(box, QAccessible::EditableText) {}

ContentTextBox* ContentTextBoxAccessible::box() const {
    return static_cast<ContentTextBox*>(widget());
}

void* ContentTextBoxAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State ContentTextBoxAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

QString ContentTextBoxAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value)
        return sight().text;
    return QAccessibleWidget::text(t);
}

ContentTextBoxAccessible::Sight ContentTextBoxAccessible::sight() const {
    const ContentTextBox* shown = box();
    Sight sight;
    sight.firstRow = shown->firstRowInSight();
    const QStringList rows = shown->textContent().rowTexts(sight.firstRow, shown->rowsInSight());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const qsizetype row = sight.firstRow + i;
        sight.rowStarts.push_back(int(sight.text.size()));
        sight.rowLengths.push_back(int(rows[i].size()));
        sight.text += shown->textContent().text({row, 0}, {row + 1, 0});
    }
    return sight;
}

int ContentTextBoxAccessible::offsetOf(const Sight& sight, TextPosition position) {
    if (position.row < sight.firstRow || sight.rowStarts.empty())
        return 0;
    const auto i = size_t(position.row - sight.firstRow);
    if (i >= sight.rowStarts.size())
        return int(sight.text.size());
    return sight.rowStarts[i] + int(qMin<qsizetype>(position.column, sight.rowLengths[i]));
}

TextPosition ContentTextBoxAccessible::positionOf(const Sight& sight, int offset) {
    if (sight.rowStarts.empty() || offset >= sight.text.size())
        return {sight.firstRow + qsizetype(sight.rowStarts.size()), 0};
    offset = qMax(0, offset);
    const auto next = std::upper_bound(sight.rowStarts.begin(), sight.rowStarts.end(), offset);
    const auto i = size_t(next - sight.rowStarts.begin()) - 1;
    return {sight.firstRow + qsizetype(i), qMin(offset - sight.rowStarts[i], sight.rowLengths[i])};
}

void ContentTextBoxAccessible::selection(int selectionIndex, int* startOffset,
                                         int* endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !box()->hasSelection())
        return;
    const Sight shown = sight();
    const TextPosition anchor = box()->anchorPosition();
    const TextPosition cursor = box()->cursorPosition();
    *startOffset = offsetOf(shown, qMin(anchor, cursor));
    *endOffset = offsetOf(shown, qMax(anchor, cursor));
}

int ContentTextBoxAccessible::selectionCount() const {
    return box()->hasSelection() ? 1 : 0;
}

void ContentTextBoxAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void ContentTextBoxAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0)
        box()->select(box()->cursorPosition(), box()->cursorPosition());
}

void ContentTextBoxAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0)
        return;
    const Sight shown = sight();
    box()->select(positionOf(shown, startOffset), positionOf(shown, endOffset));
}

int ContentTextBoxAccessible::cursorPosition() const {
    return offsetOf(sight(), box()->cursorPosition());
}

void ContentTextBoxAccessible::setCursorPosition(int position) {
    box()->moveCaret(positionOf(sight(), position), false);
}

QString ContentTextBoxAccessible::text(int startOffset, int endOffset) const {
    const QString shown = sight().text;
    startOffset = qBound(0, startOffset, int(shown.size()));
    endOffset = qBound(startOffset, endOffset, int(shown.size()));
    return shown.mid(startOffset, endOffset - startOffset);
}

int ContentTextBoxAccessible::characterCount() const {
    return int(sight().text.size());
}

QRect ContentTextBoxAccessible::characterRect(int offset) const {
    const QRect inViewport = box()->characterRect(positionOf(sight(), offset));
    return inViewport.translated(box()->viewport()->mapToGlobal(QPoint(0, 0)));
}

int ContentTextBoxAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint inViewport = box()->viewport()->mapFromGlobal(point);
    if (!box()->viewport()->rect().contains(inViewport))
        return -1;
    return offsetOf(sight(), box()->positionAt(inViewport));
}

void ContentTextBoxAccessible::scrollToSubstring(int startIndex, int /*endIndex*/) {
    box()->scrollTo(positionOf(sight(), startIndex));
}

QString ContentTextBoxAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    // One font and colour throughout.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

} // namespace viewer
