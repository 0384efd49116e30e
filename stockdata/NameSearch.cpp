#include "NameSearch.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

namespace {

// A name field's text, which with its 0 fill orders as the list does.
constexpr std::size_t NameText = sizeof(STData::name) - 1;

int CompareNames(const STData* a, const STData* b)
{
    return std::memcmp(a->name, b->name, NameText);
}

// Which bytes may start a match, or follow its first byte: those with
// (byte | fold) - low <= span, unsigned.
struct ByteTest {
    unsigned char fold = 0;
    unsigned char low = 0;
    unsigned char span = 0xFF;

    bool Passes(unsigned char byte) const noexcept { return static_cast<unsigned char>((byte | fold) - low) <= span; }
};

struct Prefilter {
    ByteTest first;
    ByteTest second;
};

Prefilter PrefilterOf(const NamePattern& pattern, LetterCase letterCase)
{
    const std::string& literal = pattern.literal;
    const auto byteOf = [&](std::size_t at) {
        const auto fold = static_cast<unsigned char>(letterCase == LetterCase::Either ? pattern.caseBits[at] : 0);
        return ByteTest{fold, static_cast<unsigned char>(literal[at] | fold), 0};
    };
    Prefilter filter;
    if (!literal.empty())
        filter.first = byteOf(0);
    else if (!pattern.nextCodes.empty()) {
        // A character of `next` is read from the bytes that encode it, in
        // byte order between the lowest code and the highest.
        const auto low = static_cast<unsigned char>(pattern.nextCodes.front().first[0]);
        const auto high = static_cast<unsigned char>(pattern.nextCodes.back().last[0]);
        filter.first = {0, low, static_cast<unsigned char>(high - low)};
    } else {
        filter.first = {0, 1, 0xFE};  // any character
    }
    if (literal.size() >= 2)
        filter.second = byteOf(1);
    return filter;
}

// Bit k set where bytes[k] may start a match and bytes[k + 1] follow it;
// reads 17 bytes. The tests' bytes are spread over vectors once, before a
// scan: rebuilt for every 16 bytes, as they were while the scan's calls
// between them might change them, they took half its time
// (BM_FindContaining rare_all_threads, 10M lines: 216 -> 110 ms).
class Candidates {
public:
    explicit Candidates(const Prefilter& filter) noexcept
#ifdef __SSE2__
        : first_(VectorsOf(filter.first)), second_(VectorsOf(filter.second))
#else
        : filter_(filter)
#endif
    {
    }

    unsigned At(const unsigned char* bytes) const noexcept
    {
#ifdef __SSE2__
        const __m128i first = Passes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)), first_);
        const __m128i second = Passes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 1)), second_);
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(first, second)));
#else
        unsigned mask = 0;
        for (unsigned k = 0; k < 16; ++k)
            mask |= unsigned{filter_.first.Passes(bytes[k]) && filter_.second.Passes(bytes[k + 1])} << k;
        return mask;
#endif
    }

private:
#ifdef __SSE2__
    struct Vectors {
        __m128i fold;
        __m128i low;
        __m128i span;
    };
    static Vectors VectorsOf(const ByteTest& test) noexcept
    {
        return {_mm_set1_epi8(static_cast<char>(test.fold)), _mm_set1_epi8(static_cast<char>(test.low)),
                _mm_set1_epi8(static_cast<char>(test.span))};
    }
    static __m128i Passes(__m128i v, const Vectors& test) noexcept
    {
        const __m128i x = _mm_sub_epi8(_mm_or_si128(v, test.fold), test.low);
        return _mm_cmpeq_epi8(_mm_min_epu8(x, test.span), x);
    }
    Vectors first_;
    Vectors second_;
#else
    Prefilter filter_;
#endif
};

struct Search {
    const NameMatcher& matcher;
    const NamePattern& pattern;
    LetterCase letterCase;
    Prefilter filter;
    // The names a row in range may have.
    const STData* lowest;
    const STData* highest;
};

// Calls `holds` with each record of `records` that `wanted` wants and whose
// name holds the search's pattern, in the order they lie. Reads them 16
// bytes at a time: the prefilter passes few bytes of a name.
template <class Wanted, class Holds>
void ForEachHolding(std::span<const STData> records, const Search& search, Wanted wanted, Holds holds)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(records.data());
    const std::size_t size = records.size_bytes();
    const STData* checked = nullptr;
    const Candidates candidates(search.filter);
    // Stops 17 bytes short of the end, inside the last record's extra
    // field, where no name byte lies.
    static_assert(sizeof(STData) - offsetof(RecStocks, name) - NameText > 17);
    for (std::size_t i = 0; i + 17 <= size; i += 16) {
        for (unsigned mask = candidates.At(bytes + i); mask != 0; mask &= mask - 1) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(mask));
            // Wraps below the name for the code's bytes.
            const std::size_t inName = at % sizeof(STData) - offsetof(RecStocks, name);
            const STData* record = &records[at / sizeof(STData)];
            if (inName >= NameText || record == checked)
                continue;
            checked = record;
            if (wanted(record) && search.matcher.Contains(NameOf(*record), search.pattern, search.letterCase))
                holds(record);
        }
    }
}

// Of `records`, at least one, the smallest name from `lowest` to `highest`
// that holds the pattern; none: null.
const STData* SmallestHolding(std::span<const STData> records, const Search& search)
{
    const STData* smallest = nullptr;
    ForEachHolding(
        records, search,
        [&](const STData* record) {
            const int order = CompareNames(record, smallest != nullptr ? smallest : search.highest);
            return (order < 0 || (order == 0 && smallest == nullptr)) && CompareNames(record, search.lowest) >= 0;
        },
        [&](const STData* record) { smallest = record; });
    return smallest;
}

}  // namespace

void MarkHolding(std::span<const STData> store, std::size_t first, std::size_t last, const NameMatcher& matcher,
                 const NamePattern& pattern, const Parallelism& parallelism, std::uint64_t* exact,
                 std::uint64_t* either)
{
    last = std::min(last, store.size());
    if (first >= last)
        return;
    // One read for both: the names holding it byte for byte hold it in either case.
    const LetterCase widest = either != nullptr ? LetterCase::Either : LetterCase::Exact;
    const Search search{matcher, pattern, widest, PrefilterOf(pattern, widest), nullptr, nullptr};
    const auto mark = [&](std::uint64_t* marks, std::size_t index) {
        marks[index / 64] |= std::uint64_t{1} << (index % 64);
    };
    // Parts end on whole words of marks, which no two parts then share.
    const std::size_t parts = parallelism.PartsFor(last - first);
    const auto boundary = [&](std::size_t part) {
        return part == parts ? last : std::max(first, (first + (last - first) * part / parts) & ~std::size_t{63});
    };
    RunParts(parts, [&](std::size_t part) {
        const std::size_t from = boundary(part);
        const std::size_t to = boundary(part + 1);
        if (from >= to)
            return;
        ForEachHolding(
            store.subspan(from, to - from), search, [](const STData*) { return true; },
            [&](const STData* record) {
                const auto index = static_cast<std::size_t>(record - store.data());
                if (either != nullptr)
                    mark(either, index);
                if (exact != nullptr &&
                    (either == nullptr || matcher.Contains(NameOf(*record), pattern, LetterCase::Exact)))
                    mark(exact, index);
            });
    });
}

std::span<const STData> StoreOf(std::span<const STData* const> byPosition)
{
    if (byPosition.empty())
        return {};
    const auto [lowest, highest] = std::ranges::minmax(byPosition, std::less<>());
    // n distinct records, which do not overlap, fill n records' bytes only
    // when they lie next to each other.
    const auto bytes = reinterpret_cast<std::uintptr_t>(highest) - reinterpret_cast<std::uintptr_t>(lowest);
    if (bytes != (byPosition.size() - 1) * sizeof(STData))
        return {};
    return {lowest, byPosition.size()};
}

int FindContaining(std::span<const STData* const> byPosition, const NameMatcher& matcher, const NamePattern& pattern,
                   LetterCase letterCase, int from, int to, const ContainsScan& how)
{
    to = std::min(to, static_cast<int>(byPosition.size()));
    from = std::max(from, 0);
    if (how.characters != nullptr) {
        const NameCharacterIndex::Rows rows = how.characters->Candidates(pattern.literal);
        if (rows.none)
            return -1;
        if (rows.among) {
            for (auto row = std::ranges::lower_bound(*rows.among, static_cast<std::uint32_t>(from));
                 row != rows.among->end() && static_cast<int>(*row) < to; ++row)
                if (matcher.Contains(NameOf(*byPosition[*row]), pattern, letterCase))
                    return static_cast<int>(*row);
            return -1;
        }
        from = std::max(from, static_cast<int>(rows.from));
        if (from >= to)
            return -1;
    }
    const auto scanRows = [&](int first, int last) {
        for (int row = first; row < last; ++row) {
            constexpr int ahead = 16;
            if (row + ahead < last)
                __builtin_prefetch(byPosition[static_cast<std::size_t>(row) + ahead]);
            if (matcher.Contains(NameOf(*byPosition[static_cast<std::size_t>(row)]), pattern, letterCase))
                return row;
        }
        return -1;
    };
    const std::span<const STData> store = how.store;
    if (store.size() != byPosition.size() || to - from <= how.listRows)
        return scanRows(from, to);
    if (const int row = scanRows(from, from + how.listRows); row != -1)
        return row;
    from += how.listRows;
    // The first row from `from` holding the pattern is the first of the
    // smallest name holding it in the rows' range of names: found in the
    // store as it lies, then by a binary search.
    const Search search{matcher,
                        pattern,
                        letterCase,
                        PrefilterOf(pattern, letterCase),
                        byPosition[static_cast<std::size_t>(from)],
                        byPosition[static_cast<std::size_t>(to - 1)]};
    const std::size_t parts = how.parallelism.PartsFor(store.size());
    std::vector<const STData*> smallest(parts);
    RunParts(parts, [&](std::size_t part) {
        const std::size_t first = store.size() * part / parts;
        const std::size_t last = store.size() * (part + 1) / parts;
        smallest[part] = SmallestHolding(store.subspan(first, last - first), search);
    });
    const STData* found = nullptr;
    for (const STData* record : smallest)
        if (record != nullptr && (found == nullptr || CompareNames(record, found) < 0))
            found = record;
    if (found == nullptr)
        return -1;
    const auto rows = byPosition.subspan(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    const auto row = std::ranges::partition_point(rows, [&](const STData* record) {
        return CompareNames(record, found) < 0;
    });
    return from + static_cast<int>(row - rows.begin());
}
