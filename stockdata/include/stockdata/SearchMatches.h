#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class StockSearch;
struct SearchText;

// The rows of a list that match the whole of a typed text, in the search's
// order: each kind of match that StockSearch::Find tries, in turn, each in
// list order, then the same for the text as the 2-set keyboard reads it.
// A row is listed once, with the first kind that finds it. Rows are found as
// they are asked for, from the top, so that a screenful is found at once and
// a long list is counted a part at a time; each row found takes 4 bytes,
// and each row of the list and record of the store a bit while counting.
class SearchMatches {
public:
    SearchMatches(SearchMatches&&) noexcept;
    SearchMatches& operator=(SearchMatches&&) noexcept;
    ~SearchMatches();

    // How many are found so far; all of them once Complete.
    int Count() const noexcept { return static_cast<int>(rows_.size()); }
    bool Complete() const noexcept;
    // The row of match `at`, found first if need be; -1 when fewer match.
    int Row(int at);
    // Reads about `rows` more rows of the list for matches: a few
    // milliseconds, whatever the list's length.
    void FindMore(int rows);
    // The text the first match was found as, when it is not the typed one
    // (FoundItem::readAs); else empty.
    std::string ReadAs() const;

private:
    friend class StockSearch;
    SearchMatches(StockSearch& search, std::vector<SearchText> texts);
    // Looks on until `wanted` rows are found or `rows` rows have been read;
    // with `leaping`, a search inside names that goes on finding nothing
    // jumps to its next match through the whole store.
    void Look(std::size_t wanted, long rows, bool leaping);
    // Reads rows [next_, to), at most RowsAtOnce of them, for the kind under way.
    void Take(int to);

    StockSearch* search_;
    std::vector<SearchText> texts_;
    // Where the search stands: the text, its kind, the next row to read.
    std::size_t text_ = 0;
    std::size_t kind_ = 0;
    int next_ = 0;
    std::vector<int> rows_;
    // The rows listed, a bit each: by a kind before the one under way, or by it.
    std::vector<std::uint64_t> listed_;
    // The text that found the first row.
    std::size_t firstFoundBy_ = 0;
    // Counting inside names through the store: whether the text under way
    // does, the records that hold it, a bit each, byte for byte and in
    // either case, and how many records are read.
    enum class Holding { Unknown, Unneeded, Reading, Read };
    Holding holding_ = Holding::Unknown;
    std::array<std::vector<std::uint64_t>, 2> holdingMarks_;
    std::size_t holdingRead_ = 0;
    // Whether most records hold the text, which no branch then predicts.
    bool mostHolding_ = false;
};
