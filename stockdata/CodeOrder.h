#pragma once

#include "stockdata/CodeIndex.h"
#include "stockdata/StockRecord.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

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

inline bool IsWellFormed(const TypedCode& code)
{
    return (code.letter == '\0' || IsAsciiLetter(code.letter)) && !code.digits.empty() &&
           std::ranges::all_of(code.digits, IsAsciiDigit);
}

// A code's digits: the code with a leading ASCII letter skipped.
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

// Whether well-formed `code` finds `record`: its digits start the record's,
// and a typed letter is the stored one in either case, or none is stored.
inline bool Finds(const TypedCode& code, const STData& record)
{
    const char* digits = DigitsOf(record);
    const std::size_t room = sizeof(STData::code) - 1 - static_cast<std::size_t>(digits - record.code);
    if (code.digits.size() > room || std::memcmp(digits, code.digits.data(), code.digits.size()) != 0)
        return false;
    return code.letter == '\0' || digits == record.code || ToUpper(record.code[0]) == ToUpper(code.letter);
}

}  // namespace codeorder
