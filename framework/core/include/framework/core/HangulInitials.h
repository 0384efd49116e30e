#pragma once

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

// Reads names in the display character set of the time it is made: UTF-8,
// or a character set in which Hangul syllables take two bytes (CP949, the
// Korean master files' own). Under any other, no name matches. GUI thread
// only, as the display character set is.
class InitialsMatcher {
public:
    // Under a two-byte character set, decodes each two-byte sequence once, a
    // few milliseconds. Throws std::bad_alloc on lack of memory.
    InitialsMatcher();

    // Whether `name` starts with as many Hangul syllables as `initials`
    // holds, with those initials in turn; what follows them does not count.
    // Empty `initials` match nothing.
    bool Matches(std::string_view name, std::span<const std::uint8_t> initials) const noexcept;

    // The display character set it reads, as DisplayCharset() named it.
    const std::string& Charset() const noexcept { return charset_; }

private:
    std::string charset_;
    bool utf8_ = false;
    // 1 + the initial of the syllable that lead byte (0x80 to 0xFF) and
    // trail byte encode, at (lead - 0x80) * 256 + trail; 0 for no syllable.
    std::vector<std::uint8_t> twoByte_;
};
