#pragma once

#include <cstddef>

// Large blocks of memory and the hints the kernel takes about them. Hints
// are only advice: where the kernel declines, nothing changes but speed or
// footprint.

// Asks for transparent huge pages for the whole 2 MB pages inside the block.
// Call it before the block is first written: each 4 KB page of fresh memory
// costs a fault, and a million-line load writes tens of thousands of them.
void AdviseHugePages(void* data, std::size_t size) noexcept;

// Has the kernel provide the whole 4 KB pages inside the block now, as a
// first write would, leaving what they hold as it is: a spare thread can
// take the clearing of fresh pages off the thread that writes them next.
// Advice only: a kernel older than 5.14 declines.
void ProvidePages(void* data, std::size_t size) noexcept;

// Memory for a block of `size` bytes aligned to `alignment` (a power of two),
// as operator new gives it. From 2 MB on, the block starts on a 2 MB boundary
// and spans whole 2 MB pages, advised as above, so that no part of it is left
// to 4 KB pages: up to 2 MB more is reserved, and a write anywhere in the last
// huge page makes all of it resident. Throws std::bad_alloc.
void* AllocateLargeBlock(std::size_t size, std::size_t alignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__);

// Frees what AllocateLargeBlock gave, with the same `size` and `alignment`.
void FreeLargeBlock(void* block, std::size_t size, std::size_t alignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__) noexcept;
