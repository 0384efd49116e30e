#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The line rule of every text this program reads: LF, CR LF and a lone CR
// each end a line; a last line without a line end still counts; the final
// line end adds no empty line; an empty text has no lines. 0 bytes are
// ordinary bytes inside their line.

// The number of lines in `text`.
std::size_t CountLines(std::string_view text) noexcept;

// Whether the last chunk of a text ended in CR, so that an LF that starts
// the next one finishes its line end: all that text arriving in chunks must
// remember of line ends between chunks.
class CrAtChunkEnd {
public:
    bool Pending() const noexcept { return pending_; }

    // `chunk` without such an LF, noting whether `chunk` ends in CR. An empty
    // chunk changes nothing.
    std::string_view Feed(std::string_view chunk) noexcept
    {
        if (chunk.empty())
            return chunk;
        const bool finishesCrLf = pending_ && chunk.front() == '\n';
        pending_ = chunk.back() == '\r';
        return finishesCrLf ? chunk.substr(1) : chunk;
    }

private:
    bool pending_ = false;
};

// CountLines for text that arrives in chunks: the lines of all chunks fed
// so far, as if they were one text.
class ChunkedLineCount {
public:
    void Feed(std::string_view chunk) noexcept;
    std::size_t Lines() const noexcept { return ends_ + (inLine_ ? 1 : 0); }

private:
    std::size_t ends_ = 0;
    bool inLine_ = false;  // bytes since the last line end
    CrAtChunkEnd crAtEnd_;
};

// The first LF or CR in [from, end), or end when there is none.
const char* FindLineEnd(const char* from, const char* end) noexcept;

// The line that starts at `from` in [from, end): where it ends (end when the
// text ends first) and where the next line starts, past its line end.
struct LineSpan {
    const char* lineEnd;
    const char* next;
    // A CR is the text's last byte: an LF that may follow it belongs to it.
    bool EndsInCr(const char* end) const noexcept { return lineEnd + 1 == end && *lineEnd == '\r'; }
};

inline LineSpan NextLine(const char* from, const char* end) noexcept
{
    const char* const lineEnd = FindLineEnd(from, end);
    if (lineEnd == end)
        return {end, end};
    const char* next = lineEnd + 1;
    if (*lineEnd == '\r' && next != end && *next == '\n')
        ++next;
    return {lineEnd, next};
}

// Calls visit(line) for each line of `text` in order, without its line end.
template <class Visit>
void ForEachLine(std::string_view text, Visit&& visit)
{
    const char* start = text.data();
    const char* const end = start + text.size();
    while (start != end) {
        const LineSpan line = NextLine(start, end);
        visit(std::string_view(start, static_cast<std::size_t>(line.lineEnd - start)));
        start = line.next;
    }
}

// Where the first line after the first line end starts, in text that arrives
// in chunks: how a text is cut into pieces of whole lines.
class NextLineStart {
public:
    // The offset from the first byte fed of the start of that line, once
    // `chunk` shows it; nothing while more text is needed. At the end of the
    // text, with nothing found, the line starts at the end.
    std::optional<std::size_t> Feed(std::string_view chunk) noexcept;
    // The bytes fed so far.
    std::size_t Fed() const noexcept { return fed_; }

private:
    std::size_t fed_ = 0;
    CrAtChunkEnd crAtEnd_;
};

// The line rule for text that arrives in chunks, as from a file read piece
// by piece. A line that spans chunks is put together, keeping only its
// first `keep` bytes: enough for a caller that reads fixed columns, and a
// 100 MB line costs no 100 MB.
class ChunkedLines {
public:
    explicit ChunkedLines(std::size_t keep) : keep_(keep) { pending_.reserve(keep); }

    // Calls visit(line) for each line that ends in `chunk`.
    template <class Visit>
    void Feed(std::string_view chunk, Visit&& visit);

    // Calls visit(line) for a last line that has no line end.
    template <class Visit>
    void Finish(Visit&& visit)
    {
        if (inLine_)
            visit(std::string_view(pending_));
        inLine_ = false;
        pending_.clear();
    }

private:
    void Keep(const char* from, const char* to)
    {
        const std::size_t room = keep_ - pending_.size();
        pending_.append(from, std::min(room, static_cast<std::size_t>(to - from)));
    }

    std::size_t keep_;
    std::string pending_;  // the kept start of a line not ended yet
    bool inLine_ = false;
    CrAtChunkEnd crAtEnd_;
};

template <class Visit>
void ChunkedLines::Feed(std::string_view chunk, Visit&& visit)
{
    chunk = crAtEnd_.Feed(chunk);
    const char* start = chunk.data();
    const char* const end = start + chunk.size();
    while (start != end) {
        const LineSpan line = NextLine(start, end);
        if (line.lineEnd == end) {
            Keep(start, end);
            inLine_ = true;
            return;
        }
        if (inLine_) {
            Keep(start, line.lineEnd);
            visit(std::string_view(pending_));
            pending_.clear();
            inLine_ = false;
        } else {
            visit(std::string_view(start, static_cast<std::size_t>(line.lineEnd - start)));
        }
        start = line.next;
    }
}
