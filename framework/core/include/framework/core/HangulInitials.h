#pragma once

#include "framework/core/CharacterReader.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

// Matching names by the initial consonants of their Hangul syllables, as
// Korean stock search boxes do: ㅅㅅㅈㅈ finds 삼성전자. An initial is
// numbered as hangul::Syllable numbers it, 0 (ㄱ) to 18 (ㅎ). Names are read
// in one character set; under one without Hangul, no name matches. Once
// made, it may be used from any number of threads.
class InitialsMatcher {
public:
    // In `charset`, as iconv or DisplayCharset() names it; any thread. Throws
    // what CharacterReader throws.
    explicit InitialsMatcher(const std::string& charset) : reader_(charset) {}
    // Reading names as `reader` does.
    explicit InitialsMatcher(CharacterReader reader) noexcept : reader_(std::move(reader)) {}

    // Whether `name` starts with as many Hangul syllables as `initials`
    // holds, with those initials in turn; what follows them does not count.
    // Empty `initials` match nothing.
    bool Matches(std::string_view name, std::span<const std::uint8_t> initials) const noexcept;

    // Writes the initials of the syllables `name` starts with into
    // `initials`, as many as it holds at most, and returns how many there
    // are: the first character that is no syllable ends them.
    std::size_t LeadingInitials(std::string_view name, std::span<std::uint8_t> initials) const noexcept;

private:
    CharacterReader reader_;
};
