#pragma once

#include "stockdata/CodeIndex.h"
#include "stockdata/StockRecord.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

class InitialsMatcher;

// What typing finds in a list of stocks in name order: the rules of
// type-to-find, apart from any window. It is no view of its own: it reads
// the records through the list it was made from, which must outlive it
// unchanged. Call it on one thread, the one that owns the display character
// set (the initials are read in it).
class StockSearch {
public:
    StockSearch();
    // `byPosition` holds the list's records in name order, at most INT_MAX
    // of them. Builds the code index. Throws std::bad_alloc on lack of memory.
    // Spread over threads as `parallelism` allows; with `progress`, reports
    // the indexing stage and throws LoadCancelled once asked to stop.
    explicit StockSearch(std::span<const STData* const> byPosition,
                         const Parallelism& parallelism = Parallelism::OfMachine(), LoadProgress* progress = nullptr);
    StockSearch(StockSearch&&) noexcept;
    StockSearch& operator=(StockSearch&&) noexcept;
    ~StockSearch();

    // Where `typed` leads, -1 when nowhere. Typing finds a stock three ways.
    // Digits, or a letter and digits (A005930), find the smallest code
    // starting with them, equal codes the first in list order; from
    // `startIndex` > 0, the next code in code order after the entry before
    // it, so that repeating a digit steps through the codes. Hangul initial
    // consonants (ㅅㅅㅈㅈ) find the first entry from `startIndex` (or, when
    // that is 0, from `picked`), wrapping, whose name's leading syllables
    // have them: a scan. Anything else finds the first name at or after
    // `startIndex` starting with it, byte for byte: a binary search.
    int Find(std::string_view typed, int startIndex, int picked);

private:
    int FindByName(std::string_view prefix, int startIndex) const;
    int FindByCode(std::string_view typed, int startIndex) const;
    int FindByInitials(const std::vector<std::uint8_t>& initials, int startIndex, int picked);

    std::span<const STData* const> byPosition_;
    CodeIndex byCode_;
    // Made on the first initials typed, again when the display character
    // set has changed since.
    std::unique_ptr<InitialsMatcher> initials_;
};
