#include "dialogs/Filing.h"

namespace {

// Length of the folder part: up to and including the last separator, 0 without one.
qsizetype folderLength(const QString& fullName, QChar separator) {
    return fullName.lastIndexOf(separator) + 1;
}

} // namespace

QString Filing::getFileName(const QString& strFullName, QChar separator) const {
    const qsizetype folder = folderLength(strFullName, separator);
    return folder == 0 ? QString() : strFullName.mid(folder);
}

QString Filing::getPath(const QString& strFullName, QChar separator) const {
    return strFullName.left(folderLength(strFullName, separator));
}
