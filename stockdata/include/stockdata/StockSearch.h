#pragma once

#include "stockdata/CodeIndex.h"
#include "stockdata/CodeKeys.h"
#include "stockdata/InitialsIndex.h"
#include "stockdata/NameCharacterIndex.h"
#include "stockdata/Parallel.h"
#include "stockdata/SearchMatches.h"
#include "stockdata/StockRecord.h"

#include "framework/core/TypedText.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class NameMatcher;
class SearchMatches;
struct KindToTry;
struct SearchText;

// What typing finds in a list of stocks in name order: every rule of
// type-to-find, apart from any window. It is no view of its own: it reads
// the records through the list it was made from, which must outlive it
// unchanged. It may be made on any thread, as a load's workers do; Find is
// called on one thread at a time.
class StockSearch {
public:
    // What the search adds per record, for the memory a load is admitted
    // with: the initials, the codes' keys, whose place the code index takes
    // once it is added, and the index of the names' characters.
    static constexpr std::uint64_t BytesPerLine = InitialsIndex::BytesPerLine + CodeKeys::BytesPerLine +
                                                  NameCharacterIndex::BytesPerLine;
    static_assert(CodeIndex::BytesPerLine <= CodeKeys::BytesPerLine);
    // At most, while the indexes are built beside it, one after the other.
    static constexpr std::uint64_t BuildBytesPerLine = BytesPerLine + std::max(CodeIndex::BuildBytesPerLine,
                                                                               NameCharacterIndex::BuildBytesPerLine);

    // The room the keys of `count` records take. Made before the list is
    // sorted, its pages can be provided (Provide) on a thread the sort leaves
    // spare, so that the keying pass writes to pages already there. Throws
    // std::bad_alloc on lack of memory.
    class KeyRoom {
    public:
        explicit KeyRoom(std::size_t count);
        // Has the kernel provide the room's pages, stopping soon after
        // `progress`, if any, is asked to stop. Any one thread.
        void Provide(const LoadProgress* progress) const noexcept;

    private:
        friend class StockSearch;
        std::size_t count_;
        std::unique_ptr<std::uint64_t[]> initials_;
        std::unique_ptr<std::uint32_t[]> codes_;
    };

    StockSearch();
    // `byPosition` holds the list's records in name order, at most INT_MAX
    // of them, their names, and what is typed, bytes in `charset` as iconv
    // names it. Makes each record's initials and code keys in one pass over
    // the records, spread over threads as `parallelism` allows; codes are
    // found by a scan of their keys until AddCodeIndex. Throws
    // std::bad_alloc on lack of memory, the framework's Exception when iconv
    // does not know `charset`. With `progress`, reports the keying stage and
    // throws LoadCancelled once asked to stop.
    StockSearch(std::span<const STData* const> byPosition, const std::string& charset,
                const Parallelism& parallelism = Parallelism::OfMachine(), LoadProgress* progress = nullptr);
    // The same, the keys made in `room`, which a room for another count of
    // records cannot hold: then they are made in one of their own.
    StockSearch(std::span<const STData* const> byPosition, const std::string& charset, const Parallelism& parallelism,
                LoadProgress* progress, KeyRoom room);
    StockSearch(StockSearch&&) noexcept;
    StockSearch& operator=(StockSearch&&) noexcept;
    ~StockSearch();

    // Codes are found in `index`, built over the same records, from now on:
    // the same answers in O(log n). The keys it replaces are freed.
    void AddCodeIndex(CodeIndex index) noexcept;
    // Names that hold a text are found through `index`, built over the same
    // records, from now on: the same answers, reading few names.
    void AddCharacterIndex(NameCharacterIndex index) noexcept;

    // Where the whole of `typed` leads, the first key of a search or a later
    // one: a row that matches all of it, or none (index -1), never one that
    // matches only a part. The same keys give the same row wherever the
    // indexes are in their build. Every search goes on from `startIndex` to
    // the end of the list and then wraps to the top; of the kinds below, the
    // first that matches anywhere decides, and within it the first match so
    // reached.
    //
    // What a text is:
    // - A code: digits, after a market letter or not, which may hold letters
    //   of their own (005930, A005930, 00088K; TypedCode). Codes come in
    //   code order, not list order: the smallest that starts with the text,
    //   of equal codes the first in list order, wherever a search starts.
    //   Starting with a digit, a text is a code first and else a name;
    //   starting with a letter ("E1", "K2 Korea"), a name first.
    // - Hangul initials alone (ㅅㅅㅈㅈ), which find the names whose leading
    //   syllables have them, from `startIndex` or, when that is 0, from
    //   `picked`, as Korean search boxes go on from the stock picked now.
    // - Anything else is a name (jamo alone never are), in this order:
    //   1. starting with the text, byte for byte;
    //   2. starting with it, Latin letters (A-Z, a-z) in either case;
    //   3. containing it, byte for byte, at the start of a character;
    //   4. containing it, Latin letters in either case.
    // A syllable still composing counts as every syllable it can become
    // (hangul::Completions): 삼성ㅎ finds 삼성화재.
    // One character repeated ("sss", "000") steps: to the third match of
    // that character, each step on from the last, codes in code order;
    // unless a code, initials or a name start with the whole text, which
    // then wins.
    // A text of Latin letters that finds nothing so is read as keys of the
    // 2-set keyboard and searched again by all of the above ("tkatjd" as
    // 삼성, "ttww" as ㅅㅅㅈㅈ, "ss" as ㄴㄴ); `readAs` then says so, and is
    // empty when the text was searched as typed or found nothing.
    enum class Typing { NewSearch, SameSearch };
    FoundItem Find(const TypedText& typed, int startIndex, int picked, Typing typing = Typing::NewSearch);

    // Every row that matches the whole of `typed`, found as they are asked
    // for (SearchMatches). It reads the search, which must outlive it, and
    // may be asked while indexes are added.
    SearchMatches Matches(const TypedText& typed);

private:
    friend class SearchMatches;
    // `typed` as the kinds above read it; and as the 2-set keyboard reads
    // it, when it is Latin letters that it reads.
    SearchText Read(const TypedText& typed);
    static std::optional<TypedText> TwoSetReading(const TypedText& typed);
    // The first row in [from, to) that `kind` of match of `text` finds, -1
    // for none; codes in list order too.
    int FindIn(SearchText& text, KindToTry kind, int from, int to);
    // The end of the rows from `row`, which `kind` of match of `text`
    // finds, before `to` that all it finds.
    int HeldUntil(SearchText& text, KindToTry kind, int row, int to);
    int FindCodeInRows(SearchText& text, int from, int to) const;
    // Whether `kind` of match of `text` finds `row`.
    bool Holds(const SearchText& text, KindToTry kind, int row) const;
    // The records as they lie, in one store; empty when they lie otherwise.
    std::span<const STData> Store();
    // Whether all rows holding `text` inside their names are best found by
    // reading the whole store: the names' index does not list them.
    bool ScansStoreFor(const SearchText& text);
    // Marks the records of the store in [first, last) that hold `text`, by
    // letter case (MarkHolding).
    void MarkContaining(const SearchText& text, std::size_t first, std::size_t last, std::uint64_t* exact,
                        std::uint64_t* either);
    // The first match of the whole of `typed` from `start`, by the kinds
    // above; `stepping` goes on from `start` in code order too.
    int FindWhole(const TypedText& typed, int start, int picked, bool stepping, bool startsOnly);
    // Where `typed` leads by the kinds above, one character repeated
    // stepping; -1 for nowhere.
    int FindTyped(const TypedText& typed, int start, int picked);
    int FindByCode(const TypedCode& code, int startIndex) const;
    int Count() const noexcept;

    std::span<const STData* const> byPosition_;
    // Reads what is typed and the names, to match them; none: a search made
    // over nothing.
    std::unique_ptr<NameMatcher> names_;
    Parallelism parallelism_;
    // The records as they lie, for a scan in file order; empty when they lie
    // otherwise. Until the first search for a name that holds a text, none.
    std::optional<std::span<const STData>> store_;
    InitialsIndex byInitials_;
    // Until the code index is added.
    CodeKeys codeKeys_;
    std::optional<CodeIndex> byCode_;
    std::optional<NameCharacterIndex> byCharacters_;
    // Where "s", "ss", "sss"... lead in the search under way, for the one
    // character repeated: as typed, and as the 2-set keyboard reads it.
    struct Steps {
        int start = 0;
        std::string stepped;
        std::vector<int> found;
    };
    std::vector<Steps> steps_;
};
