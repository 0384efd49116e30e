#pragma once

#include "stockdata/CodeIndex.h"
#include "stockdata/InitialsIndex.h"
#include "stockdata/StockRecord.h"

#include "framework/core/TextCodec.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What typing finds in a list of stocks in name order: the rules of
// type-to-find, apart from any window. It is no view of its own: it reads
// the records through the list it was made from, which must outlive it
// unchanged. It may be made on any thread, as a load's workers do; Find is
// called on one thread at a time.
class StockSearch {
public:
    // What the indexes add per record, for the memory a load is admitted with.
    static constexpr std::uint64_t BytesPerLine = CodeIndex::BytesPerLine + InitialsIndex::BytesPerLine;
    // What building them takes per record at most: the code index's sorting
    // room is freed before the initials are indexed.
    static constexpr std::uint64_t BuildBytesPerLine = std::max(CodeIndex::BuildBytesPerLine, BytesPerLine);

    // What Find answers when `typed` needs an index that a search made by
    // NamesOnly lacks.
    static constexpr int NeedsIndexes = -2;

    StockSearch();
    // A search that finds names alone, made at once, for the time the
    // indexes take to build: `typed` that needs them finds NeedsIndexes.
    // Names, and what is typed, are bytes in `charset`.
    static StockSearch NamesOnly(std::span<const STData* const> byPosition, const std::string& charset);
    // `byPosition` holds the list's records in name order, at most INT_MAX
    // of them, their names, and what is typed, bytes in `charset` as iconv
    // names it. Builds the code index and the initials index. Throws
    // std::bad_alloc on lack of memory, the framework's Exception when iconv
    // does not know `charset`. Spread over threads as `parallelism` allows;
    // with `progress`, reports the indexing stage and throws LoadCancelled
    // once asked to stop.
    StockSearch(std::span<const STData* const> byPosition, const std::string& charset,
                const Parallelism& parallelism = Parallelism::OfMachine(), LoadProgress* progress = nullptr);
    StockSearch(StockSearch&&) noexcept;
    StockSearch& operator=(StockSearch&&) noexcept;
    ~StockSearch();

    // Where `typed` leads, -1 when nowhere. Every kind of search goes on
    // from where it starts to the end of the list and then wraps to the top.
    // Typing finds a stock three ways.
    // Digits find the code whose digits (the code with a leading market
    // letter skipped) are the smallest that start with them, equal digits
    // the first in list order, wherever a new search starts; stepping on
    // from `startIndex` > 0, the next code in that order after the entry
    // before it, so that repeating a digit steps through the codes. Digits
    // that start no code are taken for a name.
    // A letter and digits are a name first ("E1", byte for byte) and, when
    // no name starts with them, a code as CodeIndex matches one (A005930 and
    // a005930 alike: the letter, in either case, must be the stored one, if
    // one is stored). Hangul initial consonants (ㅅㅅㅈㅈ) find the first
    // entry from `startIndex` (or, when that is 0, from `picked`) whose
    // name's leading syllables have them: a scan of the initials index.
    // Anything else finds the first name from `startIndex` starting with it,
    // byte for byte: a binary search.
    enum class Step { NewSearch, StepOn };
    int Find(std::string_view typed, int startIndex, int picked, Step step = Step::StepOn);

private:
    // Each finds the first match in rows [from, to); codes, in no row order,
    // the next after row from - 1 in code order.
    int FindByName(std::string_view prefix, int from, int to) const;
    int FindByCode(const TypedCode& code, int startIndex) const;
    int FindByInitials(const std::vector<std::uint8_t>& initials, int startIndex, int picked) const;
    int Count() const noexcept;

    std::span<const STData* const> byPosition_;
    bool indexed_ = false;
    // Reads what is typed, to tell Hangul initials; none: no initials.
    std::optional<CharsetDecoder> typed_;
    CodeIndex byCode_;
    // Built after the code index, so that their peaks do not add up.
    InitialsIndex byInitials_;
};
