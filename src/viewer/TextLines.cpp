#include "TextLines.h"

namespace viewer {

QString NL() {
    return QStringLiteral("\r\n");
}

QString LinesWithLineEnds(QStringView contents) {
    QString text;
    text.reserve(contents.size() + contents.size() / 16 + 2);
    qsizetype pos = 0;
    while (pos < contents.size()) {
        qsizetype end = contents.indexOf(u'\r', pos);
        if (end < 0)
            end = contents.size();
        text.append(contents.sliced(pos, end - pos));
        text.append(NL());
        pos = end + 1;
        if (end < contents.size() - 1 && contents[end + 1] == u'\n')
            ++pos;
    }
    return text;
}

} // namespace viewer
