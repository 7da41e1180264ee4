#include "platform/large_pages.h"

#include <cstdint>
#include <sys/mman.h>

namespace tw {

void adviseLargePages(const void *start, size_t bytes)
{
    constexpr uintptr_t largePage = uintptr_t(2) << 20;
    const uintptr_t first = (uintptr_t(start) + largePage - 1) & ~(largePage - 1);
    const uintptr_t end = (uintptr_t(start) + bytes) & ~(largePage - 1);
    // Advice only: a kernel without large pages refuses it and nothing changes.
    if (end > first)
        ::madvise(reinterpret_cast<void *>(first), end - first, MADV_HUGEPAGE);
}

} // namespace tw
