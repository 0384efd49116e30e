#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The one reading of UTF-8 for the whole program: the names shown on screen,
// the file names in messages and the typed initials all go through it, so
// that they agree on what is well formed (Unicode's table 3-7: no overlong
// forms, no surrogates, nothing beyond U+10FFFF). The standard library has no
// such scanner; glibc's mbrtowc follows the process's locale, and Qt is out
// of reach of the tools that link only this core.

// The sequence at the start of some bytes.
struct Utf8Sequence {
    // The sequence's length when well formed; otherwise the length of its
    // maximal subpart (the longest start of some well-formed sequence), at
    // least 1: Unicode's unit for one replacement mark.
    std::size_t length;
    bool wellFormed;
    // The character, when well formed; 0 otherwise.
    char32_t codePoint;
};

// The sequence at the start of `bytes`, which must not be empty.
Utf8Sequence NextUtf8Sequence(std::string_view bytes) noexcept;

// Whether all of `bytes` is well-formed UTF-8.
bool IsWellFormedUtf8(std::string_view bytes) noexcept;

// Appends `c`, a code point that is no surrogate and at most U+10FFFF, to
// `text` in UTF-8.
void AppendUtf8(std::string& text, char32_t c);
