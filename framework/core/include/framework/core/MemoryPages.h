#pragma once

#include <cstddef>

// Hints to the kernel about large blocks of memory. They are only advice:
// where the kernel declines, nothing changes but speed or footprint.

// Asks for transparent huge pages for the whole 2 MB pages inside the block.
// Call it before the block is first written: each 4 KB page of fresh memory
// costs a fault, and a million-line load writes tens of thousands of them.
void AdviseHugePages(void* data, std::size_t size) noexcept;

// Has the kernel provide the pages of a block advised as above now, by
// writing a 0 byte to each: in huge pages while they come quickly, in small
// pages from the first huge page that comes slowly. In a virtual machine
// whose host takes back free memory, a huge page the host has taken back
// costs ten times the small pages of the same size, which the guest keeps.
// The block must hold no object yet; threads may each provide a part.
void ProvidePages(void* data, std::size_t size) noexcept;
