#include "platform/WorkMemory.h"

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::uintptr_t HugePage = std::uintptr_t(2) << 20;

std::uintptr_t roundUp(std::uintptr_t value, std::uintptr_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

std::size_t pageSize() {
    return std::size_t(sysconf(_SC_PAGESIZE));
}

} // namespace

void* mapWorkMemory(std::size_t bytes) {
    if (bytes == 0)
        return nullptr;
    const std::size_t length = roundUp(bytes, pageSize());
    if (length + HugePage < length)
        return nullptr;
    // Mapped a huge page larger, then trimmed to a huge-page boundary, so that the kernel can
    // back it with huge pages from the first byte.
    void* mapped = mmap(nullptr, length + HugePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const auto base = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t start = roundUp(base, HugePage);
    if (start > base)
        munmap(mapped, start - base);
    const std::uintptr_t end = start + length, mappedEnd = base + length + HugePage;
    if (mappedEnd > end)
        munmap(reinterpret_cast<void*>(end), mappedEnd - end);

    auto* memory = reinterpret_cast<unsigned char*>(start);
#ifdef MADV_HUGEPAGE
    madvise(memory, length, MADV_HUGEPAGE);
#endif
#ifdef MADV_DONTDUMP
    madvise(memory, length, MADV_DONTDUMP);
#endif
    const std::size_t page = pageSize();
    for (std::size_t offset = 0; offset < length; offset += page)
        static_cast<volatile unsigned char*>(memory)[offset] = 0;
    return memory;
}

void unmapWorkMemory(void* memory, std::size_t bytes) {
    if (memory)
        munmap(memory, roundUp(bytes, pageSize()));
}

} // namespace platform
