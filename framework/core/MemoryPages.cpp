#include "framework/core/MemoryPages.h"

#include <cstdint>
#include <sys/mman.h>

namespace {

constexpr std::uintptr_t HugePageSize = std::uintptr_t{2} << 20;

// Calls madvise on the whole `page`-sized pages inside [data, data + size).
void AdviseWholePages(void* data, std::size_t size, std::uintptr_t page, int advice) noexcept
{
    const auto from = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (from + page - 1) & ~(page - 1);
    const std::uintptr_t end = (from + size) & ~(page - 1);
    if (begin < end)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, advice);
}

}  // namespace

void AdviseHugePages(void* data, std::size_t size) noexcept
{
    AdviseWholePages(data, size, HugePageSize, MADV_HUGEPAGE);
}
