#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace viewer {

// The viewer's multi-line text box. It holds the text exactly as loaded (lines ended by
// carriage return and line feed, lone line feeds kept as characters) and shows each line end
// as a line break, so that copying and saving give back the loaded characters.
class ContentTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ContentTextBox(QWidget* parent = nullptr);

    void setContent(const QString& text);
    [[nodiscard]] const QString& content() const { return m_content; }

    // The selected part of the content, line ends as loaded.
    [[nodiscard]] QString selectedContent() const;

protected:
    QMimeData* createMimeDataFromSelection() const override;

private:
    [[nodiscard]] qsizetype contentPosition(int shownPosition) const;

    QString m_content;
};

} // namespace viewer
