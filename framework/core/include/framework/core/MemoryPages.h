#pragma once

#include <cstddef>

// A hint to the kernel about large blocks of memory. It is only advice:
// where the kernel declines, nothing changes but speed or footprint.

// Asks for transparent huge pages for the whole 2 MB pages inside the block.
// Call it before the block is first written: each 4 KB page of fresh memory
// costs a fault, and a million-line load writes tens of thousands of them.
void AdviseHugePages(void* data, std::size_t size) noexcept;
