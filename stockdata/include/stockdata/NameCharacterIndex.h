#pragma once

#include "framework/core/CharacterReader.h"
#include "stockdata/LoadProgress.h"
#include "stockdata/Parallel.h"
#include "stockdata/StockRecord.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What rows of a view may hold a text inside their names, from the
// characters and pairs of characters the names hold, so that a search inside
// names reads few of them: every character and every pair of neighbours of a
// name, ASCII letters in small letters, is hashed to a bucket, which knows
// the first row holding one of its keys and, when few rows do, all of them.
// A text is then held by no row (a bucket no name reaches), by some of a
// bucket's few rows, or by no row before the latest of its buckets' first.
// It holds no names and reads none once built. Built on a load's threads
// beside the list; read on any number.
class NameCharacterIndex {
public:
    // What the index holds per record at most, for the memory a load is
    // admitted with, and what building it takes on top of that at most.
    static constexpr std::uint64_t BytesPerLine = 3;
    static constexpr std::uint64_t BuildBytesPerLine = 8;

    // What Candidates knows of the rows holding a text.
    struct Rows {
        // No row holds it.
        bool none = false;
        // When set, every row that holds it is one of these, ascending.
        std::optional<std::span<const std::uint32_t>> among;
        // No row before this one holds it.
        std::uint32_t from = 0;
    };

    NameCharacterIndex() = default;
    // `byPosition` holds the view's records in view order, at most INT_MAX
    // of them, their names read in `charset`. Built on as many threads as
    // `parallelism` allows, at most 4; with `progress`, reports its stage
    // and throws LoadCancelled once asked to stop. Throws std::bad_alloc on
    // lack of memory, the framework's Exception when iconv does not know
    // `charset`.
    NameCharacterIndex(std::span<const STData* const> byPosition, const std::string& charset,
                       const Parallelism& parallelism = Parallelism::OfMachine(), LoadProgress* progress = nullptr);

    // The rows whose names may hold `text` at the start of a character, in
    // either case of ASCII letters. `text` is whole characters of the
    // charset; an empty one tells nothing.
    Rows Candidates(std::string_view text) const;

private:
    template <class Each>
    void ForEachBucket(std::string_view text, Each each) const;
    // The rows a bucket lists; none when too many hold it.
    std::span<const std::uint32_t> ListedRows(std::size_t bucket) const;

    std::optional<CharacterReader> reader_;
    unsigned bucketBits_ = 0;
    // Per bucket, the first row holding one of its keys, or NoRow.
    std::vector<std::uint32_t> firstRow_;
    // Per bucket, where its rows begin in rows_, the next bucket's start
    // their end; with Many set, too many rows hold it to list them.
    std::vector<std::uint32_t> rowsStart_;
    std::vector<std::uint32_t> rows_;
};
