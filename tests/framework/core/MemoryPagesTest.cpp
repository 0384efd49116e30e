// Large blocks: on a huge page boundary from 2 MB on, aligned as asked below
// that, every byte usable, and freed as they were allocated.

#include "framework/core/MemoryPages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t HugePage = std::size_t{2} << 20;

bool AlignedTo(const void* block, std::size_t alignment)
{
    return reinterpret_cast<std::uintptr_t>(block) % alignment == 0;
}

// Writes every byte of the block and reads it back, so that a block shorter
// than asked for shows up under the address sanitizer as well as here.
void ExpectEveryByteHolds(void* block, std::size_t size)
{
    auto* const bytes = static_cast<unsigned char*>(block);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7);
    for (std::size_t i = 0; i < size; i += 4093)
        ASSERT_EQ(bytes[i], static_cast<unsigned char>(i * 7)) << "at " << i;
    ASSERT_EQ(bytes[size - 1], static_cast<unsigned char>((size - 1) * 7));
}

TEST(LargeBlock, FromTwoMegabytesOnStartsOnAHugePageBoundary)
{
    for (const std::size_t size : {HugePage, HugePage + 1, 3 * HugePage - 70, 7'000'064ul}) {
        void* const block = AllocateLargeBlock(size, 8);
        EXPECT_TRUE(AlignedTo(block, HugePage)) << size << " bytes";
        ExpectEveryByteHolds(block, size);
        FreeLargeBlock(block, size, 8);
    }
}

TEST(LargeBlock, SmallerBlocksKeepTheAlignmentAskedFor)
{
    for (const std::size_t alignment : {std::size_t{8}, std::size_t{16}, std::size_t{64}, std::size_t{4096}}) {
        for (const std::size_t size : {std::size_t{1}, std::size_t{70}, HugePage - 1}) {
            void* const block = AllocateLargeBlock(size, alignment);
            EXPECT_TRUE(AlignedTo(block, alignment)) << size << " bytes, aligned to " << alignment;
            ExpectEveryByteHolds(block, size);
            FreeLargeBlock(block, size, alignment);
        }
    }
}

}  // namespace
