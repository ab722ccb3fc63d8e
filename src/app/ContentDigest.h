#pragma once

#include <QByteArray>
#include <QString>

// A BLAKE2b digest of a file's content, to tell whether a file changed since it was written.
// Empty when the file cannot be read.
[[nodiscard]] QByteArray contentDigest(const QString& path);
