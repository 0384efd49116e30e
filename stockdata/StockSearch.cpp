#include "stockdata/StockSearch.h"

#include "stockdata/SearchMatches.h"

#include "CodeOrder.h"
#include "NamePattern.h"
#include "NameSearch.h"
#include "SearchText.h"
#include "ViewOrderPass.h"
#include "Wrapping.h"
#include "framework/core/Hangul.h"
#include "framework/core/MemoryPages.h"
#include "framework/core/Utf8.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>

namespace {

bool IsAsciiLetters(std::string_view text)
{
    return !text.empty() && std::ranges::all_of(text, codeorder::IsAsciiLetter);
}

// How many characters UTF-8 `text` holds when they are one character
// repeated more than once, which it then sets `one` to; else 0.
std::size_t RepeatsOneCharacter(std::string_view text, std::string& one)
{
    const std::size_t length = NextUtf8Sequence(text).length;
    if (text.size() <= length || text.size() % length != 0)
        return 0;
    const std::string_view first = text.substr(0, length);
    for (std::size_t at = length; at < text.size(); at += length)
        if (text.substr(at, length) != first)
            return 0;
    one = first;
    return text.size() / length;
}

}  // namespace

StockSearch::KeyRoom::KeyRoom(std::size_t count)
    : count_(count), initials_(InitialsIndex::MakeKeys(count)),
      codes_(std::make_unique_for_overwrite<std::uint32_t[]>(count))
{
}

void StockSearch::KeyRoom::Provide(const LoadProgress* progress) const noexcept
{
    // In steps, so that a stop waits for one step at most: 8 MiB take a
    // few milliseconds.
    constexpr std::size_t keysPerStep = std::size_t{1} << 20;
    for (std::size_t from = 0; from < count_ && !StopRequested(progress); from += keysPerStep) {
        const std::size_t keys = std::min(keysPerStep, count_ - from);
        ProvidePages(initials_.get() + from, keys * sizeof(std::uint64_t));
        ProvidePages(codes_.get() + from, keys * sizeof(std::uint32_t));
    }
}

StockSearch::StockSearch(std::span<const STData* const> byPosition, const std::string& charset,
                         const Parallelism& parallelism, LoadProgress* progress)
    : StockSearch(byPosition, charset, parallelism, progress, KeyRoom(byPosition.size()))
{
}

StockSearch::StockSearch(std::span<const STData* const> byPosition, const std::string& charset,
                         const Parallelism& parallelism, LoadProgress* progress, KeyRoom room)
    : byPosition_(byPosition), names_(std::make_unique<NameMatcher>(charset)), parallelism_(parallelism)
{
    const std::size_t n = byPosition.size();
    if (room.count_ != n)
        room = KeyRoom(n);
    Begin(progress, LoadStage::Keying, n);
    // The names' characters are read once for both: under CP949 each
    // reader decodes every pair of bytes.
    InitialsMatcher matcher(names_->Reader());
    std::unique_ptr<std::uint64_t[]> initials = std::move(room.initials_);
    std::unique_ptr<std::uint32_t[]> codes = std::move(room.codes_);
    // One pass for both: reading each record, in file order as they lie,
    // is most of the cost. 10M lines: 320 ms in one pass, 530 ms in a pass
    // each; medians of 5 pairs, each way in turn, 2 cores, 2026-12-10:
    // stockdata_bench --benchmark_filter='BM_KeyStockSearch/10000000$'
    // --benchmark_repetitions=5.
    ForEachInViewOrder(byPosition, parallelism, progress, [&](std::size_t i, const STData& record) {
        initials[i] = InitialsIndex::KeyOf(matcher, record);
        codes[i] = CodeKeys::KeyOf(record);
    });
    byInitials_ = InitialsIndex(byPosition, std::move(matcher), std::move(initials));
    codeKeys_ = CodeKeys(byPosition, std::move(codes), parallelism);
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

std::optional<TypedText> StockSearch::TwoSetReading(const TypedText& typed)
{
    if (!typed.composing.empty() || !IsAsciiLetters(typed.committed))
        return std::nullopt;
    const std::optional<hangul::KeyReading> reading = hangul::ReadTwoSetKeys(typed.committed);
    if (!reading)
        return std::nullopt;
    return TypedText{reading->committed, reading->composing};
}

FoundItem StockSearch::Find(const TypedText& typed, int startIndex, int picked, Typing typing)
{
    if (typing == Typing::NewSearch)
        steps_.clear();
    if (typed.Whole().empty() || !names_)
        return {};
    if (const int found = FindTyped(typed, startIndex, picked); found != -1)
        return {found, {}};
    const std::optional<TypedText> read = TwoSetReading(typed);
    if (!read)
        return {};
    const int found = FindTyped(*read, startIndex, picked);
    return found != -1 ? FoundItem{found, read->Whole()} : FoundItem{};
}

SearchMatches StockSearch::Matches(const TypedText& typed)
{
    std::vector<SearchText> texts;
    if (!typed.Whole().empty() && names_) {
        texts.push_back(Read(typed));
        if (const std::optional<TypedText> read = TwoSetReading(typed)) {
            texts.push_back(Read(*read));
            texts.back().readAs = read->Whole();
        }
    }
    return {*this, std::move(texts)};
}

int StockSearch::FindTyped(const TypedText& typed, int start, int picked)
{
    std::string one;
    const std::size_t repeats = RepeatsOneCharacter(typed.Whole(), one);
    if (repeats == 0 || FindWhole(typed, start, picked, false, true) != -1)
        return FindWhole(typed, start, picked, false, false);
    const TypedText oneTyped{one, {}};
    auto steps = std::ranges::find_if(steps_, [&](const Steps& s) { return s.stepped == one && s.start == start; });
    if (steps == steps_.end())
        steps = steps_.insert(steps_.end(), {start, one, {FindWhole(oneTyped, start, picked, false, false)}});
    while (steps->found.size() < repeats) {
        const int last = steps->found.back();
        steps->found.push_back(last < 0 ? -1 : FindWhole(oneTyped, last + 1, picked, true, false));
    }
    return steps->found[repeats - 1];
}

SearchText StockSearch::Read(const TypedText& typed)
{
    SearchText text;
    if (typed.composing.empty())
        if (const std::optional<TypedCode> code = TypedCode::From(typed.committed)) {
            text.codeLetter = code->letter;
            text.codeBody = std::string(code->body);
        }
    const bool code = text.codeBody.has_value();
    // Investors type a code's digits more often than a name that starts
    // with digits, but names such as "E1" and "K2 Korea" look like codes
    // with a market letter.
    if (code && text.codeLetter == '\0')
        text.kinds.push_back({MatchKind::Code});
    text.initials = hangul::TypedInitials(typed.Whole());
    if (!text.initials.empty()) {
        text.kinds.push_back({MatchKind::Initials});
    } else {
        text.patterns = names_->Patterns(typed);
        // A text with no Latin letter reads the same in either case: read
        // once, which halves a search inside names before their index.
        const bool folds = std::ranges::any_of(text.patterns, [](const NamePattern& pattern) {
            return std::ranges::any_of(pattern.caseBits, [](char bit) { return bit != 0; });
        });
        constexpr std::array bothCases{LetterCase::Exact, LetterCase::Either};
        const auto letterCases = std::span(bothCases).first(folds ? 2 : 1);
        for (const MatchKind kind : {MatchKind::Starting, MatchKind::Containing})
            for (const LetterCase letterCase : letterCases)
                text.kinds.push_back({kind, letterCase});
    }
    if (code && text.codeLetter != '\0')
        text.kinds.push_back({MatchKind::Code});
    return text;
}

int StockSearch::FindIn(SearchText& text, KindToTry kind, int from, int to)
{
    // A composing syllable's shapes are one kind: the first row any leads to.
    const auto firstOf = [&](const auto& findOne) {
        int first = -1;
        for (const NamePattern& pattern : text.patterns)
            if (const int row = findOne(pattern, first == -1 ? to : first); row != -1)
                first = row;
        return first;
    };
    switch (kind.kind) {
    case MatchKind::Code:
        return byCode_ ? FindCodeInRows(text, from, to) : codeKeys_.FindInRows(text.Code(), from, to);
    case MatchKind::Initials:
        return byInitials_.Find(text.initials, static_cast<std::size_t>(from), static_cast<std::size_t>(to));
    case MatchKind::Starting:
        return firstOf([&](const NamePattern& pattern, int before) {
            return FindStarting(byPosition_, pattern, kind.letterCase, from, before).first;
        });
    case MatchKind::Containing: {
        const ContainsScan how{
            .store = Store(), .parallelism = parallelism_, .characters = byCharacters_ ? &*byCharacters_ : nullptr};
        return firstOf([&](const NamePattern& pattern, int before) {
            return FindContaining(byPosition_, *names_, pattern, kind.letterCase, from, before, how);
        });
    }
    }
    return -1;
}

int StockSearch::HeldUntil(SearchText& text, KindToTry kind, int row, int to)
{
    int end = row + 1;
    if (kind.kind == MatchKind::Starting) {
        // Names that start alike lie together, in runs the search knows.
        for (const NamePattern& pattern : text.patterns)
            if (const RowRun run = FindStarting(byPosition_, pattern, kind.letterCase, row, to); run.first == row)
                end = std::max(end, run.end);
        return end;
    }
    while (end < to && Holds(text, kind, end))
        ++end;
    return end;
}

int StockSearch::FindCodeInRows(SearchText& text, int from, int to) const
{
    // Few records have a whole code: listed once, in list order. Many start
    // with a digit or two, and a walk meets them soon.
    constexpr std::size_t listed = 1 << 12;
    if (!text.codeRowsRead) {
        text.codeRows = byCode_->FindAll(text.Code(), listed);
        text.codeRowsRead = true;
    }
    if (text.codeRows) {
        const auto row = std::ranges::lower_bound(*text.codeRows, static_cast<std::uint32_t>(std::max(from, 0)));
        return row != text.codeRows->end() && static_cast<int>(*row) < to ? static_cast<int>(*row) : -1;
    }
    for (int row = std::max(from, 0); row < std::min(to, Count()); ++row)
        if (Holds(text, {MatchKind::Code}, row))
            return row;
    return -1;
}

std::span<const STData> StockSearch::Store()
{
    // Found once, when a search first reads the store.
    if (!store_)
        store_ = StoreOf(byPosition_);
    return *store_;
}

bool StockSearch::ScansStoreFor(const SearchText& text)
{
    if (Store().empty())
        return false;
    if (!byCharacters_)
        return true;
    return std::ranges::any_of(text.patterns, [&](const NamePattern& pattern) {
        const NameCharacterIndex::Rows rows = byCharacters_->Candidates(pattern.literal);
        return !rows.none && !rows.among;
    });
}

void StockSearch::MarkContaining(const SearchText& text, std::size_t first, std::size_t last, std::uint64_t* exact,
                                 std::uint64_t* either)
{
    for (const NamePattern& pattern : text.patterns)
        MarkHolding(Store(), first, last, *names_, pattern, parallelism_, exact, either);
}

bool StockSearch::Holds(const SearchText& text, KindToTry kind, int row) const
{
    const STData& record = *byPosition_[static_cast<std::size_t>(row)];
    const auto anyPattern = [&](const auto& matches) { return std::ranges::any_of(text.patterns, matches); };
    switch (kind.kind) {
    case MatchKind::Code:
        return text.codeBody && codeorder::IsWellFormed(text.Code()) && codeorder::Finds(text.Code(), record);
    case MatchKind::Initials:
        return byInitials_.Find(text.initials, static_cast<std::size_t>(row), static_cast<std::size_t>(row) + 1) == row;
    case MatchKind::Starting:
        return anyPattern([&](const NamePattern& pattern) {
            return names_->MatchesAt(NameOf(record), 0, pattern, kind.letterCase);
        });
    case MatchKind::Containing:
        return anyPattern([&](const NamePattern& pattern) {
            return names_->Contains(NameOf(record), pattern, kind.letterCase);
        });
    }
    return false;
}

int StockSearch::FindWhole(const TypedText& typed, int start, int picked, bool stepping, bool startsOnly)
{
    const int count = Count();
    SearchText text = Read(typed);
    for (const KindToTry kind : text.kinds) {
        if (startsOnly && kind.kind == MatchKind::Containing)
            continue;
        int from = start;
        const auto findIn = [&](int first, int last) {
            // Codes are in no list order: only a step goes on from where it
            // stands, and the top of their order is the smallest code.
            return kind.kind == MatchKind::Code ? FindByCode(text.Code(), stepping ? first : 0)
                                                : FindIn(text, kind, first, last);
        };
        // Initials are no prefix of a sorted key, so a new search goes on
        // from the stock picked now, wrapping, as Korean search boxes do.
        if (kind.kind == MatchKind::Initials && start == 0)
            from = std::max(picked, 0);
        // The first kind that matches anywhere decides: stepping past its
        // last match wraps to its first, never to another kind.
        if (const int found = FindWrapping(findIn, from, count); found != -1)
            return found;
    }
    return -1;
}

void StockSearch::AddCharacterIndex(NameCharacterIndex index) noexcept
{
    byCharacters_ = std::move(index);
}

int StockSearch::FindByCode(const TypedCode& code, int startIndex) const
{
    const int after = startIndex > 0 ? startIndex - 1 : -1;
    return byCode_ ? byCode_->Find(code, after) : codeKeys_.Find(code, after);
}

int StockSearch::Count() const noexcept
{
    return static_cast<int>(byPosition_.size());
}
