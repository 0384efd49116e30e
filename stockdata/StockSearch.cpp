#include "stockdata/StockSearch.h"

#include "PrefixRun.h"
#include "ViewOrderPass.h"
#include "Wrapping.h"
#include "framework/core/HangulInitials.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace {

// What `first` finds from `startIndex`, wrapping, else what `second` finds:
// stepping past the last match of the first kind wraps to its first match,
// never to the other kind.
template <class First, class Second>
int FirstKindFound(First first, Second second, int startIndex, int count)
{
    const int found = FindWrapping(first, startIndex, count);
    return found != -1 ? found : FindWrapping(second, startIndex, count);
}

}  // namespace

StockSearch::StockSearch(std::span<const STData* const> byPosition, const std::string& charset,
                         const Parallelism& parallelism, LoadProgress* progress)
    : byPosition_(byPosition), typed_(std::in_place, charset)
{
    const std::size_t n = byPosition.size();
    Begin(progress, LoadStage::Keying, n);
    InitialsMatcher matcher(charset);
    std::unique_ptr<std::uint64_t[]> initials = InitialsIndex::MakeKeys(n);
    auto codes = std::make_unique_for_overwrite<std::uint32_t[]>(n);
    // One pass for both: reading each record, in file order as they lie,
    // is most of the cost.
    ForEachInViewOrder(byPosition, parallelism, progress, [&](std::size_t i, const STData& record) {
        initials[i] = InitialsIndex::KeyOf(matcher, record);
        codes[i] = CodeKeys::KeyOf(record);
    });
    byInitials_ = InitialsIndex(byPosition, std::move(matcher), std::move(initials));
    codeKeys_ = CodeKeys(byPosition, std::move(codes));
}

StockSearch::StockSearch() = default;
StockSearch::StockSearch(StockSearch&&) noexcept = default;
StockSearch& StockSearch::operator=(StockSearch&&) noexcept = default;
StockSearch::~StockSearch() = default;

void StockSearch::AddCodeIndex(CodeIndex index) noexcept
{
    byCode_ = std::move(index);
    codeKeys_ = CodeKeys();
}

int StockSearch::Find(std::string_view typed, int startIndex, int picked, Step step)
{
    if (const std::optional<TypedCode> code = TypedCode::From(typed)) {
        // Codes are in no list order: only a step goes on from where it
        // stands, and the top of their order is the smallest code.
        const auto byCode = [&](int from, int) { return FindByCode(*code, step == Step::StepOn ? from : 0); };
        const auto byName = [&](int from, int to) { return FindByName(typed, from, to); };
        // Investors type a code's digits more often than a name that starts
        // with digits, but names such as "E1" and "K2 Korea" look like codes
        // with a market letter.
        return code->letter == '\0' ? FirstKindFound(byCode, byName, startIndex, Count())
                                    : FirstKindFound(byName, byCode, startIndex, Count());
    }
    // Digits and ASCII letters are the same bytes in every display character
    // set read here, so only other text needs decoding to tell jamo apart.
    if (!typed.empty() && static_cast<unsigned char>(typed.front()) >= 0x80 && typed_) {
        if (const std::vector<std::uint8_t> initials = TypedInitials(typed_->Decode(typed)); !initials.empty())
            return FindByInitials(initials, startIndex, picked);
    }
    return FindWrapping([&](int from, int to) { return FindByName(typed, from, to); }, startIndex, Count());
}

int StockSearch::FindByCode(const TypedCode& code, int startIndex) const
{
    const int after = startIndex > 0 ? startIndex - 1 : -1;
    return byCode_ ? byCode_->Find(code, after) : codeKeys_.Find(code, after);
}

int StockSearch::FindByInitials(const std::vector<std::uint8_t>& initials, int startIndex, int picked) const
{
    // Initials are no prefix of a sorted key, so a new search goes on from
    // the stock picked now, wrapping, as Korean search boxes do.
    const int start = startIndex > 0 ? startIndex : std::max(picked, 0);
    return FindWrapping(
        [&](int from, int to) {
            return byInitials_.Find(initials, static_cast<std::size_t>(from), static_cast<std::size_t>(to));
        },
        start, Count());
}

int StockSearch::FindByName(std::string_view prefix, int from, int to) const
{
    const auto [first, end] = PrefixRun(byPosition_.begin(), byPosition_.end(), prefix, sizeof(STData::name),
                                        [](const STData* record) { return record->name; });
    const auto found = std::max(first, byPosition_.begin() + from);
    return found < std::min(end, byPosition_.begin() + to) ? static_cast<int>(found - byPosition_.begin()) : -1;
}

int StockSearch::Count() const noexcept
{
    return static_cast<int>(byPosition_.size());
}
