#pragma once

#include "viewer/TextContent.h"

#include <QAccessibleWidget>

#include <vector>

namespace viewer {

class ContentTextBox;

// What assistive technology learns of the text box, as of a read-only multi-line text field:
// the text in sight (its rows with their line ends as loaded; offsets count from the first
// row in sight), the caret and the selection, which it may also move. A file of any size is
// exposed at the cost of one page.
class ContentTextBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ContentTextBoxAccessible(ContentTextBox* box);

    void* interface_cast(QAccessible::InterfaceType type) override;
    [[nodiscard]] QAccessible::State state() const override;
    [[nodiscard]] QString text(QAccessible::Text t) const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    [[nodiscard]] int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    [[nodiscard]] int cursorPosition() const override;
    void setCursorPosition(int position) override;
    [[nodiscard]] QString text(int startOffset, int endOffset) const override;
    [[nodiscard]] int characterCount() const override;
    [[nodiscard]] QRect characterRect(int offset) const override;
    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    [[nodiscard]] QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    // The rows in sight as offsets see them.
    struct Sight {
        QString text;
        qsizetype firstRow = 0;
        std::vector<int> rowStarts;  // the offset of each row in sight
        std::vector<int> rowLengths; // the length of its text, without its line end
    };
    [[nodiscard]] ContentTextBox* box() const;
    [[nodiscard]] Sight sight() const;
    [[nodiscard]] static int offsetOf(const Sight& sight, TextPosition position);
    [[nodiscard]] static TextPosition positionOf(const Sight& sight, int offset);
};

// Lets the accessibility framework create the interface above for every text box; called by
// the text box, effective once.
void installAccessibleContentTextBox();

} // namespace viewer
