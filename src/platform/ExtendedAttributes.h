#pragma once

#include <QByteArray>

namespace platform {

// Gives the open file `fd` the extended attributes of the file at `path` that a replacement
// keeps: the user's own ("user.*") and, with `accessList`, the access ACL. What the file
// system does not support, and what this user may not read, is left out. Returns false, with
// errno set, when an attribute could be read but not written.
[[nodiscard]] bool copyExtendedAttributes(const QByteArray& path, int fd, bool accessList);

} // namespace platform
