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
//   VRL_FAULT_SYNC_ERRNO=EIO    fsync and fdatasync of regular files fail with that error
//   VRL_FAULT_RECORD=FILE       appends a line to FILE for each call that decides what
//                               reaches the disk, in order (see the block below)
// Only writes to regular files and pipes count, and never those to standard error, so that
// messages still get out.
// Resource limits (the block at the end):
//   VRL_FAULT_THREADS=N         N threads start, every later start fails with EAGAIN, as
//                               under a process limit
//   VRL_FAULT_ALLOC_LIMIT=N     allocations of N bytes or more fail (malloc and its kin,
//                               anonymous mmap), as under a memory limit
//   VRL_FAULT_FSIZE=N           the file-size limit (RLIMIT_FSIZE) is N bytes from the start
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <ctime>
#include <string>

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
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

int errnoSetting(const char* name) {
    const char* value = std::getenv(name);
    if (!value)
        return 0;
    if (std::strcmp(value, "ENOSPC") == 0)
        return ENOSPC;
    if (std::strcmp(value, "EIO") == 0)
        return EIO;
    return std::atoi(value);
}

int failureErrno() {
    return errnoSetting("VRL_FAULT_ERRNO");
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

// The call record: one line per call, "CALL DEV:INO PATH", where DEV:INO names the file the
// call works on (a rename's or link's source, taken before the call) and PATH is where it
// is; a rename or link adds "-> TARGET". Only successful calls are recorded, and a run of
// writes to the same regular file gives one line "write DEV:INO PATH".
namespace record {

using RenameAt2Fn = int (*)(int, const char*, int, const char*, unsigned);

std::string identity(const struct stat& info) {
    return std::to_string(info.st_dev) + ':' + std::to_string(info.st_ino);
}

std::string pathOf(int fd) {
    char path[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = readlink(link.c_str(), path, sizeof path - 1);
    return length < 0 ? std::string("?") : std::string(path, size_t(length));
}

std::string pathAt(int folder, const char* name) {
    if (name[0] == '/')
        return name;
    if (folder != AT_FDCWD)
        return pathOf(folder) + '/' + name;
    char cwd[4096];
    return std::string(getcwd(cwd, sizeof cwd) ? cwd : "?") + '/' + name;
}

std::atomic<bool> lastWasWrite{false};
std::atomic<unsigned long long> lastWritten{0};

// Read and opened anew for each line, so that a test program preloaded with this library
// may set VRL_FAULT_RECORD for one case at a time.
void line(const std::string& text) {
    const char* const file = std::getenv("VRL_FAULT_RECORD");
    if (!file)
        return;
    static const OpenFn realOpen = next<OpenFn>("open");
    static const WriteFn realWrite = next<WriteFn>("write");
    const int fd = realOpen(file, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    const std::string whole = text + '\n';
    if (fd >= 0) {
        (void)realWrite(fd, whole.data(), whole.size());
        close(fd);
    }
    lastWasWrite = false;
}

void written(int fd) {
    struct stat info {};
    if (!std::getenv("VRL_FAULT_RECORD") || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return;
    if (lastWasWrite && lastWritten == info.st_ino)
        return;
    line("write " + identity(info) + ' ' + pathOf(fd));
    lastWritten = info.st_ino;
    lastWasWrite = true;
}

void onDescriptor(const char* call, int fd) {
    struct stat info {};
    if (fstat(fd, &info) == 0)
        line(std::string(call) + ' ' + identity(info) + ' ' + pathOf(fd));
}

// The file at `name` in `folder` before a call changes what that name stands for.
std::string before(int folder, const char* name, int flags) {
    struct stat info {};
    return fstatat(folder, name, &info, flags) == 0 ? identity(info) : std::string("?");
}

int failedSync(int fd) {
    struct stat info {};
    const int error = errnoSetting("VRL_FAULT_SYNC_ERRNO");
    return error != 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? error : 0;
}

template <typename Fn> int synced(const char* call, int fd) {
    if (const int error = failedSync(fd)) {
        errno = error;
        return -1;
    }
    const int result = next<Fn>(call)(fd);
    if (result == 0)
        onDescriptor(call, fd);
    return result;
}

int renamed(int from, const char* oldName, int to, const char* newName, unsigned flags) {
    const std::string file = before(from, oldName, AT_SYMLINK_NOFOLLOW);
    const std::string source = pathAt(from, oldName);
    const int result = next<RenameAt2Fn>("renameat2")(from, oldName, to, newName, flags);
    if (result == 0)
        line("rename " + file + ' ' + source + " -> " + pathAt(to, newName));
    return result;
}

} // namespace record

extern "C" {

int fsync(int fd) {
    return record::synced<int (*)(int)>("fsync", fd);
}

int fdatasync(int fd) {
    return record::synced<int (*)(int)>("fdatasync", fd);
}

int rename(const char* from, const char* to) {
    return record::renamed(AT_FDCWD, from, AT_FDCWD, to, 0);
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    return record::renamed(fromFolder, from, toFolder, to, 0);
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags) {
    return record::renamed(fromFolder, from, toFolder, to, flags);
}

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    using LinkAtFn = int (*)(int, const char*, int, const char*, int);
    const int follow = (flags & AT_EMPTY_PATH)       ? AT_EMPTY_PATH
                       : (flags & AT_SYMLINK_FOLLOW) ? 0
                                                     : AT_SYMLINK_NOFOLLOW;
    const std::string file = record::before(fromFolder, from, follow);
    const int result = next<LinkAtFn>("linkat")(fromFolder, from, toFolder, to, flags);
    if (result == 0)
        record::line("link " + file + ' ' + record::pathAt(fromFolder, from) + " -> " +
                     record::pathAt(toFolder, to));
    return result;
}

int unlinkat(int folder, const char* name, int flags) {
    using UnlinkAtFn = int (*)(int, const char*, int);
    const std::string file = record::before(folder, name, AT_SYMLINK_NOFOLLOW);
    const int result = next<UnlinkAtFn>("unlinkat")(folder, name, flags);
    if (result == 0)
        record::line("unlink " + file + ' ' + record::pathAt(folder, name));
    return result;
}

int unlink(const char* name) {
    return unlinkat(AT_FDCWD, name, 0);
}

} // extern "C"

extern "C" {

ssize_t write(int fd, const void* data, size_t length) {
    static const WriteFn realWrite = next<WriteFn>("write");
    record::written(fd);
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

// ---- Resource limits ----

namespace {

using MallocFn = void* (*)(size_t);
using CallocFn = void* (*)(size_t, size_t);
using ReallocFn = void* (*)(void*, size_t);
using MemalignFn = int (*)(void**, size_t, size_t);
using AlignedAllocFn = void* (*)(size_t, size_t);
using MmapFn = void* (*)(void*, size_t, int, int, int, off_t);
using ThreadStartFn = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

// Read once; getenv allocates nothing, so it is safe inside malloc.
size_t allocationLimit() {
    static const long long limit = setting("VRL_FAULT_ALLOC_LIMIT", 0);
    return limit > 0 ? size_t(limit) : SIZE_MAX;
}

bool refused(size_t bytes) {
    if (bytes < allocationLimit())
        return false;
    errno = ENOMEM;
    return true;
}

// The next definition of an allocator entry point, looked up on first use into `slot` (a
// plain variable: a guarded static would abort when dlsym allocates while it is set up).
// While dlsym runs, the allocator's own entry point serves.
template <typename Fn> Fn nextAllocator(Fn& slot, const char* name, Fn fallback) {
    static bool resolving = false;
    if (slot)
        return slot;
    if (resolving)
        return fallback;
    resolving = true;
    const Fn found = next<Fn>(name);
    resolving = false;
    slot = found ? found : fallback;
    return slot;
}

MallocFn realMalloc = nullptr;
CallocFn realCalloc = nullptr;
ReallocFn realRealloc = nullptr;

__attribute__((constructor)) void limitFileSize() {
    if (const long long limit = setting("VRL_FAULT_FSIZE", -1); limit >= 0) {
        const rlimit fsize{rlim_t(limit), rlim_t(limit)};
        setrlimit(RLIMIT_FSIZE, &fsize);
    }
}

} // namespace

extern "C" {

void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);

void* malloc(size_t bytes) {
    return refused(bytes) ? nullptr : nextAllocator(realMalloc, "malloc", __libc_malloc)(bytes);
}

void* calloc(size_t count, size_t size) {
    if (size != 0 && refused(count > SIZE_MAX / size ? SIZE_MAX : count * size))
        return nullptr;
    return nextAllocator(realCalloc, "calloc", __libc_calloc)(count, size);
}

void* realloc(void* memory, size_t bytes) {
    if (refused(bytes))
        return nullptr;
    return nextAllocator(realRealloc, "realloc", __libc_realloc)(memory, bytes);
}

int posix_memalign(void** memory, size_t alignment, size_t bytes) {
    static const MemalignFn real = next<MemalignFn>("posix_memalign");
    return refused(bytes) ? ENOMEM : real(memory, alignment, bytes);
}

void* aligned_alloc(size_t alignment, size_t bytes) {
    static const AlignedAllocFn real = next<AlignedAllocFn>("aligned_alloc");
    return refused(bytes) ? nullptr : real(alignment, bytes);
}

void* mmap(void* address, size_t length, int protection, int flags, int fd, off_t offset) {
    static const MmapFn real = next<MmapFn>("mmap");
    if ((flags & MAP_ANONYMOUS) && refused(length))
        return MAP_FAILED;
    return real(address, length, protection, flags, fd, offset);
}
void* mmap64(void* address, size_t length, int protection, int flags, int fd, off_t offset)
    __attribute__((alias("mmap")));

int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*),
                   void* argument) {
    static const ThreadStartFn real = next<ThreadStartFn>("pthread_create");
    static std::atomic<long long> started{0};
    if (const long long allowed = setting("VRL_FAULT_THREADS", -1);
        allowed >= 0 && started++ >= allowed)
        return EAGAIN;
    return real(thread, attributes, start, argument);
}

} // extern "C"
