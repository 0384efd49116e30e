#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Texts are bytes everywhere; only the screen needs characters. They are
// read in the display character set: by default that of the process's locale
// (LC_CTYPE), a C or POSIX locale counting as UTF-8, as Qt does. EUC-KR is
// read as CP949, its superset, in which Korean files are written. A locale
// whose character set iconv does not know is read as UTF-8, with one warning
// on stderr. The display's functions below may be called from any thread.

// Decodes `bytes` to UTF-8. Each maximal ill-formed subsequence (the longest
// start of a valid sequence, or else one byte) becomes one U+FFFD, as
// Unicode recommends; decoding goes on after it.
// A sequence cut off at the end is one such subsequence.
std::string DecodeForDisplay(std::string_view bytes);

// Encodes UTF-8 `text` in the display character set, the reverse of
// DecodeForDisplay, for comparing what the user typed with bytes. Empty when
// some character of it has no bytes there (Hangul under a Latin-1 locale) or
// `text` is not valid UTF-8.
std::optional<std::string> EncodeForDisplay(std::string_view text);

// The display character set as iconv names it.
std::string DisplayCharset();

// Overrides the display character set ("" returns to the locale's). Throws
// the framework's Exception when iconv does not know `charset`; the previous
// character set then stays.
void SetDisplayCharset(const std::string& charset);

// Decodes as DecodeForDisplay does, in a character set fixed when it is made
// and with an iconv descriptor of its own: what a worker thread reads names
// with, so that the display's character set cannot change under it. One
// thread at a time uses one.
class CharsetDecoder {
public:
    // `charset` as iconv or DisplayCharset() names it. Throws the framework's
    // Exception when iconv does not know it.
    explicit CharsetDecoder(const std::string& charset);
    CharsetDecoder(CharsetDecoder&& other) noexcept;
    CharsetDecoder& operator=(CharsetDecoder&& other) noexcept;
    ~CharsetDecoder();

    std::string Decode(std::string_view bytes);

    // As DisplayCharset() would name it: EUC-KR is read as CP949.
    const std::string& Charset() const noexcept { return charset_; }

private:
    void Close() noexcept;
    std::size_t IllFormedLength(std::string_view bytes);

    void* cd_;  // an iconv_t, or (iconv_t)-1 for UTF-8, which needs none
    std::string charset_;
};
