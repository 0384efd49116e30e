#include "stockdata/CodeIndex.h"

#include "KeySort.h"
#include "PrefixRun.h"

#include "framework/core/MemoryPages.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

namespace {

static_assert(2 * sizeof(SortEntry) == CodeIndex::BuildBytesPerLine, "the entries and the room to sort them");

// The code's text; the field's last byte is always 0.
constexpr std::size_t CodeBytes = sizeof(STData::code) - 1;

}  // namespace

CodeIndex::CodeIndex(std::span<const STData* const> byPosition, const Parallelism& parallelism, LoadProgress* progress)
    : byPosition_(byPosition)
{
    assert(byPosition.size() <= INT_MAX && "positions are ints");
    const std::size_t n = byPosition.size();
    // Each record counts once for each step of the sort, and once as its position is kept.
    Begin(progress, LoadStage::IndexingCodes, n * (keysort::ProgressSteps + 1));
    // Two arrays of 16 bytes a line while the index is built, freed before
    // the list's items are made. Left uninitialised: the threads that fill
    // them are the first to touch their pages, all at once.
    auto lower = std::make_unique_for_overwrite<SortEntry[]>(n);
    auto upper = std::make_unique_for_overwrite<SortEntry[]>(n);
    AdviseHugePages(lower.get(), n * sizeof(SortEntry));
    AdviseHugePages(upper.get(), n * sizeof(SortEntry));
    // Numbered by position, sorted stably: equal codes end up in list order.
    const auto codeOf = [byPosition](std::uint32_t position) {
        return reinterpret_cast<const unsigned char*>(byPosition[position]->code);
    };
    SortByKeys(codeOf, CodeBytes, n, parallelism, lower.get(), upper.get(), progress);
    lower.reset();
    order_.reserve(n);
    keysort::InBlocks(0, n, progress, [&](std::size_t from, std::size_t to) {
        std::transform(upper.get() + from, upper.get() + to, std::back_inserter(order_),
                       [](const SortEntry& entry) { return entry.index; });
        Advance(progress, to - from);
    });
    ThrowIfStopped(progress);
}

int CodeIndex::Find(std::string_view prefix, int after) const
{
    const auto codeOf = [this](std::uint32_t position) { return byPosition_[position]->code; };
    auto [first, end] = PrefixRun(order_.begin(), order_.end(), prefix, CodeBytes + 1, codeOf);
    if (after >= 0 && static_cast<std::size_t>(after) < byPosition_.size()) {
        const char* afterCode = codeOf(static_cast<std::uint32_t>(after));
        const auto afterKey = static_cast<std::uint32_t>(after);
        first = std::partition_point(first, end, [&](std::uint32_t p) {
            const int byCode = std::memcmp(codeOf(p), afterCode, CodeBytes);
            return byCode != 0 ? byCode < 0 : p <= afterKey;
        });
    }
    return first < end ? static_cast<int>(*first) : -1;
}
