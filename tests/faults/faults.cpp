// A preload library that makes file output fail the way disks and file systems do, for the
// fault-injection suite. Loaded with LD_PRELOAD into a program; everything is set through
// the environment and nothing changes without it:
//   VRL_FAULT_ERRNO=ENOSPC|EIO  writes fail with that error once VRL_FAULT_AFTER bytes
//                               (default 0) were written; the write that crosses the limit
//                               writes the bytes up to it and returns short
//   VRL_FAULT_SHORT=N           every write writes at most N bytes and returns short
//   VRL_FAULT_NO_TMPFILE=1      opening an unnamed temporary file (O_TMPFILE) fails with
//                               EOPNOTSUPP, as on file systems without them
//   VRL_FAULT_STALL_AFTER=N     once N bytes were written, the next write creates the file
//                               VRL_FAULT_STALL_READY and waits until VRL_FAULT_STALL_GO
//                               exists (a test kills the process there, or changes a file)
// Only writes to regular files and pipes count, and never those to standard error, so that
// messages still get out.
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using WriteFn = ssize_t (*)(int, const void*, size_t);
using OpenFn = int (*)(const char*, int, ...);
using OpenAtFn = int (*)(int, const char*, int, ...);

template <typename Fn> Fn next(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

long long setting(const char* name, long long fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoll(value) : fallback;
}

int failureErrno() {
    const char* value = std::getenv("VRL_FAULT_ERRNO");
    if (!value)
        return 0;
    if (std::strcmp(value, "ENOSPC") == 0)
        return ENOSPC;
    if (std::strcmp(value, "EIO") == 0)
        return EIO;
    return std::atoi(value);
}

std::atomic<long long> written{0};
std::atomic<bool> stalled{false};

bool counted(int fd) {
    struct stat info {};
    return fd != STDERR_FILENO && fstat(fd, &info) == 0 &&
           (S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode));
}

bool exists(const char* path) {
    struct stat info {};
    return path && stat(path, &info) == 0;
}

void stallOnce() {
    if (stalled.exchange(true))
        return;
    static const OpenFn realOpen = next<OpenFn>("open");
    if (const char* ready = std::getenv("VRL_FAULT_STALL_READY")) {
        const int fd = realOpen(ready, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0)
            close(fd);
    }
    const char* go = std::getenv("VRL_FAULT_STALL_GO");
    const timespec pause{0, 10'000'000};
    while (!exists(go))
        nanosleep(&pause, nullptr);
}

bool refusesTmpfile(int flags) {
    return (flags & O_TMPFILE) == O_TMPFILE && setting("VRL_FAULT_NO_TMPFILE", 0) != 0;
}

int modeOf(int flags, va_list args) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, int) : 0;
}

// Calls the real open with the path arguments `lead`, unless it is refused.
template <typename Fn, typename... Lead> int opened(Fn real, int flags, int mode, Lead... lead) {
    if (refusesTmpfile(flags)) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return real(lead..., flags, mode);
}

} // namespace

extern "C" {

ssize_t write(int fd, const void* data, size_t length) {
    static const WriteFn realWrite = next<WriteFn>("write");
    if (length == 0 || !counted(fd))
        return realWrite(fd, data, length);
    const long long stallAfter = setting("VRL_FAULT_STALL_AFTER", -1);
    if (stallAfter >= 0 && written.load() >= stallAfter)
        stallOnce();
    if (const long long shortest = setting("VRL_FAULT_SHORT", 0); shortest > 0)
        length = length < size_t(shortest) ? length : size_t(shortest);
    if (const int error = failureErrno()) {
        const long long room = setting("VRL_FAULT_AFTER", 0) - written.load();
        if (room <= 0) {
            errno = error;
            return -1;
        }
        length = length < size_t(room) ? length : size_t(room);
    }
    const ssize_t done = realWrite(fd, data, length);
    if (done > 0)
        written += done;
    return done;
}

int open(const char* path, int flags, ...) {
    static const OpenFn real = next<OpenFn>("open");
    va_list args;
    va_start(args, flags);
    const int mode = modeOf(flags, args);
    va_end(args);
    return opened(real, flags, mode, path);
}

int openat(int folder, const char* path, int flags, ...) {
    static const OpenAtFn real = next<OpenAtFn>("openat");
    va_list args;
    va_start(args, flags);
    const int mode = modeOf(flags, args);
    va_end(args);
    return opened(real, flags, mode, folder, path);
}

// The 64-bit names are the same calls on the platforms this runs on.
int open64(const char* path, int flags, ...) __attribute__((alias("open")));
int openat64(int folder, const char* path, int flags, ...) __attribute__((alias("openat")));

} // extern "C"
