#pragma once

#include "stockdata/CodeIndex.h"
#include "stockdata/StockRecord.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>

// The order and the matching of codes that CodeIndex and CodeKeys share.
namespace codeorder {

// The code's text; the field's last byte is always 0.
inline constexpr std::size_t CodeBytes = sizeof(STData::code) - 1;

// Not std::isalpha, which the locale can extend to bytes of other letters.
inline bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline char ToUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// KRX's codes: a digit first, then digits and letters (00088K, 0004V0).
inline bool IsWellFormed(const TypedCode& code)
{
    return (code.letter == '\0' || IsAsciiLetter(code.letter)) && !code.body.empty() &&
           IsAsciiDigit(code.body.front()) &&
           std::ranges::all_of(code.body, [](char c) { return IsAsciiDigit(c) || IsAsciiLetter(c); });
}

// A code's digits: the code with a leading ASCII letter, its market letter,
// skipped; they may hold letters of their own (00088K).
inline const char* DigitsOf(const STData& record)
{
    return record.code + (IsAsciiLetter(record.code[0]) ? 1 : 0);
}

// Orders records by their digits. A code stored with a letter holds a byte
// less after it, so its last byte stands in for the ninth: "A005930  " and
// "005930   " have equal digits, as have "A005930" and "005930" unpadded.
inline int CompareDigits(const STData& a, const STData& b)
{
    if (const int head = std::memcmp(DigitsOf(a), DigitsOf(b), CodeBytes - 1); head != 0)
        return head;
    return static_cast<unsigned char>(a.code[CodeBytes - 1]) - static_cast<unsigned char>(b.code[CodeBytes - 1]);
}

// The order codes are found in: by digits, equal digits in view order.
// `byPosition` holds the view's records; `a` and `b` are positions in it.
inline bool ComesBefore(std::span<const STData* const> byPosition, std::size_t a, std::size_t b)
{
    const int byDigits = CompareDigits(*byPosition[a], *byPosition[b]);
    return byDigits != 0 ? byDigits < 0 : a < b;
}

// Whether well-formed `code` finds `record`: its body starts the record's
// digits, letters in either case, and a typed market letter is the stored one
// in either case, or none is stored.
inline bool Finds(const TypedCode& code, const STData& record)
{
    const char* digits = DigitsOf(record);
    const std::size_t room = sizeof(STData::code) - 1 - static_cast<std::size_t>(digits - record.code);
    if (code.body.size() > room || !std::equal(code.body.begin(), code.body.end(), digits,
                                               [](char a, char b) { return ToUpper(a) == ToUpper(b); }))
        return false;
    return code.letter == '\0' || digits == record.code || ToUpper(record.code[0]) == ToUpper(code.letter);
}

}  // namespace codeorder
