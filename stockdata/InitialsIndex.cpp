#include "stockdata/InitialsIndex.h"

#include "framework/core/MemoryPages.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <climits>
#include <utility>

namespace {

// 1 + an initial takes 5 bits, 1 to 19, so a key holds 12 of them: every
// syllable a UTF-8 name field's 38 bytes can hold. At 8 bits an initial, 9
// initials (에스케이하이닉스우) took 32 ms of CPU a key at 30M rows, as each
// name with the first 8 was read: 15 ms at 5 (bench, mixed).
constexpr std::size_t BitsPerInitial = 5;
constexpr std::size_t InitialsPerKey = 64 / BitsPerInitial;
static_assert(19 < (1U << BitsPerInitial), "1 + ㅎ, the last initial, fits");

// Initials packed as the keys hold them, and the bits of a key they cover.
struct KeyPattern {
    std::uint64_t bits = 0;
    std::uint64_t mask = 0;
};

KeyPattern PatternOf(std::span<const std::uint8_t> initials)
{
    KeyPattern pattern;
    const std::size_t count = std::min(initials.size(), InitialsPerKey);
    for (std::size_t i = 0; i < count; ++i) {
        pattern.bits |= std::uint64_t{initials[i] + 1U} << (BitsPerInitial * i);
        pattern.mask |= std::uint64_t{(1U << BitsPerInitial) - 1} << (BitsPerInitial * i);
    }
    return pattern;
}

}  // namespace

InitialsIndex::InitialsIndex(std::span<const STData* const> byPosition, InitialsMatcher matcher,
                             std::unique_ptr<std::uint64_t[]> keys) noexcept
    : byPosition_(byPosition), matcher_(std::move(matcher)), keys_(std::move(keys))
{
    assert(byPosition.size() <= INT_MAX && "positions are ints");
}

std::unique_ptr<std::uint64_t[]> InitialsIndex::MakeKeys(std::size_t count)
{
    // Left uninitialised, so that the advice below finds its pages untouched.
    auto keys = std::make_unique_for_overwrite<std::uint64_t[]>(count);
    // 10M lines, the initials keyed alone (bench): 161 -> 147 ms, RSS same.
    AdviseHugePages(keys.get(), count * sizeof(std::uint64_t));
    return keys;
}

std::uint64_t InitialsIndex::KeyOf(const InitialsMatcher& matcher, const STData& record) noexcept
{
    std::array<std::uint8_t, InitialsPerKey> initials{};
    // The field's 0 fill is no syllable, so the whole field can be read.
    const std::size_t count = matcher.LeadingInitials(std::string_view(record.name, sizeof(STData::name)), initials);
    return PatternOf(std::span(initials).first(count)).bits;
}

int InitialsIndex::Find(std::span<const std::uint8_t> initials, std::size_t from, std::size_t to) const
{
    to = std::min(to, byPosition_.size());
    if (initials.empty())
        return -1;
    const KeyPattern pattern = PatternOf(initials);
    // More initials than a key holds: the key picks the candidates, the
    // name decides.
    const auto matches = [&](std::size_t i) {
        return initials.size() <= InitialsPerKey ||
               matcher_->Matches(std::string_view(byPosition_[i]->name, sizeof(STData::name)), initials);
    };
    for (std::size_t i = from; i < to; ++i)
        if ((keys_[i] & pattern.mask) == pattern.bits && matches(i))
            return static_cast<int>(i);
    return -1;
}
