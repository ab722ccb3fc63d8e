#pragma once

#include <QString>

namespace platform {

// Opens a document with the program the desktop associates with its type, without waiting.
// A relative name is taken from the current working directory. Throws RuntimeError: 53 when
// the document does not exist, 75 when the desktop cannot open it.
void openDocument(const QString& fileName);

} // namespace platform
