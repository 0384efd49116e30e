#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Texts are bytes everywhere; only the screen needs characters. They are
// read in the display character set: that of the process's locale
// (LC_CTYPE), a C or POSIX locale counting as UTF-8, as Qt does. EUC-KR is
// read as CP949, its superset, in which Korean files are written. A locale
// whose character set iconv does not know is read as UTF-8, with a warning
// for the program to print. The display's functions below may be called from
// any thread; they use one DisplayCodec, chosen from the locale when first
// asked for and kept for the life of the process.

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

// What DisplayCodec::ForLocale warned when the display's codec was chosen,
// empty when nothing: for the program to print at start, after its name.
std::string DisplayCharsetWarning();

// An iconv descriptor (an iconv_t), closed when its owner goes; null for none.
struct CloseIconv {
    void operator()(void* cd) const noexcept;
};
using IconvDescriptor = std::unique_ptr<void, CloseIconv>;

// Decodes as DecodeForDisplay does, in a character set fixed when it is made
// and with an iconv descriptor of its own: what a worker thread reads names
// with, so that the display's character set cannot change under it. One
// thread at a time uses one.
class CharsetDecoder {
public:
    // `charset` as iconv or DisplayCharset() names it. Throws the framework's
    // Exception when iconv does not know it.
    explicit CharsetDecoder(const std::string& charset);

    std::string Decode(std::string_view bytes);

    // As DisplayCharset() would name it: EUC-KR is read as CP949.
    const std::string& Charset() const noexcept { return charset_; }

private:
    std::size_t IllFormedLength(std::string_view bytes);

    IconvDescriptor cd_;  // none for UTF-8, which needs none
    std::string charset_;
};

// Reads bytes in one character set for the screen, and encodes what the user
// typed back to bytes: DecodeForDisplay and EncodeForDisplay for a character
// set of the caller's choosing. One thread at a time uses one.
class DisplayCodec {
public:
    // `charset` as iconv names it. Throws the framework's Exception when iconv
    // does not know it.
    explicit DisplayCodec(const std::string& charset);
    // The character set of the environment's locale (LC_CTYPE). When iconv
    // does not know it, UTF-8, and `warning` says so in one sentence for the
    // user, without the program's name; otherwise `warning` is emptied.
    static DisplayCodec ForLocale(std::string& warning);

    // As DecodeForDisplay and EncodeForDisplay, in this codec's character set.
    std::string Decode(std::string_view bytes) { return decoder_.Decode(bytes); }
    std::optional<std::string> Encode(std::string_view text);

    // As CharsetDecoder names it: EUC-KR is read as CP949.
    const std::string& Charset() const noexcept { return decoder_.Charset(); }

private:
    CharsetDecoder decoder_;
    IconvDescriptor encoder_;  // to the character set, opened when first asked for
};

// Makes `codec` the display's from now on, and `warning` what
// DisplayCharsetWarning says: for a test that tries several character sets
// in one process. The program keeps the one chosen first.
void ReplaceDisplayCodec(DisplayCodec codec, std::string warning);
