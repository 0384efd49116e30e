#pragma once

#include "framework/core/HangulInitials.h"
#include "stockdata/StockRecord.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

// The initials of each name's leading Hangul syllables, in view order, so
// that typed initials are found by comparing words instead of decoding every
// name: a key at 30M rows, 17-30 ms instead of 590-1070 (mixed names, two
// busy cores). It holds no names: it reads them through the records it was
// built from, which must outlive it unchanged, to check more initials than a
// word holds. Built on a load's threads; searched on one thread.
class InitialsIndex {
public:
    // What the index adds per record, for the memory a load is admitted
    // with; building it takes no more.
    static constexpr std::uint64_t BytesPerLine = sizeof(std::uint64_t);

    InitialsIndex() = default;
    // `byPosition` holds the view's records in view order, at most INT_MAX of
    // them; `keys[i]` is KeyOf(matcher, *byPosition[i]), made in StockSearch's
    // keying pass with the codes' keys.
    InitialsIndex(std::span<const STData* const> byPosition, InitialsMatcher matcher,
                  std::unique_ptr<std::uint64_t[]> keys) noexcept;

    // The key of one record's name, as `matcher` reads it.
    static std::uint64_t KeyOf(const InitialsMatcher& matcher, const STData& record) noexcept;

    // The first position in [from, to) whose name's leading syllables have
    // `initials` in turn; -1 when none has, or `initials` is empty. `to` past
    // the end counts as the end.
    int Find(std::span<const std::uint8_t> initials, std::size_t from, std::size_t to) const;

    // Room for `count` keys, to be made on a load's threads.
    static std::unique_ptr<std::uint64_t[]> MakeKeys(std::size_t count);

private:
    std::span<const STData* const> byPosition_;
    std::optional<InitialsMatcher> matcher_;
    // 1 + the initials of a name's first 12 syllables, 5 bits each, the
    // first lowest; 0 from the first byte that starts no syllable on.
    std::unique_ptr<std::uint64_t[]> keys_;
};
