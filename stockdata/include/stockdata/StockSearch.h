#pragma once

#include "stockdata/CodeIndex.h"
#include "stockdata/CodeKeys.h"
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
    // What the search adds per record, for the memory a load is admitted
    // with: the initials and the codes' keys, whose place the code index
    // takes once it is added.
    static constexpr std::uint64_t BytesPerLine = InitialsIndex::BytesPerLine + CodeKeys::BytesPerLine;
    // At most, while the code index is built beside it.
    static constexpr std::uint64_t BuildBytesPerLine = BytesPerLine + CodeIndex::BuildBytesPerLine;

    StockSearch();
    // `byPosition` holds the list's records in name order, at most INT_MAX
    // of them, their names, and what is typed, bytes in `charset` as iconv
    // names it. Makes each record's initials and code keys in one pass over
    // the records, spread over threads as `parallelism` allows; codes are
    // found by a scan of their keys until AddCodeIndex. Throws
    // std::bad_alloc on lack of memory, the framework's Exception when iconv
    // does not know `charset`. With `progress`, reports the keying stage and
    // throws LoadCancelled once asked to stop.
    StockSearch(std::span<const STData* const> byPosition, const std::string& charset,
                const Parallelism& parallelism = Parallelism::OfMachine(), LoadProgress* progress = nullptr);
    StockSearch(StockSearch&&) noexcept;
    StockSearch& operator=(StockSearch&&) noexcept;
    ~StockSearch();

    // Codes are found in `index`, built over the same records, from now on:
    // the same answers in O(log n). The keys it replaces are freed.
    void AddCodeIndex(CodeIndex index) noexcept;

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
    // Reads what is typed, to tell Hangul initials; none: no initials.
    std::optional<CharsetDecoder> typed_;
    InitialsIndex byInitials_;
    // Until the code index is added.
    CodeKeys codeKeys_;
    std::optional<CodeIndex> byCode_;
};
