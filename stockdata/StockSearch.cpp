#include "stockdata/StockSearch.h"

#include "PrefixRun.h"
#include "framework/core/HangulInitials.h"
#include "framework/core/TextCodec.h"

#include <algorithm>
#include <string>

namespace {

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits, or one ASCII letter and digits: "005930", "A005930". Not
// std::isalpha, which the locale can extend to bytes of other letters.
bool LooksLikeCode(std::string_view typed)
{
    const auto isAsciiLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (!typed.empty() && isAsciiLetter(typed.front()))
        typed.remove_prefix(1);
    return !typed.empty() && std::ranges::all_of(typed, IsAsciiDigit);
}

}  // namespace

StockSearch::StockSearch(std::span<const STData* const> byPosition, const Parallelism& parallelism,
                         LoadProgress* progress)
    : byPosition_(byPosition), parallelism_(parallelism), byCode_(byPosition, parallelism, progress),
      byInitials_(byPosition, DisplayCharset(), parallelism, progress)
{
}

StockSearch::StockSearch() = default;
StockSearch::StockSearch(StockSearch&&) noexcept = default;
StockSearch& StockSearch::operator=(StockSearch&&) noexcept = default;
StockSearch::~StockSearch() = default;

int StockSearch::Find(std::string_view typed, int startIndex, int picked)
{
    if (LooksLikeCode(typed))
        return FindByCode(typed, startIndex);
    // Digits and ASCII letters are the same bytes in every display character
    // set read here, so only other text needs decoding to tell jamo apart.
    if (!typed.empty() && static_cast<unsigned char>(typed.front()) >= 0x80) {
        if (const std::vector<std::uint8_t> initials = TypedInitials(DecodeForDisplay(typed)); !initials.empty())
            return FindByInitials(initials, startIndex, picked);
    }
    return FindByName(typed, startIndex);
}

int StockSearch::FindByCode(std::string_view typed, int startIndex) const
{
    const int after = startIndex > 0 ? startIndex - 1 : -1;
    const int found = byCode_.Find(typed, after);
    // Korean screens show codes with a market letter that master files leave out.
    if (found < 0 && !IsAsciiDigit(typed.front()))
        return byCode_.Find(typed.substr(1), after);
    return found;
}

int StockSearch::FindByInitials(const std::vector<std::uint8_t>& initials, int startIndex, int picked)
{
    if (const std::string charset = DisplayCharset(); byInitials_.Charset() != charset)
        byInitials_ = InitialsIndex(byPosition_, charset, parallelism_);
    // Initials are no prefix of a sorted key, so a new search goes on from
    // the stock picked now, wrapping, as Korean search boxes do.
    const int from = startIndex > 0 ? startIndex : std::max(picked, 0);
    return byInitials_.Find(initials, static_cast<std::size_t>(from));
}

int StockSearch::FindByName(std::string_view prefix, int startIndex) const
{
    const auto [first, end] = PrefixRun(byPosition_.begin(), byPosition_.end(), prefix, sizeof(STData::name),
                                        [](const STData* record) { return record->name; });
    const auto start = byPosition_.begin() + std::clamp<std::ptrdiff_t>(startIndex, 0, std::ssize(byPosition_));
    const auto found = std::max(first, start);
    return found < end ? static_cast<int>(found - byPosition_.begin()) : -1;
}
