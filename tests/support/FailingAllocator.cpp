#include "support/FailingAllocator.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> countdown{0};
std::atomic<bool> failed{false};

}  // namespace

void FailAllocationsAfter(long count) noexcept
{
    failed = false;
    countdown = count;
}

void StopFailingAllocations() noexcept
{
    countdown = 0;
}

bool AllocationFailed() noexcept
{
    return failed;
}

void* operator new(std::size_t size)
{
    if (countdown.load(std::memory_order_relaxed) > 0 && --countdown == 0) {
        failed = true;
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

// The other forms go the same way, so that what one form allocates another
// frees, even where a sanitizer's runtime brings forms of its own.
void* operator new[](std::size_t size)
{
    return ::operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return ::operator new(size, std::nothrow);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

// Over-aligned forms, which large blocks use: they fail in the same count.
void* operator new(std::size_t size, std::align_val_t alignment)
{
    if (countdown.load(std::memory_order_relaxed) > 0 && --countdown == 0) {
        failed = true;
        throw std::bad_alloc();
    }
    void* memory = nullptr;
    const std::size_t aligned = std::max(static_cast<std::size_t>(alignment), sizeof(void*));
    if (::posix_memalign(&memory, aligned, size == 0 ? 1 : size) == 0)
        return memory;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return ::operator new(size, alignment);
}

void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    try {
        return ::operator new(size, alignment);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return ::operator new(size, alignment, std::nothrow);
}

void operator delete(void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(memory);
}
