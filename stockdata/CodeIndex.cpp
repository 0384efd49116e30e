#include "stockdata/CodeIndex.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstring>
#include <numeric>

CodeIndex::CodeIndex(std::span<const STData* const> byPosition) : byPosition_(byPosition)
{
    assert(byPosition.size() <= INT_MAX && "positions are ints");
    order_.resize(byPosition.size());
    std::iota(order_.begin(), order_.end(), std::uint32_t{0});
    // Ties by position rather than a stable sort: a stable sort would take a
    // buffer of half the index on top of it.
    std::sort(order_.begin(), order_.end(), [&](std::uint32_t a, std::uint32_t b) {
        const int byCode = std::memcmp(byPosition[a]->code, byPosition[b]->code, sizeof(STData::code));
        return byCode != 0 ? byCode < 0 : a < b;
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
