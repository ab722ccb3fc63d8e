#include "ContentTextBox.h"

#include <QMimeData>
#include <QTextBlock>

namespace viewer {

namespace {

// The text as the box shows it: every CR LF becomes one block break and any other character
// that would break a line (a lone LF, a paragraph separator) becomes a line separator, so
// that each shown position maps back onto the content with the number of blocks before it.
QString ShownText(const QString& content) {
    QString shown;
    shown.reserve(content.size());
    for (qsizetype i = 0; i < content.size(); ++i) {
        const QChar ch = content[i];
        if (ch == u'\r' && i + 1 < content.size() && content[i + 1] == u'\n') {
            shown.append(u'\n');
            ++i;
        } else if (ch == u'\r' || ch == u'\n' || ch == QChar::ParagraphSeparator) {
            shown.append(QChar(QChar::LineSeparator));
        } else {
            shown.append(ch);
        }
    }
    return shown;
}

} // namespace

ContentTextBox::ContentTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void ContentTextBox::setContent(const QString& text) {
    m_content = text;
    setPlainText(ShownText(text));
}

qsizetype ContentTextBox::contentPosition(int shownPosition) const {
    const int blocksBefore = document()->findBlock(shownPosition).blockNumber();
    return qMin<qsizetype>(shownPosition + blocksBefore, m_content.size());
}

QString ContentTextBox::selectedContent() const {
    const QTextCursor cursor = textCursor();
    const qsizetype start = contentPosition(cursor.selectionStart());
    const qsizetype end = contentPosition(cursor.selectionEnd());
    return m_content.sliced(start, end - start);
}

QMimeData* ContentTextBox::createMimeDataFromSelection() const {
    auto* data = new QMimeData;
    data->setText(selectedContent());
    return data;
}

} // namespace viewer
