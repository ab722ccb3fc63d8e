#pragma once

#include <QDir>
#include <QString>

// Splits a full file name at its last separator into the folder part and the name part.
// The separator is the platform's own unless a caller names another (backslash for names
// written the Windows way). The scan works on characters, so a Japanese character is never
// taken for a separator whatever its bytes in a code page.
class Filing {
public:
    // The characters after the last separator; empty when there is none.
    [[nodiscard]] QString getFileName(const QString& strFullName,
                                      QChar separator = QDir::separator()) const;
    // The characters up to and including the last separator; empty when there is none.
    [[nodiscard]] QString getPath(const QString& strFullName,
                                  QChar separator = QDir::separator()) const;
};
