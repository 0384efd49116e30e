#include "NameSearch.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

using Row = std::span<const STData* const>::iterator;
struct Run {
    Row first;
    Row end;
};

// Bytes of the name field at `at`; the field's 0 fill is read as bytes too,
// which order before any text.
const unsigned char* FieldAt(const STData* record, std::size_t at)
{
    return reinterpret_cast<const unsigned char*>(record->name) + at;
}

// The rows of `run`, whose names agree before byte `at`, whose `length`
// bytes from `at` lie from `first` to `last`.
Run Narrow(const Run& run, std::size_t at, const unsigned char* first, const unsigned char* last, std::size_t length)
{
    const Row begin = std::partition_point(run.first, run.end, [&](const STData* record) {
        return std::memcmp(FieldAt(record, at), first, length) < 0;
    });
    return {begin, std::partition_point(begin, run.end, [&](const STData* record) {
                return std::memcmp(FieldAt(record, at), last, length) <= 0;
            })};
}

}  // namespace

int FindStarting(std::span<const STData* const> byPosition, const NamePattern& pattern, LetterCase letterCase, int from,
                 int to)
{
    // A name's field holds 38 bytes of text, then a 0.
    constexpr std::size_t Text = sizeof(STData::name) - 1;
    const std::string& literal = pattern.literal;
    if (literal.size() > Text)
        return -1;
    std::vector<Run> runs{{byPosition.begin(), byPosition.end()}};
    std::vector<Run> narrowed;
    const auto narrowEach = [&](std::size_t at, const auto& spellings) {
        narrowed.clear();
        for (const Run& run : runs) {
            for (const auto& [first, last, length] : spellings) {
                if (const Run part = Narrow(run, at, first, last, length); part.first != part.end)
                    narrowed.push_back(part);
            }
        }
        std::swap(runs, narrowed);
    };
    struct Spelling {
        const unsigned char* first;
        const unsigned char* last;
        std::size_t length;
    };
    for (std::size_t at = 0; at < literal.size() && !runs.empty(); ++at) {
        const auto byte = static_cast<unsigned char>(literal[at]);
        if (letterCase == LetterCase::Either && pattern.caseBits[at] != 0) {
            // Capitals sort first, so the runs stay in row order.
            const unsigned char upper = byte & ~0x20U;
            const unsigned char lower = byte | 0x20U;
            narrowEach(at, std::vector<Spelling>{{&upper, &upper, 1}, {&lower, &lower, 1}});
        } else {
            narrowEach(at, std::vector<Spelling>{{&byte, &byte, 1}});
        }
    }
    if (!pattern.next.empty()) {
        std::vector<Spelling> codes;
        for (const CodeRun& code : pattern.nextCodes)
            if (literal.size() + code.first.size() <= Text)
                codes.push_back({reinterpret_cast<const unsigned char*>(code.first.data()),
                                 reinterpret_cast<const unsigned char*>(code.last.data()), code.first.size()});
        narrowEach(literal.size(), codes);
    }
    const Row lowest = byPosition.begin() + from;
    const Row highest = byPosition.begin() + std::min<std::ptrdiff_t>(to, std::ssize(byPosition));
    Row found = highest;
    for (const Run& run : runs) {
        const Row first = std::max(run.first, lowest);
        if (first < std::min(run.end, highest))
            found = std::min(found, first);
    }
    return found < highest ? static_cast<int>(found - byPosition.begin()) : -1;
}

int FindContaining(std::span<const STData* const> byPosition, const NameMatcher& matcher, const NamePattern& pattern,
                   LetterCase letterCase, int from, int to)
{
    to = std::min(to, static_cast<int>(byPosition.size()));
    for (int row = std::max(from, 0); row < to; ++row)
        if (matcher.Contains(NameOf(*byPosition[static_cast<std::size_t>(row)]), pattern, letterCase))
            return row;
    return -1;
}
