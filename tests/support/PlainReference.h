#pragma once

// Plain twins of the reader's fast routines, one byte or one line at a time,
// written from the rules alone: the references the fast ones must match.

#include "framework/core/TStringList.h"
#include "stockdata/CodeIndex.h"
#include "stockdata/StockRecord.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

inline const char* FindLineEndPlain(const char* from, const char* end) noexcept
{
    while (from != end && *from != '\n' && *from != '\r')
        ++from;
    return from;
}

// Every LF, and every CR that no LF follows, ends a line; so does the end of
// a text whose last byte ends no line.
inline std::size_t CountLinesPlain(std::string_view text) noexcept
{
    std::size_t lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        lines += text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) ? 1 : 0;
    const bool lastEndsLine = !text.empty() && (text.back() == '\n' || text.back() == '\r');
    return lines + (text.empty() || lastEndsLine ? 0 : 1);
}

// One record per line, from columns 1-9 and 10-47 through the record's own
// bounded copies.
inline vecST RecordsFromLines(const TStringList& lines)
{
    vecST store;
    for (TStringList::Index i = 0; i < lines.Count(); ++i) {
        const std::string_view line = lines.Line(i);
        const std::string code(line.substr(0, 9));
        const std::string name(line.size() >= 10 ? line.substr(9, 38) : std::string_view());
        store.emplace_back(code.c_str(), name.c_str(), " ");
    }
    return store;
}

inline bool IsAsciiLetterPlain(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A code's digits as the code index orders them: the code with a leading
// ASCII letter skipped, 0-filled to the 9 bytes a code field holds. A code
// with a letter has only 8 bytes left, so its last byte counts again as the
// ninth: "A005930  " has the digits of "005930   ".
inline std::string CodeDigitsPlain(const STData& record)
{
    const std::string_view text(record.code);
    const bool lettered = !text.empty() && IsAsciiLetterPlain(text.front());
    std::string digits(lettered ? text.substr(1) : text);
    digits.resize(sizeof record.code - 1, '\0');
    if (lettered && text.size() == sizeof record.code - 1)
        digits.back() = text.back();
    return digits;
}

// Whether typing the well-formed `typed` finds `record`: its digits start
// with the typed ones, letters in either case, and a typed letter is the stored one in either case,
// or the code is stored without one.
inline bool TypedCodeFindsPlain(const TypedCode& typed, const STData& record)
{
    const std::string_view text(record.code);
    const bool lettered = !text.empty() && IsAsciiLetterPlain(text.front());
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    const std::string_view body = lettered ? text.substr(1) : text;
    if (body.size() < typed.body.size())
        return false;
    for (std::size_t i = 0; i < typed.body.size(); ++i)
        if (upper(body[i]) != upper(typed.body[i]))
            return false;
    return typed.letter == '\0' || !lettered || upper(text.front()) == upper(typed.letter);
}

// The positions in `byPosition` that typing `typed` finds, in the order that
// stepping through the code index visits them: by digits, equal digits in
// view order.
inline std::vector<int> CodeOrderPlain(std::span<const STData* const> byPosition, const TypedCode& typed)
{
    std::vector<std::pair<std::string, int>> found;
    for (std::size_t position = 0; position < byPosition.size(); ++position) {
        if (TypedCodeFindsPlain(typed, *byPosition[position]))
            found.emplace_back(CodeDigitsPlain(*byPosition[position]), static_cast<int>(position));
    }
    std::ranges::stable_sort(found, {}, &std::pair<std::string, int>::first);
    std::vector<int> order;
    for (const auto& entry : found)
        order.push_back(entry.second);
    return order;
}
