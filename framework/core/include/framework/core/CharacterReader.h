#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Reads bytes in one character set a character at a time, for what must
// know where characters begin and what they are without decoding a whole
// text: UTF-8, or a character set of one and two bytes a character (CP949,
// whose trail bytes may be ASCII letters; Latin-1). Once made, it may be
// used from any number of threads.
class CharacterReader {
public:
    struct Character {
        // U+FFFD where the bytes are no character of the set.
        char32_t codePoint;
        // At least 1, at most what the text holds.
        std::size_t length;
    };

    // In `charset`, as iconv or DisplayCharset() names it; any thread. Under
    // a character set other than UTF-8, decodes each byte and each pair of
    // bytes once, a few milliseconds. Throws the framework's Exception when
    // iconv does not know `charset`, std::bad_alloc on lack of memory.
    explicit CharacterReader(const std::string& charset);

    // The character `text`, which must not be empty, starts with.
    Character At(std::string_view text) const noexcept;
    bool IsUtf8() const noexcept { return utf8_; }

private:
    bool utf8_ = false;
    // The character a byte from 0x80 spells alone, at byte - 0x80, and that
    // a lead byte from 0x80 and a trail byte spell together, at (lead - 0x80)
    // * 256 + trail; 0 for none. The sets read here have no characters
    // beyond U+FFFF.
    std::vector<char16_t> oneByte_;
    std::vector<char16_t> twoByte_;
};
