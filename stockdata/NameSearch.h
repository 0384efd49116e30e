#pragma once

#include "NamePattern.h"
#include "stockdata/NameCharacterIndex.h"
#include "stockdata/Parallel.h"
#include "stockdata/StockRecord.h"

#include <span>

// Finding names in a list in name order: each answers the first row in
// [from, to) whose name matches `pattern`, -1 for none.

// Rows [first, end), each of which matches; first is -1 for none.
struct RowRun {
    int first = -1;
    int end = -1;
};

// Names that start with it: binary searches in the name order, one run of
// rows for each spelling of the pattern's letters that names have. Answers
// the first row's whole run of matches within [from, to), which reads no
// name more.
RowRun FindStarting(std::span<const STData* const> byPosition, const NamePattern& pattern, LetterCase letterCase,
                    int from, int to);

// How FindContaining may go about it.
struct ContainsScan {
    // The list's records as they lie, exactly those of the list, or empty
    // when they lie otherwise (StoreOf).
    std::span<const STData> store;
    Parallelism parallelism;
    // Once built, the rows that may hold a text, which are then all that
    // is read.
    const NameCharacterIndex* characters = nullptr;
    // Rows read in list order before the store is read whole: a common text
    // is found among them.
    int listRows = 4096;
};

// The block of records the list's records fill exactly, as a view of a
// whole store does; empty when they fill none.
std::span<const STData> StoreOf(std::span<const STData* const> byPosition);

// Sets bit i (bit i % 64 of word i / 64) of `exact` for each record i of
// `store` in [first, last) whose name holds `pattern` byte for byte at the
// start of a character, and of `either` for each that holds it so in either
// case; either may be null. The store is read once, as it lies, on as many
// threads as `parallelism` allows, at about 6 GB/s.
void MarkHolding(std::span<const STData> store, std::size_t first, std::size_t last, const NameMatcher& matcher,
                 const NamePattern& pattern, const Parallelism& parallelism, std::uint64_t* exact,
                 std::uint64_t* either);

// Names that hold it at the start of any of their characters: a scan of
// the first rows, then, with a store, of the store in file order.
int FindContaining(std::span<const STData* const> byPosition, const NameMatcher& matcher, const NamePattern& pattern,
                   LetterCase letterCase, int from, int to, const ContainsScan& how = {});
