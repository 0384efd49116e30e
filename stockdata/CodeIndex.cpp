#include "stockdata/CodeIndex.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstring>

namespace {

// A code's first 8 bytes as one number that orders as the bytes do: the sort
// then compares numbers in a buffer instead of fetching two records from
// anywhere in the store for every comparison, several times faster.
std::uint64_t LeadingCodeBytes(const STData& record) noexcept
{
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < sizeof(key); ++i)
        key = (key << 8) | static_cast<unsigned char>(record.code[i]);
    return key;
}

struct SortEntry {
    std::uint64_t key;
    std::uint32_t position;
};

}  // namespace

CodeIndex::CodeIndex(std::span<const STData* const> byPosition) : byPosition_(byPosition)
{
    assert(byPosition.size() <= INT_MAX && "positions are ints");
    // 16 bytes a line while the index is built, freed before the list's
    // items are made, which take more.
    std::vector<SortEntry> entries(byPosition.size());
    // The records lie in file order, not view order: fetching some ahead
    // keeps the loop from waiting on memory for every one of them.
    constexpr std::size_t ahead = 16;
    for (std::size_t i = 0; i < byPosition.size(); ++i) {
        if (i + ahead < byPosition.size())
            __builtin_prefetch(byPosition[i + ahead]->code);
        entries[i] = {LeadingCodeBytes(*byPosition[i]), static_cast<std::uint32_t>(i)};
    }
    // Ties by position rather than a stable sort, which would take a buffer
    // of half the entries on top of them.
    std::sort(entries.begin(), entries.end(), [&](const SortEntry& a, const SortEntry& b) {
        if (a.key != b.key)
            return a.key < b.key;
        constexpr std::size_t restSize = sizeof(STData::code) - sizeof(std::uint64_t);
        const int rest = std::memcmp(byPosition[a.position]->code + sizeof(a.key),
                                     byPosition[b.position]->code + sizeof(b.key), restSize);
        return rest != 0 ? rest < 0 : a.position < b.position;
    });
    order_.resize(entries.size());
    std::ranges::transform(entries, order_.begin(), &SortEntry::position);
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
