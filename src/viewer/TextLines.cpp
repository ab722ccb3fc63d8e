#include "viewer/TextLines.h"

#include <cstring>

namespace viewer {

QString NL() {
    return QStringLiteral("\r\n");
}

void applyLineRule(QByteArray& bytes) {
    const qsizetype size = bytes.size();
    if (size == 0)
        return;
    const char* begin = bytes.constData();
    const char* end = begin + size;
    // A carriage return without a line feed after it gains one.
    qsizetype loneReturns = 0;
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\r', end - p)));) {
        ++p;
        if (p == end || *p != '\n')
            ++loneReturns;
    }
    // A last line without a line end gains one (a lone return there was counted above).
    const bool lastLineOpen = end[-1] != '\n' && end[-1] != '\r';
    const bool lastLineOnLoneFeed = end[-1] == '\n' && (size < 2 || end[-2] != '\r');
    const qsizetype added = loneReturns + (lastLineOpen || lastLineOnLoneFeed ? 2 : 0);
    if (added == 0)
        return;

    bytes.resize(size + added);
    char* data = bytes.data();
    qsizetype to = size + added;
    if (lastLineOpen || lastLineOnLoneFeed) {
        data[--to] = '\n';
        data[--to] = '\r';
    }
    // Walk back from the end, moving each byte to its place, until the moved part meets the
    // part that stays where it is.
    char after = 0; // the original byte after position `from`; none past the end
    for (qsizetype from = size - 1; to > from + 1; --from) {
        const char byte = data[from];
        if (byte == '\r' && after != '\n')
            data[--to] = '\n';
        data[--to] = byte;
        after = byte;
    }
}

} // namespace viewer
