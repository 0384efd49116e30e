#include "framework/core/TStringList.h"

#include "framework/core/RegularFile.h"

#include <algorithm>
#include <cassert>
#include <cstring>

void TStringList::LoadFromFile(const ByteString& fileName)
{
    LoadFromBytes(ReadRegularFile(std::string(fileName.View())));
}

void TStringList::LoadFromBytes(std::string text)
{
    std::vector<LineSpan> lines;
    // One line per LF is exact for most files; other line ends grow the vector.
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    // Most lines end in LF: find that with memchr, then look for a lone CR
    // only in the stretch before it. The LF found is kept while it lies
    // ahead, so a text of lone CRs is not searched to its end once per line.
    const char* start = begin;
    const char* nextLf = nullptr;
    while (start != end) {
        if (nextLf == nullptr || nextLf < start) {
            nextLf = static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(end - start)));
            if (nextLf == nullptr)
                nextLf = end;
        }
        const char* cr = static_cast<const char*>(std::memchr(start, '\r', static_cast<std::size_t>(nextLf - start)));
        const char* lineEnd = cr != nullptr ? cr : nextLf;
        lines.push_back({static_cast<std::size_t>(start - begin), static_cast<std::size_t>(lineEnd - start)});
        if (lineEnd == end)
            break;
        start = lineEnd + 1;
        if (*lineEnd == '\r' && start != end && *start == '\n')
            ++start;
    }
    text_ = std::move(text);
    lines_ = std::move(lines);
}

std::string_view TStringList::Line(Index i) const noexcept
{
    assert(i >= 0 && i < Count() && "TStringList::Line: index out of range");
    const LineSpan& span = lines_[static_cast<std::size_t>(i)];
    return std::string_view(text_).substr(span.offset, span.length);
}

void TStringList::Clear() noexcept
{
    text_.clear();
    lines_.clear();
}
