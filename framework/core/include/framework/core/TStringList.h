#pragma once

#include "framework/core/ByteString.h"

#include <string>
#include <string_view>
#include <vector>

// An unsorted list of text lines, as read from a file. The text is kept in
// one buffer with the position of every line, not as a string per line, so
// a million-line file costs one allocation for its text. Lines added to an
// empty list that all equal the first are held as one text and a count, so
// a million copies of one placeholder cost a few bytes, not 16 a line.
// Text is cut into lines by the line rule (LineRule.h).
class TStringList {
public:
    using Index = ByteString::Index;

    // Replaces the contents with the lines of the regular file `fileName`.
    // Throws Exception naming the file when it cannot be opened or read, or
    // is not a regular file; std::bad_alloc on lack of memory. On a throw the
    // previous contents stay.
    void LoadFromFile(const ByteString& fileName);

    // Replaces the contents with the lines of `text`.
    void LoadFromBytes(std::string text);

    TStringList() = default;
    TStringList(const TStringList&) = default;
    TStringList& operator=(const TStringList&) = default;
    // The moved-from list is empty.
    TStringList(TStringList&& other) noexcept;
    TStringList& operator=(TStringList&& other) noexcept;
    ~TStringList() = default;

    // Appends `text` as one line, whatever bytes it holds: a line end in it
    // stays inside the line. Strongly exception-safe. While every line of
    // the list equals the first, it allocates nothing.
    void Add(const ByteString& text);
    // Appends `copies` lines of `text`, as that many calls of Add would; in
    // one step while every line of the list equals the first. 30M lines: 14
    // ns in one step, 262 ms one by one (string_list_bench
    // --benchmark_repetitions=5, medians, 2026-12-10).
    void Add(const ByteString& text, Index copies);

    // Makes room for `lines` more lines of `textBytes` bytes in all, so that
    // adding them allocates nothing more. Lines that repeat the first need
    // no room: reserving for them only takes memory.
    void Reserve(Index lines, std::size_t textBytes);

    Index Count() const noexcept { return repeats_ + static_cast<Index>(lines_.size()); }

    // Line i, counted from 0, without its line end. i must be in [0, Count()).
    ByteString Strings(Index i) const { return ByteString(Line(i)); }

    // Line i as a view into the list; valid until the list changes or dies.
    std::string_view Line(Index i) const noexcept;

    void Clear() noexcept;

private:
    struct StoredLine {
        std::size_t offset;
        std::size_t length;
    };

    std::string_view View(const StoredLine& span) const noexcept
    {
        return std::string_view(text_).substr(span.offset, span.length);
    }

    std::string text_;
    // Lines [0, repeats_) are all first_; lines_ holds the lines after them.
    Index repeats_ = 0;
    StoredLine first_{};
    std::vector<StoredLine> lines_;
};
