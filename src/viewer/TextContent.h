#pragma once

#include "viewer/TextCodec.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <compare>
#include <functional>
#include <vector>

namespace viewer {

// A place in the shown text: a row and a column (UTF-16 units) of that row's decoded text.
struct TextPosition {
    qsizetype row = 0;
    qsizetype column = 0;
    auto operator<=>(const TextPosition&) const = default;
};

// A text file as the viewer holds it: the file's bytes with the line rule applied, once, and
// nothing else of the same size. Rows are what the view shows on one line: the text between
// line feeds, less a carriage return before the line feed; a row longer than MaxRowBytes is
// cut into rows of at most that many bytes at character boundaries. The rows' starts are
// indexed sparsely, so that the index stays small whatever the rows' lengths.
class TextContent {
public:
    static constexpr qsizetype MaxRowBytes = 8192;

    // Empty text: one empty row.
    TextContent();
    // Takes a file's bytes. `keepAlive` is called between pieces of the work on large files.
    explicit TextContent(QByteArray bytes, const std::function<void()>& keepAlive = {});

    // The bytes a save writes: the loaded bytes with every line ended.
    [[nodiscard]] const QByteArray& bytes() const { return m_bytes; }
    [[nodiscard]] TextEncoding encoding() const { return m_encoding; }
    [[nodiscard]] qsizetype rowCount() const { return m_rowCount; }
    // The length in bytes of the longest row, for the width the view may need.
    [[nodiscard]] qsizetype longestRowBytes() const { return m_longestRow; }

    [[nodiscard]] QString rowText(qsizetype row) const;
    // The texts of `count` rows from `first` on (fewer at the end), found in one walk.
    [[nodiscard]] QStringList rowTexts(qsizetype first, qsizetype count) const;
    // The end of the text: the start of the empty row after the last line end.
    [[nodiscard]] TextPosition end() const;
    // The text between two positions, line ends included as loaded.
    [[nodiscard]] QString text(TextPosition from, TextPosition to) const;

private:
    struct Row {
        qsizetype start = 0;
        qsizetype length = 0; // without its line end
        qsizetype next = 0;   // the start of the row after it
    };
    static constexpr qsizetype RowsPerIndexEntry = 64;

    [[nodiscard]] Row rowAt(qsizetype start) const;
    [[nodiscard]] Row row(qsizetype row) const;
    [[nodiscard]] qsizetype offset(TextPosition position) const;

    QByteArray m_bytes;
    TextEncoding m_encoding = TextEncoding::Utf8;
    std::vector<qsizetype> m_index; // the start of every RowsPerIndexEntry-th row
    qsizetype m_rowCount = 1;
    qsizetype m_longestRow = 0;
};

} // namespace viewer
