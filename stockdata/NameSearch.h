#pragma once

#include "NamePattern.h"
#include "stockdata/StockRecord.h"

#include <span>

// Finding names in a list in name order: each answers the first row in
// [from, to) whose name matches `pattern`, -1 for none.

// Names that start with it: binary searches in the name order, one run of
// rows for each spelling of the pattern's letters that names have.
int FindStarting(std::span<const STData* const> byPosition, const NamePattern& pattern, LetterCase letterCase, int from,
                 int to);

// Names that hold it at the start of any of their characters: a scan.
int FindContaining(std::span<const STData* const> byPosition, const NameMatcher& matcher, const NamePattern& pattern,
                   LetterCase letterCase, int from, int to);
