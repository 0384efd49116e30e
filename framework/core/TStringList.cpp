#include "framework/core/TStringList.h"

#include "framework/core/LineRule.h"
#include "framework/core/RegularFile.h"

#include <cassert>

void TStringList::LoadFromFile(const ByteString& fileName)
{
    const FileBytes file = ReadRegularFile(std::string(fileName.View()));
    LoadFromBytes(std::string(file.View()));
}

void TStringList::LoadFromBytes(std::string text)
{
    std::vector<LineSpan> lines;
    lines.reserve(CountLines(text));
    ForEachLine(text, [&](std::string_view line) {
        lines.push_back({static_cast<std::size_t>(line.data() - text.data()), line.size()});
    });
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
