#pragma once

// Plain twins of the reader's fast routines, one byte or one line at a time,
// written from the rules alone: the references the fast ones must match.

#include "framework/core/TStringList.h"
#include "stockdata/StockRecord.h"

#include <cstddef>
#include <string>
#include <string_view>

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
