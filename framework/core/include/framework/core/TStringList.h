#pragma once

#include "framework/core/ByteString.h"

#include <string>
#include <string_view>
#include <vector>

// An unsorted list of text lines, as read from a file. The text is kept in
// one buffer with the position of every line, not as a string per line, so
// a million-line file costs one allocation for its text.
//
// Line rule: LF, CR LF and a lone CR each end a line; a last line without a
// line end still counts; the final line end adds no empty line; an empty
// text gives no lines. 0 bytes are ordinary bytes inside their line.
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

    // Appends `text` as one line, whatever bytes it holds: a line end in it
    // stays inside the line. Strongly exception-safe.
    void Add(const ByteString& text);

    // Makes room for `lines` more lines of `textBytes` bytes in all, so that
    // adding them allocates nothing more.
    void Reserve(Index lines, std::size_t textBytes);

    Index Count() const noexcept { return static_cast<Index>(lines_.size()); }

    // Line i, counted from 0, without its line end. i must be in [0, Count()).
    ByteString Strings(Index i) const { return ByteString(Line(i)); }

    // Line i as a view into the list; valid until the list changes or dies.
    std::string_view Line(Index i) const noexcept;

    void Clear() noexcept;

private:
    struct LineSpan {
        std::size_t offset;
        std::size_t length;
    };

    std::string text_;
    std::vector<LineSpan> lines_;
};
