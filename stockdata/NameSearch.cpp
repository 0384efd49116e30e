#include "NameSearch.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
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

RowRun FindStarting(std::span<const STData* const> byPosition, const NamePattern& pattern, LetterCase letterCase,
                    int from, int to)
{
    // A name's field holds 38 bytes of text, then a 0.
    constexpr std::size_t Text = sizeof(STData::name) - 1;
    const std::string& literal = pattern.literal;
    if (literal.size() > Text)
        return {};
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
    std::optional<Run> found;
    for (const Run& run : runs) {
        const Run within{std::max(run.first, lowest), std::min(run.end, highest)};
        if (within.first < within.end && (!found || within.first < found->first))
            found = within;
    }
    if (!found)
        return {};
    return {static_cast<int>(found->first - byPosition.begin()), static_cast<int>(found->end - byPosition.begin())};
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
    const auto literalByte = [&](std::size_t at) {
        const auto fold = static_cast<unsigned char>(letterCase == LetterCase::Either ? pattern.caseBits[at] : 0);
        return ByteTest{fold, static_cast<unsigned char>(literal[at] | fold), 0};
    };
    // Byte `at` of a character of `next`, read from the bytes that encode
    // them, which lie in byte order: between the lowest code's and the
    // highest's where those two share the bytes before it, as then all do.
    // The second byte so tested passes fewer Hangul bytes (every match of
    // "tk", 사 composing, 1M lines: 6.0 -> 5.0 ms).
    const auto nextByte = [&](std::size_t at) {
        const std::string& low = pattern.nextCodes.front().first;
        const std::string& high = pattern.nextCodes.back().last;
        const bool longEnough = std::ranges::all_of(pattern.nextCodes, [&](const CodeRun& run) {
            return run.first.size() > at && run.last.size() > at;
        });
        if (!longEnough || low.compare(0, at, high, 0, at) != 0)
            return ByteTest{};
        const auto lowest = static_cast<unsigned char>(low[at]);
        return ByteTest{0, lowest, static_cast<unsigned char>(static_cast<unsigned char>(high[at]) - lowest)};
    };
    const auto byteOf = [&](std::size_t at) {
        if (at < literal.size())
            return literalByte(at);
        if (!pattern.nextCodes.empty())
            return nextByte(at - literal.size());
        return ByteTest{};
    };
    Prefilter filter{byteOf(0), byteOf(1)};
    if (literal.empty() && pattern.nextCodes.empty())
        filter.first = {0, 1, 0xFE};  // any character
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

// Calls `test` with each record of `records` and each byte of its name the
// prefilter passes, in the order they lie, until it answers that the record
// needs no more. Reads each name's 38 bytes as three blocks of 16, the last
// overlapping: reading the store 16 bytes at a time, codes and extras too,
// and testing the whole name again from its start at each byte that passed
// took more than twice as long (BM_CountMatches most, 1M lines: 48 -> 20 ms).
template <class Test>
void ForEachCandidate(std::span<const STData> records, const Prefilter& filter, Test test)
{
    // Candidates reads 17 bytes: the last block's reaches the field's 0.
    constexpr std::size_t Blocks[] = {0, 16, NameText - 16};
    static_assert(NameText - 16 + 17 <= sizeof(STData::name));
    const Candidates candidates(filter);
    const auto testRecord = [&](const STData& record) {
        const auto* name = reinterpret_cast<const unsigned char*>(record.name);
        std::size_t tested = 0;  // the bytes before it are
        for (const std::size_t block : Blocks) {
            for (unsigned mask = candidates.At(name + block) & ~((1U << (tested - block)) - 1U); mask != 0;
                 mask &= mask - 1)
                if (test(record, block + static_cast<std::size_t>(std::countr_zero(mask))))
                    return;
            tested = block + 16;
        }
    };
    for (const STData& record : records)
        testRecord(record);
}

// The name field's text and its 0 fill: the fill matches no pattern, which
// holds no 0 byte, so it serves as the name where a match is tested at a
// byte of the text, without measuring the name first (BM_CountMatches
// most, 1M lines: 20 -> 16 ms).
std::string_view FieldOf(const STData& record) noexcept
{
    return {record.name, NameText};
}

// Of `records`, at least one, the smallest name from `lowest` to `highest`
// that holds the pattern; none: null.
const STData* SmallestHolding(std::span<const STData> records, const Search& search)
{
    const STData* smallest = nullptr;
    ForEachCandidate(records, search.filter, [&](const STData& record, std::size_t at) {
        const int order = CompareNames(&record, smallest != nullptr ? smallest : search.highest);
        const bool inRange = (order < 0 || (order == 0 && smallest == nullptr)) &&
                             CompareNames(&record, search.lowest) >= 0;
        if (!inRange)
            return true;
        if (!search.matcher.HoldsAt(FieldOf(record), at, search.pattern, search.letterCase))
            return false;
        smallest = &record;
        return true;
    });
    return smallest;
}

}  // namespace

void MarkHolding(std::span<const STData> store, std::size_t first, std::size_t last, const NameMatcher& matcher,
                 const NamePattern& pattern, const Parallelism& parallelism, std::uint64_t* exact,
                 std::uint64_t* either)
{
    last = std::min(last, store.size());
    if (first >= last || (exact == nullptr && either == nullptr))
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
        ForEachCandidate(store.subspan(from, to - from), search.filter, [&](const STData& record, std::size_t at) {
            const std::string_view name = FieldOf(record);
            if (!matcher.HoldsAt(name, at, pattern, widest))
                return false;
            const auto index = static_cast<std::size_t>(&record - store.data());
            if (either == nullptr) {
                mark(exact, index);
                return true;
            }
            mark(either, index);
            if (exact == nullptr)
                return true;
            // Where it holds in either case, it may still hold byte for byte further on.
            if (!matcher.HoldsAt(name, at, pattern, LetterCase::Exact))
                return false;
            mark(exact, index);
            return true;
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
