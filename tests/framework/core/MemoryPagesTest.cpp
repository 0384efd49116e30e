#include "framework/core/MemoryPages.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// Fresh anonymous memory, unmapped on scope exit.
class Mapping {
public:
    explicit Mapping(std::size_t size)
        : size_(size), data_(::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0))
    {
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    ~Mapping()
    {
        if (data_ != MAP_FAILED)
            ::munmap(data_, size_);
    }
    bool Ok() const { return data_ != MAP_FAILED; }
    std::byte* Bytes() const { return static_cast<std::byte*>(data_); }

    // Whether each small page is in memory.
    std::vector<bool> Resident() const
    {
        const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        std::vector<unsigned char> flags(size_ / page);
        EXPECT_EQ(::mincore(data_, size_, flags.data()), 0);
        std::vector<bool> resident;
        for (const unsigned char flag : flags)
            resident.push_back((flag & 1) != 0);
        return resident;
    }

private:
    std::size_t size_;
    void* data_;
};

TEST(ProvidePages, ProvidesEveryPageTheRangeTouchesAndNoOther)
{
    // 10 MB whatever the huge page alignment: whole huge pages and parts of
    // others, in a range that starts and ends inside small pages.
    constexpr std::size_t size = std::size_t{10} << 20;
    const Mapping mapping(size);
    ASSERT_TRUE(mapping.Ok());
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t from = 3 * page + 100;
    const std::size_t to = size - 5 * page - 100;
    AdviseHugePages(mapping.Bytes() + from, to - from);
    ProvidePages(mapping.Bytes() + from, to - from);

    const std::vector<bool> resident = mapping.Resident();
    for (std::size_t i = from / page; i <= (to - 1) / page; ++i)
        ASSERT_TRUE(resident[i]) << "page " << i << " is in the range";
    // A huge page may bring in its neighbours, but nothing before the huge
    // page that holds the range's start, or after the one that holds its end.
    const std::size_t hugePage = std::size_t{2} << 20;
    const auto base = reinterpret_cast<std::uintptr_t>(mapping.Bytes());
    for (std::size_t i = 0; i < resident.size(); ++i) {
        const std::uintptr_t at = base + i * page;
        if (at < ((base + from) & ~(hugePage - 1)) || at >= ((base + to + hugePage - 1) & ~(hugePage - 1))) {
            ASSERT_FALSE(resident[i]) << "page " << i << " lies outside the range's huge pages";
        }
    }
    for (std::size_t i = from; i < to; i += 4099)
        ASSERT_EQ(mapping.Bytes()[i], std::byte{0});
}

TEST(ProvidePages, EmptyAndTinyRangesAreFine)
{
    const Mapping mapping(std::size_t{1} << 20);
    ASSERT_TRUE(mapping.Ok());
    ProvidePages(mapping.Bytes(), 0);
    EXPECT_FALSE(mapping.Resident()[0]);
    ProvidePages(mapping.Bytes() + 10, 1);
    EXPECT_TRUE(mapping.Resident()[0]);
    EXPECT_FALSE(mapping.Resident()[1]);
}

}  // namespace
