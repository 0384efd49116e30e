#include "stockdata/SearchMatches.h"

#include "NamePattern.h"
#include "SearchText.h"
#include "stockdata/StockSearch.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <numeric>
#include <utility>

namespace {

// Rows read at a time: within what FindContaining reads in list order
// before it scans the whole store, which only a leap may do.
constexpr int RowsAtOnce = 4096;
// Rows read finding nothing before a search inside names leaps: a walk in
// list order reads rows scattered over the store, a leap the store as it
// lies, about 5 times faster a record but always all of it.
constexpr long LeapAfter = 1L << 18;
// Records of the store read, where a row of the list would be read, while
// counting inside names: reading them as they lie is about that much faster.
constexpr long RecordsPerRow = 8;

}  // namespace

SearchMatches::SearchMatches(StockSearch& search, std::vector<SearchText> texts)
    : search_(&search), texts_(std::move(texts)), listed_(static_cast<std::size_t>(search.Count()) / 64 + 1)
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
        const KindToTry kind = text.kinds[kind_];
        // Counted, a search inside names reads the store as it lies first,
        // unless the names' index lists the few rows that may hold it.
        if (!leaping && kind.kind == MatchKind::Containing && holding_ == Holding::Unknown)
            holding_ = search_->ScansStoreFor(text) ? Holding::Reading : Holding::Unneeded;
        if (!leaping && kind.kind == MatchKind::Containing && holding_ == Holding::Reading) {
            const std::span<const STData> store = search_->Store();
            const bool either = std::ranges::any_of(text.kinds, [](KindToTry k) {
                return k.kind == MatchKind::Containing && k.letterCase == LetterCase::Either;
            });
            if (holdingRead_ == 0) {
                holdingMarks_[0].assign(store.size() / 64 + 1, 0);
                if (either)
                    holdingMarks_[1].assign(store.size() / 64 + 1, 0);
            }
            const std::size_t records = std::min<std::size_t>(static_cast<std::size_t>(rows) * RecordsPerRow,
                                                              store.size() - holdingRead_);
            search_->MarkContaining(text, holdingRead_, holdingRead_ + records, holdingMarks_[0].data(),
                                    either ? holdingMarks_[1].data() : nullptr);
            holdingRead_ += records;
            rows -= std::max<long>(1, static_cast<long>(records) / RecordsPerRow);
            if (holdingRead_ == store.size()) {
                holding_ = Holding::Read;
                // Room for every record marked, made while the rows are few:
                // doubling them as they come copied up to 94 MB at once
                // (30M lines, a text most names hold: 100 ms of the event loop).
                const std::vector<std::uint64_t>& widest = holdingMarks_[either ? 1 : 0];
                const auto marked = std::accumulate(widest.begin(), widest.end(), std::size_t{0},
                                                    [](std::size_t sum, std::uint64_t word) {
                                                        return sum + static_cast<std::size_t>(std::popcount(word));
                                                    });
                rows_.reserve(rows_.size() + marked);
                mostHolding_ = marked > store.size() / 4;
            }
            continue;
        }
        const std::size_t before = rows_.size();
        const int to = next_ + static_cast<int>(std::min<long>({rows, RowsAtOnce, count - next_}));
        rows -= to - next_;
        Take(to);
        readInVain = rows_.size() == before ? readInVain + RowsAtOnce : 0;
        if (leaping && readInVain >= LeapAfter && kind.kind == MatchKind::Containing && holding_ != Holding::Read &&
            next_ < count) {
            const int found = search_->FindIn(text, kind, next_, count);
            next_ = found != -1 ? found : count;
            readInVain = 0;
        }
        if (next_ == count) {
            ++kind_;
            next_ = 0;
        }
        // The marks serve every kind inside names of the text, then go.
        if (kind_ == text.kinds.size()) {
            holding_ = Holding::Unknown;
            holdingMarks_ = {};
            holdingRead_ = 0;
            mostHolding_ = false;
        }
    }
    if (Complete()) {
        // What finding took beyond the rows goes, and their spare room
        // where it is much.
        listed_ = {};
        if (rows_.capacity() - rows_.size() > rows_.size() / 8)
            rows_.shrink_to_fit();
    }
}

void SearchMatches::Take(int to)
{
    SearchText& text = texts_[text_];
    const KindToTry kind = text.kinds[kind_];
    // A row belongs to the first kind that finds it. Taken without a branch
    // where most rows hold the text, which no branch predicts
    // (BM_CountMatches, 1M lines: most 16 -> 12 ms; a thousandth 7.4 ->
    // 9.1 ms, so not there); the listed rows' word under way held here, not
    // stored and read back a row (most 13.6 -> 12 ms).
    std::array<int, RowsAtOnce> taken;
    std::size_t count = 0;
    std::size_t wordAt = static_cast<std::size_t>(next_) / 64;
    std::uint64_t word = listed_[wordAt];
    const auto take = [&](int row, std::uint64_t holds) {
        const auto at = static_cast<std::size_t>(row);
        if (at / 64 != wordAt) {
            listed_[wordAt] = word;
            wordAt = at / 64;
            word = listed_[wordAt];
        }
        const std::uint64_t wanted = (holds & ~(word >> (at % 64))) & 1;
        word |= wanted << (at % 64);
        taken[count] = row;
        count += wanted;
    };
    if (holding_ == Holding::Read && kind.kind == MatchKind::Containing) {
        const std::span<const STData* const> byPosition = search_->byPosition_;
        const STData* store = search_->Store().data();
        const std::vector<std::uint64_t>& marks = holdingMarks_[kind.letterCase == LetterCase::Exact ? 0 : 1];
        for (int row = next_; row < to; ++row) {
            const auto record = static_cast<std::size_t>(byPosition[static_cast<std::size_t>(row)] - store);
            const std::uint64_t holds = marks[record / 64] >> (record % 64);
            if (mostHolding_ || (holds & 1) != 0)
                take(row, holds);
        }
    } else {
        for (int row = search_->FindIn(text, kind, next_, to); row != -1;) {
            // Matches lie together: those after one are taken before a search again.
            const int end = search_->HeldUntil(text, kind, row, to);
            for (; row < end; ++row)
                take(row, 1);
            row = end < to ? search_->FindIn(text, kind, end, to) : -1;
        }
    }
    listed_[wordAt] = word;
    if (rows_.empty() && count > 0)
        firstFoundBy_ = text_;
    rows_.insert(rows_.end(), taken.begin(), taken.begin() + static_cast<std::ptrdiff_t>(count));
    next_ = to;
}
