#include "framework/core/TStringList.h"

#include "framework/core/LineRule.h"
#include "framework/core/RegularFile.h"

#include <algorithm>
#include <cassert>
#include <utility>

TStringList::TStringList(TStringList&& other) noexcept
    : text_(std::move(other.text_)), repeats_(std::exchange(other.repeats_, 0)), first_(other.first_),
      lines_(std::move(other.lines_))
{
    other.text_.clear();
    other.lines_.clear();
}

TStringList& TStringList::operator=(TStringList&& other) noexcept
{
    if (this == &other)
        return *this;
    text_ = std::move(other.text_);
    repeats_ = std::exchange(other.repeats_, 0);
    first_ = other.first_;
    lines_ = std::move(other.lines_);
    other.text_.clear();
    other.lines_.clear();
    return *this;
}

void TStringList::LoadFromFile(const ByteString& fileName)
{
    const FileBytes file = ReadRegularFile(std::string(fileName.View()));
    LoadFromBytes(std::string(file.View()));
}

void TStringList::LoadFromBytes(std::string text)
{
    std::vector<StoredLine> lines;
    lines.reserve(CountLines(text));
    ForEachLine(text, [&](std::string_view line) {
        lines.push_back({static_cast<std::size_t>(line.data() - text.data()), line.size()});
    });
    text_ = std::move(text);
    repeats_ = 0;
    lines_ = std::move(lines);
}

void TStringList::Add(const ByteString& text)
{
    const bool repeatsFirst = repeats_ != 0 && text.View() == View(first_);
    if (repeatsFirst && lines_.empty()) {
        ++repeats_;
        return;
    }
    if (Count() == 0) {
        const std::size_t offset = text_.size();
        text_.append(text.View());
        first_ = {offset, text.View().size()};
        repeats_ = 1;
        return;
    }
    // Room for the span first: once the text is appended nothing may throw.
    if (lines_.size() == lines_.capacity())
        lines_.reserve(std::max<std::size_t>(16, lines_.capacity() * 2));
    if (repeatsFirst) {
        lines_.push_back(first_);
        return;
    }
    const std::size_t offset = text_.size();
    text_.append(text.View());
    lines_.push_back({offset, text.View().size()});
}

void TStringList::Add(const ByteString& text, Index copies)
{
    if (copies <= 0)
        return;
    Add(text);
    // With no line after the run, the line just added joined it.
    if (lines_.empty()) {
        repeats_ += copies - 1;
        return;
    }
    for (Index i = 1; i < copies; ++i)
        Add(text);
}

void TStringList::Reserve(Index lines, std::size_t textBytes)
{
    lines_.reserve(lines_.size() + static_cast<std::size_t>(lines));
    text_.reserve(text_.size() + textBytes);
}

std::string_view TStringList::Line(Index i) const noexcept
{
    assert(i >= 0 && i < Count() && "TStringList::Line: index out of range");
    if (i < repeats_)
        return View(first_);
    return View(lines_[static_cast<std::size_t>(i - repeats_)]);
}

void TStringList::Clear() noexcept
{
    text_.clear();
    repeats_ = 0;
    lines_.clear();
}
