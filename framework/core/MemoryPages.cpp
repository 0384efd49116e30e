#include "framework/core/MemoryPages.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace {

constexpr std::uintptr_t HugePageSize = std::uintptr_t{2} << 20;
constexpr std::uintptr_t PageSize = 4096;

// Calls madvise on the whole `page`-sized pages inside [data, data + size).
void AdviseWholePages(void* data, std::size_t size, std::uintptr_t page, int advice) noexcept
{
    const auto from = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (from + page - 1) & ~(page - 1);
    const std::uintptr_t end = (from + size) & ~(page - 1);
    if (begin < end)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, advice);
}

bool IsLarge(std::size_t size) noexcept
{
    return size >= HugePageSize;
}

// A size too large to round up is left as it is: operator new refuses it.
std::size_t WholeHugePages(std::size_t size) noexcept
{
    return size <= SIZE_MAX - (HugePageSize - 1) ? (size + HugePageSize - 1) & ~(HugePageSize - 1) : size;
}

// Blocks as large as a huge page take whole huge pages, from a boundary.
// 1M lines, mixed, stockdump: 107 -> 85 ms, RSS 95 -> 97 MiB.
std::size_t BlockAlignment(std::size_t size, std::size_t alignment) noexcept
{
    return IsLarge(size) ? std::max<std::size_t>(HugePageSize, alignment) : alignment;
}

}  // namespace

void AdviseHugePages(void* data, std::size_t size) noexcept
{
    AdviseWholePages(data, size, HugePageSize, MADV_HUGEPAGE);
}

void ProvidePages(void* data, std::size_t size) noexcept
{
    AdviseWholePages(data, size, PageSize, MADV_POPULATE_WRITE);
}

void* AllocateLargeBlock(std::size_t size, std::size_t alignment)
{
    assert(std::has_single_bit(alignment) && "an alignment is a power of two");
    const std::size_t aligned = BlockAlignment(size, alignment);
    if (aligned <= __STDCPP_DEFAULT_NEW_ALIGNMENT__)
        return ::operator new(size);
    if (!IsLarge(size))
        return ::operator new(size, std::align_val_t(aligned));
    const std::size_t whole = WholeHugePages(size);
    void* const block = ::operator new(whole, std::align_val_t(aligned));
    AdviseHugePages(block, whole);
    return block;
}

void FreeLargeBlock(void* block, std::size_t size, std::size_t alignment) noexcept
{
    const std::size_t aligned = BlockAlignment(size, alignment);
    if (aligned <= __STDCPP_DEFAULT_NEW_ALIGNMENT__)
        ::operator delete(block);
    else
        ::operator delete(block, std::align_val_t(aligned));
}
