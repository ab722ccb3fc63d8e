#include "platform/OutputTarget.h"

#include "platform/NativeName.h"
#include "platform/RuntimeError.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int MaxLinks = 40; // as many as the kernel follows

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.first(slash);
}

QByteArray nameOf(const QByteArray& path) {
    return path.sliced(path.lastIndexOf('/') + 1);
}

void requireFollowable(const QByteArray& link, const struct stat& linkInfo, const QString& name) {
    struct stat folder {};
    if (::stat(folderOf(link).constData(), &folder) != 0)
        throw systemError(name, true);
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    if (shared && linkInfo.st_uid != ::geteuid() && linkInfo.st_uid != folder.st_uid)
        throw RuntimeError(err::PermissionDenied,
                           QStringLiteral("共有フォルダにある他の人のシンボリックリンクは"
                                          "たどりません。"),
                           name);
}

QByteArray linkText(const QByteArray& link, const QString& name) {
    QByteArray text(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink(link.constData(), text.data(), size_t(text.size()));
    if (length < 0)
        throw systemError(name, true);
    if (length == 0 || length >= text.size())
        throw RuntimeError(err::BadFileName, {}, name);
    text.truncate(length);
    return text;
}

void requireWritable(const QByteArray& path, const struct stat& info, const QString& name) {
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 &&
        ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0)
        return;
    throw RuntimeError(err::PermissionDenied,
                       QStringLiteral("読み取り専用のファイルなので書き出せません。"), name);
}

OutputTarget missing(const QByteArray& path, const QString& name) {
    struct stat folder {};
    if (::stat(folderOf(path).constData(), &folder) != 0)
        throw systemError(name, true);
    if (!S_ISDIR(folder.st_mode))
        throw RuntimeError(err::PathNotFound, {}, name);
    return {OutputTarget::Kind::Missing, folderOf(path), nameOf(path), {}};
}

// The descriptor `path` names when its folder is this process's descriptor folder, reached
// as /proc/self/fd, /proc/PID/fd or /dev/fd; it must be open for writing.
std::optional<OutputTarget> descriptorTarget(const QByteArray& path, const QString& name) {
    char* const folder = ::realpath(folderOf(path).constData(), nullptr);
    const bool descriptorFolder =
        folder && QByteArray(folder) == "/proc/" + QByteArray::number(::getpid()) + "/fd";
    std::free(folder);
    if (!descriptorFolder)
        return std::nullopt;
    const QByteArray number = nameOf(path);
    bool isNumber = !number.isEmpty() && std::all_of(number.begin(), number.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    const int fd = isNumber ? number.toInt(&isNumber) : -1;
    if (!isNumber)
        throw RuntimeError(err::BadFileName, {}, name);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0)
        throw RuntimeError(err::BadFileName, QStringLiteral("開かれていないファイル記述子です。"),
                           name);
    if ((flags & O_ACCMODE) == O_RDONLY)
        throw RuntimeError(err::PermissionDenied,
                           QStringLiteral("書き込み用に開かれていないファイル記述子です。"), name);
    OutputTarget target{OutputTarget::Kind::Descriptor, {}, {}, {}};
    target.descriptor = fd;
    return target;
}

} // namespace

OutputTarget resolveOutputTarget(const QString& name) {
    QByteArray path = nativeName(name);
    if (path.isEmpty() || path.endsWith('/'))
        throw RuntimeError(err::BadFileName, {}, name);
    for (int links = 0;; ++links) {
        if (auto descriptor = descriptorTarget(path, name))
            return *descriptor;
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0) {
            if (errno != ENOENT)
                throw systemError(name, true);
            return missing(path, name);
        }
        if (S_ISLNK(info.st_mode)) {
            if (links == MaxLinks)
                throw RuntimeError(err::PathFileAccess, {}, name);
            requireFollowable(path, info, name);
            const QByteArray text = linkText(path, name);
            path = text.startsWith('/') ? text : folderOf(path) + '/' + text;
            continue;
        }
        if (S_ISREG(info.st_mode)) {
            requireWritable(path, info, name);
            return {OutputTarget::Kind::Regular, folderOf(path), nameOf(path), info};
        }
        if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode))
            return {OutputTarget::Kind::Stream, folderOf(path), nameOf(path), info};
        if (S_ISDIR(info.st_mode))
            throw RuntimeError(err::PathFileAccess, {}, name);
        throw RuntimeError(err::PathFileAccess,
                           QStringLiteral("この種類のファイルには書き出せません。"), name);
    }
}

} // namespace platform
