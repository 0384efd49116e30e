#pragma once

#include "stockdata/LoadProgress.h"
#include "stockdata/Parallel.h"
#include "stockdata/StockRecord.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A code as Korean investors type it: its body, after a market letter or
// not ("A005930", "005930"). Korean screens show the letter; master files
// store codes with it or without. KRX's bodies start with a digit and may
// hold letters: preferred shares' 00088K, the short codes issued since 2024
// such as 0004V0. Letters compare in either case.
struct TypedCode {
    char letter = '\0';     // an ASCII letter, 0 for none
    std::string_view body;  // an ASCII digit, then ASCII digits and letters

    // `typed` read as such a code; nothing when it is none. Not std::isalpha,
    // which the locale can extend to bytes of other letters.
    static std::optional<TypedCode> From(std::string_view typed);
};

// The records of a view in code order, each held as its 0-based position in
// the view, so that the start of a code finds its stock in O(log n). It is
// not a view of its own: it reads codes through the records it was built
// from, which must outlive it unchanged.
class CodeIndex {
public:
    // What the index adds per record, for the memory a load is admitted with.
    static constexpr std::uint64_t BytesPerLine = sizeof(std::uint32_t);
    // What building it takes per record at most, all of it freed once built.
    static constexpr std::uint64_t BuildBytesPerLine = 24;

    CodeIndex() = default;
    // `byPosition` holds the view's records in view order, at most INT_MAX
    // of them; built on as many threads as `parallelism` allows. Throws
    // std::bad_alloc on lack of memory.
    explicit CodeIndex(std::span<const STData* const> byPosition,
                       const Parallelism& parallelism = Parallelism::OfMachine(), LoadProgress* progress = nullptr);

    // The position of the record whose digits, the code with a leading ASCII
    // letter skipped, are the smallest that start with `code.body` (its
    // letters in either case), equal
    // digits the first in view order, or -1 when none does or `code` is no
    // well-formed typed code. A code with a letter has a byte less, so its
    // last byte counts again as the ninth of its digits: "A005930  " and
    // "005930   " have equal digits. A typed letter must be the stored one, in
    // either case, but is ignored against a code stored without a letter;
    // digits alone find codes with any letter or none. With `after` a
    // position, the next such record in that order after the record at
    // `after` instead, -1 when there is no further one. O(log n): one binary
    // search in the run of each letter that starts a code, and in the run of
    // codes stored without one.
    int Find(const TypedCode& code, int after = -1) const;
    // Every position Find finds for `code`, ascending, when at most `most`
    // are; nothing when more are. In O(log n + most log most).
    std::optional<std::vector<std::uint32_t>> FindAll(const TypedCode& code, std::size_t most) const;

private:
    using Positions = std::pair<std::vector<std::uint32_t>::const_iterator, std::vector<std::uint32_t>::const_iterator>;
    // The positions whose codes start with `prefix`, byte for byte.
    Positions Run(std::string_view prefix) const;
    // Calls `each` with every run of positions whose codes `code` finds.
    template <class Each>
    void ForEachRun(const TypedCode& code, Each each) const;

    std::span<const STData* const> byPosition_;
    std::vector<std::uint32_t> order_;  // positions, by code then position
    std::string letters_;               // the ASCII letters that start a code, at most 52
};
