#include "platform/ExtendedAttributes.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <sys/xattr.h>

namespace platform {

namespace {

constexpr size_t Largest = 65536; // the kernel's limit for one value and for the name list
constexpr char UserPrefix[] = "user.";
constexpr char AccessList[] = "system.posix_acl_access";

// EOPNOTSUPP is the same number on Linux.
bool unsupported(int error) {
    return error == ENOTSUP;
}

} // namespace

bool copyExtendedAttributes(const QByteArray& path, int fd, bool accessList) {
    std::vector<char> names(Largest);
    const ssize_t listed = ::llistxattr(path.constData(), names.data(), names.size());
    if (listed < 0)
        return unsupported(errno) || errno == ENOENT;
    std::vector<char> value(Largest);
    for (const char* name = names.data(); name < names.data() + listed;
         name += std::strlen(name) + 1) {
        const bool kept = std::strncmp(name, UserPrefix, sizeof UserPrefix - 1) == 0 ||
                          (accessList && std::strcmp(name, AccessList) == 0);
        if (!kept)
            continue;
        const ssize_t size = ::lgetxattr(path.constData(), name, value.data(), value.size());
        if (size < 0) {
            if (errno == ENODATA || errno == EACCES || errno == EPERM || unsupported(errno))
                continue;
            return false;
        }
        if (::fsetxattr(fd, name, value.data(), size_t(size), 0) != 0 && !unsupported(errno))
            return false;
    }
    return true;
}

} // namespace platform
