#include "stockdata/CodeIndex.h"

#include "CodeOrder.h"
#include "KeySort.h"
#include "PrefixRun.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

namespace {

static_assert(2 * sizeof(SortEntry) == CodeIndex::BuildBytesPerLine, "the entries and the room to sort them");

using codeorder::CodeBytes;
using codeorder::IsAsciiLetter;
using codeorder::IsWellFormed;
using codeorder::ToUpper;

constexpr std::string_view AsciiLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

char ToLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Calls `each` with every spelling of `body` in which its letters are in
// either case: codes are stored in capitals, typed either way. A body holds
// a letter or two, and at most 8, for 256 spellings.
template <class Each>
void ForEachCaseOf(std::string_view body, Each each)
{
    std::string spelling(body);
    std::vector<std::size_t> letters;
    for (std::size_t i = 0; i < body.size(); ++i)
        if (IsAsciiLetter(body[i]))
            letters.push_back(i);
    for (std::size_t mask = 0; mask < std::size_t{1} << letters.size(); ++mask) {
        for (std::size_t bit = 0; bit < letters.size(); ++bit) {
            const char c = body[letters[bit]];
            spelling[letters[bit]] = (mask >> bit & 1) != 0 ? ToLower(c) : ToUpper(c);
        }
        each(spelling);
    }
}

}  // namespace

std::optional<TypedCode> TypedCode::From(std::string_view typed)
{
    TypedCode code{.body = typed};
    // Only a letter before the body's first digit is a market letter.
    if (typed.size() > 1 && IsAsciiLetter(typed.front()) && codeorder::IsAsciiDigit(typed[1])) {
        code.letter = typed.front();
        code.body.remove_prefix(1);
    }
    return IsWellFormed(code) ? std::optional(code) : std::nullopt;
}

CodeIndex::CodeIndex(std::span<const STData* const> byPosition, const Parallelism& parallelism, LoadProgress* progress)
    : byPosition_(byPosition)
{
    assert(byPosition.size() <= INT_MAX && "positions are ints");
    const std::size_t n = byPosition.size();
    // Each record counts once for each step of the sort, and once as its position is kept.
    Begin(progress, LoadStage::IndexingCodes, n * (keysort::ProgressSteps + 1));
    // Two arrays of 12 bytes a line while the index is built, freed once it
    // is.
    auto lower = std::make_unique<SortEntry[]>(n);
    auto upper = std::make_unique<SortEntry[]>(n);
    // Not advised to take huge pages: 10M lines, BM_BuildCodeIndex: 536 ms
    // without, 762 ms with.
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
    // Typed digits search only the runs of letters that codes start with:
    // 30M lines, a key with caches cold, 9-14 us with one letter, 0.3 ms
    // with all 52.
    for (const char letter : AsciiLetters) {
        if (const auto [first, end] = Run({&letter, 1}); first != end)
            letters_ += letter;
    }
}

CodeIndex::Positions CodeIndex::Run(std::string_view prefix) const
{
    return PrefixRun(order_.begin(), order_.end(), prefix, CodeBytes + 1,
                     [this](std::uint32_t position) { return byPosition_[position]->code; });
}

template <class Each>
void CodeIndex::ForEachRun(const TypedCode& code, Each each) const
{
    // Typed with Caps Lock off or on, a market letter is the same letter.
    const std::string typedLetter = {ToUpper(code.letter), ToLower(code.letter)};
    const std::string_view letters = code.letter != '\0' ? std::string_view(typedLetter) : letters_;
    std::string prefix;
    ForEachCaseOf(code.body, [&](const std::string& body) {
        each(Run(body));
        for (const char letter : letters) {
            prefix.assign(1, letter).append(body);
            each(Run(prefix));
        }
    });
}

int CodeIndex::Find(const TypedCode& code, int after) const
{
    if (!IsWellFormed(code))
        return -1;
    const auto before = [this](std::uint32_t a, std::uint32_t b) { return codeorder::ComesBefore(byPosition_, a, b); };
    const bool stepping = after >= 0 && static_cast<std::size_t>(after) < byPosition_.size();
    const auto afterKey = static_cast<std::uint32_t>(after);
    std::optional<std::uint32_t> best;
    // Each run is in the order of `before`: its first record past `after`
    // is a candidate, and the smallest candidate is found.
    ForEachRun(code, [&](Positions run) {
        auto [first, end] = run;
        if (stepping)
            first = std::partition_point(first, end, [&](std::uint32_t p) { return !before(afterKey, p); });
        if (first < end && (!best || before(*first, *best)))
            best = *first;
    });
    return best ? static_cast<int>(*best) : -1;
}

std::optional<std::vector<std::uint32_t>> CodeIndex::FindAll(const TypedCode& code, std::size_t most) const
{
    std::vector<std::uint32_t> found;
    if (!IsWellFormed(code))
        return found;
    bool tooMany = false;
    ForEachRun(code, [&](Positions run) {
        const auto [first, end] = run;
        tooMany = tooMany || found.size() + static_cast<std::size_t>(end - first) > most;
        if (!tooMany)
            found.insert(found.end(), first, end);
    });
    if (tooMany)
        return std::nullopt;
    std::erase_if(found, [&](std::uint32_t position) { return !codeorder::Finds(code, *byPosition_[position]); });
    std::ranges::sort(found);
    return found;
}
