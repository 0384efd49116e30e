#pragma once

#include "stockdata/CodeIndex.h"
#include "stockdata/Parallel.h"
#include "stockdata/StockRecord.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

// The codes of a view's records in view order, each packed into 4 bytes, so
// that a code is found by one scan while the code index is still being
// built: they are made beside the initials before the list shows, while the
// index takes as long again as the view after it. Where a key cannot tell,
// the record decides: it reads records through the view it was made for,
// which must outlive it unchanged.
class CodeKeys {
public:
    // What the keys add per record, for the memory a load is admitted with.
    static constexpr std::uint64_t BytesPerLine = sizeof(std::uint32_t);

    // The first 7 bytes of the code's digits (CodeIndex's), 4 bits each in
    // an order that keeps theirs, then its market letter's group; a byte
    // other than a digit, a space or 0 marks the key as one that cannot
    // tell, and the record decides.
    static std::uint32_t KeyOf(const STData& record) noexcept;

    CodeKeys() = default;
    // `keys[i]` is KeyOf(*byPosition[i]); at most INT_MAX records. A find
    // shares its scan out as `parallelism` says.
    CodeKeys(std::span<const STData* const> byPosition, std::unique_ptr<std::uint32_t[]> keys,
             const Parallelism& parallelism = {}) noexcept;

    // What CodeIndex::Find finds in the same view, by a scan of the keys,
    // shared out: 30M lines, 15.8 ms for a whole code and 30.7 ms for one
    // digit on 2 threads, 28.1 and 48.6 ms on one; 0.36 and 0.30 us in the
    // index. Medians of 3, 2 cores, 2026-12-10: stockdata_bench, BM_FindCode's
    // whole_code_* and one_digit_* at 30000000.
    int Find(const TypedCode& code, int after = -1) const;
    // The first position in [from, to), in view order, whose record `code`
    // finds; -1 for none.
    int FindInRows(const TypedCode& code, int from, int to) const;

private:
    // What Find finds among the records at [from, to).
    int FindIn(const TypedCode& code, int after, std::size_t from, std::size_t to) const;

    std::span<const STData* const> byPosition_;
    std::unique_ptr<std::uint32_t[]> keys_;
    Parallelism parallelism_;
};
