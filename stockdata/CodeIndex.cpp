#include "stockdata/CodeIndex.h"

#include "framework/core/MemoryPages.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cassert>
#include <climits>
#include <cstring>
#include <iterator>
#include <memory>
#include <tuple>

namespace {

// A code as the sort sees it: its 9 bytes as a number of 8 bytes that orders
// as they do, and the ninth, then the record's position for equal codes.
struct SortEntry {
    std::uint64_t key;
    std::uint32_t position;
    std::uint8_t ninth;
};
static_assert(sizeof(STData::code) == sizeof(SortEntry::key) + 2, "9 code bytes, then the terminator");

constexpr std::size_t CodeBytes = sizeof(SortEntry::key) + 1;

SortEntry EntryOf(const STData& record, std::uint32_t position) noexcept
{
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < sizeof(key); ++i)
        key = (key << 8) | static_cast<unsigned char>(record.code[i]);
    return {key, position, static_cast<std::uint8_t>(record.code[sizeof(key)])};
}

unsigned ByteOf(const SortEntry& entry, std::size_t byte) noexcept
{
    return byte < sizeof(entry.key) ? static_cast<unsigned>(entry.key >> (8 * (sizeof(entry.key) - 1 - byte))) & 0xFFU
                                    : entry.ninth;
}

bool Less(const SortEntry& a, const SortEntry& b) noexcept
{
    return std::tie(a.key, a.ninth, a.position) < std::tie(b.key, b.ninth, b.position);
}

// How many entries have each value of code byte `byte`.
std::array<std::size_t, 256> CountByByte(const SortEntry* data, std::size_t n, std::size_t byte) noexcept
{
    std::array<std::size_t, 256> count{};
    for (std::size_t i = 0; i < n; ++i)
        ++count[ByteOf(data[i], byte)];
    return count;
}

// Puts the entries in the order of their code byte `byte`, in place, as
// counted in `count` (one pass of an American flag sort: each entry is
// swapped straight into the next free place of its bucket).
void PlaceByByte(SortEntry* data, std::size_t byte, const std::array<std::size_t, 256>& count) noexcept
{
    std::array<std::size_t, 256> next{};
    std::array<std::size_t, 256> end{};
    for (std::size_t b = 0, at = 0; b < 256; ++b) {
        next[b] = at;
        at += count[b];
        end[b] = at;
    }
    for (unsigned b = 0; b < 256; ++b) {
        while (next[b] < end[b]) {
            SortEntry entry = data[next[b]];
            for (unsigned d; (d = ByteOf(entry, byte)) != b;)
                std::swap(entry, data[next[d]++]);
            data[next[b]++] = entry;
        }
    }
}

// Sorts entries whose code bytes before `byte` are equal, in place, one code
// byte at a time: no second buffer, and no record is read again. Equal
// codes end up ordered by position.
void SortFromByte(SortEntry* data, std::size_t n, std::size_t byte) noexcept
{
    constexpr std::size_t small = 32;
    for (; n > small && byte < CodeBytes; ++byte) {
        const std::array<std::size_t, 256> count = CountByByte(data, n, byte);
        if (std::ranges::find(count, n) != count.end())
            continue;  // all share this byte
        PlaceByByte(data, byte, count);
        for (std::size_t b = 0, at = 0; b < 256; at += count[b], ++b)
            if (count[b] > 1)
                SortFromByte(data + at, count[b], byte + 1);
        return;
    }
    std::sort(data, data + n, Less);
}

// The same on as many threads as `parallelism` allows: the entries are
// split on their first code byte that differs, and threads take the parts
// as they become free.
void SortByCode(SortEntry* data, std::size_t n, const Parallelism& parallelism)
{
    const std::size_t parts = parallelism.PartsFor(n);
    std::size_t byte = 0;
    std::array<std::size_t, 256> count{};
    for (; parts > 1 && byte < CodeBytes; ++byte) {
        count = CountByByte(data, n, byte);
        if (std::ranges::find(count, n) == count.end())
            break;
    }
    if (parts == 1 || byte == CodeBytes) {
        SortFromByte(data, n, 0);
        return;
    }
    PlaceByByte(data, byte, count);
    std::array<std::size_t, 256> start{};
    for (std::size_t b = 1; b < 256; ++b)
        start[b] = start[b - 1] + count[b - 1];
    std::atomic<unsigned> next = 0;
    RunParts(parts, [&](std::size_t) {
        for (unsigned b; (b = next++) < 256;)
            SortFromByte(data + start[b], count[b], byte + 1);
    });
}

}  // namespace

CodeIndex::CodeIndex(std::span<const STData* const> byPosition) : CodeIndex(byPosition, Parallelism::OfMachine()) {}

CodeIndex::CodeIndex(std::span<const STData* const> byPosition, const Parallelism& parallelism) : byPosition_(byPosition)
{
    assert(byPosition.size() <= INT_MAX && "positions are ints");
    const std::size_t n = byPosition.size();
    // 16 bytes a line while the index is built, freed before the list's
    // items are made, which take more. Left uninitialised: the threads that
    // fill them are the first to touch their pages, all at once.
    const auto entries = std::make_unique_for_overwrite<SortEntry[]>(n);
    AdviseHugePages(entries.get(), n * sizeof(SortEntry));
    // The records lie in file order, not view order: fetching some ahead
    // keeps the loop from waiting on memory for every one of them.
    const std::size_t parts = parallelism.PartsFor(n);
    RunParts(parts, [&](std::size_t part) {
        constexpr std::size_t ahead = 16;
        const std::size_t end = n * (part + 1) / parts;
        for (std::size_t i = n * part / parts; i < end; ++i) {
            if (i + ahead < end)
                __builtin_prefetch(byPosition[i + ahead]->code);
            entries[i] = EntryOf(*byPosition[i], static_cast<std::uint32_t>(i));
        }
    });
    SortByCode(entries.get(), n, parallelism);
    order_.reserve(n);
    std::transform(entries.get(), entries.get() + n, std::back_inserter(order_), [](const SortEntry& entry) {
        return entry.position;
    });
}

int CodeIndex::Find(std::string_view prefix, int after) const
{
    if (prefix.empty() || prefix.size() >= sizeof(STData::code) || prefix.find('\0') != std::string_view::npos)
        return -1;
    // Codes are 0-filled fields, so those that start with the prefix are one
    // run in code order.
    const auto compare = [&](std::uint32_t position) {
        return std::memcmp(byPosition_[position]->code, prefix.data(), prefix.size());
    };
    auto first = std::partition_point(order_.begin(), order_.end(), [&](std::uint32_t p) { return compare(p) < 0; });
    const auto end = std::partition_point(first, order_.end(), [&](std::uint32_t p) { return compare(p) == 0; });
    if (after >= 0 && static_cast<std::size_t>(after) < byPosition_.size()) {
        const char* afterCode = byPosition_[static_cast<std::size_t>(after)]->code;
        const auto afterKey = static_cast<std::uint32_t>(after);
        first = std::partition_point(first, end, [&](std::uint32_t p) {
            const int byCode = std::memcmp(byPosition_[p]->code, afterCode, sizeof(STData::code));
            return byCode != 0 ? byCode < 0 : p <= afterKey;
        });
    }
    return first < end ? static_cast<int>(*first) : -1;
}
