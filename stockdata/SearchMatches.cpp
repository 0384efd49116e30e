#include "stockdata/SearchMatches.h"

#include "SearchText.h"
#include "stockdata/StockSearch.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// Rows read at a time: within what FindContaining reads in list order
// before it scans the whole store, which only a leap may do.
constexpr int RowsAtOnce = 4096;
// Rows read finding nothing before a search inside names leaps: a walk in
// list order reads rows scattered over the store, a leap the store as it
// lies, about 5 times faster a record but always all of it.
constexpr long LeapAfter = 1L << 18;

}  // namespace

SearchMatches::SearchMatches(StockSearch& search, std::vector<SearchText> texts)
    : search_(&search), texts_(std::move(texts))
{
}

SearchMatches::SearchMatches(SearchMatches&&) noexcept = default;
SearchMatches& SearchMatches::operator=(SearchMatches&&) noexcept = default;
SearchMatches::~SearchMatches() = default;

bool SearchMatches::Complete() const noexcept
{
    return text_ == texts_.size();
}

int SearchMatches::Row(int at)
{
    if (at < 0)
        return -1;
    const auto wanted = static_cast<std::size_t>(at) + 1;
    Look(wanted, std::numeric_limits<long>::max(), true);
    return rows_.size() >= wanted ? rows_[wanted - 1] : -1;
}

void SearchMatches::FindMore(int rows)
{
    Look(std::numeric_limits<std::size_t>::max(), rows, false);
}

std::string SearchMatches::ReadAs() const
{
    return rows_.empty() ? std::string() : texts_[firstFoundBy_].readAs;
}

void SearchMatches::Look(std::size_t wanted, long rows, bool leaping)
{
    const int count = search_->Count();
    long readInVain = 0;
    while (!Complete() && rows_.size() < wanted && rows > 0) {
        SearchText& text = texts_[text_];
        if (kind_ == text.kinds.size()) {
            ++text_;
            kind_ = 0;
            next_ = 0;
            continue;
        }
        const std::size_t before = rows_.size();
        const int to = next_ + static_cast<int>(std::min<long>({rows, RowsAtOnce, count - next_}));
        rows -= to - next_;
        Take(to);
        readInVain = rows_.size() == before ? readInVain + RowsAtOnce : 0;
        if (leaping && readInVain >= LeapAfter && text.kinds[kind_].kind == MatchKind::Containing && next_ < count) {
            const int found = search_->FindIn(text, text.kinds[kind_], next_, count);
            next_ = found != -1 ? found : count;
            readInVain = 0;
        }
        if (next_ == count) {
            ++kind_;
            next_ = 0;
        }
    }
}

void SearchMatches::Take(int to)
{
    SearchText& text = texts_[text_];
    const KindToTry kind = text.kinds[kind_];
    const auto take = [&](int row) {
        if (FoundBefore(row))
            return;
        if (rows_.empty())
            firstFoundBy_ = text_;
        rows_.push_back(row);
    };
    for (int row = search_->FindIn(text, kind, next_, to); row != -1;) {
        take(row);
        // Names that start alike lie together: the rows after a match are
        // read one at a time before a search again.
        int after = row + 1;
        for (; after < to && search_->Holds(text, kind, after); ++after)
            take(after);
        row = after < to ? search_->FindIn(text, kind, after, to) : -1;
    }
    next_ = to;
}

bool SearchMatches::FoundBefore(int row) const
{
    for (std::size_t t = 0; t <= text_; ++t) {
        const SearchText& text = texts_[t];
        const std::size_t kinds = t < text_ ? text.kinds.size() : kind_;
        for (std::size_t k = 0; k < kinds; ++k)
            if (search_->Holds(text, text.kinds[k], row))
                return true;
    }
    return false;
}
