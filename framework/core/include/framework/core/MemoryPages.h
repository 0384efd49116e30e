#pragma once

#include <cstddef>

// Hints to the kernel about large blocks of memory. Both are only advice:
// where the kernel declines, nothing changes but speed or footprint.

// Asks for transparent huge pages for the whole 2 MB pages inside the block.
// Call it before the block is first written: each 4 KB page of fresh memory
// costs a fault, and a million-line load writes tens of thousands of them.
void AdviseHugePages(void* data, std::size_t size) noexcept;

// Gives the whole pages inside the block back to the system. The block stays
// allocated and its owner still frees it, but its bytes read as 0 afterwards:
// call it only on bytes that will not be read again.
void DiscardPages(void* data, std::size_t size) noexcept;
