#pragma once

#include "stockdata/LoadProgress.h"
#include "stockdata/Parallel.h"
#include "stockdata/StockRecord.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// The records of a view in code order, each held as its 0-based position in
// the view, so that the start of a code finds its stock in O(log n). It is
// not a view of its own: it reads codes through the records it was built
// from, which must outlive it unchanged.
class CodeIndex {
public:
    // What the index adds per record, for the memory a load is admitted with.
    static constexpr std::uint64_t BytesPerLine = sizeof(std::uint32_t);
    // What building it takes per record at most, all of it freed once built.
    static constexpr std::uint64_t BuildBytesPerLine = 32;

    CodeIndex() = default;
    // `byPosition` holds the view's records in view order, at most INT_MAX
    // of them; built on as many threads as `parallelism` allows. Throws
    // std::bad_alloc on lack of memory.
    explicit CodeIndex(std::span<const STData* const> byPosition,
                       const Parallelism& parallelism = Parallelism::OfMachine(), LoadProgress* progress = nullptr);

    // The position of the record with the smallest code that starts with
    // `prefix` (equal codes: the first in view order), or -1 when none does.
    // With `after` a position, the next such record in code order after the
    // record at `after` instead, -1 when there is no further one. An empty
    // prefix, or one no code field can hold, finds nothing.
    int Find(std::string_view prefix, int after = -1) const;

private:
    std::span<const STData* const> byPosition_;
    std::vector<std::uint32_t> order_;  // positions, by code then position
};
