#include "stockdata/StockSearch.h"

#include "PrefixRun.h"
#include "framework/core/HangulInitials.h"
#include "framework/core/TextCodec.h"

#include <algorithm>
#include <optional>
#include <string>

namespace {

// What `first` finds from `startIndex` when it finds anything from the top,
// else what `second` finds. Stepping past the last match of the first kind
// finds nothing, so the window wraps to its first match, not to the other kind.
template <class First, class Second>
int FirstKindFound(First first, Second second, int startIndex)
{
    const int found = first(startIndex);
    // A kind that cannot tell yet cannot say the other kind is meant.
    if (found >= 0 || found == StockSearch::NeedsIndexes || (startIndex > 0 && first(0) >= 0))
        return found;
    return second(startIndex);
}

}  // namespace

StockSearch::StockSearch(std::span<const STData* const> byPosition, const Parallelism& parallelism,
                         LoadProgress* progress)
    : byPosition_(byPosition), indexed_(true), parallelism_(parallelism), byCode_(byPosition, parallelism, progress),
      byInitials_(byPosition, DisplayCharset(), parallelism, progress)
{
}

StockSearch StockSearch::NamesOnly(std::span<const STData* const> byPosition)
{
    StockSearch search;
    search.byPosition_ = byPosition;
    return search;
}

StockSearch::StockSearch() = default;
StockSearch::StockSearch(StockSearch&&) noexcept = default;
StockSearch& StockSearch::operator=(StockSearch&&) noexcept = default;
StockSearch::~StockSearch() = default;

int StockSearch::Find(std::string_view typed, int startIndex, int picked, Step step)
{
    if (const std::optional<TypedCode> code = TypedCode::From(typed)) {
        // Codes are in no list order: only a step goes on from where it stands.
        const auto byCode = [&](int start) { return FindByCode(*code, step == Step::StepOn ? start : 0); };
        const auto byName = [&](int start) { return FindByName(typed, start); };
        // Investors type a code's digits more often than a name that starts
        // with digits, but names such as "E1" and "K2 Korea" look like codes
        // with a market letter.
        return code->letter == '\0' ? FirstKindFound(byCode, byName, startIndex)
                                    : FirstKindFound(byName, byCode, startIndex);
    }
    // Digits and ASCII letters are the same bytes in every display character
    // set read here, so only other text needs decoding to tell jamo apart.
    if (!typed.empty() && static_cast<unsigned char>(typed.front()) >= 0x80) {
        if (const std::vector<std::uint8_t> initials = TypedInitials(DecodeForDisplay(typed)); !initials.empty())
            return FindByInitials(initials, startIndex, picked);
    }
    return FindByName(typed, startIndex);
}

int StockSearch::FindByCode(const TypedCode& code, int startIndex) const
{
    if (!indexed_)
        return NeedsIndexes;
    return byCode_.Find(code, startIndex > 0 ? startIndex - 1 : -1);
}

int StockSearch::FindByInitials(const std::vector<std::uint8_t>& initials, int startIndex, int picked)
{
    if (!indexed_)
        return NeedsIndexes;
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
