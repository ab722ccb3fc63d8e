#pragma once

#include <cstddef>

namespace platform {

// Large scratch memory for memory-hard work: mapped on huge pages where the system offers
// them, with every page faulted in up front (faults on small pages cost more than the work
// itself), and left out of core dumps. Returns nullptr when the memory cannot be had.
[[nodiscard]] void* MapWorkMemory(std::size_t bytes);

// Gives back memory from MapWorkMemory; `bytes` is the size it was mapped with. The caller
// wipes what must not linger first.
void UnmapWorkMemory(void* memory, std::size_t bytes);

} // namespace platform
