// Large blocks: from 2 MB on, whole huge pages from a huge page boundary;
// below that, aligned as asked; every byte usable, and freed as allocated.

#include "framework/core/MemoryPages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/mman.h>

namespace {

constexpr std::size_t HugePage = std::size_t{2} << 20;

bool AlignedTo(const void* block, std::size_t alignment)
{
    return reinterpret_cast<std::uintptr_t>(block) % alignment == 0;
}

// Whether the mapping that holds `address` is advised to take huge pages, as
// /proc/self/smaps tells ("hg" among its VmFlags).
bool AdvisedForHugePages(const void* address)
{
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    bool inMapping = false;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t begin = 0;
        std::uintptr_t end = 0;
        char dash = 0;
        std::istringstream fields(line);
        if (fields >> std::hex >> begin >> dash >> end && dash == '-') {
            inMapping = begin <= at && at < end;
        } else if (inMapping && line.starts_with("VmFlags:")) {
            return (line + ' ').find(" hg ") != std::string::npos;
        }
    }
    return false;
}

// Every byte of the block written: a block shorter than asked for shows up
// under the address sanitizer.
void WriteEveryByte(void* block, std::size_t size)
{
    std::memset(block, 0x5A, size);
}

TEST(LargeBlock, FromTwoMegabytesOnSpansWholeHugePagesFromABoundary)
{
    if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage"))
        GTEST_SKIP() << "this kernel has no transparent huge pages";
    for (const std::size_t alignment : {std::size_t{1}, std::size_t{64}, 2 * HugePage}) {
        for (const std::size_t size : {HugePage, HugePage + 1, 3 * HugePage - 70, std::size_t{7'000'064}}) {
            void* const block = AllocateLargeBlock(size, alignment);
            EXPECT_TRUE(AlignedTo(block, std::max(alignment, HugePage))) << size << " bytes, aligned to " << alignment;
            EXPECT_TRUE(AdvisedForHugePages(block)) << size << " bytes";
            EXPECT_TRUE(AdvisedForHugePages(static_cast<char*>(block) + size - 1))
                << "the last of " << size << " bytes";
            WriteEveryByte(block, size);
            FreeLargeBlock(block, size, alignment);
        }
    }
}

TEST(LargeBlock, SmallerBlocksKeepTheAlignmentAskedFor)
{
    for (const std::size_t alignment : {std::size_t{1}, std::size_t{8}, std::size_t{64}, std::size_t{4096}}) {
        for (const std::size_t size : {std::size_t{1}, std::size_t{70}, HugePage - 1}) {
            void* const block = AllocateLargeBlock(size, alignment);
            EXPECT_TRUE(AlignedTo(block, alignment)) << size << " bytes, aligned to " << alignment;
            WriteEveryByte(block, size);
            FreeLargeBlock(block, size, alignment);
        }
    }
}

TEST(ProvidePages, MakesTheWholePagesResidentAndKeepsWhatTheyHold)
{
    constexpr std::size_t page = 4096;
    constexpr std::size_t pages = 64;
    void* const mapped = ::mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    auto* const bytes = static_cast<unsigned char*>(mapped);
    std::memset(bytes, 0x5A, 3 * page);
    // From inside the first page to inside the last: those two are not whole.
    ProvidePages(bytes + 100, pages * page - 200);
    std::vector<unsigned char> resident(pages);
    ASSERT_EQ(::mincore(mapped, pages * page, resident.data()), 0);
    EXPECT_TRUE(std::all_of(resident.begin() + 1, resident.end() - 1, [](unsigned char in) { return (in & 1) != 0; }))
        << "on a kernel from 5.14 on";
    EXPECT_FALSE(resident.back() & 1) << "the last page, not whole, left to its first write";
    EXPECT_TRUE(std::all_of(bytes, bytes + 3 * page, [](unsigned char byte) { return byte == 0x5A; }));
    EXPECT_EQ(bytes[3 * page], 0);
    ::munmap(mapped, pages * page);
}

}  // namespace
