#include "viewer/TextContent.h"

#include "viewer/TextLines.h"

#include <cstring>

namespace viewer {

namespace {

// Work on large files is done in pieces of this many bytes, with keepAlive between them.
constexpr qsizetype PieceBytes = qsizetype(16) << 20;

// Whether the bytes are valid UTF-8, checked in pieces cut at character starts.
bool isUtf8InPieces(QByteArrayView bytes, const std::function<void()>& keepAlive) {
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype to = qMin(bytes.size(), from + PieceBytes);
        if (to < bytes.size())
            to = qMax(from + 1, characterStart(bytes, to - 4, to, TextEncoding::Utf8));
        if (!isUtf8(bytes.sliced(from, to - from)))
            return false;
        from = to;
        if (keepAlive && from < bytes.size())
            keepAlive();
    }
    return true;
}

} // namespace

TextContent::TextContent() : m_index{0} {}

TextContent::TextContent(QByteArray bytes, const std::function<void()>& keepAlive)
    : m_bytes(std::move(bytes)) {
    applyLineRule(m_bytes);
    m_encoding = isUtf8InPieces(m_bytes, keepAlive) ? TextEncoding::Utf8 : TextEncoding::Cp932;
    qsizetype rows = 0;
    qsizetype start = 0;
    qsizetype nextPause = PieceBytes;
    for (;;) {
        if (rows % RowsPerIndexEntry == 0)
            m_index.push_back(start);
        ++rows;
        if (start == m_bytes.size())
            break; // the empty row after the last line end
        const Row r = rowAt(start);
        m_longestRow = qMax(m_longestRow, r.length);
        start = r.next;
        if (keepAlive && start >= nextPause) {
            keepAlive();
            nextPause = start + PieceBytes;
        }
    }
    m_rowCount = rows;
}

TextContent::Row TextContent::rowAt(qsizetype start) const {
    const char* data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    if (start == size)
        return {start, 0, start}; // the empty row after the last line end
    // Room for a full row and its line end.
    const qsizetype window = qMin(size - start, MaxRowBytes + 2);
    const auto* feed = static_cast<const char*>(std::memchr(data + start, '\n', window));
    if (feed) {
        const qsizetype at = feed - data;
        const qsizetype end = (at > start && data[at - 1] == '\r') ? at - 1 : at;
        return {start, end - start, at + 1};
    }
    // Every line ends with a line feed, so a row without one within reach is a long row: it is
    // cut before the character that would pass the limit.
    const qsizetype cut = characterStart(m_bytes, start, start + MaxRowBytes, m_encoding);
    return {start, cut - start, cut};
}

TextContent::Row TextContent::row(qsizetype row) const {
    row = qBound<qsizetype>(0, row, m_rowCount - 1);
    Row r = rowAt(m_index[size_t(row / RowsPerIndexEntry)]);
    for (qsizetype i = row % RowsPerIndexEntry; i > 0; --i)
        r = rowAt(r.next);
    return r;
}

QString TextContent::rowText(qsizetype row) const {
    const Row r = this->row(row);
    return decodeText(QByteArrayView(m_bytes).sliced(r.start, r.length), m_encoding);
}

QStringList TextContent::rowTexts(qsizetype first, qsizetype count) const {
    QStringList texts;
    if (first < 0 || first >= m_rowCount)
        return texts;
    count = qMin(count, m_rowCount - first);
    texts.reserve(count);
    for (Row r = row(first); texts.size() < count; r = rowAt(r.next))
        texts.append(decodeText(QByteArrayView(m_bytes).sliced(r.start, r.length), m_encoding));
    return texts;
}

TextPosition TextContent::end() const {
    return {m_rowCount - 1, 0};
}

qsizetype TextContent::offset(TextPosition position) const {
    const Row r = row(position.row);
    const QByteArrayView bytes = QByteArrayView(m_bytes).sliced(r.start, r.length);
    return r.start + columnOffset(bytes, position.column, m_encoding);
}

QString TextContent::text(TextPosition from, TextPosition to) const {
    const qsizetype begin = offset(qMin(from, to));
    const qsizetype end = offset(qMax(from, to));
    return decodeText(QByteArrayView(m_bytes).sliced(begin, end - begin), m_encoding);
}

} // namespace viewer
