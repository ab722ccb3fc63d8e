#include "platform/ReplacingFile.h"

#include "platform/ExtendedAttributes.h"
#include "platform/OutputTarget.h"
#include "platform/RuntimeError.h"
#include "platform/TemporaryNames.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr mode_t OwnerOnlyMode = S_IRUSR | S_IWUSR;
constexpr mode_t EveryoneMode = 0666;
constexpr mode_t ModeBits = 07777;

RuntimeError nameTooLong(const QString& name) {
    return RuntimeError(err::BadFileName, QStringLiteral("ファイル名が長すぎます。"), name);
}

// Closes `fd`; an error that only closing reports (a network file system's, a full quota's)
// stays in errno. EINTR leaves the descriptor closed on Linux.
bool closeReportingErrors(int fd) {
    return ::close(fd) == 0 || errno == EINTR;
}

} // namespace

ReplacingFile::ReplacingFile(const QString& target, Access access)
    : m_file(target), m_access(access) {
    try {
        open(target);
    } catch (...) {
        release();
        throw;
    }
}

void ReplacingFile::open(const QString& target) {
    const OutputTarget resolved = resolveOutputTarget(target);
    if (resolved.kind == OutputTarget::Kind::Descriptor) {
        adoptDescriptor(resolved.descriptor);
        return;
    }
    const QByteArray path = resolved.folder + '/' + resolved.name;
    if (resolved.kind == OutputTarget::Kind::Stream) {
        m_streamed = true;
        m_fd = ::open(path.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (m_fd < 0)
            throw systemError(target, true);
        m_file.adopt(m_fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
        return;
    }
    if (resolved.name.isEmpty())
        throw RuntimeError(err::BadFileName, {}, target);
    m_name = resolved.name;
    m_folderFd = ::open(resolved.folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0)
        throw systemError(target, true);
    const long nameMax = ::pathconf(resolved.folder.constData(), _PC_NAME_MAX);
    if (nameMax > 0 && (m_name.size() > nameMax || longestTemporaryName() > nameMax))
        throw nameTooLong(target);
    sweepStaleTemporaries(m_folderFd);
    openReplacement(resolved.kind == OutputTarget::Kind::Regular ? &resolved.info : nullptr);
}

ReplacingFile::ReplacingFile(StandardOutput) : m_file(QStringLiteral("標準出力")) {
    adoptDescriptor(STDOUT_FILENO);
}

// Written where the descriptor leads, at its offset (appended to when opened so).
void ReplacingFile::adoptDescriptor(int fd) {
    m_streamed = true;
    m_borrowed = true;
    m_fd = fd;
    m_file.adopt(m_fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
}

ReplacingFile::~ReplacingFile() {
    release();
}

// Everything but a committed file goes: the temporary file and the descriptors.
void ReplacingFile::release() {
    m_file.close();
    if (!m_temporaryName.isEmpty())
        ::unlinkat(m_folderFd, m_temporaryName.constData(), 0);
    m_removal.reset();
    m_temporaryName.clear();
    if (m_fd >= 0 && !m_borrowed)
        ::close(m_fd);
    m_fd = -1;
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_folderFd = -1;
}

// A new name is tried first by creating it empty, so that a name the file system refuses
// (too long for it, characters it does not allow) fails now and not after all the data;
// the umask and the folder's defaults then give the mode a new file has.
void ReplacingFile::openReplacement(const struct stat* existing) {
    if (existing) {
        m_replaced = *existing;
    } else {
        const int probe =
            ::openat(m_folderFd, m_name.constData(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, EveryoneMode);
        if (probe < 0 && errno != EEXIST)
            throw systemError(m_file.fileName(), true);
        if (probe >= 0) {
            struct stat info {};
            if (::fstat(probe, &info) == 0)
                m_newFileMode = info.st_mode & ModeBits;
            ::unlinkat(m_folderFd, m_name.constData(), 0);
            ::close(probe);
        }
        if (m_access == Access::OwnerOnly)
            m_newFileMode = OwnerOnlyMode;
    }
    openTemporary();
    m_file.adopt(m_fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
}

// Written owner-only until commit: the bytes in it are not yet where the user put them.
void ReplacingFile::openTemporary() {
    m_fd = ::openat(m_folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, OwnerOnlyMode);
    if (m_fd < 0) {
        for (;;) {
            const QByteArray name = newTemporaryName();
            m_removal.emplace(m_folderFd, name);
            m_fd = ::openat(m_folderFd, name.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, OwnerOnlyMode);
            if (m_fd >= 0) {
                m_temporaryName = name;
                break;
            }
            m_removal.reset();
            if (errno != EEXIST)
                throw systemError(m_file.fileName(), true);
        }
    }
    // Tells a sweep in another process that this file's writer is alive.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
}

// An unnamed file gets a name of the pattern just before it takes the target's place.
void ReplacingFile::nameTemporary() {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
    for (;;) {
        const QByteArray name = newTemporaryName();
        m_removal.emplace(m_folderFd, name);
        if (::linkat(AT_FDCWD, self.constData(), m_folderFd, name.constData(), AT_SYMLINK_FOLLOW) ==
                0 ||
            ::linkat(m_fd, "", m_folderFd, name.constData(), AT_EMPTY_PATH) == 0) {
            m_temporaryName = name;
            return;
        }
        m_removal.reset();
        if (errno != EEXIST)
            throw systemError(m_file.fileName(), true);
    }
}

// The previous file's extended attributes, its owner where the user may set it, and its
// mode; the mode comes last because it also sets the ACL's entries for owner, group and
// others, and changing the owner clears the set-id bits.
void ReplacingFile::applyMetadata() {
    mode_t mode = m_newFileMode;
    if (m_replaced) {
        const QByteArray previous =
            "/proc/self/fd/" + QByteArray::number(m_folderFd) + '/' + m_name;
        if (!copyExtendedAttributes(previous, m_fd, m_access != Access::OwnerOnly))
            throw systemError(m_file.fileName(), true);
        const bool ownerKept =
            (m_replaced->st_uid == ::geteuid() && m_replaced->st_gid == ::getegid()) ||
            ::fchown(m_fd, m_replaced->st_uid, m_replaced->st_gid) == 0;
        if (!ownerKept)
            (void)::fchown(m_fd, uid_t(-1), m_replaced->st_gid);
        mode = m_replaced->st_mode & ModeBits;
        // Plaintext is never opened to others, whatever the file it replaces allowed.
        if (m_access == Access::OwnerOnly)
            mode &= S_IRWXU;
    }
    if (::fchmod(m_fd, mode) != 0)
        throw systemError(m_file.fileName(), true);
}

// The new name reaches the disk with its folder. A folder that may be written but not read
// cannot be opened to be synced: its whole file system is synced instead.
void ReplacingFile::syncFolder() {
    const int folder = ::openat(m_folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = folder >= 0 ? ::fsync(folder) == 0 : errno == EACCES && ::syncfs(m_fd) == 0;
    const int error = errno;
    if (folder >= 0)
        ::close(folder);
    errno = error;
    if (!synced)
        throw systemError(m_file.fileName(), true);
}

void ReplacingFile::closeDescriptor() {
    m_file.close();
    const int fd = m_fd;
    m_fd = -1;
    if (!closeReportingErrors(fd))
        throw systemError(m_file.fileName(), true);
}

void ReplacingFile::commit() {
    if (m_borrowed) {
        // Closing a copy shows what closing the output would, and keeps the descriptor taken.
        m_file.close();
        const int copy = ::dup(m_fd);
        if (copy < 0 || !closeReportingErrors(copy))
            throw systemError(m_file.fileName(), true);
        return;
    }
    if (m_streamed) {
        closeDescriptor();
        return;
    }
    applyMetadata();
    // Every byte and the metadata reach the disk before the file takes the target's name, so
    // a failure here leaves the previous file in place. The folder's sync makes the new name
    // last; its failure is reported too, though the new file is then already in place.
    if (::fsync(m_fd) != 0)
        throw systemError(m_file.fileName(), true);
    if (m_temporaryName.isEmpty())
        nameTemporary();
    if (::renameat(m_folderFd, m_temporaryName.constData(), m_folderFd, m_name.constData()) != 0)
        throw systemError(m_file.fileName(), true);
    m_temporaryName.clear();
    m_removal.reset();
    syncFolder();
    closeDescriptor();
}

} // namespace platform
