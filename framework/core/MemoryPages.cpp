#include "framework/core/MemoryPages.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <sys/mman.h>

namespace {

constexpr std::uintptr_t SmallPageSize = 4096;
constexpr std::uintptr_t HugePageSize = std::uintptr_t{2} << 20;
// A huge page the kernel has at hand takes about 0.25 ms to provide, its
// small pages about 1 ms; one that the host has to give back first, 3 ms
// or more.
constexpr auto SlowHugePage = std::chrono::microseconds(1500);

// Calls madvise on the whole `page`-sized pages inside [data, data + size).
void AdviseWholePages(void* data, std::size_t size, std::uintptr_t page, int advice) noexcept
{
    const auto from = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (from + page - 1) & ~(page - 1);
    const std::uintptr_t end = (from + size) & ~(page - 1);
    if (begin < end)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, advice);
}

// Writes a 0 byte to each small page that [from, to) touches.
void WriteEachPage(std::uintptr_t from, std::uintptr_t to) noexcept
{
    for (std::uintptr_t page = from & ~(SmallPageSize - 1); page < to; page += SmallPageSize)
        *reinterpret_cast<volatile unsigned char*>(std::max(page, from)) = 0;
}

}  // namespace

void AdviseHugePages(void* data, std::size_t size) noexcept
{
    AdviseWholePages(data, size, HugePageSize, MADV_HUGEPAGE);
}

void ProvidePages(void* data, std::size_t size) noexcept
{
    using Clock = std::chrono::steady_clock;
    const auto from = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t end = from + size;
    for (std::uintptr_t at = from; at < end;) {
        const std::uintptr_t next = std::min(end, (at & ~(HugePageSize - 1)) + HugePageSize);
        const auto start = Clock::now();
        WriteEachPage(at, next);
        // Only a whole huge page tells how quickly huge pages come.
        if (next - at == HugePageSize && next < end && Clock::now() - start > SlowHugePage) {
            AdviseWholePages(reinterpret_cast<void*>(next), end - next, HugePageSize, MADV_NOHUGEPAGE);
            WriteEachPage(next, end);
            return;
        }
        at = next;
    }
}
