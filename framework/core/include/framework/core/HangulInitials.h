#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Matching names by the initial consonants of their Hangul syllables, as
// Korean stock search boxes do: ㅅㅅㅈㅈ finds 삼성전자. An initial is its
// index in Unicode's order of leading consonants, 0 (ㄱ) to 18 (ㅎ):
// ㄱ ㄲ ㄴ ㄷ ㄸ ㄹ ㅁ ㅂ ㅃ ㅅ ㅆ ㅇ ㅈ ㅉ ㅊ ㅋ ㅌ ㅍ ㅎ. This is no input method:
// it composes nothing.

// The initials that UTF-8 `typed` spells in compatibility jamo (U+3131 ㄱ to
// U+314E ㅎ); empty when `typed` is empty or holds anything else, such as a
// vowel, a cluster that no syllable starts with (ㄳ), or a letter.
std::vector<std::uint8_t> TypedInitials(std::string_view typed);

// Reads names in one character set: UTF-8, or one in which Hangul syllables
// take two bytes (CP949, the Korean master files' own). Under any other, no
// name matches. Once made, it may be used from any number of threads.
class InitialsMatcher {
public:
    // In `charset`, as iconv or DisplayCharset() names it; any thread. Under
    // a two-byte character set, decodes each two-byte sequence once, a few
    // milliseconds. Throws the framework's Exception when iconv does not
    // know `charset`, std::bad_alloc on lack of memory.
    explicit InitialsMatcher(const std::string& charset);

    // Whether `name` starts with as many Hangul syllables as `initials`
    // holds, with those initials in turn; what follows them does not count.
    // Empty `initials` match nothing.
    bool Matches(std::string_view name, std::span<const std::uint8_t> initials) const noexcept;

    // Writes the initials of the syllables `name` starts with into
    // `initials`, as many as it holds at most, and returns how many there
    // are: the first byte that starts no syllable ends them.
    std::size_t LeadingInitials(std::string_view name, std::span<std::uint8_t> initials) const noexcept;

private:
    // 1 + the initial of the syllable `name` starts with, 0 when none.
    std::uint8_t FirstInitialPlusOne(std::string_view name) const noexcept;
    std::size_t SyllableBytes() const noexcept { return utf8_ ? 3 : 2; }

    bool utf8_ = false;
    // 1 + the initial of the syllable that lead byte (0x80 to 0xFF) and
    // trail byte encode, at (lead - 0x80) * 256 + trail; 0 for no syllable.
    std::vector<std::uint8_t> twoByte_;
};
