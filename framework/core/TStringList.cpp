#include "framework/core/TStringList.h"

#include "framework/core/LineRule.h"
#include "framework/core/RegularFile.h"

#include <algorithm>
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

void TStringList::Add(const ByteString& text)
{
    // Room for the span first: once the text is appended nothing may throw.
    if (lines_.size() == lines_.capacity())
        lines_.reserve(std::max<std::size_t>(16, lines_.capacity() * 2));
    const std::size_t offset = text_.size();
    text_.append(text.View());
    lines_.push_back({offset, text.View().size()});
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
