#include "stockdata/StockSearch.h"

#include "PrefixRun.h"
#include "framework/core/HangulInitials.h"
#include "framework/core/TextCodec.h"

#include <algorithm>

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
    : byPosition_(byPosition), byCode_(byPosition, parallelism, progress)
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
    if (!initials_ || initials_->Charset() != DisplayCharset())
        initials_ = std::make_unique<InitialsMatcher>();
    // Initials are no prefix of a sorted key, so a new search goes on from
    // the stock picked now, wrapping, as Korean search boxes do.
    const std::ptrdiff_t from = startIndex > 0 ? startIndex : std::max(picked, 0);
    const std::size_t count = byPosition_.size();
    const auto start = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(from, 0, std::ssize(byPosition_)));
    // The records lie in file order, not list order: fetching some ahead
    // keeps the scan from waiting on memory for every one of them.
    constexpr std::size_t ahead = 16;
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t i = (start + step) % count;
        __builtin_prefetch(byPosition_[(i + ahead) % count]->name);
        // The field's 0 fill is no syllable, so the whole field can be read.
        if (initials_->Matches(std::string_view(byPosition_[i]->name, sizeof(STData::name)), initials))
            return static_cast<int>(i);
    }
    return -1;
}

int StockSearch::FindByName(std::string_view prefix, int startIndex) const
{
    const auto [first, end] = PrefixRun(byPosition_.begin(), byPosition_.end(), prefix, sizeof(STData::name),
                                        [](const STData* record) { return record->name; });
    const auto start = byPosition_.begin() + std::clamp<std::ptrdiff_t>(startIndex, 0, std::ssize(byPosition_));
    const auto found = std::max(first, start);
    return found < end ? static_cast<int>(found - byPosition_.begin()) : -1;
}
